# What `cmake --install <build> --prefix P` puts under P:
#   bin/ktcat
#   lib/libktcatalogue_de.so -> .so.1 -> .so.1.0      the module (lib/ktcatalogue_de.dll on Windows)
#   <libdir>/libkttext.a, libktcatalogue_host.a       the text library and the host library
#   include/ktcatalogue/{text,host,platform}/         their headers and the project headers those include;
#                                                     include/ktcatalogue is the folder users put on the
#                                                     include path, so "text/text.h" reads as in the sources
#   <libdir>/cmake/ktcatalogue/                       find_package(ktcatalogue CONFIG): ktcatalogue::text,
#                                                     ktcatalogue::host, ktcatalogue::ktcat,
#                                                     ktcatalogue::module, ktcatalogue_MODULE (its path)
#   <libdir>/pkgconfig/kttext.pc, ktcatalogue.pc      the text library; the host library (requires kttext)
#   share/man/man1/ktcat.1                            ktcat's manual page (native builds)
# <libdir> is GNUInstallDirs' library folder, usually lib. Nothing names the prefix itself, so the
# installed tree may be moved as a whole.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Hosts look for the module in ../lib beside their own folder (CatalogueModule::DefaultPath), so the module
# goes to lib/ whatever the system calls its library folder.
set(KT_INSTALL_MODULE_DIR lib)
if(WIN32)
    set(KT_INSTALL_MODULE_FILE ${KT_INSTALL_MODULE_DIR}/ktcatalogue_de.dll)
else()
    set(KT_INSTALL_MODULE_FILE ${KT_INSTALL_MODULE_DIR}/libktcatalogue_de.so)
endif()
set(KT_INSTALL_PROGRAM_FILE ${CMAKE_INSTALL_BINDIR}/ktcat${CMAKE_EXECUTABLE_SUFFIX})
set(KT_INSTALL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ktcatalogue)
# The headers keep the source tree's layout below a folder of the project's own, so that "text/", "host/"
# and "platform/" do not land at the top of a shared include folder such as /usr/include.
set(KT_INSTALL_HEADER_DIR ${CMAKE_INSTALL_INCLUDEDIR}/ktcatalogue)

install(TARGETS ktcat RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ktcatalogue_de LIBRARY DESTINATION ${KT_INSTALL_MODULE_DIR})
install(TARGETS kttext ktcatalogue_host EXPORT ktcatalogueTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${KT_INSTALL_HEADER_DIR})

# kt_header_closure(<var> <headers...>): the given headers (paths relative to the source folder) and every
# project header they include, directly or through others, both branches of an #if alike. An include names
# a path from the source folder or, for a sibling header, from the including header's folder.
function(kt_header_closure var)
    set(pending ${ARGN})
    set(closure)
    while(pending)
        list(POP_FRONT pending header)
        if(header IN_LIST closure)
            continue()
        endif()
        list(APPEND closure ${header})
        get_filename_component(folder ${header} DIRECTORY)
        file(STRINGS ${PROJECT_SOURCE_DIR}/${header} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
            if(EXISTS ${PROJECT_SOURCE_DIR}/${included})
                list(APPEND pending ${included})
            elseif(EXISTS ${PROJECT_SOURCE_DIR}/${folder}/${included})
                cmake_path(SET sibling NORMALIZE ${folder}/${included})
                list(APPEND pending ${sibling})
            endif()
        endforeach()
    endwhile()
    set(${var} ${closure} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE kt_public_headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/text/*.h ${PROJECT_SOURCE_DIR}/host/*.h)
kt_header_closure(kt_public_headers ${kt_public_headers} platform/platform.h)
if(WIN32)  # the other system's branch of the platform layer stays out
    list(FILTER kt_public_headers EXCLUDE REGEX "^platform/posix/")
else()
    list(FILTER kt_public_headers EXCLUDE REGEX "^platform/windows/")
endif()
foreach(header ${kt_public_headers})
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${KT_INSTALL_HEADER_DIR}/${folder})
endforeach()

# The CMake package.
install(EXPORT ktcatalogueTargets NAMESPACE ktcatalogue:: DESTINATION ${KT_INSTALL_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ktcatalogueConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/ktcatalogueConfig.cmake
                              INSTALL_DESTINATION ${KT_INSTALL_PACKAGE_DIR}
                              PATH_VARS KT_INSTALL_MODULE_FILE KT_INSTALL_PROGRAM_FILE)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ktcatalogueConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ktcatalogueConfig.cmake ${PROJECT_BINARY_DIR}/ktcatalogueConfigVersion.cmake
        DESTINATION ${KT_INSTALL_PACKAGE_DIR})

# The pkg-config files find the prefix from their own place, so that they hold wherever the tree is
# installed. Their Cflags are all a compiler needs: the include folder, the language standard (g++ and
# clang both take -std=c++20; a later -std on the command line overrides it) and the library's own
# definitions.
file(RELATIVE_PATH KT_PC_PREFIX_FROM_PCFILEDIR /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KT_PC_PREFIX_FROM_PCFILEDIR ${KT_PC_PREFIX_FROM_PCFILEDIR})
list(TRANSFORM CMAKE_DL_LIBS PREPEND -l OUTPUT_VARIABLE KT_PC_SYSTEM_LIBS)
list(JOIN KT_PC_SYSTEM_LIBS " " KT_PC_SYSTEM_LIBS)
set(KT_PC_DEFINES)
if(KT_ENABLE_ASSERTS)
    set(KT_PC_DEFINES " -DKT_ENABLE_ASSERTS")
endif()
foreach(package kttext ktcatalogue)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${package}.pc.in ${PROJECT_BINARY_DIR}/${package}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${package}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

if(TARGET ktcat_man_page)
    get_target_property(kt_man_page ktcat_man_page KT_MAN_PAGE)
    install(FILES ${kt_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
