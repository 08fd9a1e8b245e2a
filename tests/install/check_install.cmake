# The installed package as its users meet it, in three cases (CASE):
#   tree          installs the build into ${WORK}/staged, moves that tree to ${WORK}/prefix, and checks it:
#                 every file where a user looks for it, nothing at the top of include/, no file of the
#                 package naming the folder it was installed into; writes what the consumers must print
#   find_package  builds examples/host and a user of the text library (tests/install/text_user) against
#                 the moved tree's CMake package and runs them; the user also runs ktcatalogue::ktcat on
#                 $<TARGET_FILE:ktcatalogue::module> while it builds
#   pkg_config    compiles and links both programs with nothing but the pkg-config files' flags
# Variables: BUILD_DIR, CONFIG (may be empty), SOURCE_DIR, WORK, LIBDIR (the library folder under the
# prefix), SONAME (the module's), GENERATOR, MAKE_PROGRAM, CXX, CXX_FLAGS, LINKER_FLAGS, BUILD_TYPE (this
# build's compiler and flags, which its static libraries need: -m32, a sanitizer's run-time), READELF,
# PKG_CONFIG and MAN_PAGE (the installed manual page's path under the prefix; all three optional).
set(prefix ${WORK}/prefix)
set(config_option)
if(CONFIG)
    set(config_option --config ${CONFIG})
endif()

# run(<command...>): runs a command and fails unless it succeeds; its standard output goes to run_output.
function(run)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "${ARGN}\nexit code ${code}\n${out}${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_output what expected actual)
    if(NOT actual STREQUAL expected)
        message(FATAL_ERROR "${what} printed\n${actual}\ninstead of\n${expected}")
    endif()
endfunction()

if(CASE STREQUAL "tree")
    file(REMOVE_RECURSE ${WORK})
    set(staged ${WORK}/staged)
    run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${staged} ${config_option})
    file(RENAME ${staged} ${prefix})

    foreach(file bin/ktcat lib/libktcatalogue_de.so ${LIBDIR}/libkttext.a ${LIBDIR}/libktcatalogue_host.a
                 include/ktcatalogue/text/text.h include/ktcatalogue/platform/platform.h
                 include/ktcatalogue/host/host.h include/ktcatalogue/host/host_format.h
                 ${LIBDIR}/cmake/ktcatalogue/ktcatalogueConfig.cmake ${LIBDIR}/pkgconfig/kttext.pc
                 ${LIBDIR}/pkgconfig/ktcatalogue.pc ${MAN_PAGE})
        if(NOT EXISTS ${prefix}/${file})
            message(FATAL_ERROR "${prefix}/${file} was not installed")
        endif()
    endforeach()
    file(GLOB top_of_include RELATIVE ${prefix}/include ${prefix}/include/*)
    if(NOT top_of_include STREQUAL "ktcatalogue")
        message(FATAL_ERROR "include/ holds ${top_of_include}, not the one folder ktcatalogue")
    endif()
    file(GLOB_RECURSE package_files ${prefix}/${LIBDIR}/cmake/*.cmake ${prefix}/${LIBDIR}/pkgconfig/*.pc)
    foreach(file ${package_files})
        file(READ ${file} contents)
        string(FIND "${contents}" "${staged}" at)
        if(NOT at EQUAL -1)
            message(FATAL_ERROR "${file} names the folder it was installed into, ${staged}")
        endif()
    endforeach()

    set(link "(not a link)")
    if(IS_SYMLINK ${prefix}/lib/libktcatalogue_de.so)
        file(READ_SYMLINK ${prefix}/lib/libktcatalogue_de.so link)
    endif()
    if(NOT link STREQUAL SONAME OR NOT EXISTS ${prefix}/lib/${SONAME})
        message(FATAL_ERROR "lib/libktcatalogue_de.so is ${link}, not a link to the module's SONAME ${SONAME}")
    endif()
    if(READELF)
        run(${READELF} -d ${prefix}/lib/libktcatalogue_de.so)
        if(NOT run_output MATCHES "\\(SONAME\\)[^\n]*\\[${SONAME}\\]")
            message(FATAL_ERROR "the module's SONAME is not ${SONAME}:\n${run_output}")
        endif()
    endif()

    # What the consumers must print and list, from the moved ktcat (which finds the module in ../lib).
    run(${prefix}/bin/ktcat list)
    file(WRITE ${WORK}/expected_list.txt "${run_output}")
    string(REGEX MATCHALL "\n" lines "${run_output}")
    list(LENGTH lines catalogues)
    run(${prefix}/bin/ktcat show gui 0)
    string(FIND "${run_output}" "\n" end_of_first_line)  # index and key, then the text
    math(EXPR text_start "${end_of_first_line} + 1")
    string(SUBSTRING "${run_output}" ${text_start} -1 text)
    file(WRITE ${WORK}/expected_host.txt "${catalogues} catalogues\ngui 0: ${text}")
    return()
endif()

file(READ ${WORK}/expected_host.txt expected_host)
file(READ ${WORK}/expected_list.txt expected_list)
set(expected_text_user "ÜBER matches file:///C:/a%20b\n")

if(CASE STREQUAL "find_package")
    # Built with this build's compiler and flags.
    set(configure_options -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX}
                          "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
                          -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
    if(MAKE_PROGRAM)
        list(APPEND configure_options -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM})
    endif()
    foreach(project examples/host:host_example tests/install/text_user:text_user)
        string(REPLACE ":" ";" project ${project})
        list(GET project 0 folder)
        list(GET project 1 program)
        file(REMOVE_RECURSE ${WORK}/${program})
        run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/${folder} -B ${WORK}/${program} ${configure_options})
        run(${CMAKE_COMMAND} --build ${WORK}/${program} ${config_option})
        find_program(${program} ${program} PATHS ${WORK}/${program} ${WORK}/${program}/${CONFIG}
                     NO_DEFAULT_PATH NO_CACHE REQUIRED)
    endforeach()
    run(${host_example})
    expect_output("host_example" "${expected_host}" "${run_output}")
    run(${host_example} ${prefix}/lib/${SONAME})
    expect_output("host_example ${prefix}/lib/${SONAME}" "${expected_host}" "${run_output}")
    run(${text_user})
    expect_output("text_user" "${expected_text_user}" "${run_output}")
    file(READ ${WORK}/text_user/catalogues.txt listed)
    expect_output("ktcatalogue::ktcat list, run by the text user's build" "${expected_list}" "${listed}")
elseif(CASE STREQUAL "pkg_config")
    # Nothing but the build's own flags (-m32, a sanitizer) and the packages': no -std, no -I, no -l.
    set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
    run(${PKG_CONFIG} --variable=module ktcatalogue)
    string(STRIP "${run_output}" module)
    separate_arguments(build_flags UNIX_COMMAND "${CXX_FLAGS} ${LINKER_FLAGS}")
    foreach(build kttext:tests/install/text_user/text_user.cpp:text_user
                  ktcatalogue:examples/host/host_example.cpp:host_example)
        string(REPLACE ":" ";" build ${build})
        list(GET build 0 package)
        list(GET build 1 source)
        list(GET build 2 program)
        run(${PKG_CONFIG} --cflags --libs ${package})
        separate_arguments(package_flags UNIX_COMMAND "${run_output}")
        run(${CXX} ${build_flags} -DKT_CATALOGUE_MODULE=\"${module}\" ${SOURCE_DIR}/${source} ${package_flags}
            -o ${WORK}/${program}_pkg_config)
    endforeach()
    run(${WORK}/host_example_pkg_config)
    expect_output("host_example built from ktcatalogue.pc" "${expected_host}" "${run_output}")
    run(${WORK}/text_user_pkg_config)
    expect_output("text_user built from kttext.pc" "${expected_text_user}" "${run_output}")
else()
    message(FATAL_ERROR "unknown CASE '${CASE}'")
endif()
