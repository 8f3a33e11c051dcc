# Cross-build for 32-bit Windows with Debian's mingw-w64 (win32 threads).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELLUMTRACE_MINGW_TRIPLET i686-w64-mingw32)
set(VELLUMTRACE_STDOLE2_DIRS /usr/lib/i386-linux-gnu/wine/i386-windows)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
