# Cross-compiles the shipped binaries for 32-bit Windows with the win32-thread
# MinGW-w64 compilers. With the posix-thread ones libstdc++ brings in the
# static winpthreads library, which imports functions Windows 95 and NT 4.0
# do not export (GetTickCount64, AddVectoredExceptionHandler,
# TryEnterCriticalSection...), and a program with such an import does not
# start there at all. Everything else is the tests' toolchain.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-posix.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
