# Cross-build of the same component for 64-bit Windows. Only the Wine tests
# use it, on kernels that cannot run 32-bit programs (and so no 32-bit
# Wine); the shipped DLL is the 32-bit one (i686-w64-mingw32.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELLUMTRACE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELLUMTRACE_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${VELLUMTRACE_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${VELLUMTRACE_MINGW_TRIPLET}-windres)
set(VELLUMTRACE_WIDL ${VELLUMTRACE_MINGW_TRIPLET}-widl)

# stdole2.tlb, imported by our type library, comes with Wine's 64-bit DLLs.
set(VELLUMTRACE_STDOLE2_DIRS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)

set(CMAKE_FIND_ROOT_PATH /usr/${VELLUMTRACE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
