# What `cmake --install` puts where, and the package formats CPack makes from it: on Windows a
# zip holding the programs beside README.md and LICENSE; elsewhere a tar.gz and a Debian package
# holding the usual tree (bin/, share/man/man1/, share/doc/quotex/).
include(GNUInstallDirs)

set(QUOTEX_SUMMARY "collect the texts of a Clarion application for translation")
set(QUOTEX_DESCRIPTION [[quotex reads the Clarion source files that a file mask names and collects
the single-quoted literals meant for people: window captions, prompts,
button labels and messages. It leaves out program matter (file names,
keys, filters, INI entries, help ids, fonts, icons, pictures) and writes
every distinct text once, in order of first appearance, into a BAS file
(pairs of text and translation), an LST file (the bare list) and a CRT
file (a Clarion LANGUAGE GROUP declaration to include in a program).
.
quotex-lang keeps a translated CRT file alive across releases: it
extracts the texts again without losing their translations, checks a
translated file before a release, and trades translations with
translators' tools through gettext PO files.]])
set(QUOTEX_MAINTAINER "The quotex authors <quotex@example.org>"
    CACHE STRING "The maintainer named in the Debian package and its change log")

if(WIN32)
  install(TARGETS ${QUOTEX_PROGRAMS} RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
else()
  install(TARGETS ${QUOTEX_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Manual pages are installed compressed, without a name or time stamp in the gzip header.
  set(manual_pages)
  foreach(program IN LISTS QUOTEX_PROGRAMS)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
                       COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/man/${program}.1 > ${page}
                       DEPENDS man/${program}.1 VERBATIM)
    list(APPEND manual_pages ${page})
  endforeach()
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  add_custom_target(manual_pages ALL DEPENDS ${manual_pages})
  install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The licence as a Debian copyright file, and the change log that a Debian package carries.
  file(READ LICENSE QUOTEX_LICENSE_TEXT)
  string(REGEX REPLACE "^.*Permission is hereby" "Permission is hereby" QUOTEX_LICENSE_TEXT
         "${QUOTEX_LICENSE_TEXT}")
  string(REGEX REPLACE "\n$" "" QUOTEX_LICENSE_TEXT "${QUOTEX_LICENSE_TEXT}")
  string(REGEX REPLACE "\n\n" "\n.\n" QUOTEX_LICENSE_TEXT "${QUOTEX_LICENSE_TEXT}")
  string(REPLACE "\n" "\n " QUOTEX_LICENSE_TEXT "${QUOTEX_LICENSE_TEXT}")
  set(doc ${PROJECT_BINARY_DIR}/doc)
  configure_file(packaging/copyright.in ${doc}/copyright @ONLY)
  # Dated by the configuration, or by SOURCE_DATE_EPOCH for a build that must be reproducible.
  string(TIMESTAMP QUOTEX_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(packaging/changelog.in ${doc}/changelog @ONLY)
  add_custom_command(OUTPUT ${doc}/changelog.gz
                     COMMAND gzip -9nc ${doc}/changelog > ${doc}/changelog.gz
                     DEPENDS ${doc}/changelog VERBATIM)
  add_custom_target(debian_changelog ALL DEPENDS ${doc}/changelog.gz)
  install(FILES ${doc}/copyright ${doc}/changelog.gz README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME quotex)
set(CPACK_PACKAGE_VENDOR "The quotex authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${QUOTEX_SUMMARY}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME windows-x86)
  else()
    set(CPACK_SYSTEM_NAME windows-x64)
  endif()
else()
  set(CPACK_GENERATOR "TGZ;DEB")
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" CPACK_SYSTEM_NAME)
  # The Debian package: its dependencies are those that dpkg-shlibdeps finds in the programs.
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUOTEX_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${QUOTEX_DESCRIPTION}")
endif()
include(CPack)
