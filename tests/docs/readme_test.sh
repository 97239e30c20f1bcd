#!/usr/bin/env bash
# The README stays true: it opens with make run and make test; every other
# command it shows is one that CI runs (.ci/run), the apt commands through
# make package-check, which runs them on a fresh Debian 12; the package and
# zip names it gives carry the current version; every picture it shows exists
# and every picture in docs/screenshots/ is shown.
#
#   readme_test.sh SOURCE_DIR
set -euo pipefail

here=${1:?usage: $0 SOURCE_DIR}
readme="$here/README.md"
ci="$here/.ci/run"
failures=0
fail() { printf 'FAILED: %s\n' "$*" >&2; failures=$((failures + 1)); }

version=$(sed -n 's/^project(BackupTarvel VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
package=$(sed -n 's/^set(CPACK_PACKAGE_NAME \(.*\))$/\1/p' "$here/packaging/CMakeLists.txt")
if [ -z "$version" ] || [ -z "$package" ]; then
  echo "FAILED: no version or package name found" >&2
  exit 1
fi

mapfile -t commands < <("$here/scripts/readme-commands.sh" "$readme")
if [ "${commands[0]:-}" != "make run" ] || [ "${commands[1]:-}" != "make test" ]; then
  fail "the README does not open with make run and make test"
fi

# The make commands that CI runs, with any settings before them dropped.
ci_runs() { sed -E -n 's/^[[:space:]]*([A-Z_]+=[^[:space:]]+[[:space:]]+)*(make [a-z-]+)([[:space:]].*)?$/\2/p' "$ci"; }
runs_in_ci() { ci_runs | grep -qx "$1"; }

for command in "${commands[@]}"; do
  command=${command#sudo }
  case "$command" in
    "make "*)
      target=${command#make }
      grep -q "^$target:" "$here/Makefile" || fail "the README shows '$command', which the Makefile lacks"
      runs_in_ci "$command" || fail "the README shows '$command', which .ci/run does not run"
      ;;
    "apt install ./${package}_${version}_amd64.deb" | "apt remove $package")
      runs_in_ci "make package-check" || fail "the README shows '$command', but .ci/run does not run make package-check"
      ;;
    *) fail "the README shows '$command', which neither make test nor CI runs" ;;
  esac
done

while read -r name; do
  [ "$name" = "${package}_${version}_amd64.deb" ] || fail "the README names $name; the package is ${package}_${version}_amd64.deb"
done < <(grep -o "${package}_[0-9.]*_amd64\.deb" "$readme" | sort -u)
while read -r name; do
  [ "$name" = "BackupTarvel-${version}-win64.zip" ] || fail "the README names $name; the zip is BackupTarvel-${version}-win64.zip"
done < <(grep -o 'BackupTarvel-[0-9.]*-win64\.zip' "$readme" | sort -u)

shown=$(grep -o '](docs/screenshots/[^)]*)' "$readme" | sed 's/^](//; s/)$//' | sort -u)
for picture in $shown; do
  [ -f "$here/$picture" ] || fail "the README shows $picture, which does not exist"
done
for picture in "$here"/docs/screenshots/*.png; do
  grep -qx "docs/screenshots/$(basename "$picture")" <<<"$shown" ||
    fail "docs/screenshots/$(basename "$picture") is not shown in the README"
done

echo "README: ${#commands[@]} commands, $(wc -w <<<"$shown") pictures checked"
[ "$failures" -eq 0 ]
