#!/usr/bin/env bash
# The Windows zips as a user unpacks them: the executable byte for byte and
# a LEIA-ME that Notepad shows (UTF-8 with its mark, CRLF); no zip and a
# clear note without the Windows build; a refusal for an executable of
# another processor than the zip's name promises (win64: x86-64, win32: x86).
#
#   windows_zip_test.sh PATH/TO/windows_zip.cmake PATH/TO/LEIA-ME.txt
set -euo pipefail

script=${1:?usage: $0 windows_zip.cmake LEIA-ME.txt}
leia_me=${2:?}
work=$(mktemp -d "${TMPDIR:-/tmp}/bt-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { printf 'FAILED: %s\n' "$*" >&2; exit 1; }

# The smallest file that reads as a Windows program: "MZ", the PE header's
# place at 0x3C, then "PE\0\0" and the machine (x86-64 0x8664, x86 0x014c).
fake_exe() {
  local path=$1 machine=$2
  {
    printf 'MZ'
    head -c 58 /dev/zero
    printf '\x40\x00\x00\x00'
    printf 'PE\x00\x00%b' "$machine"
    head -c 300 /dev/urandom
  } >"$path"
}
pack() { cmake -DEXE="$1" -DARCH="${2:-win64}" -DLEIA_ME="$leia_me" -DZIP="$work/out/BackupTarvel.zip" -P "$script"; }
mkdir -p "$work/out"

# No Windows build: nothing made, and the output says so.
output=$(pack "$work/missing.exe" 2>&1) || fail "a missing executable made the packing fail: $output"
grep -q 'Skipped BackupTarvel.zip' <<<"$output" || fail "the skip was not said: $output"
[ ! -e "$work/out/BackupTarvel.zip" ] || fail "a zip was made without the executable"

# A program for the other processor is refused, either way.
fake_exe "$work/x86.exe" '\x4c\x01'
fake_exe "$work/x64.exe" '\x64\x86'
if output=$(pack "$work/x86.exe" win64 2>&1); then fail "a 32-bit program was packed as win64"; fi
grep -q 'not a 64-bit' <<<"$output" || fail "the refusal does not say why: $output"
if output=$(pack "$work/x64.exe" win32 2>&1); then fail "a 64-bit program was packed as win32"; fi
grep -q 'not a 32-bit' <<<"$output" || fail "the refusal does not say why: $output"
[ ! -e "$work/out/BackupTarvel.zip" ] || fail "a zip was made of a program for the other processor"

# A 32-bit program is packed as win32.
pack "$work/x86.exe" win32 >/dev/null
[ -e "$work/out/BackupTarvel.zip" ] || fail "no win32 zip was made of a 32-bit program"
rm "$work/out/BackupTarvel.zip"

# A 64-bit program is packed with the LEIA-ME.
pack "$work/x64.exe" win64 >/dev/null
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$work/out/BackupTarvel.zip")
[ "$(cd "$work/unpacked" && find . -type f | sort | tr '\n' ' ')" = "./BackupTarvel.exe ./LEIA-ME.txt " ] ||
  fail "the zip holds: $(cd "$work/unpacked" && find . -type f)"
cmp -s "$work/x64.exe" "$work/unpacked/BackupTarvel.exe" || fail "the executable changed in the zip"
text="$work/unpacked/LEIA-ME.txt"
[ "$(head -c 3 "$text" | od -An -tx1 | tr -d ' ')" = "efbbbf" ] || fail "the LEIA-ME has no UTF-8 mark"
lines=$(wc -l <"$text")
[ "$(grep -c $'\r$' "$text")" = "$lines" ] || fail "not every line of the LEIA-ME ends in CRLF"
tail -c +4 "$text" | tr -d '\r' | cmp -s - "$leia_me" || fail "the LEIA-ME's words changed in the zip"
echo "windows zip: passed"
