#!/usr/bin/env bash
# Takes docs/main-window.png and docs/merge-options.png from the real windows on a
# virtual X display, with the sample set that brambex-cli writes. When openbox is
# installed it frames the windows, so that their captions show in the pictures.
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
export XDG_CONFIG_HOME="$sample/config" QT_QPA_PLATFORM=xcb
export TOOL="$build/tests/shell/brambex-screenshots" FIRST="$first" DOCS="$PWD/docs"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
  fi
  status=0
  "$TOOL" "$FIRST" "$DOCS" || status=$?
  if [ -n "${wm:-}" ]; then kill "$wm"; fi
  exit $status'
