# The 32-bit Linux build against the 64-bit one (QUOTEX_REFERENCE_EXECUTABLE): outputs, exit
# statuses and messages must be the same byte for byte on the example application, on the
# comparison script's own fixtures and on a generated corpus large enough to fill every bucket
# of the catalogue's index many times over. Its own test programs run under the emulator as
# everywhere else.
set(corpus_directory "${CMAKE_CURRENT_BINARY_DIR}/corpus")
file(MAKE_DIRECTORY "${corpus_directory}")
add_test(NAME x86_corpus
         COMMAND quotex_make_corpus "${corpus_directory}" --bytes 16777216 --files 32
                 --texts 50000 --seed 7)
set_tests_properties(x86_corpus PROPERTIES FIXTURES_SETUP x86_corpus)

add_test(NAME x86_compare
         COMMAND "${PROJECT_SOURCE_DIR}/tools/compare-builds"
                 --emulator ${CMAKE_CROSSCOMPILING_EMULATOR}
                 --lang "${QUOTEX_REFERENCE_LANG_EXECUTABLE}" $<TARGET_FILE:quotex-lang>
                 "${QUOTEX_REFERENCE_EXECUTABLE}" $<TARGET_FILE:quotex> "${PROJECT_SOURCE_DIR}/examples"
                 "${corpus_directory}")
set_tests_properties(x86_compare PROPERTIES FIXTURES_REQUIRED x86_corpus SKIP_RETURN_CODE 77)
