#!/usr/bin/env bash
# Proves on a fresh, minimal Debian 12 that the package installs, puts the
# program in the menu and removes cleanly (make package-check):
#
#   scripts/package-check.sh PATH/TO/backuptarvel_<version>_amd64.deb
#
# Sections: the fresh system; install; the menu data and the program; remove.
#
# The system is a throwaway debootstrap root (minbase: only what every
# Debian has). Inside it the README's own install and remove commands run,
# as root without sudo. The program is started from its desktop entry's
# Exec line and must open its window on a virtual screen of this machine
# (Xvfb, reached through its abstract socket, so nothing is mounted into the
# root but /proc). After the removal no file of the package may remain, and
# after autoremove the root must hold exactly the packages and the /usr and
# /opt files it held before. /etc, /var and /run are not compared: the purge
# of the dependencies' own scripts (systemd's, dbus's) leaves a machine id,
# backups of the user tables and runtime folders there; the package itself
# runs no script, which is checked.
#
# Settings (environment): DEBIAN_MIRROR (debootstrap's default when unset),
# PACKAGE_CHECK_CACHE (the downloaded packages, kept between runs; default
# /var/cache/backuptarvel-package-check), PACKAGE_CHECK_SHOT (where the
# window's screenshot goes; default beside the package).
# shellcheck disable=SC2016  # dpkg-query's ${Field} formats are not the shell's
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
deb="$(realpath "${1:?usage: $0 PACKAGE.deb}")"
[ -f "$deb" ] || { echo "package-check: no package at $deb (make package)" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "package-check: needs root (debootstrap, chroot)" >&2; exit 1; }
for tool in debootstrap dpkg-deb Xvfb xdotool xwd xwdtopnm pnmtopng; do
  command -v "$tool" >/dev/null || { echo "package-check: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
cache="${PACKAGE_CHECK_CACHE:-/var/cache/backuptarvel-package-check}"
shot="${PACKAGE_CHECK_SHOT:-$(dirname "$deb")/package-check-window.png}"
package=$(dpkg-deb -f "$deb" Package)
title='Aplicativo de Backup do Tarvel 2.0'

work=$(mktemp -d /var/tmp/bt-package-check.XXXXXX)
root="$work/debian12"
xvfb=
app=
cleanup() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  if mountpoint -q "$root/proc"; then umount "$root/proc"; fi
  # Nothing else is mounted inside; --one-file-system keeps it that way.
  if ! mountpoint -q "$root/proc"; then rm -rf --one-file-system "$work"; fi
}
trap cleanup EXIT
step() { printf '\n== %s\n' "$*"; }
fail() { printf '\npackage-check FAILED: %s\n' "$*" >&2; exit 1; }
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }

# The installed packages, then every path under /usr and /opt.
snapshot() {
  in_root dpkg-query -W -f='${Package} ${Version} ${Status}\n'
  (cd "$root" && find ./usr ./opt -xdev) | sort
}

# --------------------------------------------------------- the fresh system

step "A fresh Debian 12 (debootstrap minbase)"
mkdir -p "$cache"
# shellcheck disable=SC2086  # an unset mirror is no argument at all
debootstrap --variant=minbase --cache-dir="$cache" bookworm "$root" ${DEBIAN_MIRROR:-} >"$work/debootstrap.log" 2>&1 ||
  { tail -n 30 "$work/debootstrap.log" >&2; fail "debootstrap failed"; }
mount -t proc proc "$root/proc"
# The README's commands answer apt's question themselves; here nobody types.
echo 'APT::Get::Assume-Yes "true";' >"$root/etc/apt/apt.conf.d/90package-check"
in_root apt-get update -q >/dev/null
snapshot >"$work/before.txt"
echo "$(in_root dpkg-query -W | wc -l) packages, $(grep -c '^\./' "$work/before.txt") paths under /usr and /opt"

# ----------------------------------------------------------------- install

mapfile -t install < <("$here/scripts/readme-commands.sh" | sed -n 's/^sudo \(apt install .*\)$/\1/p')
mapfile -t remove < <("$here/scripts/readme-commands.sh" | sed -n 's/^sudo \(apt remove .*\)$/\1/p')
[ ${#install[@]} -eq 1 ] || fail "the README shows ${#install[@]} apt install commands, not one"
[ ${#remove[@]} -eq 1 ] || fail "the README shows ${#remove[@]} apt remove commands, not one"

scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's#^\./##' | grep -vxE '|control|md5sums' || true)
[ -z "$scripts" ] || fail "the package brings scripts or settings of its own: $scripts"

step "The README's install: ${install[0]}"
cp "$deb" "$root/root/"
in_root sh -c "cd /root && ${install[0]}" >"$work/install.log" 2>&1 ||
  { tail -n 30 "$work/install.log" >&2; fail "the install failed"; }
rm "$root/root/$(basename "$deb")"
in_root dpkg-query -W -f='${Status}\n' "$package" | grep -qx 'install ok installed' ||
  fail "$package is not installed"
sed -n 's/^\(Setting up .*\)\.\.\.$/  \1/p' "$work/install.log"
in_root dpkg -L "$package" >"$work/files.txt"

# ------------------------------------------------- the menu data and the program

step "The menu data"
entry=$(grep '^/usr/share/applications/.*\.desktop$' "$work/files.txt" || true)
if [ -z "$entry" ] || [ ! -f "$root$entry" ]; then fail "no desktop entry installed"; fi
icon=$(sed -n 's/^Icon=//p' "$root$entry")
exec_line=$(sed -n 's/^Exec=//p' "$root$entry")
echo "desktop entry $entry: Name=$(sed -n 's/^Name=//p' "$root$entry"), Icon=$icon, Exec=$exec_line"
icons=$(find "$root/usr/share/icons/hicolor" -path "*/apps/$icon.*" 2>/dev/null | wc -l)
[ "$icons" -gt 0 ] || fail "no icon named $icon in the hicolor theme"
echo "icon $icon: $icons pictures under /usr/share/icons/hicolor"
metainfo=$(grep '^/usr/share/metainfo/.*\.xml$' "$work/files.txt" || true)
if [ -z "$metainfo" ] || [ ! -f "$root$metainfo" ]; then fail "no AppStream metainfo installed"; fi
echo "metainfo $metainfo"
if in_root ldd "/usr/bin/${exec_line%% *}" | grep 'not found'; then fail "libraries missing"; fi

step "The program from the entry's Exec line, on a virtual screen"
in_root sh -c 'mkdir -p /root/.wine/drive_c /root/.wine/dosdevices && ln -sfn ../drive_c /root/.wine/dosdevices/c:'
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=":$(head -n1 "$work/display")"
# shellcheck disable=SC2086  # the Exec line is split as the desktop splits it
chroot "$root" env -i PATH=/usr/bin:/bin HOME=/root DISPLAY="$display" $exec_line >"$work/program.log" 2>&1 &
app=$!
if ! window=$(DISPLAY=$display timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -n1) ||
   [ -z "$window" ]; then
  cat "$work/program.log" >&2
  fail "the installed program opened no window"
fi
sleep 1  # its first paint
DISPLAY=$display xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$shot"
echo "window \"$title\" open; screenshot: $shot"
kill "$app"
wait "$app" 2>/dev/null || true
app=
in_root rm -rf /root/.wine

# ------------------------------------------------------------------ remove

step "The README's remove: ${remove[0]}"
in_root sh -c "${remove[0]}" >"$work/remove.log" 2>&1 || { tail -n 30 "$work/remove.log" >&2; fail "the removal failed"; }
if in_root dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -qv 'not-installed'; then
  fail "dpkg still knows $package: $(in_root dpkg-query -W -f='${Status}' "$package")"
fi
left=0
while IFS= read -r path; do
  if [ -f "$root$path" ] || [ -L "$root$path" ]; then echo "left behind: $path" >&2; left=$((left + 1)); fi
done <"$work/files.txt"
[ "$left" -eq 0 ] || fail "$left files of the package were left behind"
echo "no file of $package is left"

step "Its dependencies removed too (apt-get autoremove --purge)"
in_root apt-get autoremove --purge -q >"$work/autoremove.log" 2>&1 ||
  { tail -n 30 "$work/autoremove.log" >&2; fail "autoremove failed"; }
snapshot >"$work/after.txt"
if ! diff -u "$work/before.txt" "$work/after.txt" >"$work/tree.diff"; then
  cat "$work/tree.diff" >&2
  fail "the root differs from the fresh system"
fi
echo "the root holds exactly the packages and the /usr and /opt paths it held before the install"
printf '\npackage-check: %s installs, opens its window from the menu entry and removes cleanly on Debian 12\n' \
  "$(basename "$deb")"
