#!/usr/bin/env bash
# Starts BackupTarvel from a build folder (make run):  scripts/run.sh BUILD_DIR
#
# With a display (DISPLAY or WAYLAND_DISPLAY) the program simply runs there.
# Without one it is started on a virtual screen (Xvfb): the script waits for
# its window, saves a screenshot of it, ends the program and prints where the
# picture is.
set -euo pipefail

build="${1:-build}"
program="$build/BackupTarvel"
title='Aplicativo de Backup do Tarvel 2.0'

if [ ! -x "$program" ]; then
  echo "run.sh: $program não existe; compile primeiro (make build)" >&2
  exit 1
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi

for tool in Xvfb xdotool xwd xwdtopnm pnmtopng; do
  if ! command -v "$tool" >/dev/null; then
    echo "run.sh: falta o programa $tool (scripts/install-deps.sh o instala)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
xvfb=
app=
cleanup() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to fd 3, so that two
# runs at once never race for the same one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp \
  3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "run.sh: o Xvfb não iniciou:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  sleep 0.05
done
display=":$(head -n1 "$work/display")"
export DISPLAY="$display"

"$program" >"$work/program.log" 2>&1 &
app=$!

if ! window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -n1) ||
   [ -z "$window" ]; then
  echo "run.sh: a janela do BackupTarvel não apareceu" >&2
  if ! kill -0 "$app" 2>/dev/null; then
    wait "$app" && status=0 || status=$?
    app=
    echo "run.sh: o programa terminou com o código $status" >&2
  fi
  cat "$work/program.log" >&2
  exit 1
fi
sleep 1  # the window's first paint

shot="$(cd "$build" && pwd)/run-screenshot.png"
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$shot"
echo "BackupTarvel abriu sua janela na tela virtual $display."
echo "Captura de tela: $shot"
