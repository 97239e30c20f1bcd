#!/usr/bin/env bash
# Runs one cross-built test program under Wine, in the run's private prefix:
# one Wine process for all of its test cases.
set -euo pipefail
program=$1
shift
export WINEPREFIX=${BT_WINE_PREFIX:?the prefix made by wine_prefix.sh}
export WINEDEBUG=-all
# The run's virtual screen, on which the prefix's desktop lives.
if [ -s "$WINEPREFIX.display" ]; then export DISPLAY=":$(head -n1 "$WINEPREFIX.display")"; fi
export WINEDLLOVERRIDES="mscoree,mshtml="
# Tells the registry tests that this registry is theirs to write.
export BT_PRIVATE_WINE_PREFIX=1
exec /usr/lib/wine/wine64 "$program" --gtest_brief=1 "$@"
