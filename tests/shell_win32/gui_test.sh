#!/bin/sh
# Runs the GUI test under Wine: gui_test.sh WINE-RUN WINESERVER WINE-PREFIX GUI_TEST.exe
# Without a display it starts one of its own (Xvfb); without Xvfb or Wine the test is
# skipped (exit 77) with the reason.
wine_run=$1 wineserver=$2 prefix=$3 program=$4
if [ ! -x "$wine_run" ] || [ ! -x "$wineserver" ]; then
  echo "skipped: no Wine to run $program"
  exit 77
fi
if [ -z "$DISPLAY" ]; then
  if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "skipped: no display, and no Xvfb to make one (apt-get install xvfb xauth)"
    exit 77
  fi
  exec xvfb-run -a -s "-screen 0 1280x1024x24" sh "$0" "$@"
fi
# Wine's desktop process stays bound to the display it started on: one left from an
# earlier run (on a display that is gone) would show no window. Wine starts afresh on
# this display, and goes with it.
WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null
status=0
"$wine_run" "$program" || status=$?
WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null
exit $status
