# Windows, 32-bit x86: the target the program was made for.
set(QUOTEX_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
