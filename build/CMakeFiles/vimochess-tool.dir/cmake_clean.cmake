file(REMOVE_RECURSE
  "CMakeFiles/vimochess-tool.dir/tools/fen.cpp.o"
  "CMakeFiles/vimochess-tool.dir/tools/fen.cpp.o.d"
  "CMakeFiles/vimochess-tool.dir/tools/vimochess_tool.cpp.o"
  "CMakeFiles/vimochess-tool.dir/tools/vimochess_tool.cpp.o.d"
  "vimochess-tool"
  "vimochess-tool.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/vimochess-tool.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
