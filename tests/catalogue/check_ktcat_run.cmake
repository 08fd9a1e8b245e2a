# A Windows program's standard output is in text mode: each LF it writes arrives as CR LF, which
# execute_process drops from its output variables but not from an OUTPUT_FILE.
if(KTCAT MATCHES "\\.exe$")
    set(STDOUT_EOL --ignore-eol)
endif()
# A cross-built ktcat runs under EMULATOR (its program and arguments), where one is given.
if(EMULATOR)
    set(KTCAT ${EMULATOR} ${KTCAT})
endif()

# expect_run(code stdout-regex stderr-regex args...): runs ktcat (${KTCAT}) and checks its exit code and both
# outputs. Shared by the check_ktcat*.cmake scripts. KTCAT_RUN_OPTIONS, when set, is passed to
# execute_process as well (e.g. WORKING_DIRECTORY, OUTPUT_FILE).
function(expect_run expected_code expected_out expected_err)
    execute_process(COMMAND ${KTCAT} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code
                    ${KTCAT_RUN_OPTIONS})
    if(NOT code EQUAL expected_code)
        message(FATAL_ERROR "ktcat ${ARGN}: exit code ${code}, expected ${expected_code}\n${out}${err}")
    endif()
    if(NOT out MATCHES "${expected_out}")
        message(FATAL_ERROR "ktcat ${ARGN}: stdout does not match '${expected_out}':\n${out}")
    endif()
    if(NOT err MATCHES "${expected_err}")
        message(FATAL_ERROR "ktcat ${ARGN}: stderr does not match '${expected_err}':\n${err}")
    endif()
endfunction()

# The catalogues' names in start-up order and their number, read from the module's one list
# (${SOURCE_DIR}/catalogues/catalogue_list.h).
file(READ ${SOURCE_DIR}/catalogues/catalogue_list.h catalogue_list)
string(REGEX MATCHALL "\n +X\\([A-Za-z]+, \"[^\"]+\"\\)" catalogue_entries "${catalogue_list}")
set(CATALOGUE_NAMES)
foreach(entry IN LISTS catalogue_entries)
    string(REGEX REPLACE "^\n +X\\([A-Za-z]+, \"([^\"]+)\"\\)$" "\\1" name "${entry}")
    list(APPEND CATALOGUE_NAMES ${name})
endforeach()
list(LENGTH CATALOGUE_NAMES CATALOGUE_COUNT)
if(CATALOGUE_COUNT EQUAL 0)
    message(FATAL_ERROR "no catalogues found in ${SOURCE_DIR}/catalogues/catalogue_list.h")
endif()
