# The module players get: built with the Win32 thread model, so it carries no
# POSIX threads layer (which sets up per-thread state that outlives the module).
set(mingw_thread_model win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
