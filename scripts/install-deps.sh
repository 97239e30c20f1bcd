#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run.
# A machine that has them all does no apt-get at all.
set -euo pipefail

packages=(
  g++ make cmake ninja-build
  libgtest-dev libgmock-dev
  qt6-base-dev libgl-dev libxcb1-dev pkg-config
  xvfb xauth xdotool x11-apps x11-utils fonts-dejavu-core
  fonts-liberation2 netpbm
  xclip libfaketime
  rsync time xfsprogs
  exfatprogs exfat-fuse
  clang libclang-rt-14-dev valgrind
  dpkg-dev file desktop-file-utils appstream appstream-compose debootstrap lintian
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine64 fonts-wine python3-pefile
  googletest
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg -s "$p" >/dev/null 2>&1; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
else
  sudo=
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
