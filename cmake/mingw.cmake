# Cross-compiling for Windows with Debian's MinGW-w64, shared by cmake/mingw32.cmake and cmake/mingw64.cmake,
# which set KT_MINGW_PREFIX (the compilers' target triplet) and CMAKE_SYSTEM_PROCESSOR first.
# The -posix flavour of the compiler implements the standard library's threads and mutexes over
# winpthreads. The C++ run-time, libgcc and winpthreads are linked statically, so the DLL and the
# programs need nothing but the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KT_MINGW_PREFIX}-windres)

# Libraries and headers come from the MinGW tree only, never from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
