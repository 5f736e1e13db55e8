# Windows, 64-bit x86: the build whose tests run under Wine on this machine.
set(QUOTEX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
