# Cross-build of the same component for 64-bit Windows: the x64 DLL that the
# installer ships beside the 32-bit one (i686-w64-mingw32.cmake) for 64-bit
# hosts, and the one the Wine suite runs where the kernel cannot run 32-bit
# programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELLUMTRACE_MINGW_TRIPLET x86_64-w64-mingw32)
set(VELLUMTRACE_STDOLE2_DIRS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
