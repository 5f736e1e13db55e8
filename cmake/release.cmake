# The release: the target `packages` writes into packages/ the Windows x86 zip (from a
# cross build of its own, made with the rest of the build), the Linux tar.gz and the Debian
# package of this build, and SHA256SUMS for all of them; it also makes, for the tests only, the
# same zip for x86_64. The tests in tests/package check what
# the packages hold and run the programs installed from them.
include(ExternalProject)

set(QUOTEX_PACKAGE_DIR ${PROJECT_BINARY_DIR}/packages)
# Builds the Windows programs for ARCH (i686 or x86_64) in a cross build of its own under
# DIRECTORY and packs them there, in DIRECTORY/packages, as CPack's zip.
function(add_windows_zip name arch directory)
  ExternalProject_Add(${name}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${directory}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-${arch}-w64-mingw32.cmake
               -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
               -DQUOTEX_BUILD_TESTS=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR>
    INSTALL_COMMAND ${CMAKE_COMMAND} -E rm -rf <BINARY_DIR>/packages
            COMMAND ${CMAKE_CPACK_COMMAND} --config <BINARY_DIR>/CPackConfig.cmake
                    -B <BINARY_DIR>/packages
    BUILD_ALWAYS ON)
endfunction()

# The programs' own target, the zip that is released.
set(windows_x86_dir ${PROJECT_BINARY_DIR}/windows-x86)
add_windows_zip(windows_x86 i686 ${windows_x86_dir})
# The same zip for x86_64, not released: the Windows programs that Wine runs on a machine that
# cannot run 32-bit code, so that a test can run the programs of an unpacked zip there.
set(QUOTEX_WINDOWS_X64_ZIP_DIR ${PROJECT_BINARY_DIR}/windows-x64/packages)
add_windows_zip(windows_x64 x86_64 ${PROJECT_BINARY_DIR}/windows-x64)

# CPack works in a directory of its own; only the packages reach packages/.
set(cpack_dir ${PROJECT_BINARY_DIR}/cpack)
add_custom_target(packages
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${cpack_dir}
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake -B ${cpack_dir}
  COMMAND ${CMAKE_COMMAND} -D DIRECTORY=${QUOTEX_PACKAGE_DIR}
          "-DSOURCES=${cpack_dir}$<SEMICOLON>${windows_x86_dir}/packages"
          -P ${CMAKE_CURRENT_LIST_DIR}/collect_packages.cmake
  DEPENDS ${QUOTEX_PROGRAMS} manual_pages debian_changelog windows_x86 windows_x64
  VERBATIM)

enable_testing()
add_subdirectory(tests/package)
