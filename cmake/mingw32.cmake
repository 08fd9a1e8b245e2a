# Cross-compiling for 32-bit Windows on x86 with Debian's MinGW-w64 (package g++-mingw-w64-i686).
set(KT_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# Double arithmetic in SSE2 registers, as Windows compilers do for x86: the x87 unit's wider registers
# would round some formatted numbers differently.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
