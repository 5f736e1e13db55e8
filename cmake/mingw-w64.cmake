# Cross build for Windows with Debian's mingw-w64, for the architecture in QUOTEX_MINGW_ARCH
# (set by the toolchain file that includes this one). The -posix compiler variant and static
# linking make an executable that needs nothing beyond KERNEL32 and msvcrt.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUOTEX_MINGW_ARCH})

set(QUOTEX_MINGW_TRIPLET ${QUOTEX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${QUOTEX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUOTEX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUOTEX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUOTEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
