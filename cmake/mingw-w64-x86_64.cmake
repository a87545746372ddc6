# Cross-compiles for 64-bit Windows (the 64-bit engine, and the Windows programs on hosts that run
# no 32-bit program) with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
