# Cross build for 64-bit Windows with Debian's MinGW-w64 (packages
# g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64):
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The posix thread model, since the standard library's threads and mutexes
# need it. Programs are linked statically, so an .exe needs no DLL beyond
# those Windows ships (no libstdc++, libgcc or libwinpthread beside it).
# Tests and other programs that CMake runs at build or test time go through
# Wine (Debian's launcher is not on PATH).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(BT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BT_MINGW_TRIPLET}-windres)

# Headers and libraries from the MinGW-w64 tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${BT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# -O2, not CMake's -O3: at -O3 this GCC 12 warns falsely about overlapping
# copies inside std::string concatenation (-Wrestrict, GCC bug 105329), and
# the project builds with -Werror.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
