# Cross-compiles the shipped binaries for 32-bit Windows with the win32-thread
# MinGW-w64 compilers. With the posix-thread ones libstdc++ brings in the
# static winpthreads library, which imports functions Windows 95 and NT 4.0
# do not export (GetTickCount64, AddVectoredExceptionHandler,
# TryEnterCriticalSection...), and a program with such an import does not
# start there at all.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
