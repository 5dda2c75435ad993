#!/usr/bin/env bash
# Rewrites about 1 GB of generated MP3-like files that sit in the page cache and
# compares the time with cp of the same files; reports the ratio (target <= 1.2) and
# the peak memory of the rewrite (target < 10 MiB), also for a track with a 20 MB
# picture in an ID3v2.3 tag that must grow and in an ID3v2.4 tag that is converted.
#   bench/run_rewrite_bench.sh [BUILD_DIR] [FILES] [MIB_PER_FILE] [OTHER_REWRITE_BENCH]
# With OTHER_REWRITE_BENCH (a rewrite_bench built from another commit), the two run in
# turns, A (other) then B (this build), PAIRS times, and the median of the B/A ratios of
# the pairs is reported with their spread.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
files=${2:-100}
mib=${3:-10}
other=${4:-}
runs=5
pairs=${PAIRS:-7}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target rewrite_bench >/dev/null
tool=$build/bench/rewrite_bench

work=$(mktemp -d /tmp/brambex-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/cp" "$work/rewrite" "$work/big" "$work/big-out"

# Each file: an ID3v2.3 tag with five text frames, a 100 KB cover and padding, then
# audio-like bytes, then an ID3v1 trailer. Besides them, two tracks with a 20 MB
# picture: one in an ID3v2.3 tag with 10 bytes of padding, one in an ID3v2.4 tag.
/usr/bin/python3 - "$work/in" "$files" "$mib" "$work/big" <<'PY'
import os, struct, sys
out, count, mib, big = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
def frame(fid, payload):
    return fid.encode() + struct.pack(">I", len(payload)) + b"\0\0" + payload
def syncsafe(n):
    return bytes([(n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127])
def frame24(fid, payload):
    return fid.encode() + syncsafe(len(payload)) + b"\0\0" + payload
audio = os.urandom(mib * 1024 * 1024)
cover = os.urandom(100 * 1024)
texts = lambda i: [("TALB", b"Old album"), ("TPE1", b"Old artist"), ("TPE2", b"Old artist"),
                   ("TRCK", str(i + 1).encode()), ("TIT2", b"Track %d" % (i + 1))]
trailer = lambda i: b"TAG" + b"Track".ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + b"Album".ljust(30, b"\0") + b"\0" * 34 + bytes([i % 256, 12])
for i in range(count):
    frames = b"".join(frame(f, b"\0" + t) for f, t in texts(i))
    frames += frame("APIC", b"\0image/jpeg\0\x03\0" + cover)
    size = len(frames) + 2048
    with open(os.path.join(out, "%03d track.mp3" % (i + 1)), "wb") as f:
        f.write(b"ID3\x03\0\0" + syncsafe(size) + frames + b"\0" * 2048 + audio[i:] + audio[:i] + trailer(i))
picture = os.urandom(20 * 1000 * 1000)
v23 = b"".join(frame(f, b"\0" + t) for f, t in texts(0)) + frame("APIC", b"\0image/jpeg\0\x03\0" + picture)
v24 = b"".join(frame24(f, b"\x03" + t) for f, t in texts(0)) + frame24("APIC", b"\x03image/jpeg\0\x03\0" + picture)
with open(os.path.join(big, "v23.mp3"), "wb") as f:
    f.write(b"ID3\x03\0\0" + syncsafe(len(v23) + 10) + v23 + b"\0" * 10 + audio + trailer(0))
with open(os.path.join(big, "v24.mp3"), "wb") as f:
    f.write(b"ID3\x04\0\0" + syncsafe(len(v24)) + v24 + audio + trailer(0))
PY
total=$(du -sb "$work/in" | cut -f1)
cat "$work/in"/* "$work/big"/* >/dev/null

timed() {  # prints the seconds one run of the command takes
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
best() { sort -g | head -1; }
peak() {  # prints the peak resident memory of the command in MiB
  /usr/bin/time -v "$@" 2>&1 >/dev/null |
    awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); printf "%.1f", $2 / 1024 }'
}

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
peak_all=$(peak "$tool" "$work/rewrite" "$work/in"/*)
peak_v23=$(peak "$tool" "$work/big-out" "$work/big/v23.mp3")
peak_v24=$(peak "$tool" "$work/big-out" "$work/big/v24.mp3")

printf 'data:    %d files, %.1f MiB\n' "$files" "$(awk -v t="$total" 'BEGIN { print t / 1048576 }')"
printf 'cp:      %.3f s (best of %d)\n' "$cp_best" "$runs"
printf 'rewrite: %.3f s (best of %d)\n' "$rw_best" "$runs"
printf 'ratio:   %.2f (target <= 1.2)\n' "$(awk -v r="$rw_best" -v c="$cp_best" 'BEGIN { print r / c }')"
printf 'peak:    %s MiB resident (target < 10 MiB); 20 MB picture: %s MiB growing ID3v2.3, %s MiB converting ID3v2.4\n' \
  "$peak_all" "$peak_v23" "$peak_v24"

if [ -n "$other" ]; then
  ratios=()
  for _ in $(seq "$pairs"); do
    rm -f "$work/rewrite"/*
    a=$(timed "$other" "$work/rewrite" "$work/in"/*)
    rm -f "$work/rewrite"/*
    b=$(timed "$tool" "$work/rewrite" "$work/in"/*)
    ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN { print b / a }')")
  done
  printf '%s\n' "${ratios[@]}" | sort -g | awk -v n="$pairs" '
    { r[NR] = $1 }
    END {
      median = n % 2 ? r[(n + 1) / 2] : (r[n / 2] + r[n / 2 + 1]) / 2
      printf "pairs:   %d, B/A ratios median %.3f, spread %.3f to %.3f\n", n, median, r[1], r[n]
    }'
fi
