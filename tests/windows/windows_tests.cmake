# Tests of the Windows build, run under Wine: the unit tests, the executable's imports, and the
# comparison of its behaviour with the Linux build's. The Wine tests share one prefix in the
# build tree, made before the first of them; the last test shuts its server down.
set(QUOTEX_WINE_RUN "${PROJECT_SOURCE_DIR}/tools/wine-run")

foreach(program IN LISTS QUOTEX_PROGRAMS)
  add_test(NAME ${program}_imports
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DEXECUTABLE=$<TARGET_FILE:${program}>
                   -P ${CMAKE_CURRENT_LIST_DIR}/check_imports.cmake)
endforeach()

# Source directories to compare on besides the script's own fixtures.
set(compared_directories)
if(IS_DIRECTORY "${PROJECT_SOURCE_DIR}/examples")
  list(APPEND compared_directories "${PROJECT_SOURCE_DIR}/examples")
endif()
add_test(NAME wine_compare
         COMMAND "${PROJECT_SOURCE_DIR}/tools/compare-builds" --wine
                 --lang "${QUOTEX_REFERENCE_LANG_EXECUTABLE}" $<TARGET_FILE:quotex-lang>
                 "${QUOTEX_REFERENCE_EXECUTABLE}" $<TARGET_FILE:quotex> ${compared_directories})
set_tests_properties(wine_compare PROPERTIES SKIP_RETURN_CODE 77)

add_test(NAME wine_boot COMMAND "${QUOTEX_WINE_RUN}" --boot)
add_test(NAME wine_shutdown COMMAND "${QUOTEX_WINE_RUN}" --shutdown)
set_tests_properties(wine_boot PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_shutdown PROPERTIES FIXTURES_CLEANUP wine)
set_tests_properties(quotex_tests wine_compare PROPERTIES FIXTURES_REQUIRED wine)
set_tests_properties(wine_boot quotex_tests wine_compare wine_shutdown
                     PROPERTIES ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix")
