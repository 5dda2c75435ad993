#!/usr/bin/env bash
# Takes docs/main-window.png, docs/merge-options.png, docs/merge-ended.png,
# docs/merge-details.png, docs/set-finding.png, docs/library.png, docs/file-menu.png and
# docs/merge-stopped.png from the real windows on a virtual X display, with the sample
# set that brambex-cli writes (and a second one beside it, for the library), and
# docs/merge-options-scale2.png, Merge Options at twice the scale on a 1440x900 screen.
# Two of its tracks are given other tags first (one none, one ID3v2.4 when mutagen is
# there), so that the merge has notes to show. When openbox is installed it frames the
# windows, so that their captions show in the pictures.
# Then, where the MinGW-w64 cross compiler and Wine are there, it takes the Windows
# program's docs/windows-main-window.png, docs/windows-merge-options.png and
# docs/windows-merge-ended.png under Wine, in a Wine desktop of its own that frames the
# windows: the GUI test drives them and waits at each for the picture to be taken.
# Usage: docs/take_screenshots.sh [BUILD_DIR [WINDOWS_BUILD_DIR]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/screenshots}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target brambex-cli brambex-screenshots
sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
"$build/src/cli/brambex-cli" demo "$sample" >/dev/null
"$build/src/cli/brambex-cli" demo "$sample/Shelf 2" >/dev/null
first=$(find "$sample" -mindepth 1 -maxdepth 1 -type d -name '* 1' | head -n 1)
second=${first% 1}" 2"
mapfile -t tracks < <(find "$second" -name '*.mp3' | sort)
python3 - "${tracks[0]}" "${tracks[1]}" <<'PY'
import sys
bare, v24 = sys.argv[1], sys.argv[2]
data = open(bare, 'rb').read()
size = 10 + ((data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F))
open(bare, 'wb').write(data[size:])
try:
    import mutagen.id3
    tag = mutagen.id3.ID3(v24)
    tag.save(v24, v2_version=4)
except ImportError:
    pass
PY
export XDG_CONFIG_HOME="$sample/config" QT_QPA_PLATFORM=xcb
export TOOL="$build/tests/shell/brambex-screenshots" FIRST="$first" DOCS="$PWD/docs"
# shoot SCREEN [NAME]: the pictures on a virtual screen of that size; with NAME, only
# Merge Options, saved as docs/NAME.
shoot() {
  xvfb-run -a -s "-screen 0 $1" bash -c '
  if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
  fi
  status=0
  "$TOOL" "$FIRST" "$DOCS" "$@" || status=$?
  if [ -n "${wm:-}" ]; then kill "$wm"; fi
  exit $status' shoot "${@:2}"
}
# Twice the scale on a laptop's screen, before the merges below change the set: the
# buttons stay in sight.
QT_SCALE_FACTOR=2 shoot 1440x900x24 merge-options-scale2.png
shoot 1280x800x24

windows=${2:-build/windows}
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ ! -x /usr/lib/wine/wine64 ]; then
  echo "No MinGW-w64 or Wine: the Windows program's pictures are not taken"
  exit 0
fi
cmake -S . -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DBRAMBEX_SHELL=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG= >/dev/null
cmake --build "$windows" -j2 --target gui_test
shots=$(mktemp -d)
trap 'rm -rf "$sample" "$shots"' EXIT
export WINEPREFIX="$PWD/$windows/wine-prefix" WINE_RUN="$PWD/$windows/wine-run"
export GUI_TEST="$PWD/$windows/tests/shell_win32/gui_test.exe" SHOTS="$shots"
# A Wine desktop left from another display would show nothing here.
/usr/lib/wine/wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 800x660x24" bash -c '
  "$WINE_RUN" explorer /desktop=Brambex,800x660 "Z:${GUI_TEST//\//\\}" --screenshots "Z:${SHOTS//\//\\}" \
    >"$SHOTS/log" 2>&1 &
  driver=$!
  status=0
  for name in windows-main-window windows-merge-options windows-merge-ended; do
    for _ in $(seq 600); do [ -e "$SHOTS/$name.ready" ] && break; sleep 0.2; done
    if [ ! -e "$SHOTS/$name.ready" ]; then status=1; break; fi
    import -window root "$DOCS/$name.png"
    touch "$SHOTS/$name.done"
  done
  wait "$driver" || status=1
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ $status -eq 0 ] || cat "$SHOTS/log"
  exit $status'
