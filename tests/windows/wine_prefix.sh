#!/usr/bin/env bash
# The private Wine prefix of one test run and its virtual screen: made once
# before the first Windows test program, shared by all of them, the
# wineserver kept alive meanwhile so that no program pays for another
# start-up.
#
#   wine_prefix.sh setup PREFIX     a fresh prefix (wineboot) and an Xvfb
#                                   screen whose number goes to PREFIX.display
#   wine_prefix.sh cleanup PREFIX   stops its wineserver and its screen
set -euo pipefail
action=$1
prefix=$2
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEPREFIX=$prefix WINEDEBUG=-all
# No installer dialogs for the .NET and HTML engines, which no test needs.
export WINEDLLOVERRIDES="mscoree,mshtml="

stop_screen() {
  if [ -f "$prefix.xvfb-pid" ]; then
    kill "$(cat "$prefix.xvfb-pid")" 2>/dev/null || true
    rm -f "$prefix.xvfb-pid" "$prefix.display"
  fi
}

case $action in
  setup)
    if [ -d "$prefix" ]; then
      "$wineserver" -k 2>/dev/null || true
      rm -rf "$prefix"
    fi
    stop_screen
    # The first free display from :90.
    display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
      display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$prefix.xvfb-pid"
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$display" ] && break
      sleep 0.1
    done
    echo "$display" >"$prefix.display"  # the number alone
    export DISPLAY=":$display"
    mkdir -p "$prefix"
    "$wine" wineboot -i >/dev/null 2>&1
    # Wineboot's own server gone first: a second one for the prefix would
    # not start (or, under load, start beside it).
    "$wineserver" -w
    # Its output away from ctest's pipes, which it would otherwise hold open
    # for as long as it lives.
    "$wineserver" -p </dev/null >/dev/null 2>&1
    # No window manager on the screen: windows Wine places itself, or each
    # window that closes waits two seconds for a manager's answer.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    ;;
  cleanup)
    "$wineserver" -k 2>/dev/null || true
    stop_screen
    ;;
  *)
    echo "usage: $0 setup|cleanup PREFIX" >&2
    exit 2
    ;;
esac
