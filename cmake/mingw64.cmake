# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64-posix).
# x86-64 does its double arithmetic in SSE2 registers already.
set(KT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# CTest runs the built programs under a 64-bit wine (package wine64), which needs no 32-bit support from
# the kernel. Debian keeps the 64-bit loader out of PATH, in /usr/lib/wine; newer wines call it wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(KT_WINE64 NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
    if(KT_WINE64)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${KT_WINE64})
    endif()
endif()
