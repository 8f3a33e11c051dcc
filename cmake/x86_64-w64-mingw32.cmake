# Cross-build of the same component for 64-bit Windows. Only the Wine tests
# use it, on kernels that cannot run 32-bit programs (and so no 32-bit
# Wine); the shipped DLL is the 32-bit one (i686-w64-mingw32.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELLUMTRACE_MINGW_TRIPLET x86_64-w64-mingw32)
set(VELLUMTRACE_STDOLE2_DIRS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
