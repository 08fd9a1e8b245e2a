# kt_add_test(NAME <name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per test folder; every TEST becomes its own CTest case.
function(kt_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kt_options GTest::gtest GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
    if(CMAKE_CROSSCOMPILING)
        # A cross-built program cannot be asked for its tests here; it runs whole, where it can run.
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    else()
        gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# kt_glob_sources(<var> <dir>): the .cpp files of one source folder, re-globbed on every build.
function(kt_glob_sources var dir)
    file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp)
    set(${var} ${files} PARENT_SCOPE)
endfunction()
