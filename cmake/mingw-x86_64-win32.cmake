# Cross-compiles the 64-bit shipped binaries (varnel64.dll, vlplug64.dll,
# vlload64.exe) with the win32-thread MinGW-w64 compilers, for the same
# reason as the 32-bit ones (cmake/mingw-i686-win32.cmake): nothing of
# winpthreads in what ships. Everything else is the 64-bit tests' toolchain.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64-posix.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
