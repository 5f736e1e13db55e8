# The release: the target `packages` writes into packages/ the Windows x86 zip (from a
# cross build of its own, made with the rest of the build), the Linux tar.gz and the Debian
# package of this build, and SHA256SUMS for all of them. The tests in tests/package check what
# the packages hold and run the programs installed from them.
include(ExternalProject)

set(QUOTEX_PACKAGE_DIR ${PROJECT_BINARY_DIR}/packages)
set(windows_x86_dir ${PROJECT_BINARY_DIR}/windows-x86)

ExternalProject_Add(windows_x86
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${windows_x86_dir}
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-i686-w64-mingw32.cmake
             -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
             -DQUOTEX_BUILD_TESTS=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR>
  INSTALL_COMMAND ${CMAKE_COMMAND} -E rm -rf <BINARY_DIR>/packages
          COMMAND ${CMAKE_CPACK_COMMAND} --config <BINARY_DIR>/CPackConfig.cmake
                  -B <BINARY_DIR>/packages
  BUILD_ALWAYS ON)

# CPack works in a directory of its own; only the packages reach packages/.
set(cpack_dir ${PROJECT_BINARY_DIR}/cpack)
add_custom_target(packages
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${cpack_dir}
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake -B ${cpack_dir}
  COMMAND ${CMAKE_COMMAND} -D DIRECTORY=${QUOTEX_PACKAGE_DIR}
          "-DSOURCES=${cpack_dir}$<SEMICOLON>${windows_x86_dir}/packages"
          -P ${CMAKE_CURRENT_LIST_DIR}/collect_packages.cmake
  DEPENDS ${QUOTEX_PROGRAMS} manual_pages debian_changelog windows_x86
  VERBATIM)

enable_testing()
add_subdirectory(tests/package)
