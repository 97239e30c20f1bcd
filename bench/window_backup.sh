#!/usr/bin/env bash
# A backup as the user feels it, for make bench: the real program through
# its window on a virtual screen (Xvfb), from the key that presses "Fazer
# backup" to the "Operação concluída" box; the same program from its
# command line, from its start to its end; and cp -r && sync of the same
# installation. The three alternate, run after run.
#   bench/window_backup.sh PROGRAM AREA CORPUS RUNS [NAME]
# AREA: a folder on the file system to measure on; CORPUS: the photo tree
# of the installation; NAME: the corpus's name (the installation is kept
# between runs under AREA/installation-NAME).
# Prints one line per run: "<window seconds> <command line seconds> <cp -r && sync seconds>".
set -euo pipefail

program=$1 area=$2 photos=$3 runs=${4:-3} name=${5:-photos}
for tool in Xvfb xdotool xev stdbuf; do
  command -v "$tool" >/dev/null || { echo "window_backup.sh: $tool is missing" >&2; exit 1; }
done

root="$area/installation-$name"
prefix="$root/prefix"
install="$prefix/drive_c/Tarvel"
copias="$prefix/drive_c/Copias"
work=$(mktemp -d)
xvfb=
app=
watch=
# Each kill may find its process gone (a program that ended at its start):
# under set -e that must not end the cleanup before the screen is stopped.
cleanup() {
  [ -z "$app" ] || kill "$app" 2>/dev/null || true
  [ -z "$watch" ] || kill "$watch" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work" "$copias"
}
trap cleanup EXIT

# The installation: the corpus as its photos, a 64 MB database, the options
# file; made once and kept with the corpora.
if [ ! -f "$root/complete" ]; then
  rm -rf "$root"
  mkdir -p "$prefix/dosdevices" "$install"
  ln -s ../drive_c "$prefix/dosdevices/c:"
  printf 'WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1796736792\n"Path"="C:\\\\Tarvel"\n' \
    >"$prefix/system.reg"
  cp -r "$photos" "$install/Fotos"
  head -c 64M /dev/urandom >"$install/vendrial.mdb"
  printf '[Geral]\r\nEmpresa=Padaria\r\n' >"$install/tarvel.ini"
  sync
  touch "$root/complete"
fi

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
wait_window() {
  local found
  for _ in $(seq 4000); do
    found=$(window_named "$1")
    if [ -n "$found" ]; then echo "$found"; return 0; fi
    if [ -n "$app" ] && ! kill -0 "$app" 2>/dev/null; then
      echo "window_backup.sh: $program ended before its window \"$1\" showed" >&2
      return 1
    fi
    sleep 0.005
  done
  echo "window_backup.sh: no window \"$1\"" >&2
  return 1
}
# Watches the screen's top-level windows being mapped (the server tells;
# nothing polls, so the copy being timed shares the processors with no
# one): each map becomes a line "<time> <window id>" in $work/maps.
watch_maps() {
  : >"$work/maps"
  stdbuf -oL xev -root -event substructure 2>/dev/null | while read -r line; do
    case $line in
      MapNotify*) mapped=1 ;;
      *"window 0x"*)
        if [ "${mapped:-0}" = 1 ]; then
          id=${line#*window }
          echo "$EPOCHREALTIME ${id%%,*}" >>"$work/maps"
          mapped=0
        fi
        ;;
    esac
  done &
  watch=$!
}
# The time the window titled $1 was mapped, waiting for it.
mapped_at() {
  for _ in $(seq 12000); do
    while read -r at id; do
      [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && { echo "$at"; return 0; }
    done <"$work/maps"
    sleep 0.05
  done
  echo "window_backup.sh: no window \"$1\" mapped" >&2
  return 1
}
prepare() {
  rm -rf "$copias"
  mkdir -p "$copias"
  sync
  dd if=/dev/zero of=/dev/shm/bt-window-touch bs=64M count=24 status=none
  rm -f /dev/shm/bt-window-touch
}

# One run more than asked, the first untimed: the first start of the program
# on a new screen loads its fonts and libraries, which no later backup pays.
for run in $(seq 0 "$runs"); do
  prepare
  (cd "$copias" && exec env WINEPREFIX="$prefix" HOME="$work" "$program") >/dev/null 2>&1 &
  app=$!
  main=$(wait_window 'Aplicativo de Backup do Tarvel 2.0')
  xdotool windowfocus --sync "$main"
  # Tick "Incluir fotos e opções..." and come back to "Fazer backup".
  xdotool key --delay 30 Tab Tab Tab Tab space shift+Tab shift+Tab
  watch_maps
  sleep 0.2  # the watch is listening before the key goes
  t0=$EPOCHREALTIME
  xdotool key space
  t1=$(mapped_at 'Operação concluída')
  kill "$watch" 2>/dev/null || true
  watch=
  box=$(window_named 'Operação concluída')
  xdotool windowfocus --sync "$box" key Return
  xdotool windowfocus --sync "$main" key alt+r
  wait "$app" 2>/dev/null || true
  app=

  prepare
  l0=$EPOCHREALTIME
  (cd "$copias" && exec env -u DISPLAY WINEPREFIX="$prefix" HOME="$work" "$program" --backup 'C:\Copias' --fotos) >/dev/null
  l1=$EPOCHREALTIME

  prepare
  c0=$EPOCHREALTIME
  cp -r "$install" "$copias/copia" && sync
  c1=$EPOCHREALTIME
  [ "$run" -eq 0 ] && continue
  awk -v a="$t0" -v b="$t1" -v l="$l0" -v m="$l1" -v c="$c0" -v d="$c1" \
    'BEGIN { printf "%.3f %.3f %.3f\n", b - a, m - l, d - c }'
done
