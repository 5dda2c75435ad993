#!/usr/bin/env bash
# Finds the sets of a generated library of SETS sets of 10 discs of 10 tracks each
# (tiny tagged files), then of one ten times as large, and prints the time of each
# warm run (target < 1 s for 200 sets, 2,000 disc folders, 20,000 tracks) and the peak
# RSS of each size (target: about the same for both); then as many sets as the larger
# library holds, all in one folder.
#   bench/run_library_bench.sh [BUILD_DIR] [SETS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
sets=${2:-200}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target library_bench >/dev/null
tool=$build/bench/library_bench

work=$(mktemp -d /tmp/brambex-library-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
for n in "$sets" $((sets * 10)); do
  "$tool" generate "$work/lib$n" "$n" 10 10
  echo "== $n sets"
  "$tool" find "$work/lib$n" 3
done
# Every set in one folder, as an unsorted shelf holds them (target < 1 s for 2,000 sets
# of 3 discs): neither the search nor the checks may read that folder once per set.
flat=$((sets * 10))
"$tool" generate "$work/flat" "$flat" 3 3 "$flat"
echo "== $flat sets in one folder"
"$tool" find "$work/flat" 3
echo "== $flat sets in one folder, each checked"
"$tool" check "$work/flat" 3
