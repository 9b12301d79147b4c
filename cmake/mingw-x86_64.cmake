# Cross toolchain: 64-bit Windows with MinGW-w64. The product is the 32-bit build;
# this one exists so the Windows tests can run under 64-bit-only Wine (machines
# whose kernel cannot execute 32-bit Linux programs, such as our CI).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QV_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
