# Shared steps of the end-to-end tests: the real BackupTarvel on a virtual
# screen of its own, a Wine prefix made for the test, and a person at the
# keyboard. Sourced by the *_test.sh scripts; the program is their $1.
#
# Sections: set-up and clean-up; failures; the prefix and the installation;
# the program; message boxes; checks on disk; starts beside another.
#
# Every wait has a deadline, and a failure names the step it happened in,
# shows the program's output and the windows on the screen, and leaves a
# screenshot beside the test's working folder.

set -Eeuo pipefail

# ---------------------------------------------------------------- set-up

readonly E2E_MAIN_TITLE='Aplicativo de Backup do Tarvel 2.0'
# The backup location of the tests as the program shows it.
# shellcheck disable=SC2034  # used by the scripts that source this file
readonly COPIAS='C:\Copias'
E2E_NAME=$(basename "$0" .sh)
readonly E2E_NAME

e2e_program=${1:?usage: $0 PATH_TO_BackupTarvel}
e2e_work=
e2e_xvfb=
e2e_app=
e2e_main_window=
e2e_step='set-up'
e2e_started=$(date +%s.%N)

# Commands a test adds to run at clean-up, before its folder goes (undoing
# a mount, say).
e2e_cleanups=()
# Programs started beside the one under test (launch_program, cover_screen),
# ended at clean-up with it.
e2e_launched=()

e2e_cleanup() {
  local status=$?
  trap - EXIT ERR
  if [ -n "$e2e_app" ]; then kill "$e2e_app" 2>/dev/null || true; fi
  local launched
  for launched in "${e2e_launched[@]}"; do kill "$launched" 2>/dev/null || true; done
  if [ -n "$e2e_xvfb" ]; then kill "$e2e_xvfb" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  local undo
  for undo in "${e2e_cleanups[@]}"; do eval "$undo" >/dev/null 2>&1 || true; done
  if [ -n "$e2e_work" ]; then rm -rf "$e2e_work"; fi
  exit "$status"
}
trap e2e_cleanup EXIT
trap 'exit 143' TERM INT HUP
trap 'fail "command failed (line $LINENO): $BASH_COMMAND"' ERR

# A new step of the story; failures name the last one begun.
step() {
  e2e_step=$*
  printf '%s: %s\n' "$E2E_NAME" "$e2e_step"
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      fail "the tool $tool is missing (scripts/install-deps.sh installs it)"
  done
}

# Starts a virtual screen that no other test shares: Xvfb picks a free
# display number itself and reports it, so parallel runs never collide.
# Without -noreset the server resets whenever its last client leaves, and a
# program started in that moment cannot connect.
e2e_setup() {
  require_tools Xvfb xdotool xclip xwd xwdtopnm pnmtopng cmp
  [ -x "$e2e_program" ] || fail "no program at $e2e_program"
  rm -f "$PWD/$E2E_NAME-failure.png"
  e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/bt-e2e.XXXXXX")
  mkdir -p "$e2e_work/home" "$e2e_work/runtime"
  chmod 700 "$e2e_work/runtime"

  Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset \
    3>"$e2e_work/display" >"$e2e_work/xvfb.log" 2>&1 &
  e2e_xvfb=$!
  local _
  for _ in $(seq 200); do
    [ -s "$e2e_work/display" ] && break
    kill -0 "$e2e_xvfb" 2>/dev/null || fail "Xvfb did not start: $(cat "$e2e_work/xvfb.log")"
    sleep 0.05
  done
  [ -s "$e2e_work/display" ] || fail "Xvfb reported no display within 10 s"
  DISPLAY=":$(head -n1 "$e2e_work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME DBUS_SESSION_BUS_ADDRESS
}

# For the command line, which needs no screen: the working folder alone,
# and no display of any kind in the environment.
e2e_setup_without_screen() {
  require_tools cmp
  [ -x "$e2e_program" ] || fail "no program at $e2e_program"
  e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/bt-e2e.XXXXXX")
  mkdir -p "$e2e_work/home" "$e2e_work/runtime"
  chmod 700 "$e2e_work/runtime"
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME DBUS_SESSION_BUS_ADDRESS
}

# -------------------------------------------------------------- failures

fail() {
  trap - ERR
  printf '\n%s FAILED in step "%s":\n  %s\n' "$E2E_NAME" "$e2e_step" "$*" >&2
  if [ -n "${DISPLAY:-}" ] && [ -n "$e2e_xvfb" ]; then
    printf 'Windows on the screen:\n' >&2
    local window
    for window in $(visible_windows); do
      printf '  %s "%s"\n' "$window" "$(xdotool getwindowname "$window" 2>/dev/null)" >&2
    done
    local shot="$PWD/$E2E_NAME-failure.png"
    if xwd -root -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$shot" 2>/dev/null; then
      printf 'Screenshot: %s\n' "$shot" >&2
    fi
  fi
  if [ -n "$e2e_work" ] && [ -s "$e2e_work/program.log" ]; then
    printf 'Output of the program:\n' >&2
    sed 's/^/  | /' "$e2e_work/program.log" >&2
  fi
  exit 1
}

# Polls a command until it succeeds; false after the deadline (seconds).
poll() {
  local seconds=$1
  shift
  local deadline
  deadline=$(($(date +%s%N) + seconds * 1000000000))
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

finish() {
  local elapsed
  elapsed=$(awk -v a="$e2e_started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  printf '%s: passed in %s s\n' "$E2E_NAME" "$elapsed"
}

# ------------------------------------------------ prefix and installation

# A 64-bit Wine prefix with C: on its drive_c and Z: on "/", whose registry
# names C:\Tarvel as the installation folder. Sets $prefix, $drive_c,
# $install and $copias (the backup location, C:\Copias).
make_prefix() {
  prefix=$e2e_work/prefix
  drive_c=$prefix/drive_c
  install=$drive_c/Tarvel
  copias=$drive_c/Copias
  "$(dirname "${BASH_SOURCE[0]}")/../../scripts/tarvel-prefix.sh" "$prefix"
  mkdir -p "$install" "$copias"
}

# Writes $2 random bytes to the file $1 (every byte value can occur).
random_file() {
  mkdir -p "$(dirname "$1")"
  head -c "$2" /dev/urandom >"$1"
}

# The data of Tarvel 2.0: database, options and a photo tree with a
# subfolder, names with spaces and accents, and the thumbnail caches that
# Windows leaves in photo folders.
make_installation() {
  random_file "$install/vendrial.mdb" 196608
  printf '[Geral]\r\nEmpresa=Padaria Central\r\nImpressora=LPT1\r\n' >"$install/tarvel.ini"
  random_file "$install/Fotos/loja.jpg" 20000
  random_file "$install/Fotos/Thumbs.db" 3000
  random_file "$install/Fotos/Clientes/cliente 01.jpg" 15000
  random_file "$install/Fotos/Clientes/Thumbs.db" 2000
  random_file "$install/Fotos/Produtos/pão de queijo.jpg" 12000
}

# Sets $frozen_clock to the settings that hold the clock the program reads
# still at 13:09:04 on 17 January 2009 (libfaketime), and $held_stamp to the
# name a backup set gets then. Only the calendar clock stands still; the
# monotonic clock behind the toolkit's timers keeps running. A program built
# with AddressSanitizer would refuse to start with a library preloaded ahead
# of its runtime.
hold_clock() {
  local libraries=(/usr/lib/*/faketime/libfaketime.so.1)
  [ -e "${libraries[0]}" ] || fail "libfaketime is missing (scripts/install-deps.sh installs it)"
  frozen_clock=(LD_PRELOAD="${libraries[0]}" FAKETIME='2009-01-17 13:09:04'
    FAKETIME_DONT_FAKE_MONOTONIC=1 DONT_FAKE_MONOTONIC=1
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
  held_stamp=20090117_130904
}

# Mounts an exFAT image as a stick would come (a drive that ignores letter
# case and shows every file as 0777), as drive E: of the prefix.
# Sets $stick; returns 1 with $stick_skip saying why where it cannot.
mount_stick() {
  stick=$e2e_work/pendrive
  stick_skip=
  [ "$(id -u)" -eq 0 ] || { stick_skip='mounting needs root'; return 1; }
  if ! command -v mkfs.exfat >/dev/null || ! command -v mount.exfat-fuse >/dev/null; then
    stick_skip='exfatprogs or exfat-fuse is missing'
    return 1
  fi
  mkdir -p "$stick"
  truncate -s 32M "$e2e_work/pendrive.img"
  mkfs.exfat -L PENDRIVE "$e2e_work/pendrive.img" >/dev/null 2>&1 || { stick_skip='mkfs.exfat failed'; return 1; }
  local device
  device=$(losetup -f --show "$e2e_work/pendrive.img" 2>/dev/null) || { stick_skip='no loop device'; return 1; }
  e2e_cleanups+=("losetup -d $device")
  mount.exfat-fuse -o uid=0,gid=0 "$device" "$stick" >/dev/null 2>&1 || { stick_skip='the FUSE mount failed'; return 1; }
  e2e_cleanups=("umount $stick || umount -l $stick" "${e2e_cleanups[@]}")
  ln -s "$stick" "$prefix/dosdevices/e:"
}

# ------------------------------------------------------------ the program

visible_windows() {
  xdotool search --onlyvisible --name '.' 2>/dev/null || true
}

main_window_shown() {
  e2e_main_window=$(xdotool search --onlyvisible --name "^$E2E_MAIN_TITLE\$" 2>/dev/null | head -n1)
  [ -n "$e2e_main_window" ]
}

program_running() {
  local state
  state=$(awk '{ print $3 }' "/proc/$e2e_app/stat" 2>/dev/null) || return 1
  [ "$state" != Z ]
}

program_ended() {
  ! program_running
}

window_or_end() {
  main_window_shown || program_ended
}

# Starts BackupTarvel with its working folder $1 (a host folder) and waits
# for its window. Extra arguments are NAME=VALUE settings for its
# environment. The keyboard focus is then on the drive list.
start_program() {
  local folder=$1
  shift
  [ -z "$e2e_app" ] || fail "the program is running already"
  (
    cd "$folder"
    exec env HOME="$e2e_work/home" XDG_RUNTIME_DIR="$e2e_work/runtime" WINEPREFIX="$prefix" \
      TZ=UTC LC_ALL=C.UTF-8 "$@" "$e2e_program"
  ) >"$e2e_work/program.log" 2>&1 &
  e2e_app=$!
  poll 20 window_or_end ||
    fail "the main window did not appear within 20 s"
  program_running || fail "the program ended at start-up"
  focus_window "$e2e_main_window"
}

# Gives the keyboard focus to a window. A desktop's window manager does this
# when a window opens or a box closes; the virtual screen has none.
focus_window() {
  timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null ||
    fail "could not give the keyboard focus to window $1"
}

# Keys as xdotool names them, pressed one after another.
press() {
  xdotool key --delay 40 "$@"
}

# Alt+R presses Sai&r: the program must end at once with status 0. Any box
# still open would block it, so none may be.
exit_program() {
  no_box_open
  press alt+r
  expect_end_with 0 'Alt+R'
}

# Answers the top-level error report; the program must then end with 1.
answer_error_report() {
  press Return
  expect_end_with 1 'its error report'
}

# The program must end within 10 s, with the status $1, after what $2 says.
expect_end_with() {
  local wanted=$1 after=$2
  poll 10 program_ended || fail "the program did not end within 10 s of $after"
  local status=0
  wait "$e2e_app" || status=$?
  e2e_app=
  [ "$status" -eq "$wanted" ] || fail "the program ended with status $status after $after, not $wanted"
}

# ---------------------------------------------------------- message boxes

# The windows on the screen other than the main window, as "id<TAB>title".
other_windows() {
  local window
  for window in $(visible_windows); do
    [ "$window" = "$e2e_main_window" ] && continue
    printf '%s\t%s\n' "$window" "$(xdotool getwindowname "$window" 2>/dev/null)"
  done
}

no_box_open() {
  local others
  others=$(other_windows)
  [ -z "$others" ] || fail "a window is open that nobody expected: $others$(describe_box "${others%%$'\t'*}")"
}

# What a box says, for failure messages (empty when it cannot be read).
describe_box() {
  local text
  text=$(copy_box_text "$1" '' 2>/dev/null) || return 0
  printf '\n  its text: %s' "$text"
}

# The clipboard as the box copied it (Ctrl+C), lines without their CR.
read_clipboard() {
  timeout 3 xclip -o -selection clipboard 2>/dev/null | tr -d '\r'
}

# The text part of a copied box: between its second and third rule lines.
clipboard_section() {
  awk -v want="$1" '/^-+$/ { part++; next } part == want'
}

# Presses Ctrl+C on box $1 and prints the text it copied; with a title $2,
# waits until the clipboard holds a box of that title.
copy_box_text() {
  local box=$1 title=$2 copied
  focus_window "$box"
  press ctrl+c
  local deadline=$(($(date +%s) + 5))
  while :; do
    copied=$(read_clipboard || true)
    if [ -n "$copied" ] && { [ -z "$title" ] || [ "$(clipboard_section 1 <<<"$copied")" = "$title" ]; }; then
      clipboard_section 2 <<<"$copied"
      return 0
    fi
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Waits for the message box titled $1 and leaves the keyboard focus on it;
# sets $box. Any other box appearing first fails the test with its text.
expect_box() {
  local title=$1 deadline others
  box=
  deadline=$(($(date +%s) + 15))
  while :; do
    others=$(other_windows)
    if [ -n "$others" ]; then
      local window=${others%%$'\t'*} name=${others#*$'\t'}
      name=${name%%$'\n'*}
      [ "$name" = "$title" ] ||
        fail "expected the box \"$title\", but \"$name\" appeared$(describe_box "$window")"
      box=$window
      break
    fi
    program_running || fail "the program ended while the box \"$title\" was awaited"
    [ "$(date +%s)" -lt "$deadline" ] || fail "the box \"$title\" did not appear within 15 s"
    sleep 0.05
  done
  focus_window "$box"
}

# The text of the open box must be exactly $1 (lines joined by LF).
box_says() {
  local expected=$1 actual
  actual=$(copy_box_text "$box" "$(xdotool getwindowname "$box")") ||
    fail "could not copy the text of the box with Ctrl+C"
  [ "$actual" = "$expected" ] ||
    fail "the box says:"$'\n'"$actual"$'\n'"  instead of:"$'\n'"$expected"
}

# The text of the open box must contain $1.
box_mentions() {
  local actual
  actual=$(copy_box_text "$box" "$(xdotool getwindowname "$box")") ||
    fail "could not copy the text of the box with Ctrl+C"
  [[ "$actual" == *"$1"* ]] || fail "the box does not mention \"$1\"; it says:"$'\n'"$actual"
}

box_open() {
  other_windows | cut -f1 | grep -qx "$1"
}

box_closed() {
  ! box_open "$1"
}

# Answers the open box with the keys given (Return takes its default
# button) and waits until it has closed; the focus goes back to the main
# window, as a desktop would give it.
answer_box() {
  press "$@"
  poll 10 box_closed "$box" || fail "the box did not close after pressing $*"
  program_running || fail "the program ended after the box was answered"
  focus_window "$e2e_main_window"
}

# ---------------------------------------------------------- checks on disk

# The entries below folder $1, one per line as "f path" or "d path", sorted;
# "Thumbs.db" files are left out when $2 is "without-thumbs".
tree_listing() {
  (cd "$1" && find . -mindepth 1 -printf '%y %P\n') |
    if [ "${2-}" = without-thumbs ]; then grep -Ev '^f (.*/)?Thumbs\.db$' || true; else cat; fi |
    LC_ALL=C sort
}

# Folder $2 holds exactly the entries of folder $1, file for file byte for
# byte; with "without-thumbs", $1's Thumbs.db files are not expected in $2.
same_tree() {
  local expected actual path
  expected=$(tree_listing "$1" "${3-}")
  actual=$(tree_listing "$2")
  [ "$expected" = "$actual" ] ||
    fail "$2 does not hold what $1 holds:"$'\n'"$(diff <(echo "$expected") <(echo "$actual") || true)"
  while read -r kind path; do
    [ "$kind" = f ] || continue
    cmp -s "$1/$path" "$2/$path" || fail "$2/$path differs from $1/$path"
  done <<<"$expected"
}

same_file() {
  cmp -s "$1" "$2" || fail "$2 is not a byte-for-byte copy of $1"
}

# The backup set $1 in $copias holds the database alone, byte for byte.
expect_database_alone() {
  [ "$(tree_listing "$copias/$1")" = 'f vendrial.mdb' ] ||
    fail "the set holds: $(tree_listing "$copias/$1" | tr '\n' ' ')"
  same_file "$install/vendrial.mdb" "$copias/$1/vendrial.mdb"
}

different_file() {
  ! cmp -s "$1" "$2" || fail "$2 is still the same as $1"
}

# A copy of a folder as it is now, to compare with later.
snapshot() {
  rm -rf "$2"
  cp -a "$1" "$2"
}

# The backup sets under C:\Copias, oldest first, one name per line.
backup_sets() {
  (cd "$copias" && find . -mindepth 1 -maxdepth 1 -type d -printf '%P\n') | LC_ALL=C sort
}

# The current second as a backup set is named after it (the program runs
# with TZ=UTC, and so does this).
stamp_now() {
  TZ=UTC date +%Y%m%d_%H%M%S
}

# Waits until the clock has left the second $1, so that a backup made now
# gets a new set folder.
next_second_after() {
  poll 3 clock_moved_from "$1" || fail "the clock did not move on from $1"
}

clock_moved_from() {
  [ "$(stamp_now)" != "$1" ]
}

# Sets $new_set to the one set that appeared under C:\Copias since the
# listing $1 was taken; anything else fails the test.
find_new_set() {
  new_set=$(LC_ALL=C comm -13 <(echo "$1") <(backup_sets))
  if [ -z "$new_set" ] || [ "$(wc -l <<<"$new_set")" -ne 1 ]; then
    fail "expected one new set under C:\\Copias, found: $(backup_sets | tr '\n' ' ')"
  fi
}

# ------------------------------------------------------ the command line

# Becomes the program with the arguments given, as a scheduler starts it.
exec_command_line() {
  exec env HOME="$e2e_work/home" XDG_RUNTIME_DIR="$e2e_work/runtime" WINEPREFIX="$prefix" \
    TZ=UTC LC_ALL=C.UTF-8 "$e2e_program" "$@"
}

# Runs the program's command line from the host folder $1 with the
# arguments that follow; sets $cli_status, $cli_out and $cli_err (line
# feeds only).
run_command_line() {
  local folder=$1
  shift
  if (
    cd "$folder" || exit 1
    exec_command_line "$@"
  ) >"$e2e_work/cli.out" 2>"$e2e_work/cli.err"; then
    cli_status=0
  else
    cli_status=$?
  fi
  cli_out=$(tr -d '\r' <"$e2e_work/cli.out")
  cli_err=$(tr -d '\r' <"$e2e_work/cli.err")
}

# The command line ended with status $1.
expect_status() {
  [ "$cli_status" -eq "$1" ] ||
    fail "the command line ended with $cli_status, not $1"$'\n'"output: $cli_out"$'\n'"error: $cli_err"
}

# The history file of the program as the scheduled runs leave it.
history_file() {
  echo "$e2e_work/home/.local/state/BackupTarvel/historico.log"
}

# ------------------------------------------------------ starts beside another

# Starts BackupTarvel in the background, with its working folder $1 and the
# same settings as start_program, and waits for nothing; sets $launched to
# its process id. Its output goes to $e2e_work/launched.log.
launch_program() {
  local folder=$1
  shift
  (
    cd "$folder"
    exec env HOME="$e2e_work/home" XDG_RUNTIME_DIR="$e2e_work/runtime" WINEPREFIX="$prefix" \
      TZ=UTC LC_ALL=C.UTF-8 "$@" "$e2e_program"
  ) >>"$e2e_work/launched.log" 2>&1 &
  launched=$!
  e2e_launched+=("$launched")
}

process_ended() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
  [ "$state" = Z ]
}

# The process $1 must end within $3 s with the status $2; $4 says which.
expect_process_end() {
  local pid=$1 wanted=$2 seconds=$3 which=$4 status=0
  poll "$seconds" process_ended "$pid" || fail "$which did not end within $seconds s"
  wait "$pid" || status=$?
  [ "$status" -eq "$wanted" ] || fail "$which ended with status $status, not $wanted"
}

# The visible main windows, one id a line.
main_windows() {
  xdotool search --onlyvisible --name "^$E2E_MAIN_TITLE\$" 2>/dev/null | LC_ALL=C sort || true
}

one_main_window() {
  [ "$(main_windows | wc -l)" -eq 1 ]
}

# Opens another program's window over the whole screen and gives it the
# keyboard focus, as the user working elsewhere would; sets $cover to the
# window and $cover_pid to its program.
cover_screen() {
  xlogo -name 'Outra janela' -geometry 1024x768+0+0 >/dev/null 2>&1 &
  cover_pid=$!
  e2e_launched+=("$cover_pid")
  poll 10 cover_shown || fail "the covering window did not appear"
  xdotool windowraise "$cover"
  focus_window "$cover"
}

cover_shown() {
  cover=$(xdotool search --onlyvisible --name '^Outra janela$' 2>/dev/null | head -n1)
  [ -n "$cover" ]
}

# Window $1 has the keyboard focus (it or a window inside it).
has_focus() {
  local focused parent
  focused=$(xdotool getwindowfocus 2>/dev/null) || return 1
  while [ -n "$focused" ] && [ "$focused" != 0 ]; do
    [ "$focused" = "$1" ] && return 0
    parent=$(xwininfo -id "$focused" -tree 2>/dev/null | awk '/Parent window id:/ { print $4 }')
    focused=$((${parent:-0}))
  done
  return 1
}

# Window $1 is stacked above window $2, both on the screen's root, which
# lists its children top first.
is_above() {
  local hex window
  for hex in $(xwininfo -root -children 2>/dev/null | awk '/^ +0x/ { print $1 }'); do
    window=$((hex))
    [ "$window" = "$1" ] && return 0
    [ "$window" = "$2" ] && return 1
  done
  return 1
}

# ------------------------------------------------- the Windows program

# The same scenarios on BackupTarvel.exe under Wine: its own set-up and start.
if [[ $e2e_program == *.exe ]]; then
  # shellcheck source=../e2e_windows/wine_e2e_lib.sh
  source "$(dirname "${BASH_SOURCE[0]}")/../e2e_windows/wine_e2e_lib.sh"
fi
