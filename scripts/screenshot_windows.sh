#!/usr/bin/env bash
# Takes the Windows program's main window and its question box as PNGs in
# docs/screenshots/ (windows_*.png), from the real BackupTarvel.exe under
# Wine on a virtual screen, with a sample installation like the one of the
# Linux pictures:  scripts/screenshot_windows.sh BUILD_DIR  (make screenshots
# runs it when build-windows/BackupTarvel.exe exists).
set -euo pipefail

build="${1:-build-windows}"
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(cd "$build" && pwd)/BackupTarvel.exe"
shots="$root/docs/screenshots"
wine=/usr/lib/wine/wine64
[ -f "$program" ] || { echo "no $program: make windows first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/bt-windows-shot.XXXXXX")
prefix=$work/prefix
app=
cleanup() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
  "$root/tests/windows/wine_prefix.sh" cleanup "$prefix" || true
  rm -rf "$work"
}
trap cleanup EXIT

"$root/tests/windows/wine_prefix.sh" setup "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=":$(head -n1 "$prefix.display")"
export DISPLAY
mkdir -p "$prefix/drive_c/Tarvel" "$prefix/drive_c/Copias/20240301_093012" "$prefix/drive_c/Copias/20240305_140709"
"$wine" reg add 'HKLM\Software\KESTAL\Tarvel\2.0' /v Path /t REG_SZ /d 'C:\Tarvel' /reg:32 /f >/dev/null 2>&1

(cd "$prefix/drive_c/Copias" && exec "$wine" "$program") >"$work/program.log" 2>&1 &
app=$!
title='Aplicativo de Backup do Tarvel 2.0'
window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the window did not appear" >&2; cat "$work/program.log" >&2; exit 1; }
xdotool windowfocus --sync "$window"
sleep 0.5  # drawn once more after taking the focus

take() { xwd -id "$1" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$shots/$2"; echo "$shots/$2"; }
# The main window's client area (794 x 528 at the screen's 96 dpi), as the
# Linux picture shows it: Wine draws the frame itself around it.
take_client() {
  local geometry width height
  geometry=$(xdotool getwindowgeometry --shell "$1")
  width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
  height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
  local border=$(((width - 794) / 2))
  xwd -id "$1" -silent | xwdtopnm 2>/dev/null |
    pnmcut -left "$border" -top "$((height - 528 - border))" -width 794 -height 528 | pnmtopng >"$shots/$2"
  echo "$shots/$2"
}
take_client "$window" windows_main_window.png

# Restaurar backup asks first; the picture of that box, then Não and Sai&r.
xdotool key --delay 40 Tab Tab Tab space
box=
for _ in $(seq 100); do
  box=$(xdotool search --onlyvisible --name '^Substituir arquivos\?$' 2>/dev/null | head -n1 || true)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || { echo "the question did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$box"
sleep 0.5
take "$box" windows_message_question.png
xdotool key --delay 40 Tab space
xdotool windowfocus --sync "$window"
xdotool key alt+r
wait "$app" || true
app=
