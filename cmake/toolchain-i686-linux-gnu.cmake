# Linux, 32-bit x86, built with the host's g++ -m32 (Debian g++-multilib) and linked statically,
# so that QEMU's user-mode emulator (qemu-i386, Debian qemu-user) runs the programs and their
# tests on a host that cannot execute 32-bit code itself (the preset names the emulator). It runs
# the program under the 32-bit data model of its Windows target: 32-bit size_t, long and pointers.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
