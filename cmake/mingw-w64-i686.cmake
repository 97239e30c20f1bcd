# Cross build for 32-bit Windows (x86) with Debian's MinGW-w64 (packages
# g++-mingw-w64-i686-posix and binutils-mingw-w64-i686), for the PCs that
# run 32-bit Windows 7 or 10:
#
#   cmake -S . -B build-windows32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
#
# No emulator: Wine runs 32-bit programs only on a kernel that runs 32-bit
# code, so this build's programs are built and examined, not run.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(BT_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
