# Extra CTest tests beside the per-area GoogleTest programs.

# The committed Unicode tables must be exactly what tools/unicode/generate.py writes from the Unicode 6.0
# data; skipped (exit code 77) where the data folder is not beside the checkout.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
    add_test(NAME unicode_tables_match_data
             COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/unicode/generate.py
                     --ucd ${PROJECT_SOURCE_DIR}/../shared/ucd-6.0.0
                     --out ${CMAKE_CURRENT_BINARY_DIR}/unicode_regenerated
                     --compare ${PROJECT_SOURCE_DIR}/text/regex/generated)
    set_tests_properties(unicode_tables_match_data PROPERTIES SKIP_RETURN_CODE 77)
endif()
