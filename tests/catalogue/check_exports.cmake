# Lists the module's defined dynamic symbols and expects exactly GetFirstResourceStringLibrary.
execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed: ${errors}")
endif()
string(REGEX REPLACE "\n$" "" symbols "${symbols}")
string(REPLACE "\n" ";" lines "${symbols}")
set(names)
foreach(line ${lines})
    # "<address> <type> <name>"; an absolute version-node symbol would also be an export.
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
    list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "GetFirstResourceStringLibrary")
    message(FATAL_ERROR "expected the one export GetFirstResourceStringLibrary, found: ${names}")
endif()
message(STATUS "exports: ${names}")
