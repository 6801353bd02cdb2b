# Cross-compiles the 32-bit Windows program on Linux with MinGW-w64: i686,
# the posix thread model (std::thread and std::mutex), everything linked
# statically, and SSE2 arithmetic so that float and double results round
# exactly as in the Linux build.
set(GYROBLOOM_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Test programs run under Wine.
find_program(GYROBLOOM_WINE wine)
if(GYROBLOOM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GYROBLOOM_WINE})
endif()
