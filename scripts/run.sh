#!/usr/bin/env bash
# Starts BackupTarvel from a build folder (make run):  scripts/run.sh BUILD_DIR
#
# When no Wine prefix holds Tarvel 2.0 (and only then), a sample
# installation is laid in BUILD_DIR/sample-prefix and the program works in
# it, started in its C:\Copias, so that a first run shows it at work.
#
# With a display (DISPLAY or WAYLAND_DISPLAY) the program simply runs there.
# Without one it is started on a virtual screen (Xvfb): the script waits for
# its window and saves a screenshot of it; on the sample it also makes one
# backup through the window and saves the success box's picture beside it;
# then it ends the program and prints where the pictures are.
set -euo pipefail

build="${1:-build}"
[ -d "$build" ] || { echo "run.sh: a pasta $build não existe; compile primeiro (make build)" >&2; exit 1; }
build=$(cd "$build" && pwd)
program="$build/BackupTarvel"
title='Aplicativo de Backup do Tarvel 2.0'
scripts=$(cd "$(dirname "$0")" && pwd)

if [ ! -x "$program" ]; then
  echo "run.sh: $program não existe; compile primeiro (make build)" >&2
  exit 1
fi

sample=
if ! "$build/bt_tarvel_prefix" >/dev/null; then
  sample=$build/sample-prefix
  "$scripts/sample-installation.sh" "$sample"
  export WINEPREFIX="$sample"
  echo "Nenhum prefixo do Wine tem o Tarvel 2.0 instalado: foi preparada uma instalação de exemplo"
  echo "em $sample (C:\\Tarvel, com backups em C:\\Copias), e o programa vai usá-la."
  cd "$sample/drive_c/Copias"
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

# The visible window titled $1, waited for up to $2 seconds; fails when none
# came.
window_titled() {
  local found
  found=$(timeout "$2" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n1) && [ -n "$found" ] &&
    echo "$found"
}
# A picture of the window $1, after its first paint, in the file $2.
capture() {
  sleep 1
  xwd -silent -id "$1" | xwdtopnm 2>/dev/null | pnmtopng >"$2"
}

if ! window=$(window_titled "$title" 30); then
  echo "run.sh: a janela do BackupTarvel não apareceu" >&2
  if ! kill -0 "$app" 2>/dev/null; then
    wait "$app" && status=0 || status=$?
    app=
    echo "run.sh: o programa terminou com o código $status" >&2
  fi
  cat "$work/program.log" >&2
  exit 1
fi

shot="$build/run-screenshot.png"
capture "$window" "$shot"
echo "BackupTarvel abriu sua janela na tela virtual $display."
echo "Captura de tela: $shot"
[ -n "$sample" ] || exit 0

# On the sample, Fazer backup as a person at the keyboard presses it: the
# focus starts on the drive list, and two Tabs reach the button.
sets_before=$(ls "$sample/drive_c/Copias")
timeout 5 xdotool windowfocus --sync "$window"
xdotool key --delay 40 Tab Tab space
if ! box=$(window_titled 'Operação concluída' 60); then
  echo "run.sh: o backup de exemplo não terminou com \"Operação concluída\"" >&2
  cat "$work/program.log" >&2
  exit 1
fi
done_shot="$build/run-backup-done.png"
capture "$box" "$done_shot"
made=$(comm -13 <(printf '%s\n' "$sets_before") <(ls "$sample/drive_c/Copias") | head -n1)
echo "Backup de exemplo feito pela janela: $sample/drive_c/Copias/$made"
echo "Captura da mensagem: $done_shot"
