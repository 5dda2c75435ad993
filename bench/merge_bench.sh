#!/usr/bin/env bash
# Merge benchmark, run by hand: merges a generated set of TRACKS tracks of about MB
# megabytes each with brambex-cli and copies the same disc folders with `cp -r`, on the
# same machine in the same run, and reports the time ratio (target: at most 1.25) and
# the peak memory of brambex-cli (target: under 16 MiB, and flat as the set grows: a
# set of a fifth of the size is merged too for comparison).
#
# Usage: bench/merge_bench.sh [TRACKS [MB [ROUNDS]]]     (defaults: 300 3 3)
# BRAMBEX_CLI=path/to/brambex-cli uses that binary; otherwise a release build is made
# in build/bench. WORKDIR=folder puts the sets there (default: a temp folder).
set -euo pipefail
cd "$(dirname "$0")/.."

tracks=${1:-300}
megabytes=${2:-3}
rounds=${3:-3}

if [ ! -x /usr/bin/time ]; then
  echo "merge_bench: needs GNU time in /usr/bin/time (apt-get install time)" >&2
  exit 2
fi
if [ -z "${BRAMBEX_CLI:-}" ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRAMBEX_SHELL=OFF >/dev/null
  cmake --build build/bench --target brambex-cli >/dev/null
  BRAMBEX_CLI=$PWD/build/bench/src/cli/brambex-cli
fi

work=${WORKDIR:-$(mktemp -d "${TMPDIR:-/tmp}/brambex-bench-XXXXXX")}
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# One track: an ID3v2.3 tag with padding, silent MPEG-1 Layer III frames, an ID3v1
# trailer. 75 tracks per disc folder, so no folder holds both 10 and 100.
make_set() {
  local root=$1 count=$2
  mkdir -p "$root"
  /usr/bin/python3 - "$root" "$count" "$megabytes" <<'EOF'
import os, sys
root, count, mb = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
def frame(fid, text):
    payload = b"\0" + text.encode("latin-1")
    return fid + len(payload).to_bytes(4, "big") + b"\0\0" + payload
body = frame(b"TALB", "Bench Book Disc 1") + frame(b"TPE2", "Bench Author") + \
       frame(b"TIT2", "Chapter") + frame(b"TCON", "(101)") + bytes(1024)
size = bytes((len(body) >> s) & 0x7F for s in (21, 14, 7, 0))
audio = (bytes([0xFF, 0xFB, 0x90, 0xC4]) + bytes(413)) * int(mb * 1024 * 1024 / 417)
track = b"ID3\x03\0\0" + size + body + audio + b"TAG" + bytes(125)
for n in range(count):
    folder = os.path.join(root, f"Bench Book Disc {n // 75 + 1}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"{n % 75 + 1:02d} Chapter.mp3"), "wb") as f:
        f.write(track)
EOF
}

# Seconds (elapsed) of a command; its peak resident memory in KiB goes to $2.
timed() {
  local log=$1; shift
  /usr/bin/time -f "%e %M" -o "$log" "$@" >/dev/null
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

run_set() {
  local name=$1 count=$2
  local root=$work/$name
  make_set "$root" "$count"
  cat "$root"/*/*.mp3 >/dev/null  # both contestants start from a warm cache
  local merge_times=() copy_times=() peak=0
  for ((i = 1; i <= rounds; i++)); do
    rm -rf "$root"/Bench\ Book_* "$work/copy-$name"
    sync
    timed "$work/merge.log" "$BRAMBEX_CLI" merge "$root/Bench Book Disc 1" --title "Bench Book_1" -q
    read -r seconds kib <"$work/merge.log"
    merge_times+=("$seconds")
    ((kib > peak)) && peak=$kib
    mkdir -p "$work/copy-$name"
    sync
    timed "$work/copy.log" cp -r "$root"/Bench\ Book\ Disc\ * "$work/copy-$name/"
    read -r seconds _ <"$work/copy.log"
    copy_times+=("$seconds")
  done
  local merge copy
  merge=$(printf '%s\n' "${merge_times[@]}" | median)
  copy=$(printf '%s\n' "${copy_times[@]}" | median)
  local tracks_done
  tracks_done=$(find "$root" -path '*/Bench Book_*' -name '*.mp3' | wc -l)
  printf '%-6s %4d tracks (%d merged): merge %6.2f s, cp -r %6.2f s, ratio %5.2f, peak memory %5.1f MiB\n' \
    "$name" "$count" "$tracks_done" "$merge" "$copy" \
    "$(awk -v m="$merge" -v c="$copy" 'BEGIN { print (c > 0 ? m / c : 0) }')" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
  rm -rf "$root" "$work/copy-$name"
}

echo "brambex-cli: $BRAMBEX_CLI; ${megabytes} MB per track; median of $rounds rounds"
run_set small $((tracks / 5))
run_set full "$tracks"
