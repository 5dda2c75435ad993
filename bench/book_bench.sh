#!/usr/bin/env bash
# One-file benchmark, run by hand: `brambex-cli merge --format mp3` of a generated set
# against `cp -r` of the same disc folders, and against ffmpeg's concat demuxer copying
# the same tracks into one MP3 with a chapters metadata file, and against the floor of
# any one-file book (every track appended to one file by the in-kernel copy), the four
# run in turn (merge, copy, ffmpeg, floor, merge, ...) after one uncounted round, so that
# all see the same machine. Reports the median of the round ratios (merge / cp -r,
# ffmpeg / cp -r, merge / ffmpeg, floor / cp -r, merge / floor) with their spread, the
# peak memory of brambex-cli and the machine's load average before and after.
#
# Usage: bench/book_bench.sh [ROUNDS]                  (default 7)
# Environment (defaults in brackets):
#   BRAMBEX_CLI   the binary [build/test/src/cli/brambex-cli]
#   TRACKS, MB    tracks of the set (75 to a disc) and megabytes per track [100, 3]
#   WORK_DIR      where the set is made and merged [build/book-bench-work]
# Results are noisy while other work runs: the script says so when the load is over 2.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-7}
tracks=${TRACKS:-100}
megabytes=${MB:-3}
work=${WORK_DIR:-$PWD/build/book-bench-work}
cli=${BRAMBEX_CLI:-$PWD/build/test/src/cli/brambex-cli}

for tool in ffmpeg cc /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "book_bench: needs $tool" >&2; exit 2; }
done
load=$(cut -d' ' -f1 /proc/loadavg)
if awk -v l="$load" 'BEGIN { exit !(l > 2) }'; then
  echo "book_bench: load average $load: the numbers below say little" >&2
fi

# The set: tracks of MPEG-1 layer III frames (128 kbit/s, 44.1 kHz) behind a small
# ID3v2.3 tag, 75 to a disc folder; the ffmpeg concat list and chapters file for it.
rm -rf "$work"
mkdir -p "$work"
/usr/bin/python3 - "$work" "$tracks" "$megabytes" <<'PYTHON'
import os, random, sys
root, count, mb = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
noise = random.Random(7).randbytes(4 * 1024 * 1024)
frames = int(mb * 1024 * 1024) // 417
listing, chapters, start = [], [";FFMETADATA1\n"], 0
for n in range(count):
    disc, track = n // 75 + 1, n % 75 + 1
    folder = os.path.join(root, f"Bench Book Disc {disc}")
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, f"{track:02d} Chapter.mp3")
    title = b"\0" + f"Chapter {track}".encode()
    tag = b"TIT2" + len(title).to_bytes(4, "big") + b"\0\0" + title
    at = (n * 104729) % (len(noise) - 4096)
    with open(path, "wb") as f:
        f.write(b"ID3\3\0\0" + bytes([0, 0, 0, len(tag)]) + tag)
        for i in range(frames):
            f.write(b"\xff\xfb\x90\xc4" + noise[at + i % 4096:at + i % 4096 + 413])
    listing.append("file '" + path.replace("'", "'\\''") + "'\n")
    end = start + frames * 1152 * 1000 // 44100
    chapters.append(f"[CHAPTER]\nTIMEBASE=1/1000\nSTART={start}\nEND={end}\ntitle={disc}-{track}\n")
    start = end
open(os.path.join(root, "list.txt"), "w").writelines(listing)
open(os.path.join(root, "chapters.txt"), "w").writelines(chapters)
PYTHON

# Runs a command under GNU time; prints "wall-seconds peak-KiB".
measure() {
  local t0=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/time.log" "$@" >/dev/null
  awk -v t0="$t0" -v t1="$EPOCHREALTIME" '{ printf "%.4f %d\n", t1 - t0, $1 }' "$work/time.log"
}

# The floor for any one-file book: every track's bytes appended to one file by the
# in-kernel copy, with no tag and no frame scan.
cc -O2 -x c -o "$work/append" - <<'C'
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
int main(int argc, char** argv) {
    int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (int i = 2; out >= 0 && i < argc; ++i) {
        int in = open(argv[i], O_RDONLY);
        struct stat st;
        if (in < 0 || fstat(in, &st) != 0) return 1;
        for (off_t left = st.st_size; left > 0;) {
            ssize_t n = copy_file_range(in, NULL, out, NULL, (size_t)left, 0);
            if (n <= 0) return 1;
            left -= n;
        }
        close(in);
    }
    return out < 0 || close(out) != 0;
}
C

# Median, smallest and largest of the numbers on standard input.
stats() {
  sort -g | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.3f %.3f-%.3f\n", m, v[1], v[NR] }'
}

out="$work/Bench Book"
merge_cmd=("$cli" merge "$work/Bench Book Disc 1" --format mp3 --title "Bench Book" -q -y)
ffmpeg_cmd=(ffmpeg -v fatal -y -f concat -safe 0 -i "$work/list.txt" -i "$work/chapters.txt"
  -map 0:a -map_metadata 1 -map_chapters 1 -c copy "$out/ffmpeg.mp3")
merge_cp=() ffmpeg_cp=() merge_ffmpeg=() floor_cp=() merge_floor=() peak=0
for ((i = 0; i <= rounds; i++)); do
  rm -rf "$out" && sync
  read -r merge kib < <(measure "${merge_cmd[@]}")
  ((kib > peak)) && peak=$kib
  rm -rf "$out" && mkdir "$out" && sync
  read -r copy _ < <(measure cp -r "$work"/Bench\ Book\ Disc\ * "$out/")
  rm -rf "$out" && mkdir "$out" && sync
  read -r joined _ < <(measure "${ffmpeg_cmd[@]}")
  rm -rf "$out" && mkdir "$out" && sync
  read -r floor _ < <(measure "$work/append" "$out/book.mp3" "$work"/Bench\ Book\ Disc\ */*.mp3)
  ((i > 0)) || continue
  [ -z "${VERBOSE:-}" ] ||
    echo "  round $i: merge $merge s, cp -r $copy s, ffmpeg $joined s, floor $floor s" >&2
  merge_cp+=("$(awk -v a="$merge" -v b="$copy" 'BEGIN { print a / b }')")
  ffmpeg_cp+=("$(awk -v a="$joined" -v b="$copy" 'BEGIN { print a / b }')")
  merge_ffmpeg+=("$(awk -v a="$merge" -v b="$joined" 'BEGIN { print a / b }')")
  floor_cp+=("$(awk -v a="$floor" -v b="$copy" 'BEGIN { print a / b }')")
  merge_floor+=("$(awk -v a="$merge" -v b="$floor" 'BEGIN { print a / b }')")
done
printf '%-16s %8s %13s\n' "ratio" "median" "min-max"
for row in merge_cp ffmpeg_cp merge_ffmpeg floor_cp merge_floor; do
  declare -n values=$row
  read -r median spread < <(printf '%s\n' "${values[@]}" | stats)
  printf '%-16s %8s %13s\n' "${row/_/ \/ }" "$median" "$spread"
done
echo "tracks $tracks, $megabytes MB each, $rounds rounds; brambex-cli peak $((peak / 1024)) MiB"
echo "load average $load at the start, $(cut -d' ' -f1 /proc/loadavg) at the end"
rm -rf "$work"
