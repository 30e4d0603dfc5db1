# Cross build for 32-bit Windows with MinGW-w64 (i686), run on Linux under Wine.
set(MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
