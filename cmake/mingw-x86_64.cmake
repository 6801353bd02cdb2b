# Cross-compiles the Windows program and its test suites for 64-bit Windows
# with MinGW-w64, the same way as mingw-i686.cmake. Gyrobloom.scr ships as a
# 32-bit program; this build exists for the tests under Wine on machines
# that cannot run 32-bit code (tools/test-windows.sh).
set(GYROBLOOM_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
