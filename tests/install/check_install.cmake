# Installs a build into ${WORK}/prefix and checks the installed tree; builds examples/host and a user of the
# text library against the installed CMake package, and the host example once more from the pkg-config file;
# runs them and compares what they print with the installed ktcat.
# Variables: BUILD_DIR, CONFIG (may be empty), SOURCE_DIR, WORK, LIBDIR (the library folder under the
# prefix), SONAME (the module's), GENERATOR, MAKE_PROGRAM, CXX, CXX_FLAGS, LINKER_FLAGS, BUILD_TYPE (this
# build's compiler and flags, which its static libraries need: -m32, a sanitizer's run-time), READELF and
# PKG_CONFIG (both optional).
file(REMOVE_RECURSE ${WORK})
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

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} ${config_option})

# The tree: every file where a user looks for it, the module under the name hosts load, a link to the file
# its SONAME names.
foreach(file bin/ktcat lib/libktcatalogue_de.so ${LIBDIR}/libkttext.a ${LIBDIR}/libktcatalogue_host.a
             include/text/text.h include/platform/platform.h include/host/host.h include/host/host_format.h
             ${LIBDIR}/cmake/ktcatalogue/ktcatalogueConfig.cmake ${LIBDIR}/pkgconfig/ktcatalogue.pc)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "${prefix}/${file} was not installed")
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

# What the example must print, from the installed ktcat (which finds the module in ../lib by itself).
run(${prefix}/bin/ktcat list)
string(REGEX MATCHALL "\n" lines "${run_output}")
list(LENGTH lines catalogues)
run(${prefix}/bin/ktcat show gui 0)
string(FIND "${run_output}" "\n" end_of_first_line)  # index and key, then the text
math(EXPR text_start "${end_of_first_line} + 1")
string(SUBSTRING "${run_output}" ${text_start} -1 text)
set(expected "${catalogues} catalogues\ngui 0: ${text}")

# examples/host and the text library's user, built with this build's compiler and flags.
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
    run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/${folder} -B ${WORK}/${program} ${configure_options})
    run(${CMAKE_COMMAND} --build ${WORK}/${program} ${config_option})
    find_program(${program} ${program} PATHS ${WORK}/${program} ${WORK}/${program}/${CONFIG} NO_DEFAULT_PATH
                 NO_CACHE REQUIRED)
endforeach()
run(${host_example})
expect_output("host_example" "${expected}" "${run_output}")
run(${host_example} ${prefix}/lib/${SONAME})
expect_output("host_example ${prefix}/lib/${SONAME}" "${expected}" "${run_output}")
run(${text_user})
expect_output("text_user" "ÜBER matches file:///C:/a%20b\n" "${run_output}")

# The host example once more, compiled and linked with nothing but the pkg-config file's flags.
if(PKG_CONFIG)
    set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
    run(${PKG_CONFIG} --cflags --libs ktcatalogue)
    separate_arguments(package_flags UNIX_COMMAND "${run_output}")
    run(${PKG_CONFIG} --variable=module ktcatalogue)
    string(STRIP "${run_output}" module)
    separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS} ${LINKER_FLAGS}")
    run(${CXX} ${cxx_flags} -std=c++20 -DKT_CATALOGUE_MODULE=\"${module}\"
        ${SOURCE_DIR}/examples/host/host_example.cpp ${package_flags} -o ${WORK}/host_example_pkg_config)
    run(${WORK}/host_example_pkg_config)
    expect_output("host_example built from ktcatalogue.pc" "${expected}" "${run_output}")
endif()
