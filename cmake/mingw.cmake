# What the MinGW-w64 toolchain files share: included by mingw-i686.cmake and
# mingw-x86_64.cmake after they set GYROBLOOM_MINGW_TARGET (the compilers'
# prefix) and CMAKE_SYSTEM_PROCESSOR. The posix thread model (std::thread
# and std::mutex), everything linked statically.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${GYROBLOOM_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GYROBLOOM_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${GYROBLOOM_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GYROBLOOM_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
