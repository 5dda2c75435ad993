#!/usr/bin/env bash
# M4B benchmark, run by hand: `brambex-cli merge --format m4b` of a lame-encoded set with
# one job and with two, against ffmpeg's concat demuxer encoding the same tracks with
# its AAC encoder at the same bitrate, the three run in turn (one job, two jobs, ffmpeg,
# one job, ...) after one uncounted round, so that all see the same machine. Reports
# the median of the round ratios against ffmpeg with their spread, and the peak memory
# of brambex-cli.
#
# Usage: bench/m4b_bench.sh [ROUNDS]                  (default 5)
# Environment (defaults in brackets):
#   BRAMBEX_CLI   the binary [build/test/src/cli/brambex-cli]
#   TRACKS        tracks of the set, on one disc [6]
#   SECONDS_EACH  seconds per track [20]
#   WORK_DIR      where the set is made and merged [build/m4b-bench-work]
# Results are noisy while other work runs: the script says so when the load is over 2.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-5}
tracks=${TRACKS:-6}
seconds=${SECONDS_EACH:-20}
work=${WORK_DIR:-$PWD/build/m4b-bench-work}
cli=${BRAMBEX_CLI:-$PWD/build/test/src/cli/brambex-cli}

for tool in ffmpeg lame /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "m4b_bench: needs $tool" >&2; exit 2; }
done
load=$(cut -d' ' -f1 /proc/loadavg)
if awk -v l="$load" 'BEGIN { exit !(l > 2) }'; then
  echo "m4b_bench: load average $load: the numbers below say little" >&2
fi

# The set: stereo tones of distinct pitches at 44.1 kHz, lame-encoded at 128 kbit/s;
# the ffmpeg concat list for it.
rm -rf "$work"
disc="$work/Bench Book Disc 1"
mkdir -p "$disc"
for ((n = 1; n <= tracks; n++)); do
  track=$(printf '%02d' "$n")
  ffmpeg -v fatal -y -f lavfi -i "sine=frequency=$((200 + 40 * n)):duration=$seconds" -ac 2 \
    "$work/tone.wav"
  lame --quiet -b 128 "$work/tone.wav" "$disc/$track Chapter.mp3"
  echo "file '$disc/$track Chapter.mp3'" >>"$work/list.txt"
done
rm "$work/tone.wav"

# Runs a command under GNU time; prints "wall-seconds peak-KiB".
measure() {
  local t0=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/time.log" "$@" >/dev/null
  awk -v t0="$t0" -v t1="$EPOCHREALTIME" '{ printf "%.4f %d\n", t1 - t0, $1 }' "$work/time.log"
}

# Median, smallest and largest of the numbers on standard input.
stats() {
  sort -g | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.3f %.3f-%.3f\n", m, v[1], v[NR] }'
}

out="$work/Bench Book"
merge_cmd=("$cli" merge "$disc" --format m4b --title "Bench Book" -q -y)
ffmpeg_cmd=(ffmpeg -v fatal -y -f concat -safe 0 -i "$work/list.txt" -c:a aac -b:a 64k
  "$work/ffmpeg.m4b")
one_ffmpeg=() two_ffmpeg=() peak=0
for ((i = 0; i <= rounds; i++)); do
  rm -rf "$out" && sync
  read -r one kib < <(measure "${merge_cmd[@]}" --jobs 1)
  ((kib > peak)) && peak=$kib
  rm -rf "$out" && sync
  read -r two kib < <(measure "${merge_cmd[@]}" --jobs 2)
  ((kib > peak)) && peak=$kib
  rm -f "$work/ffmpeg.m4b" && sync
  read -r joined _ < <(measure "${ffmpeg_cmd[@]}")
  ((i > 0)) || continue
  [ -z "${VERBOSE:-}" ] || echo "  round $i: 1 job $one s, 2 jobs $two s, ffmpeg $joined s" >&2
  one_ffmpeg+=("$(awk -v a="$one" -v b="$joined" 'BEGIN { print a / b }')")
  two_ffmpeg+=("$(awk -v a="$two" -v b="$joined" 'BEGIN { print a / b }')")
done
printf '%-20s %8s %13s\n' "ratio" "median" "min-max"
for row in one_ffmpeg two_ffmpeg; do
  declare -n values=$row
  read -r median spread < <(printf '%s\n' "${values[@]}" | stats)
  label="1 job / ffmpeg"
  [ "$row" = one_ffmpeg ] || label="2 jobs / ffmpeg"
  printf '%-20s %8s %13s\n' "$label" "$median" "$spread"
done
echo "tracks $tracks, $seconds s each, $rounds rounds; brambex-cli peak $((peak / 1024)) MiB"
rm -rf "$work"
