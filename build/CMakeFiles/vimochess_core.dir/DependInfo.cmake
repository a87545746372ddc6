
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/engine/move_generation.cpp" "CMakeFiles/vimochess_core.dir/engine/move_generation.cpp.o" "gcc" "CMakeFiles/vimochess_core.dir/engine/move_generation.cpp.o.d"
  "/work/main/rules/board.cpp" "CMakeFiles/vimochess_core.dir/rules/board.cpp.o" "gcc" "CMakeFiles/vimochess_core.dir/rules/board.cpp.o.d"
  "/work/main/rules/game_end.cpp" "CMakeFiles/vimochess_core.dir/rules/game_end.cpp.o" "gcc" "CMakeFiles/vimochess_core.dir/rules/game_end.cpp.o.d"
  "/work/main/rules/move_info.cpp" "CMakeFiles/vimochess_core.dir/rules/move_info.cpp.o" "gcc" "CMakeFiles/vimochess_core.dir/rules/move_info.cpp.o.d"
  "/work/main/rules/move_table.cpp" "CMakeFiles/vimochess_core.dir/rules/move_table.cpp.o" "gcc" "CMakeFiles/vimochess_core.dir/rules/move_table.cpp.o.d"
  "/work/main/rules/rule_checker.cpp" "CMakeFiles/vimochess_core.dir/rules/rule_checker.cpp.o" "gcc" "CMakeFiles/vimochess_core.dir/rules/rule_checker.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
