# Checks that EXECUTABLE imports from KERNEL32 and msvcrt only, so it runs on a bare Windows
# without any runtime DLLs beside it. Run with cmake -DOBJDUMP=... -DEXECUTABLE=... -P.
execute_process(COMMAND ${OBJDUMP} -p ${EXECUTABLE} OUTPUT_VARIABLE headers
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXECUTABLE} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOLOWER)
list(REMOVE_DUPLICATES imports)
list(SORT imports)
if(NOT imports STREQUAL "kernel32.dll;msvcrt.dll")
  message(FATAL_ERROR "${EXECUTABLE} imports ${imports}; expected KERNEL32.dll and msvcrt.dll")
endif()
message(STATUS "${EXECUTABLE} imports ${imports}")
