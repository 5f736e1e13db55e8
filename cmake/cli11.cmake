# CLI11, the header-only command-line parser (Debian libcli11-dev), as the target quotex::cli11.
# Its headers are reached through a directory in the build tree that holds only a link to them,
# so that the cross and -m32 builds get CLI11 without /usr/include, with the host's C library
# headers, on their include path. Without it the configure step stops and names the package.
find_path(QUOTEX_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          DOC "The directory holding CLI11's CLI/ folder")
if(QUOTEX_CLI11_INCLUDE_DIR)
  set(cli11_link_directory ${PROJECT_BINARY_DIR}/third-party/cli11)
  file(MAKE_DIRECTORY ${cli11_link_directory})
  file(CREATE_LINK ${QUOTEX_CLI11_INCLUDE_DIR}/CLI ${cli11_link_directory}/CLI SYMBOLIC)
  add_library(quotex_cli11 INTERFACE)
  target_include_directories(quotex_cli11 SYSTEM INTERFACE ${cli11_link_directory})
  add_library(quotex::cli11 ALIAS quotex_cli11)
else()
  message(FATAL_ERROR "CLI11 not found: install Debian's libcli11-dev (tools/install-deps)")
endif()
