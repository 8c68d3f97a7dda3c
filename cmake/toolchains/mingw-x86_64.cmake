# Cross-build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64):
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake
# The same program as the 32-bit build; it runs under a 64-bit-only Wine,
# where the 32-bit build cannot.

set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TG_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
