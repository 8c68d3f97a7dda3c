# What the MinGW-w64 toolchain files share; each sets TG_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR, then includes this file.
#
# Everything is linked statically: the MinGW C and C++ runtime DLLs are not on
# a player's machine (nor in a fresh Wine prefix), so a dynamic build would not
# start at all.

set(CMAKE_SYSTEM_NAME Windows)

# The plain names follow the distribution's default thread model; nothing here
# needs std::thread, so either variant links.
find_program(CMAKE_C_COMPILER NAMES ${TG_MINGW_TRIPLET}-gcc ${TG_MINGW_TRIPLET}-gcc-win32 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TG_MINGW_TRIPLET}-g++ ${TG_MINGW_TRIPLET}-g++-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TG_MINGW_TRIPLET}-windres REQUIRED)
# ar and ranlib are found by the compiler's prefix.

# Headers and libraries come from the MinGW sysroot only; programs (the host
# tools a build runs) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TG_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
