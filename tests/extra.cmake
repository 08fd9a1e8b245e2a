# Extra CTest tests beside the per-area GoogleTest programs.

# The committed Unicode tables must be exactly what tools/unicode/generate.py writes from the Unicode 6.0
# data (KT_UCD_DIR); skipped (exit code 77) when the data folder is not given or not there.
# (Python is run by its path: CTest would put a cross build's emulator before the imported target.)
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
    add_test(NAME unicode_tables_match_data
             COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/unicode/generate.py
                     --ucd "${KT_UCD_DIR}"
                     --out ${CMAKE_CURRENT_BINARY_DIR}/unicode_regenerated
                     --compare ${PROJECT_SOURCE_DIR}/text/unicode/generated)
    set_tests_properties(unicode_tables_match_data PROPERTIES SKIP_RETURN_CODE 77)
    # The library's folders include each other in one direction only.
    add_test(NAME include_directions
             COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/check-include-directions ${PROJECT_SOURCE_DIR})
    # tools/code-size where git knows no checkout (as in an exported tree) counts the files on disk.
    add_test(NAME code_size_outside_a_checkout
             COMMAND ${CMAKE_COMMAND} -E env GIT_DIR=${CMAKE_CURRENT_BINARY_DIR}/no-repository
                     ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/code-size)
    set_tests_properties(code_size_outside_a_checkout PROPERTIES
                         PASS_REGULAR_EXPRESSION "all code: tests and fuzz harnesses [1-9][0-9]* of [1-9][0-9]* lines"
                         FAIL_REGULAR_EXPRESSION "Traceback")
endif()

# --- catalogue module -----------------------------------------------------------------------------------
if(TARGET test_catalogue)
    # The probe module: the catalogue module plus two exports that let a test watch its unload.
    add_library(ktcatalogue_probe MODULE
        ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/probe/probe_module.cpp
        ${PROJECT_SOURCE_DIR}/module/module_entry.cpp)
    target_link_libraries(ktcatalogue_probe PRIVATE ktcatalogue_framework ktcatalogues ktcatalogue_startup kttext
                                                kt_options)
    kt_module_code(ktcatalogue_probe)
    kt_module_exports(ktcatalogue_probe ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/probe/probe.map
                      ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/probe/probe.def)

    add_dependencies(test_catalogue ktcatalogue_de ktcatalogue_probe)
    target_compile_definitions(test_catalogue PRIVATE
        KT_CATALOGUE_MODULE="$<TARGET_FILE:ktcatalogue_de>"
        KT_CATALOGUE_PROBE_MODULE="$<TARGET_FILE:ktcatalogue_probe>")

    # The module exports exactly one symbol (the Windows DLL's exports are checked by
    # tools/check-dll-exports).
    if(NOT WIN32)
        add_test(NAME catalogue_module_exports_one_symbol
            COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DMODULE=$<TARGET_FILE:ktcatalogue_de>
                    -P ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/check_exports.cmake)
    endif()

    # A cross build runs ktcat under the emulator (the scripts put EMULATOR before it).
    string(REPLACE ";" "$<SEMICOLON>" ktcat_emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")

    # ktcat as a user runs it: found module, listing, one entry, and the failures.
    set(ktcat_check ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/check_ktcat.cmake)
    foreach(case list show_entry show_catalogue unknown_catalogue unknown_key unknown_index usage)
        add_test(NAME ktcat_${case}
            COMMAND ${CMAKE_COMMAND} -DKTCAT=$<TARGET_FILE:ktcat> -DEMULATOR=${ktcat_emulator}
                    -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DCASE=${case}
                    -P ${ktcat_check})
    endforeach()

    # ktcat and its files: write errors (on Linux's /dev/full), --output, damaged modules, the module path,
    # the committed reference export (tests/catalogue/reference/catalogues.json, the one copy of every
    # catalogue, key and text outside the sources: a change to any of them fails here until the reference
    # is written anew), import of PO files, reproducible exports.
    find_program(KT_CLANG_FORMAT clang-format)
    set(ktcat_file_cases output_file against import_round_trip import_changes reproducible_export)
    # Linux's /dev/full, ELF files, and POSIX paths in the messages.
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
        list(APPEND ktcat_file_cases write_errors damaged_module module_path)
    endif()
    foreach(case ${ktcat_file_cases})
        set(name ktcat_${case})
        if(case STREQUAL "against")
            set(name ktcat_check_against_reference)
        endif()
        add_test(NAME ${name}
            COMMAND ${CMAKE_COMMAND} -DKTCAT=$<TARGET_FILE:ktcat> -DEMULATOR=${ktcat_emulator}
                    -DMODULE=$<TARGET_FILE:ktcatalogue_de>
                    -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/ktcat_files_${case}
                    -DCLANG_FORMAT=${KT_CLANG_FORMAT} -DCASE=${case}
                    -P ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/check_ktcat_files.cmake)
    endforeach()
endif()

# --- Windows host ---------------------------------------------------------------------------------------
# winhost loads the DLL as a Windows program does, walks the chain, unloads it and prints "winhost: OK"
# only when every check held.
if(TARGET winhost AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME winhost_loads_the_dll COMMAND winhost $<TARGET_FILE:ktcatalogue_de>)
    set_tests_properties(winhost_loads_the_dll PROPERTIES PASS_REGULAR_EXPRESSION "(^|\n)winhost: OK\r?\n")
endif()

# The platform's UTF-8 code page against ICU's converters (ICU is linked into this test only).
find_package(ICU COMPONENTS uc)
if(ICU_FOUND)
    kt_add_test(NAME test_string_icu SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/string/icu/convert_icu_test.cpp
                LIBS ktplatform ICU::uc)
endif()

# --- ktcat: formatter, checker and writers --------------------------------------------------------------
if(TARGET test_catalogue AND TARGET ktcat)
    # The unit tests drive ktcat's checker and writers directly.
    target_link_libraries(test_catalogue PRIVATE ktcat_commands)

    foreach(case format format_findings check help options utf8_in_c_locale export_usage)
        add_test(NAME ktcat_${case}
            COMMAND ${CMAKE_COMMAND} -DKTCAT=$<TARGET_FILE:ktcat> -DEMULATOR=${ktcat_emulator}
                    -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DCASE=${case}
                    -P ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/check_ktcat_commands.cmake)
    endforeach()
    set_tests_properties(ktcat_utf8_in_c_locale PROPERTIES ENVIRONMENT "LC_ALL=C;LANG=C")

    # The exports through the tools of their formats, the import's literals through the compiler.
    find_program(KT_MSGCAT msgcat)
    find_program(KT_MSGMERGE msgmerge)
    find_program(KT_MSGFMT msgfmt)
    find_program(KT_XMLLINT xmllint)
    # They run ktcat from a script, so not in a cross build.
    set(ktcat_tool_cases)
    if(KT_MSGCAT AND KT_MSGMERGE AND KT_MSGFMT AND NOT CMAKE_CROSSCOMPILING)
        list(APPEND ktcat_tool_cases gettext_round_trip)
    endif()
    if(KT_XMLLINT AND NOT CMAKE_CROSSCOMPILING)
        list(APPEND ktcat_tool_cases xml)
    endif()
    set(kt_literals)
    if(NOT CMAKE_CROSSCOMPILING)
        set(kt_literals -DLITERALS=$<TARGET_FILE:ktcat_import_literals>)
        add_executable(ktcat_import_literals ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/literals/import_literals.cpp)
        target_link_libraries(ktcat_import_literals PRIVATE ktcat_commands kt_options)
        add_dependencies(test_catalogue ktcat_import_literals)
        list(APPEND ktcat_tool_cases import_literals)
    endif()
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
        list(APPEND ktcat_tool_cases closed_pipe)
    endif()
    # The literals are compiled as the project compiles (sanitizers and -m32 included); GCC also warns of
    # any raw bidirectional control, paired or not.
    get_directory_property(kt_literal_options COMPILE_OPTIONS)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
        list(APPEND kt_literal_options -Wbidi-chars=any)
    endif()
    string(JOIN " " kt_literal_flags ${CMAKE_CXX_FLAGS} ${kt_literal_options})
    foreach(case ${ktcat_tool_cases})
        add_test(NAME ktcat_${case}
            COMMAND ${CMAKE_COMMAND} -DKTCAT=$<TARGET_FILE:ktcat> -DMODULE=$<TARGET_FILE:ktcatalogue_de>
                    -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/ktcat_files_${case}
                    -DMSGCAT=${KT_MSGCAT} -DMSGMERGE=${KT_MSGMERGE} -DMSGFMT=${KT_MSGFMT} -DXMLLINT=${KT_XMLLINT}
                    ${kt_literals} -DCXX=${CMAKE_CXX_COMPILER}
                    "-DCXX_FLAGS=${kt_literal_flags}" -DCASE=${case}
                    -P ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/check_ktcat_files.cmake)
    endforeach()
endif()

# --- module life cycle ----------------------------------------------------------------------------------
# 1,000 loads and unloads of the module, walking the whole chain each time. Under the sanitizer presets
# LeakSanitizer watches it; in the plain build valgrind's memcheck runs it too (where valgrind is found)
# and fails on definitely or indirectly lost bytes and on any memory error.
if(TARGET ktcatalogue_de AND TARGET ktcatalogue_host AND NOT CMAKE_CROSSCOMPILING)
    add_executable(module_cycles ${CMAKE_CURRENT_SOURCE_DIR}/lifecycle/module_cycles.cpp)
    target_link_libraries(module_cycles PRIVATE ktcatalogue_host ktplatform kt_options)
    target_include_directories(module_cycles PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(module_cycles PRIVATE KT_CATALOGUE_MODULE="$<TARGET_FILE:ktcatalogue_de>")
    add_dependencies(module_cycles ktcatalogue_de)
    add_test(NAME module_load_unload_cycles COMMAND module_cycles)
    find_program(KT_VALGRIND valgrind)
    if(KT_VALGRIND AND NOT KT_SANITIZE AND CMAKE_SIZEOF_VOID_P EQUAL 8)  # not the -m32 build
        add_test(NAME module_load_unload_cycles_memcheck
                 COMMAND ${KT_VALGRIND} --tool=memcheck --error-exitcode=1 --leak-check=full
                         --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect
                         $<TARGET_FILE:module_cycles>)
    endif()
endif()

# --- install --------------------------------------------------------------------------------------------
# This build installed into a folder under the build folder and the tree moved elsewhere (install_tree);
# examples/host and a user of the text library then built against the moved tree through its CMake package
# and through its pkg-config files alone, with this build's compiler and flags (sanitizers and -m32
# included), and run beside the installed ktcat. Each consumer takes a few seconds. A cross build cannot run
# what it builds (nor write the manual page).
if(TARGET ktcat AND NOT CMAKE_CROSSCOMPILING)
    # The manual page, written from ktcat's help at build time, says what the help says.
    if(TARGET ktcat_man_page AND Python3_Interpreter_FOUND)
        get_target_property(ktcat_man_page ktcat_man_page KT_MAN_PAGE)
        add_test(NAME ktcat_man_page
                 COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/catalogue/check_ktcat_man_page.py
                         $<TARGET_FILE:ktcat> ${ktcat_man_page})
        set_tests_properties(ktcat_man_page PROPERTIES SKIP_RETURN_CODE 77)
    endif()

    get_directory_property(kt_compile_options COMPILE_OPTIONS)
    get_directory_property(kt_link_options LINK_OPTIONS)
    string(JOIN " " example_cxx_flags ${CMAKE_CXX_FLAGS} ${kt_compile_options})
    string(JOIN " " example_linker_flags ${CMAKE_EXE_LINKER_FLAGS} ${kt_link_options})
    find_program(KT_PKG_CONFIG NAMES pkg-config pkgconf)
    set(install_man_page)
    if(TARGET ktcat_man_page)
        set(install_man_page ${CMAKE_INSTALL_MANDIR}/man1/ktcat.1)
    endif()
    set(install_cases tree find_package)
    if(KT_PKG_CONFIG)
        list(APPEND install_cases pkg_config)
    endif()
    foreach(case ${install_cases})
        set(name install_consumer_${case})
        if(case STREQUAL "tree")
            set(name install_tree)
        endif()
        add_test(NAME ${name}
            COMMAND ${CMAKE_COMMAND} -DCASE=${case} -DBUILD_DIR=${PROJECT_BINARY_DIR} -DCONFIG=$<CONFIG>
                    -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/install_check
                    -DLIBDIR=${CMAKE_INSTALL_LIBDIR} -DSONAME=$<TARGET_SONAME_FILE_NAME:ktcatalogue_de>
                    -DGENERATOR=${CMAKE_GENERATOR} -DMAKE_PROGRAM=${CMAKE_MAKE_PROGRAM} -DCXX=${CMAKE_CXX_COMPILER}
                    "-DCXX_FLAGS=${example_cxx_flags}" "-DLINKER_FLAGS=${example_linker_flags}"
                    -DBUILD_TYPE=${CMAKE_BUILD_TYPE} -DREADELF=${CMAKE_READELF} -DPKG_CONFIG=${KT_PKG_CONFIG}
                    -DMAN_PAGE=${install_man_page} -P ${CMAKE_CURRENT_SOURCE_DIR}/install/check_install.cmake)
        if(case STREQUAL "tree")
            set_tests_properties(${name} PROPERTIES FIXTURES_SETUP ktcatalogue_installed)
        else()
            set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ktcatalogue_installed)
        endif()
    endforeach()
endif()
