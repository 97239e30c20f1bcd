#!/usr/bin/env bash
# Renders the main window and each kind of message box into
# docs/screenshots/*.png (make screenshots):  scripts/screenshots.sh BUILD_DIR
# The pictures are drawn on Qt's offscreen platform: no display is needed.
set -euo pipefail

build="${1:-build}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake --build "$build" --target bt_screenshots
QT_QPA_PLATFORM=offscreen "$build/tests/qt/bt_screenshots" "$root/docs/screenshots"
