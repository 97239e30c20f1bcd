#!/usr/bin/env bash
# The floors of the code and the one rule each keeps, checked on every
# include: nothing reaches up a floor, and the code that both builds share
# names no operating system or toolkit.
#
#   programs/                  the programs: entry points and resources
#   app/                       the window's logic (frmBackup, its handlers)
#   install/ copy/ backup/     the domain, written against the seam
#   ui/qt/ ui/win32/           window backends; ui/headless/ the tests' one;
#   ui/common/                 the rules every backend shares
#   testing/                   test doubles beside the seam they fake
#   platform/linux/ (wine/)    the seam on Linux, in a Wine prefix
#   platform/windows/          the seam on Windows
#   platform/                  the seam's interfaces and the code both builds share
set -uo pipefail
cd "$(dirname "$0")/../.."

failures=0
fail() {
  printf '%s\n' "$*" >&2
  failures=$((failures + 1))
}

# Files under the folders $1 (space-separated), without the folders $2.
sources() {
  local folders=$1 except=${2:-}
  # shellcheck disable=SC2086
  git ls-files -- $folders | grep -E '\.(h|cpp|inc)$' |
    { if [ -n "$except" ]; then grep -v -E "^($except)"; else cat; fi; }
}

# Quoted includes of the files given on stdin that start with one of the
# prefixes $1 (a regular expression), each as "file: include".
includes_of() {
  while read -r file; do
    grep -H -o -E '^#include "('"$1"')[^"]*"' "$file"
  done
}

forbid() {
  local what=$1 files=$2 pattern=$3 found
  found=$(printf '%s\n' "$files" | grep -v '^$' | includes_of "$pattern")
  [ -z "$found" ] || fail "$what:"$'\n'"$found"
}

# A standard C++ header has neither an extension nor a folder; anything
# else in angle brackets (<windows.h>, <sys/stat.h>, <QWidget>) belongs to a
# system or a toolkit.
forbid_system_headers() {
  local what=$1 files=$2 found
  found=$(printf '%s\n' "$files" | grep -v '^$' | while read -r file; do
    grep -H -E '^#include <([^>]*[./][^>]*|Q[^>]*)>' "$file"
  done)
  [ -z "$found" ] || fail "$what:"$'\n'"$found"
}

ground=$(git ls-files -- 'platform/*.h' 'platform/*.cpp' 'platform/*.inc' | grep -v -E '^platform/(linux|windows)/')
forbid 'platform/ reaches up' "$(sources platform)" 'ui/|app/|programs/|testing/|install/|copy/|backup/|tools/|tests/'
forbid "the seam reaches into an implementation" "$ground" 'platform/linux/|platform/windows/'
forbid_system_headers 'the seam names a system or toolkit' "$ground"
forbid 'the Linux layer reaches into the Windows one' "$(sources platform/linux)" 'platform/windows/'
forbid 'the Windows layer reaches into the Linux one' "$(sources platform/windows)" 'platform/linux/'

domain=$(sources 'install copy backup app')
forbid 'the domain reaches past the seam' "$domain" 'platform/linux/|platform/windows/|ui/|programs/|testing/|tools/'
forbid_system_headers 'the domain names a system or toolkit' "$domain"
forbid 'the domain reaches up to the window' "$(sources 'install copy backup')" 'app/'

forbid 'a window backend reaches past the seam' "$(sources ui)" 'platform/linux/|platform/windows/|app/|programs/|testing/'
forbid_system_headers 'the backends share a system or toolkit' "$(sources ui/common)"
forbid 'ui/common reaches into a backend' "$(sources ui/common)" 'ui/qt/|ui/win32/|ui/headless/'
forbid 'a test double reaches up' "$(sources testing)" 'app/|programs/|install/|copy/|backup/'

if [ "$failures" -ne 0 ]; then
  echo "$failures floor rules broken" >&2
  exit 1
fi
echo "every include goes down a floor"
