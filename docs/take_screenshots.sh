#!/usr/bin/env bash
# Takes docs/main-window.png and docs/merge-options.png from the real windows on a
# virtual X display, with the sample set that brambex-cli writes.
# Usage: docs/take_screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/screenshots}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target brambex-cli brambex-screenshots
sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
"$build/src/cli/brambex-cli" demo "$sample" >/dev/null
first=$(find "$sample" -mindepth 1 -maxdepth 1 -type d -name '* 1' | head -n 1)
XDG_CONFIG_HOME="$sample/config" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/shell/brambex-screenshots" "$first" "$PWD/docs"
