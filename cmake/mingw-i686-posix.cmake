# Cross-compiles for 32-bit Windows with the posix-thread MinGW-w64 compilers
# (GoogleTest needs std::mutex, which the win32-thread ones lack).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VARNEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
