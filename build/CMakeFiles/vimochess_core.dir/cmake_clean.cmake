file(REMOVE_RECURSE
  "CMakeFiles/vimochess_core.dir/engine/move_generation.cpp.o"
  "CMakeFiles/vimochess_core.dir/engine/move_generation.cpp.o.d"
  "CMakeFiles/vimochess_core.dir/rules/board.cpp.o"
  "CMakeFiles/vimochess_core.dir/rules/board.cpp.o.d"
  "CMakeFiles/vimochess_core.dir/rules/game_end.cpp.o"
  "CMakeFiles/vimochess_core.dir/rules/game_end.cpp.o.d"
  "CMakeFiles/vimochess_core.dir/rules/move_info.cpp.o"
  "CMakeFiles/vimochess_core.dir/rules/move_info.cpp.o.d"
  "CMakeFiles/vimochess_core.dir/rules/move_table.cpp.o"
  "CMakeFiles/vimochess_core.dir/rules/move_table.cpp.o.d"
  "CMakeFiles/vimochess_core.dir/rules/rule_checker.cpp.o"
  "CMakeFiles/vimochess_core.dir/rules/rule_checker.cpp.o.d"
  "libvimochess_core.a"
  "libvimochess_core.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/vimochess_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
