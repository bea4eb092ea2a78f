# Cross build for the host's platform: 32-bit Windows, run here under Wine.
# The POSIX thread model unless a toolchain file that includes this one chose
# another (mingw-i686-module.cmake).
if(NOT mingw_thread_model)
  set(mingw_thread_model posix)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${mingw_thread_model})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${mingw_thread_model})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
