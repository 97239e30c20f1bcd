# What both Windows builds share; cmake/mingw-w64-x86_64.cmake (64-bit) and
# cmake/mingw-w64-i686.cmake (32-bit) set BT_MINGW_TRIPLET and the processor
# first.
#
# The posix thread model, since the standard library's threads and mutexes
# need it. Programs are linked statically, so an .exe needs no DLL beyond
# those Windows ships (no libstdc++, libgcc or libwinpthread beside it).
set(CMAKE_SYSTEM_NAME Windows)

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
# copies inside std::string concatenation (-Wrestrict, GCC bug 105329).
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")
