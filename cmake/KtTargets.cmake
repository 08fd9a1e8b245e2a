# kt_add_test(NAME <name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per test folder; every TEST becomes its own CTest case.
function(kt_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kt_options GTest::gtest GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
    if(NOT CMAKE_CROSSCOMPILING)
        gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60)
    elseif(CMAKE_CROSSCOMPILING_EMULATOR)
        kt_add_emulated_test(${T_NAME})
    endif()
endfunction()

# A cross-built program cannot be asked for its tests at build time: it runs whole under the emulator
# (CTest puts CMAKE_CROSSCOMPILING_EMULATOR before it), printing its failures and its summary. Tests that
# KT_EMULATOR_EXPECTED_FAILURES lists as "<program>:<Suite.Test>" are left out of that run; each runs alone
# and passes only if it reports its own failure, so that one that passes, or no longer exists, fails.
function(kt_add_emulated_test program)
    set(expected)
    foreach(entry ${KT_EMULATOR_EXPECTED_FAILURES})
        if(entry MATCHES "^${program}:(.+)$")
            list(APPEND expected ${CMAKE_MATCH_1})
        endif()
    endforeach()
    if(NOT expected)
        add_test(NAME ${program} COMMAND ${program} --gtest_brief=1)
        return()
    endif()
    list(JOIN expected ":" excluded)
    add_test(NAME ${program} COMMAND ${program} --gtest_brief=1 --gtest_filter=-${excluded})
    foreach(test ${expected})
        string(REPLACE "." "\\." test_pattern ${test})
        add_test(NAME ${program}.${test}.fails_under_emulator COMMAND ${program} --gtest_filter=${test})
        set_tests_properties(${program}.${test}.fails_under_emulator PROPERTIES
                             PASS_REGULAR_EXPRESSION "\\[  FAILED  \\] ${test_pattern}")
    endforeach()
endfunction()

# kt_glob_sources(<var> <dir>): the .cpp files of one source folder, re-globbed on every build.
function(kt_glob_sources var dir)
    file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp)
    set(${var} ${files} PARENT_SCOPE)
endfunction()
