# Cross build for 64-bit Windows (test twin of the i686 build, for machines without wine32) with MinGW-w64 (x86_64), run on Linux under Wine.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
