# Cross toolchain: 32-bit Windows with MinGW-w64 (posix threads, which GoogleTest needs).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QV_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
