#!/usr/bin/env bash
# Copy speed of BackupTarvel against cp, rsync and tar (make bench):
#   bench/run.sh BUILD_DIR
#
# Sections: settings; the file system the copies run on; the corpora; one
# timed run; the backups; the restores; the larger tree and the deep tree;
# reflink on XFS; the backup through the window; start-up; the report
# (stdout and bench/results.md). The window and the command line are timed
# on whole installations by window_backup.sh.
#
# Every copy runs with its source and destination on one file system, a
# journaled ext4 image on a loop device when this user may mount one (else
# the plain file system, said in the report). Before each run the
# destination is removed, the disks are synced and some memory is touched,
# so that the page cache is warm and the machine's freed memory is backed
# again. The commands alternate (A B C A B C ...); the report gives medians.
#
# Settings (environment): BENCH_RUNS (5), BENCH_HOME (/var/tmp/backuptarvel-bench,
# where the image and the corpora stay between runs), BENCH_LOAD_WAIT (seconds
# to wait for a 1-minute load under 1.0 first, 60), BENCH_SCALE (0; 1: also the
# tree ten times larger), BENCH_RESULTS (bench/results.md).
set -euo pipefail

# --- Settings ----------------------------------------------------------------

build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
bench="$(cd "$build" && pwd)/bench/bt_bench"
program="$(cd "$build" && pwd)/BackupTarvel"
runs="${BENCH_RUNS:-5}"
home="${BENCH_HOME:-/var/tmp/backuptarvel-bench}"
load_wait="${BENCH_LOAD_WAIT:-60}"
scale="${BENCH_SCALE:-0}"
results="${BENCH_RESULTS:-$here/results.md}"

for tool in rsync tar /usr/bin/time; do
  if ! command -v "$tool" >/dev/null; then
    echo "run.sh: falta o programa $tool (scripts/install-deps.sh o instala)" >&2
    exit 1
  fi
done
if [ ! -x "$bench" ]; then
  echo "run.sh: $bench não existe; compile primeiro (make build)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f /dev/shm/bt-bench-touch' EXIT
samples="$work/samples.tsv"
notes="$work/notes.md"
: >"$samples"
: >"$notes"
note() { echo "$*" | tee -a "$notes"; }
started=$(date +%s)

# --- The file system the copies run on -----------------------------------------

mkdir -p "$home"
image="$home/ext4.img"
mnt="$home/mnt"
mkdir -p "$mnt"
if mountpoint -q "$mnt"; then
  area="$mnt"
elif [ "$(id -u)" -eq 0 ]; then
  if [ ! -f "$image" ]; then
    # One inode per 8 KiB: the larger tree and its copy need about 1.3 million.
    truncate -s 15G "$image"
    mkfs.ext4 -q -i 8192 "$image"
  fi
  if mount -o loop "$image" "$mnt" 2>"$work/mount.log"; then
    area="$mnt"
  else
    echo "run.sh: the image could not be mounted ($(cat "$work/mount.log")); the plain file system is used" >&2
    area="$home/plain"
  fi
else
  area="$home/plain"
fi
mkdir -p "$area"
filesystem="$(findmnt -n -o SOURCE,FSTYPE,OPTIONS --target "$area" | tr -s " ")"
if [ "$area" = "$mnt" ]; then
  fs_note="journaled ext4 image on a loop device ($filesystem), backed by $(findmnt -n -o FSTYPE,OPTIONS --target "$home" | tr -s " ")"
else
  fs_note="plain file system ($filesystem): no loop mount was possible, so deleting and copying again may slow later runs"
fi
corpora="$area/corpora"
dest="$area/destination"
mkdir -p "$corpora"

# --- The corpora ------------------------------------------------------------------

# Written once; a corpus interrupted half-way is written again.
corpus() {
  local name=$1
  if [ ! -f "$corpora/$name.complete" ]; then
    rm -rf "${corpora:?}/$name"
    echo "Writing the corpus $name..." >&2
    "$bench" generate "$name" "$corpora/$name" >&2
    sync
    touch "$corpora/$name.complete"
  fi
  echo "$corpora/$name"
}
photos=$(corpus photos)
small=$(corpus small)
database=$(corpus database)/arquivo_000000.dat

# --- One timed run ---------------------------------------------------------------

# Memory to touch before a run: the copy's new page cache and some more.
touch_mib=1536
prepare() {
  rm -rf "$dest"
  sync
  dd if=/dev/zero of=/dev/shm/bt-bench-touch bs=64M count=$((touch_mib / 64)) status=none
  rm -f /dev/shm/bt-bench-touch
}

seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

# timed <corpus> <operation> <command name> <command...>: one sample, the
# command's wall time and peak memory. Its output goes to $work/out.
timed() {
  local corpus=$1 operation=$2 name=$3
  shift 3
  local t0 t1
  t0=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/rss" "$@" >"$work/out" 2>"$work/err" || {
    echo "run.sh: \"$name\" failed:" >&2
    cat "$work/err" >&2
    exit 1
  }
  t1=$EPOCHREALTIME
  last_seconds=$(seconds_between "$t0" "$t1")
  printf '%s\t%s\t%s\t%s\t%s\n' "$corpus" "$operation" "$name" "$last_seconds" "$(tail -n1 "$work/rss")" >>"$samples"
}

# The same command followed by sync, timed as one: the time of the sync
# that follows at once is added to the last sample.
then_sync() {
  local corpus=$1 operation=$2 name=$3 t0 t1
  t0=$EPOCHREALTIME
  sync
  t1=$EPOCHREALTIME
  printf '%s\t%s\t%s\t%s\t%s\n' "$corpus" "$operation" "$name" \
    "$(awk -v s="$last_seconds" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", s + b - a }')" \
    "$(tail -n1 "$work/rss")" >>"$samples"
}

# Our copy on one thread (no copy workers), without the flush: what the
# workers add on this machine.
ours_one_thread() {
  local corpus=$1 operation=$2
  shift 2
  timed "$corpus" "$operation" "BackupTarvel (one thread) + syncfs" "$bench" copy "$@" 0
  grep -v "	BackupTarvel (one thread) + syncfs	" "$samples" >"$samples.kept" && mv "$samples.kept" "$samples"
  printf '%s\t%s\t%s\t%s\t%s\n' "$corpus" "$operation" "BackupTarvel (one thread)" "$(awk '{ print $2 }' "$work/out")" \
    "$(tail -n1 "$work/rss")" >>"$samples"
}

# Our copy: CopyPath, then the flush the operations make before they
# report success; also recorded without the flush, which it times itself.
ours() {
  local corpus=$1 operation=$2
  shift 2
  timed "$corpus" "$operation" "BackupTarvel + syncfs" "$bench" copy "$@"
  local flush
  flush=$(awk '{ print $3 }' "$work/out")
  printf '%s\t%s\t%s\t%s\t%s\n' "$corpus" "$operation" "BackupTarvel" \
    "$(awk -v s="$last_seconds" -v f="$flush" 'BEGIN { printf "%.6f", s - f }')" \
    "$(tail -n1 "$work/rss")" >>"$samples"
}

wait_for_low_load() {
  local waited=0
  while awk '{ exit !($1 >= 1.0) }' /proc/loadavg && [ "$waited" -lt "$load_wait" ]; do
    [ "$waited" -eq 0 ] && echo "Waiting up to ${load_wait} s for the load to fall under 1.0 ($(cut -d' ' -f1-3 /proc/loadavg))..." >&2
    sleep 30
    waited=$((waited + 30))
  done
}

# --- The backups -------------------------------------------------------------------

backup_tree() {
  local name=$1 source=$2
  for run in $(seq "$runs"); do
    echo "Backup of $name, run $run of $runs" >&2
    prepare; ours "$name" backup "$source" "$dest"
    prepare; ours_one_thread "$name" backup "$source" "$dest"
    prepare; timed "$name" backup "cp -r" cp -r "$source" "$dest"; then_sync "$name" backup "cp -r && sync"
    prepare; timed "$name" backup "rsync -a" rsync -a "$source/" "$dest/"
    prepare; mkdir "$dest"
    timed "$name" backup "tar | tar" bash -c 'tar -C "$1" -cf - . | tar -C "$2" -xf -' tar "$source" "$dest"
  done
}

backup_file() {
  local name=$1 source=$2
  for run in $(seq "$runs"); do
    echo "Backup of $name, run $run of $runs" >&2
    prepare; ours "$name" backup "$source" "$dest"
    prepare; timed "$name" backup "cp -r" cp -r "$source" "$dest"; then_sync "$name" backup "cp -r && sync"
    prepare; timed "$name" backup "cp -a --reflink=auto" cp -a --reflink=auto "$source" "$dest"
    prepare; timed "$name" backup "rsync -a" rsync -a "$source" "$dest"
    prepare; mkdir "$dest"
    timed "$name" backup "tar | tar" bash -c 'tar -C "$(dirname "$1")" -cf - "$(basename "$1")" | tar -C "$2" -xf -' \
      tar "$source" "$dest"
  done
}

# --- The restores ------------------------------------------------------------------

# The tree being restored over: a copy made with cp -r, whose files carry
# the time of the copy, so that rsync -a (which skips files of the same size
# and time) finds every file changed and copies them all, as the others do.
existing() {
  local source=$1
  rm -rf "$dest"
  cp -r "$source" "$dest"
  sync
  dd if=/dev/zero of=/dev/shm/bt-bench-touch bs=64M count=$((touch_mib / 64)) status=none
  rm -f /dev/shm/bt-bench-touch
}

restore_tree() {
  local name=$1 source=$2
  for run in $(seq "$runs"); do
    echo "Restore of $name, run $run of $runs" >&2
    existing "$source"; ours "$name" restore "$source" "$dest"
    existing "$source"; timed "$name" restore "cp -r" cp -r "$source/." "$dest/"
    then_sync "$name" restore "cp -r && sync"
    existing "$source"; timed "$name" restore "rsync -a" rsync -a "$source/" "$dest/"
  done
}

restore_file() {
  local name=$1 source=$2
  for run in $(seq "$runs"); do
    echo "Restore of $name, run $run of $runs" >&2
    existing "$source"; ours "$name" restore "$source" "$dest"
    existing "$source"; timed "$name" restore "cp -r" cp -r "$source" "$dest"
    then_sync "$name" restore "cp -r && sync"
    existing "$source"; timed "$name" restore "rsync -a" rsync -a "$source" "$dest"
  done
}

wait_for_low_load
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"

touch_mib=1536; backup_tree photos "$photos"
touch_mib=512; backup_tree small "$small"
touch_mib=1536; backup_file database "$database"
touch_mib=1536; restore_tree photos "$photos"
touch_mib=512; restore_tree small "$small"
touch_mib=1536; restore_file database "$database"
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

# --- The larger tree and the deep tree ----------------------------------------------

extra="$work/extra.md"
: >"$extra"
if [ "$scale" = 1 ]; then
  large=$(corpus large)
  touch_mib=512
  prepare; timed large backup "BackupTarvel + syncfs" "$bench" copy "$large" "$dest"
  large_ours="$last_seconds s, peak $(($(tail -n1 "$work/rss") / 1024)) MiB"
  prepare; timed large backup "cp -r" cp -r "$large" "$dest"
  large_cp="$last_seconds s, peak $(($(tail -n1 "$work/rss") / 1024)) MiB"
  rm -rf "$dest"
  # Kept apart from the medians: one run each.
  grep -v "^large	" "$samples" >"$samples.kept" && mv "$samples.kept" "$samples"
  {
    echo "- Larger tree: 600,000 files of 64–512 bytes in 15,000 folders up to depth 5 (ten times the entries of the many-small corpus, smaller files to keep it quick to write); one backup each:"
    echo "  BackupTarvel + syncfs $large_ours; cp -r $large_cp."
  } >>"$extra"
fi

rm -rf "$area/deep"
mkdir -p "$area/deep"
deep_result=$("$bench" deep "$area/deep" 1000)
t0=$EPOCHREALTIME
cp -r "$area/deep/origem" "$area/deep/cp"
deep_cp=$(seconds_between "$t0" "$EPOCHREALTIME")
rm -rf "$area/deep"
echo "- Deep tree: $deep_result; cp -r of the same tree $deep_cp s (goal: at most 1.5 x)." >>"$extra"

# --- Reflink on XFS --------------------------------------------------------------------

# Where the file system shares blocks, a copy of the whole database takes
# no time at all: a 1 GiB database on an XFS image made here, backed up by
# the program (FICLONE, tried first) and by cp --reflink=always.
if [ "$(id -u)" -eq 0 ] && command -v mkfs.xfs >/dev/null; then
  xfs_image="$home/xfs.img"
  xfs="$home/xfs"
  mkdir -p "$xfs"
  mountpoint -q "$xfs" && umount "$xfs"
  rm -f "$xfs_image"
  truncate -s 3G "$xfs_image"
  if mkfs.xfs -q -m reflink=1 "$xfs_image" && mount -o loop "$xfs_image" "$xfs"; then
    cp "$database" "$xfs/vendrial.mdb"
    sync
    ours_xfs=() cp_xfs=()
    for run in $(seq "$runs"); do
      rm -f "$xfs/copia.mdb" "$xfs/cp.mdb"
      sync
      ours_xfs+=("$("$bench" copy "$xfs/vendrial.mdb" "$xfs/copia.mdb" | awk '{ printf "%.4f", $2 + $3 }')")
      t0=$EPOCHREALTIME
      cp --reflink=always "$xfs/vendrial.mdb" "$xfs/cp.mdb" && sync
      cp_xfs+=("$(seconds_between "$t0" "$EPOCHREALTIME")")
    done
    shared=$(cmp -s "$xfs/vendrial.mdb" "$xfs/copia.mdb" && echo "identical" || echo "DIFFERENT")
    median_of() { printf '%s
' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
    echo "- Reflink: a 1 GiB database on an XFS image (reflink=1, loop device), median of $runs: BackupTarvel with its flush $(median_of "${ours_xfs[@]}") s, cp --reflink=always && sync $(median_of "${cp_xfs[@]}") s; the copy is $shared to its source." >>"$extra"
    umount "$xfs"
  else
    echo "- Reflink: no XFS image could be made or mounted here." >>"$extra"
  fi
  rm -f "$xfs_image"
else
  echo "- Reflink: needs root and mkfs.xfs (Debian's xfsprogs)." >>"$extra"
fi

# --- The backup through the window and from the command line --------------------------

# The whole backup of an installation (its photos the corpus, a 64 MB
# database, the options file), as a user runs it: through the window, from
# the key that presses "Fazer backup" (check box ticked) to the "Operação
# concluída" box, on a virtual screen; and from the command line (--backup
# --fotos), from the program's start to its end, with no display. Both
# against cp -r && sync of the same installation, in the same runs.
window="$work/window.md"
: >"$window"
if [ -x "$program" ] && command -v Xvfb >/dev/null; then
  window_runs=$(( runs < 3 ? runs : 3 ))
  {
    echo "| corpus | command | runs | median | to cp -r && sync | goal |"
    echo "|---|---|---|---|---|---|"
  } >"$work/window.table"
  window_ok=1
  for corpus_name in photos small; do
    corpus_dir=$photos
    [ "$corpus_name" = small ] && corpus_dir=$small
    if "$here/window_backup.sh" "$program" "$area" "$corpus_dir" "$window_runs" "$corpus_name" \
      >"$work/window-$corpus_name.txt" 2>"$work/window.err"; then
      column_median() { awk -v c="$1" '{ print $c }' "$work/window-$corpus_name.txt" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
      cp_median=$(column_median 3)
      for column in 1 2; do
        command_name=window
        [ "$column" = 2 ] && command_name="command line"
        median=$(column_median "$column")
        awk -v n="$corpus_name" -v c="$command_name" -v r="$window_runs" -v m="$median" -v b="$cp_median" \
          'BEGIN { x = m / b; printf "| %s | %s | %d | %.3f s | %.2f x | ≤ 1.15 x cp -r && sync: %s |\n", n, c, r, m, x, (x <= 1.15 ? "met" : "not met") }' \
          >>"$work/window.table"
      done
      echo "| $corpus_name | cp -r && sync | $window_runs | $cp_median s | 1.00 x | - |" >>"$work/window.table"
    else
      window_ok=0
      echo "- Through the window and the command line ($corpus_name): the measurement failed ($(tail -n1 "$work/window.err"))." >>"$window"
    fi
  done
  if [ "$window_ok" = 1 ]; then
    {
      echo
      echo "Whole backups of an installation (its photo tree the corpus, a 64 MB database, the options file) as a user runs them: \"window\" from the key that presses \"Fazer backup\" to the success box on a virtual screen (the box's appearance watched through the server's map events, not polled), \"command line\" \`BackupTarvel --backup C:\\Copias --fotos\` from its start to its end with no display, each against \`cp -r && sync\` of the same installation in the same runs, alternating; medians of $window_runs."
      echo
      cat "$work/window.table"
    } >>"$window"
  fi
fi

# --- Start-up ----------------------------------------------------------------------------

startup="$work/startup.md"
: >"$startup"
if [ -x "$program" ]; then
  prefix="$work/prefix"
  mkdir -p "$prefix/dosdevices" "$prefix/drive_c/Tarvel"
  ln -s ../drive_c "$prefix/dosdevices/c:"
  printf 'WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1796736792\n"Path"="C:\\\\Tarvel"\n' \
    >"$prefix/system.reg"
  idle_times=()
  for run in $(seq "$runs"); do
    t0=$EPOCHREALTIME
    WINEPREFIX="$prefix" QT_QPA_PLATFORM=offscreen "$program" >/dev/null 2>&1 &
    pid=$!
    read -r idle rss hwm < <("$bench" idle "$pid" "$t0") || true
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "${idle:-}" ] && idle_times+=("$idle")
  done
  if [ ${#idle_times[@]} -gt 0 ]; then
    median=$(printf '%s\n' "${idle_times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
    echo "- Start-up, offscreen (QT_QPA_PLATFORM=offscreen): from the start of the process to its first wait for events (the window is shown before it), median of ${#idle_times[@]}: $(awk -v s="$median" 'BEGIN { printf "%.0f", s * 1000 }') ms; then VmRSS $((rss / 1024)) MiB, VmHWM $((hwm / 1024)) MiB." >>"$startup"
  else
    echo "- Start-up: the program never waited for events (see its output)." >>"$startup"
  fi
else
  echo "- Start-up: $program was not built (BT_WITH_QT=OFF)." >>"$startup"
fi

# --- The report -----------------------------------------------------------------------

table=$("$bench" summarize "$samples")
elapsed=$(($(date +%s) - started))
{
  echo "# Copy benchmark"
  echo
  echo "Written by \`make bench\` (bench/run.sh) on $(date -u '+%Y-%m-%d %H:%M UTC'), in ${elapsed} s."
  echo
  echo "- Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) memory, Linux $(uname -r)."
  echo "- File system: $fs_note."
  echo "- Load (1, 5, 15 min) before: $load_before; after: $load_after."
  echo "- $runs runs of each command, alternating; before each: destination removed, sync, 512 MiB (small files) or 1.5 GiB (photos, database) of memory touched. Medians; peak memory is the largest ru_maxrss (/usr/bin/time) of the runs."
  echo "- BackupTarvel: CopyPath over the Linux file-system layer, as a backup or restore copies the Fotos tree (and the database, for the database corpus), with the program's two copy workers, then FlushWrites (one syncfs per file system written), as the operations do before they report success. \"BackupTarvel\" is the same run without the time of the flush, to compare with cp -r; \"+ syncfs\" with \"cp -r && sync\"; \"(one thread)\" copies without the workers. The goal column holds a row to its goal against the tool named, in the same run."
  echo "- Restore: over a tree (or file) made just before by cp -r, so its files carry new times and rsync -a copies every one of them; cp -r copies \"source/.\" into it, replacing every file."
  echo "- Corpora: photos 4,000 files of 50–400 KiB in 40 folders at depth 1–3; small 60,000 files of 0.5–4 KiB in 1,500 folders up to depth 5; database one 1 GiB file; pseudo-random content."
  echo
  echo "$table"
  echo
  cat "$extra" "$window" "$startup"
} >"$results"
cat "$results"
