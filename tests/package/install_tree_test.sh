#!/usr/bin/env bash
# What `cmake --install` puts on a desktop, checked as the desktop and a
# software centre read it: the validators pass, the menu entry starts the
# installed program with an installed icon in every size, and AppStream's
# composer (what builds a software centre's catalogue) finds the program,
# its icon and this release.
#
#   install_tree_test.sh BUILD_DIR APP_ID VERSION
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR APP_ID VERSION}
id=${2:?}
version=${3:?}

work=$(mktemp -d "${TMPDIR:-/tmp}/bt-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { printf 'FAILED: %s\n' "$*" >&2; exit 1; }

root="$work/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install failed"; }
share="$root/usr/share"
entry="$share/applications/$id.desktop"
metainfo="$share/metainfo/$id.metainfo.xml"
[ -f "$entry" ] || fail "no desktop entry at ${entry#"$root"}"
[ -f "$metainfo" ] || fail "no metainfo at ${metainfo#"$root"}"

echo "== desktop-file-validate ${entry#"$root"}"
desktop-file-validate "$entry" || fail "desktop-file-validate found problems"
echo "== appstreamcli validate ${metainfo#"$root"}"
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli validate found problems"
echo "== appstreamcli validate-tree"
appstreamcli validate-tree --no-net --strict "$root" || fail "appstreamcli validate-tree found problems"

key() { sed -n "s/^$1=//p" "$entry" | head -n1; }
program=$(key Exec)
program=${program%% *}
[ -x "$root/usr/bin/$program" ] || fail "the entry starts $program, which is not installed in /usr/bin"
[ "$(key Name)" = "Backup do Tarvel 2.0" ] || fail "the entry's name is \"$(key Name)\""
icon=$(key Icon)

# Every hicolor picture is as large as its folder says, and the sizes that
# panels, menus and software centres ask for are all there.
size_of_png() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
found=0
for png in "$share"/icons/hicolor/*/apps/"$icon".png; do
  [ -f "$png" ] || fail "no icon named $icon under hicolor"
  folder=$(basename "$(dirname "$(dirname "$png")")")
  [ "$(size_of_png "$png")" = "$folder" ] || fail "${png#"$root"} is $(size_of_png "$png")"
  found=$((found + 1))
done
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
  [ -f "$share/icons/hicolor/$size/apps/$icon.png" ] || fail "no $size icon"
done
grep -q '<svg' "$share/icons/hicolor/scalable/apps/$icon.svg" || fail "no scalable icon"
echo "icons: $found sizes and a scalable one, named $icon"

echo "== appstreamcli compose"
appstreamcli compose --no-net --result-root="$work/catalog" --origin=backuptarvel "$root" ||
  fail "the software centre catalogue could not be made"
catalog="$work/catalog/usr/share/swcatalog"
zcat "$catalog/xml/backuptarvel.xml.gz" >"$work/catalog.xml"
grep -q "<id>$id</id>" "$work/catalog.xml" || fail "the catalogue lacks $id"
grep -q "<release [^>]*version=\"$version\"" "$work/catalog.xml" || fail "the catalogue lacks release $version"
ls "$catalog"/icons/backuptarvel/*/"$id.png" >/dev/null 2>&1 || fail "the catalogue has no icon for $id"
# The daily backup's user units: where systemd looks for a package's, their
# program the installed one, and the timer not enabled by the package.
units="$root/usr/lib/systemd/user"
[ -f "$units/backuptarvel-backup.service" ] && [ -f "$units/backuptarvel-backup.timer" ] ||
  fail "no backup units in /usr/lib/systemd/user"
grep -qx 'ExecStart=BackupTarvel --backup ${BT_LOCAL} $BT_OPCOES' "$units/backuptarvel-backup.service" ||
  fail "the service does not start BackupTarvel --backup: $(grep ExecStart "$units/backuptarvel-backup.service")"
if find "$root" -path '*.wants/*' | grep -q .; then fail "a unit is enabled by the package"; fi
grep -qx 'OnCalendar=\*-\*-\* 20:00:00' "$units/backuptarvel-backup.timer" || fail "the timer does not run daily at 20:00"
grep -qx 'WantedBy=timers.target' "$units/backuptarvel-backup.timer" || fail "the timer cannot be enabled"
echo "install tree: passed"
