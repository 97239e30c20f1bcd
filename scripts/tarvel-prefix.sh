#!/usr/bin/env bash
# A Wine prefix as Tarvel 2.0 leaves it, for make run and the end-to-end
# tests:  scripts/tarvel-prefix.sh PREFIX
#
# C: on the prefix's drive_c, Z: on "/", and a registry in Wine's own format
# naming C:\Tarvel as the installation folder, in the 32-bit view where the
# 32-bit Tarvel's installer writes it. Drives already there are kept.
set -euo pipefail

prefix=${1:?usage: $0 PREFIX}
mkdir -p "$prefix/dosdevices" "$prefix/drive_c"
[ -e "$prefix/dosdevices/c:" ] || ln -s ../drive_c "$prefix/dosdevices/c:"
[ -e "$prefix/dosdevices/z:" ] || ln -s / "$prefix/dosdevices/z:"

cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to REGISTRY\\Machine

#arch=win64

[Software\\Wow6432Node\\KESTAL\\Tarvel\\2.0] 1796736792
#time=1dd8718ac39b1a8
"Path"="C:\\Tarvel"
REG
