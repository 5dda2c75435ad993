#!/usr/bin/env bash
# Rewrites about 1 GB of generated MP3-like files that sit in the page cache and
# compares the time with cp of the same files; reports the ratio (target <= 1.2) and
# the peak memory of the rewrite (target < 10 MiB).
#   bench/run_rewrite_bench.sh [BUILD_DIR] [FILES] [MIB_PER_FILE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
files=${2:-100}
mib=${3:-10}
runs=5

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target rewrite_bench >/dev/null
tool=$build/bench/rewrite_bench

work=$(mktemp -d /tmp/brambex-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/cp" "$work/rewrite"

# Each file: an ID3v2.3 tag with five text frames, a 100 KB cover and padding, then
# audio-like bytes, then an ID3v1 trailer.
/usr/bin/python3 - "$work/in" "$files" "$mib" <<'PY'
import os, struct, sys
out, count, mib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def frame(fid, payload):
    return fid.encode() + struct.pack(">I", len(payload)) + b"\0\0" + payload
def syncsafe(n):
    return bytes([(n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127])
audio = os.urandom(mib * 1024 * 1024)
cover = os.urandom(100 * 1024)
for i in range(count):
    frames = b"".join(frame(f, b"\0" + t) for f, t in
                      [("TALB", b"Old album"), ("TPE1", b"Old artist"), ("TPE2", b"Old artist"),
                       ("TRCK", str(i + 1).encode()), ("TIT2", b"Track %d" % (i + 1))])
    frames += frame("APIC", b"\0image/jpeg\0\x03\0" + cover)
    size = len(frames) + 2048
    trailer = b"TAG" + b"Track".ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + b"Album".ljust(30, b"\0") + b"\0" * 34 + bytes([i % 256, 12])
    with open(os.path.join(out, "%03d track.mp3" % (i + 1)), "wb") as f:
        f.write(b"ID3\x03\0\0" + syncsafe(size) + frames + b"\0" * 2048 + audio[i:] + audio[:i] + trailer)
PY
total=$(du -sb "$work/in" | cut -f1)
cat "$work/in"/* >/dev/null

timed() {  # prints the seconds one run of the command takes
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }' 
}
best() { sort -g | head -1; }

cp_times=() rw_times=()
for _ in $(seq "$runs"); do
  rm -f "$work/cp"/* "$work/rewrite"/*
  cp_times+=("$(timed cp "$work/in"/* "$work/cp/")")
  rm -f "$work/cp"/* "$work/rewrite"/*
  rw_times+=("$(timed "$tool" "$work/rewrite" "$work/in"/*)")
done
cp_best=$(printf '%s\n' "${cp_times[@]}" | best)
rw_best=$(printf '%s\n' "${rw_times[@]}" | best)

rm -f "$work/rewrite"/*
peak_kib=$(/usr/bin/time -v "$tool" "$work/rewrite" "$work/in"/* 2>&1 >/dev/null |
           awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }')

printf 'data:    %d files, %.1f MiB\n' "$files" "$(awk -v t="$total" 'BEGIN { print t / 1048576 }')"
printf 'cp:      %.3f s (best of %d)\n' "$cp_best" "$runs"
printf 'rewrite: %.3f s (best of %d)\n' "$rw_best" "$runs"
printf 'ratio:   %.2f (target <= 1.2)\n' "$(awk -v r="$rw_best" -v c="$cp_best" 'BEGIN { print r / c }')"
printf 'peak:    %.1f MiB resident (target < 10 MiB)\n' "$(awk -v k="$peak_kib" 'BEGIN { print k / 1024 }')"
