# Writes the bytes of a file as a C++ array, for the programs to carry it: run by the build as
#   cmake -DINPUT=FILE -DOUTPUT=SOURCE -DNAME=NAME -P cmake/embed.cmake
# The source defines deep::NAME (the bytes) and deep::NAMESize.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])" "\\1\n" lines "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${lines}")
file(WRITE "${OUTPUT}" "// Made by the build from ${INPUT} (cmake/embed.cmake).\n#include <cstddef>\n\nnamespace deep {\n\nextern const unsigned char ${NAME}[] = {\n${bytes}};\nextern const size_t ${NAME}Size = sizeof ${NAME};\n\n}  // namespace deep\n")
