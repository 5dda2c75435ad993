#!/usr/bin/env bash
# M4B benchmark, run by hand: `brambex-cli merge --format m4b` of a lame-encoded set with
# one job and with two, each against ffmpeg's concat demuxer encoding the same tracks
# with its AAC encoder at the same bitrate, in alternating rounds (one job, ffmpeg, two
# jobs, ffmpeg, ...) after one uncounted round, so that each pair sees the same machine.
# Reports the median of the round ratios against ffmpeg with their spread, the peak
# memory of each program, and checks the books: each decodes to the inputs' samples
# (and the last AAC frame's padding, which ffmpeg's reader leaves on) and each chapter
# starts on its track's first sample.
#
# Usage: bench/m4b_bench.sh [ROUNDS]                  (default 7)
# Environment (defaults in brackets):
#   BRAMBEX_CLI   the binary [build/test/src/cli/brambex-cli]
#   TRACKS        tracks of the set, on one disc [12]
#   SECONDS_EACH  seconds per track [85: about 17 minutes in all]
#   WORK_DIR      where the set is made and merged [build/m4b-bench-work]
# Results are noisy while other work runs: the script says so when the load is over 2.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-7}
tracks=${TRACKS:-12}
seconds=${SECONDS_EACH:-85}
work=${WORK_DIR:-$PWD/build/m4b-bench-work}
cli=${BRAMBEX_CLI:-$PWD/build/test/src/cli/brambex-cli}

for tool in ffmpeg ffprobe lame /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "m4b_bench: needs $tool" >&2; exit 2; }
done
load_before=$(cut -d' ' -f1 /proc/loadavg)
if awk -v l="$load_before" 'BEGIN { exit !(l > 2) }'; then
  echo "m4b_bench: load average $load_before: the numbers below say little" >&2
fi

# Samples per channel that ffmpeg decodes from a file.
decoded() {
  ffmpeg -v error -i "$1" -f s16le -ac 1 - | wc -c | awk '{ print $1 / 2 }'
}

# The set: stereo tones of distinct pitches under pink noise, as speech keeps an encoder
# busier than a pure tone, at 44.1 kHz, lame-encoded at 128 kbit/s; the ffmpeg concat
# list for it, and where each track starts in the inputs' decoded samples.
rm -rf "$work"
disc="$work/Bench Book Disc 1"
mkdir -p "$disc"
starts=() total=0
for ((n = 1; n <= tracks; n++)); do
  track="$disc/$(printf '%02d' "$n") Chapter.mp3"
  ffmpeg -v fatal -y -f lavfi -i "sine=frequency=$((200 + 40 * n)):duration=$seconds" \
    -f lavfi -i "anoisesrc=color=pink:amplitude=0.1:duration=$seconds:seed=$n" \
    -filter_complex amix=inputs=2 -ar 44100 -ac 2 "$work/tone.wav"
  lame --quiet -b 128 "$work/tone.wav" "$track"
  echo "file '$track'" >>"$work/list.txt"
  starts+=("$total")
  total=$((total + $(decoded "$track")))
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

# brambex-cli merges the set with this many jobs into "Bench <jobs>/Bench <jobs>.m4b".
ours() {
  rm -rf "$work/Bench $1" && sync
  measure "$cli" merge "$disc" --format m4b --title "Bench $1" -q -y --jobs "$1"
}
theirs() {
  rm -f "$work/ffmpeg.m4b" && sync
  measure ffmpeg -v fatal -y -f concat -safe 0 -i "$work/list.txt" -c:a aac -b:a 64k \
    "$work/ffmpeg.m4b"
}

one_ffmpeg=() two_ffmpeg=() peak_one=0 peak_two=0 peak_ffmpeg=0
for ((i = 0; i <= rounds; i++)); do
  read -r one kib < <(ours 1)
  ((kib > peak_one)) && peak_one=$kib
  read -r joined1 kib < <(theirs)
  ((kib > peak_ffmpeg)) && peak_ffmpeg=$kib
  read -r two kib < <(ours 2)
  ((kib > peak_two)) && peak_two=$kib
  read -r joined2 kib < <(theirs)
  ((kib > peak_ffmpeg)) && peak_ffmpeg=$kib
  ((i > 0)) || continue
  [ -z "${VERBOSE:-}" ] ||
    echo "  round $i: 1 job $one s, ffmpeg $joined1 s, 2 jobs $two s, ffmpeg $joined2 s" >&2
  one_ffmpeg+=("$(awk -v a="$one" -v b="$joined1" 'BEGIN { print a / b }')")
  two_ffmpeg+=("$(awk -v a="$two" -v b="$joined2" 'BEGIN { print a / b }')")
done
printf '%-20s %8s %13s\n' "ratio" "median" "min-max"
for row in one_ffmpeg two_ffmpeg; do
  declare -n values=$row
  read -r median spread < <(printf '%s\n' "${values[@]}" | stats)
  label="1 job / ffmpeg"
  [ "$row" = one_ffmpeg ] || label="2 jobs / ffmpeg"
  printf '%-20s %8s %13s\n' "$label" "$median" "$spread"
done
echo "peak memory: brambex-cli 1 job $((peak_one / 1024)) MiB, 2 jobs $((peak_two / 1024)) MiB;" \
  "ffmpeg $((peak_ffmpeg / 1024)) MiB"

# Each book against the inputs: its decoded length, and where its chapters start (in
# the chapter track's time base, the book's samples) against where the tracks start.
echo "inputs: $tracks tracks, $seconds s each, $total samples decoded; $rounds rounds"
for jobs in 1 2; do
  book="$work/Bench $jobs/Bench $jobs.m4b"
  length=$(decoded "$book")
  rate=$(ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate -of csv=p=0 "$book")
  ffprobe -v error -show_entries chapter=time_base,start -of csv=p=0 "$book" |
    awk -F'[,/]' -v rate="$rate" -v starts="${starts[*]}" -v jobs="$jobs" \
      -v decoded="$length" -v total="$total" '
      BEGIN { n = split(starts, track, " ") }
      { at = $3 * $1 * rate / $2; d = at - track[NR]; d = d < 0 ? -d : d
        if (d > worst) worst = d; if (d < 0.5) on++ }
      END { padding = (1024 - total % 1024) % 1024
            printf "%d job%s: %d samples decoded (%+d; the last frame pads %d); %d of %d " \
                   "chapters (%d tracks) start on the first sample of their track, the " \
                   "farthest %.1f samples off\n", jobs, (jobs > 1 ? "s" : ""), decoded,
                   decoded - total, padding, on, NR, n, worst }'
done
echo "load average before $load_before, after $(cut -d' ' -f1 /proc/loadavg)"
rm -rf "$work"
