#!/usr/bin/env bash
# Prints, one a line, every command that a README shows: the lines of its
# ```sh blocks, without comments or blank lines. What it prints is what the
# test suite and CI check or run, so that no command shown goes stale.
#
#   scripts/readme-commands.sh [README.md]
set -euo pipefail

awk '
  /^```/ { if (inside) { inside = 0 } else if ($0 ~ /^```sh[[:space:]]*$/) { inside = 1 }; next }
  inside {
    line = $0
    sub(/[[:space:]]+#.*$/, "", line)
    sub(/^[[:space:]]+/, "", line)
    sub(/[[:space:]]+$/, "", line)
    if (line != "" && line !~ /^#/) print line
  }
' "${1:-$(dirname "$0")/../README.md}"
