# Cross-compiles for 64-bit Windows with the posix-thread MinGW-w64 compilers:
# the 64-bit tests and benchmarks (GoogleTest needs std::mutex, which the
# win32-thread ones lack).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARNEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
