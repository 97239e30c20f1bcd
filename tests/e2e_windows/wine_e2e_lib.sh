# shellcheck shell=bash
# shellcheck disable=SC2154  # e2e_program, e2e_app and the others: tests/e2e/e2e_lib.sh
# The end-to-end scenarios of tests/e2e/ played on the Windows program: the
# real BackupTarvel.exe under Wine, in the run's private prefix and on its
# virtual screen (tests/windows/wine_prefix.sh makes both once per run).
# Sourced by tests/e2e/e2e_lib.sh when the program is an .exe; it replaces
# the set-up, the prefix and the start of the program, and keeps the
# person at the keyboard, the boxes read through Ctrl+C and the checks on
# disk as they are.
#
# The installation is registered as the 32-bit Tarvel 2.0 registers it,
# with Wine's own reg.exe in the 32-bit view, so the program's real registry
# calls find it.

readonly wine=/usr/lib/wine/wine64
readonly tarvel_key='HKLM\Software\KESTAL\Tarvel\2.0'

e2e_setup() {
  require_tools xdotool xclip cmp
  [ -f "$e2e_program" ] || fail "no program at $e2e_program"
  [ -x "$wine" ] || fail "Wine is missing (scripts/install-deps.sh installs wine64)"
  WINEPREFIX=${BT_WINE_PREFIX:?the prefix made by tests/windows/wine_prefix.sh}
  [ -s "$WINEPREFIX.display" ] || fail "the prefix $WINEPREFIX has no virtual screen"
  DISPLAY=":$(head -n1 "$WINEPREFIX.display")"
  export WINEPREFIX DISPLAY WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset WAYLAND_DISPLAY
  e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/bt-e2e-windows.XXXXXX")
  trap e2e_windows_cleanup EXIT
}

# What the scenario left in the shared prefix goes with it.
e2e_windows_cleanup() {
  local status=$?
  if [ -n "$e2e_app" ]; then kill "$e2e_app" 2>/dev/null || true; fi
  local launched
  for launched in "${e2e_launched[@]}"; do kill "$launched" 2>/dev/null || true; done
  if [ -n "${install:-}" ]; then rm -rf "$install" "$copias"; fi
  "$wine" reg delete "$tarvel_key" /reg:32 /f >/dev/null 2>&1 || true
  (exit "$status")
  e2e_cleanup
}

# C:\Tarvel as the installation folder, registered in the 32-bit view, and
# an empty C:\Copias. Sets $prefix, $drive_c, $install and $copias.
make_prefix() {
  prefix=$WINEPREFIX
  drive_c=$prefix/drive_c
  install=$drive_c/Tarvel
  copias=$drive_c/Copias
  rm -rf "$install" "$copias"
  mkdir -p "$install" "$copias"
  "$wine" reg add "$tarvel_key" /v Path /t REG_SZ /d 'C:\Tarvel' /reg:32 /f >/dev/null 2>&1 ||
    fail "Wine's reg.exe could not register the installation"
}

# Starts BackupTarvel.exe with its working folder $1 (a host folder inside
# drive_c, which is then drive C:'s current folder) and waits for its
# window; the keyboard focus is then on the drive list.
start_program() {
  local folder=$1
  shift
  [ -z "$e2e_app" ] || fail "the program is running already"
  (
    cd "$folder" || exit 1
    exec env TZ=UTC "$@" "$wine" "$e2e_program"
  ) >"$e2e_work/program.log" 2>&1 &
  e2e_app=$!
  poll 30 window_or_end || fail "the main window did not appear within 30 s"
  program_running || fail "the program ended at start-up"
  focus_window "$e2e_main_window"
}

# Starts BackupTarvel.exe in the background with its working folder $1 and
# waits for nothing; sets $launched to the process id of its Wine launcher,
# which ends with the program's status.
launch_program() {
  local folder=$1
  shift
  (
    cd "$folder" || exit 1
    exec env TZ=UTC "$@" "$wine" "$e2e_program"
  ) >>"$e2e_work/launched.log" 2>&1 &
  launched=$!
  e2e_launched+=("$launched")
}

# The command line through cmd, as a person types it or a task runs it:
# "cmd /c" waits for the program and ends with its status, and the
# program's texts go where cmd's go.
exec_command_line() {
  exec env TZ=UTC "$wine" cmd /c "Z:${e2e_program//\//\\}" "$@"
}

# %LOCALAPPDATA%\BackupTarvel\historico.log of the prefix's user.
history_file() {
  find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/BackupTarvel/historico.log' 2>/dev/null | head -n1
}
