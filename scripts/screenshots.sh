#!/usr/bin/env bash
# Renders the main window and every message box of the operations into
# docs/screenshots/*.png (make screenshots):  scripts/screenshots.sh BUILD_DIR
# Then the window and the confirmation again on a desktop scaled by 1.5 and
# by 2 (*_150.png, *_200.png). The pictures are drawn on Qt's offscreen
# platform: no display is needed.
set -euo pipefail

build="${1:-build}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake --build "$build" --target bt_screenshots
export QT_QPA_PLATFORM=offscreen
"$build/tests/qt/bt_screenshots" "$root/docs/screenshots"
QT_SCALE_FACTOR=1.5 "$build/tests/qt/bt_screenshots" "$root/docs/screenshots" 150
QT_SCALE_FACTOR=2 "$build/tests/qt/bt_screenshots" "$root/docs/screenshots" 200
