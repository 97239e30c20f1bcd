#!/usr/bin/env bash
# The Debian package as Debian's own checker sees it: made from this build
# (cpack, as make package does) into a folder of its own, and passed by
# lintian with neither an error nor a warning.
#
#   lintian_test.sh BUILD_FOLDER
set -euo pipefail
build=${1:?usage: $0 BUILD_FOLDER}
work=$(mktemp -d "${TMPDIR:-/tmp}/bt-lintian.XXXXXX")
trap 'rm -rf "$work"' EXIT

command -v lintian >/dev/null || { echo "lintian is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
(cd "$build" && cpack -G DEB -B "$work" -D CPACK_OUTPUT_FILE_PREFIX="$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
deb=$(find "$work" -maxdepth 1 -name 'backuptarvel_*.deb' | head -n1)
[ -n "$deb" ] || { echo "cpack made no package" >&2; exit 1; }
# lintian warns that it runs as root (CI does); that says nothing of the package.
lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error,warning "$deb" >/dev/null 2>&1
echo "lintian: passed"
