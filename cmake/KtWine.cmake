# Running the Windows build's programs under wine through CTest (the mingw64 preset): one wine prefix in the
# build folder, made by a setup test before any program runs, and the environment every test runs in.
set(KT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)  # wine makes the folder, not its parents
# No debug channels; no offer to install wine's Mono and Gecko, which nothing here uses.
set(KT_WINE_ENVIRONMENT "WINEPREFIX=${KT_WINE_PREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml=")

# "<program> <Suite.Test>" lines of the tests that must fail under wine (see the file).
file(STRINGS ${PROJECT_SOURCE_DIR}/tests/wine-expected-failures lines REGEX "^[^#]")
set(KT_EMULATOR_EXPECTED_FAILURES)
foreach(line ${lines})
    string(REPLACE " " ":" line ${line})
    list(APPEND KT_EMULATOR_EXPECTED_FAILURES ${line})
endforeach()

add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${KT_WINE_ENVIRONMENT}")

# Every other test of this folder runs in that prefix, once it is made.
function(kt_run_tests_under_wine)
    get_property(tests DIRECTORY PROPERTY TESTS)
    list(REMOVE_ITEM tests wine_prefix)
    set_property(TEST ${tests} APPEND PROPERTY FIXTURES_REQUIRED wine)
    set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT ${KT_WINE_ENVIRONMENT})
endfunction()
