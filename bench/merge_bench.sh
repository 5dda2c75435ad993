#!/usr/bin/env bash
# Merge benchmark, run by hand: `brambex-cli merge` of a generated set against `cp -r`
# of the same disc folders into the folder the merge makes, run alternately (merge,
# copy, merge, copy, ...) after one uncounted pair, so that both see the same machine.
# Reports per file system and number of jobs the median of the pair ratios (merge time
# / copy time) with their spread, the CPU time ratio, and the peak memory of
# brambex-cli; then the peak memory of a small and a large set of small tracks, which
# should be the same. The outputs of every job count are compared byte for byte with
# those of one job. Each row also gives the new data each contestant wrote: the median
# growth of the file system's used space (df after sync) over the run. On XFS and btrfs,
# where cp -r clones its files, the used space is the measure that counts a shared
# block once, as the file system does; per-file figures (du, filefrag) count it twice.
#
# Targets: one job at most 1.02 of cp -r on disk and on tmpfs; two jobs on two free
# cores at most 0.70; on XFS and btrfs, where both share the audio's blocks with the
# sources, at most 1.5 with one job or two and new data under 1% of the set; peak
# memory under 16 MiB, flat from 60 to 3,000 tracks. FLOOR=1 shows what the file work
# alone costs against cp -r.
#
# Usage: bench/merge_bench.sh [PAIRS]                      (default 7)
# Environment (defaults in brackets):
#   BRAMBEX_CLI   the binary [a release build made in build/bench]
#   TRACKS, MB    tracks of the timed set and megabytes per track [300, 3]
#   JOBS          the --jobs values to time ["1 2" when the binary knows --jobs, else none]
#   DISK_DIR      a folder on the disk [build/bench-work]
#   TMPFS_DIR     a folder on a tmpfs, empty to leave tmpfs out [/dev/shm]
#   FILE_SYSTEMS  which to time ["disk tmpfs xfs btrfs"]; xfs and btrfs are loop
#                 images made, mounted and removed again under DISK_DIR, as root only
#   IMAGE_GB      size of each loop image, sparse [4]
#   TAG_MIX       the tag of each disc folder in turn: v23 (an ID3v2.3 tag with padding),
#                 v24 (an ID3v2.4 tag without padding), none (no ID3v2 tag) ["v23" on
#                 disk and tmpfs, "v23 none v24" on xfs and btrfs]
#   MEMORY_SETS   track counts for the memory comparison, empty for none ["60 3000"]
#   SETTLE        seconds of rest before each timed run [1]
#   VERBOSE=1     print every pair's times on standard error
#   FLOOR=1       time bench/floor_copy.cpp instead of brambex-cli, one job: the merge's
#                 reads, writes, copies and renames in plain system calls, the least
#                 that one track at a time can cost on this machine
# Results are noisy while other work runs: look at `uptime` first.
set -euo pipefail
cd "$(dirname "$0")/.."

pairs=${1:-7}
tracks=${TRACKS:-300}
megabytes=${MB:-3}
disk_dir=${DISK_DIR:-$PWD/build/bench-work}
tmpfs_dir=${TMPFS_DIR-/dev/shm}
memory_sets=${MEMORY_SETS-60 3000}
settle=${SETTLE:-1}

if [ ! -x /usr/bin/time ]; then
  echo "merge_bench: needs GNU time in /usr/bin/time (apt-get install time)" >&2
  exit 2
fi
if [ -n "${FLOOR:-}" ]; then
  mkdir -p build/bench
  c++ -std=c++20 -O2 -o build/bench/floor_copy bench/floor_copy.cpp
  BRAMBEX_CLI=$PWD/build/bench/floor_copy
  JOBS=1
fi
if [ -z "${BRAMBEX_CLI:-}" ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRAMBEX_SHELL=OFF \
    -DBRAMBEX_TESTS=OFF >/dev/null
  cmake --build build/bench --target brambex-cli >/dev/null
  BRAMBEX_CLI=$PWD/build/bench/src/cli/brambex-cli
fi
if [ -z "${JOBS+set}" ]; then
  JOBS=""
  usage=$("$BRAMBEX_CLI" --help 2>&1 || true)
  if grep -q -- '--jobs' <<<"$usage"; then JOBS="1 2"; fi
fi
# "-": without --jobs, for a binary that does not know it.
read -r -a job_counts <<<"${JOBS:--}"

work_dirs=() mounts=() images=()
cleanup() {
  local d
  for d in "${work_dirs[@]}"; do rm -rf "$d"; done
  for d in "${mounts[@]}"; do umount "$d" && rmdir "$d"; done
  for d in "${images[@]}"; do rm -f "$d"; done
}
trap cleanup EXIT

# COUNT tracks of about MB megabytes each, 75 per disc folder (so no folder holds both
# 10 and 100): an ID3v2 tag of 1.5 to 32 KiB (text frames, a picture frame larger than
# the codec's frame buffer; ID3v2.3 with padding, ID3v2.4 without, or none, by disc as
# the list MIX says), MPEG-like audio that differs from track to track, and an ID3v1
# trailer.
make_set() {
  local root=$1 count=$2 mb=$3 mix=${4:-v23}
  mkdir -p "$root"
  /usr/bin/python3 - "$root" "$count" "$mb" "$mix" <<'EOF'
import os, random, sys
root, count, mb = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
mix = sys.argv[4].split()
rng = random.Random(11)
noise = rng.randbytes(8 * 1024 * 1024)
def frame(fid, payload):
    return fid + len(payload).to_bytes(4, "big") + b"\0\0" + payload
def text(fid, t, make=frame):
    return make(fid, b"\0" + t.encode("latin-1"))
def syncsafe(n):
    return bytes((n >> s) & 0x7F for s in (21, 14, 7, 0))
def frame24(fid, payload):
    return fid + syncsafe(len(payload)) + b"\0\0" + payload
audio_size = int(mb * 1024 * 1024)
for n in range(count):
    disc, track = n // 75 + 1, n % 75 + 1
    kind = mix[(disc - 1) % len(mix)]
    make = frame24 if kind == "v24" else frame
    tag_size = 1536 + (n * 7919) % (32 * 1024 - 1536)
    frames = text(b"TALB", f"Bench Book Disc {disc}", make) + \
             text(b"TPE2", "Bench Author", make) + text(b"TIT2", f"Chapter {track}", make) + \
             text(b"TCON", "(101)", make)
    picture = max(tag_size // 2 - len(frames), 0)
    if picture > 1100:
        frames += make(b"APIC", b"\0image/jpeg\0\3\0" + noise[n:n + picture - 14])
    body = frames + bytes(tag_size - 10 - len(frames)) if kind == "v23" else frames
    start = (n * 104729) % (len(noise) - 4096)
    audio = bytearray()
    while len(audio) < audio_size:
        audio += b"\xff\xfb\x90\xc4" + noise[start:start + 413]
        start = (start + 4099) % (len(noise) - 4096)
    folder = os.path.join(root, f"Bench Book Disc {disc}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"{track:02d} Chapter.mp3"), "wb") as f:
        tag = b"" if kind == "none" else \
            b"ID3" + (b"\4" if kind == "v24" else b"\3") + b"\0\0" + syncsafe(len(body)) + body
        f.write(tag + audio[:audio_size] + b"TAG" + bytes(125))
EOF
}

# Runs a command under GNU time; prints "wall-seconds cpu-seconds peak-KiB". A command
# that fails ends the benchmark: its time would be no copy's time.
measure() {
  local log=$1; shift
  local t0=$EPOCHREALTIME
  if ! /usr/bin/time -v -o "$log" "$@" >/dev/null; then
    echo "merge_bench: failed: $*" >&2
    kill -TERM $$
    exit 1
  fi
  local t1=$EPOCHREALTIME
  awk -v t0="$t0" -v t1="$t1" -F': ' '
    /User time/ { cpu += $2 } /System time/ { cpu += $2 }
    /Maximum resident set size/ { kib = $2 }
    END { printf "%.4f %.3f %d\n", t1 - t0, cpu, kib }' "$log"
}

# The merge command for ROOT and a --jobs value, in merge_command.
merge_args() {
  merge_command=("$BRAMBEX_CLI" merge "$1/Bench Book Disc 1" --title "Bench Book_1" -q -y)
  [ "$2" = - ] || merge_command+=(--jobs "$2")
}
merge() {
  merge_args "$1" "$2"
  "${merge_command[@]}"
}

# Median, smallest and largest, and the quartiles of the numbers on standard input.
stats() {
  sort -g | awk '{ v[NR] = $1 }
    function at(p,  i) { i = 1 + (NR - 1) * p; return v[int(i)] + (i - int(i)) * (v[int(i) + 1] - v[int(i)]) }
    END { printf "%.3f %.3f %.3f %.3f %.3f\n", at(0.5), v[1], v[NR], at(0.25), at(0.75) }'
}

table_header() {
  printf '%-6s %6s %4s %5s %8s %8s %6s %13s %13s %6s %8s %9s %9s\n' "fs" "tracks" "jobs" \
    "pairs" "merge s" "cp -r s" "ratio" "min-max" "quartiles" "cpu" "peak MiB" "merge MiB" \
    "cp MiB"
}

# The used space of the file system that holds ROOT in bytes, once everything written
# and freed before is on the disk: btrfs counts freed and written extents in its df
# only when a transaction commits.
used_bytes() {
  sync
  [ "$(stat -f -c %T "$1")" != btrfs ] || btrfs filesystem sync "$1" >/dev/null
  df --output=used -B1 "$1" | tail -n 1
}

# Times merge against cp -r in PAIRS alternating pairs for one --jobs value.
time_pairs() {
  local fs=$1 root=$2 jobs=$3
  local ratios=() cpus=() merges=() copies=() merge_news=() copy_news=() peak=0
  # Pair 0 is a warm-up and not counted: the first runs after the set is made pay for
  # the file system settling, whoever runs first.
  for ((i = 0; i <= pairs; i++)); do
    # Each contestant starts alike: the earlier output removed, everything written
    # before it on the disk, a moment for the disk to settle. Both write into the same
    # new folder beside the disc folders, so that the file system places both alike;
    # on ext4 a copy into another folder was seen to take 10% more or less.
    rm -rf "$root"/Bench\ Book_*
    local before after
    before=$(used_bytes "$root")
    sleep "$settle"
    merge_args "$root" "$jobs"
    read -r wall cpu kib < <(measure "$root/time.log" "${merge_command[@]}")
    ((kib > peak)) && peak=$kib
    local merge_wall=$wall merge_cpu=$cpu
    after=$(used_bytes "$root")
    local merge_new=$((after - before))
    rm -rf "$root"/Bench\ Book_*
    mkdir "$root/Bench Book_1"
    before=$(used_bytes "$root")
    sleep "$settle"
    read -r wall cpu _ < <(measure "$root/time.log" cp -r "$root"/Bench\ Book\ Disc\ * "$root/Bench Book_1/")
    after=$(used_bytes "$root")
    ((i > 0)) || continue
    merges+=("$merge_wall")
    copies+=("$wall")
    merge_news+=("$merge_new")
    copy_news+=("$((after - before))")
    ratios+=("$(awk -v m="$merge_wall" -v c="$wall" 'BEGIN { print m / c }')")
    [ -z "${VERBOSE:-}" ] || echo "  $fs jobs ${jobs/-/1} pair $i: merge $merge_wall s, cp -r $wall s" >&2
    cpus+=("$(awk -v m="$merge_cpu" -v c="$cpu" 'BEGIN { print (c > 0 ? m / c : 0) }')")
  done
  local r m c u mn cn
  read -r r rmin rmax rq1 rq3 < <(printf '%s\n' "${ratios[@]}" | stats)
  read -r m _ < <(printf '%s\n' "${merges[@]}" | stats)
  read -r c _ < <(printf '%s\n' "${copies[@]}" | stats)
  read -r u _ < <(printf '%s\n' "${cpus[@]}" | stats)
  read -r mn _ < <(printf '%s\n' "${merge_news[@]}" | stats)
  read -r cn _ < <(printf '%s\n' "${copy_news[@]}" | stats)
  printf '%-6s %6d %4s %5d %8.3f %8.3f %6.3f %13s %13s %6.2f %8.1f %9.1f %9.1f\n' "$fs" \
    "$tracks" "${jobs/-/1}" "$pairs" "$m" "$c" "$r" "$rmin-$rmax" "$rq1-$rq3" "$u" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" \
    "$(awk -v b="$mn" 'BEGIN { print b / 1048576 }')" "$(awk -v b="$cn" 'BEGIN { print b / 1048576 }')"
}

# A freshly made XFS (with reflink) or btrfs file system in a sparse loop image under
# DISK_DIR, mounted at mount_dir; or mount_dir empty and a line on standard error why
# the file system is left out. Not in a subshell: the exit trap unmounts what it lists.
mount_image() {
  local fs=$1 mkfs=(mkfs.xfs -q -f -m reflink=1)
  mount_dir=
  [ "$fs" = xfs ] || mkfs=(mkfs.btrfs -q -f)
  if [ "$(id -u)" != 0 ]; then
    echo "merge_bench: $fs left out: loop images need root" >&2
    return
  fi
  if ! command -v "${mkfs[0]}" >/dev/null; then
    echo "merge_bench: $fs left out: no ${mkfs[0]} (apt-get install xfsprogs btrfs-progs)" >&2
    return
  fi
  local image mount_point
  image=$(mkdir -p "$disk_dir" && mktemp "$disk_dir/brambex-$fs-XXXXXX.img")
  images+=("$image")
  truncate -s "${IMAGE_GB:-4}G" "$image"
  "${mkfs[@]}" "$image" >/dev/null
  mount_point=$(mktemp -d "$disk_dir/brambex-$fs-XXXXXX")
  if ! mount -o loop "$image" "$mount_point"; then
    rmdir "$mount_point"
    echo "merge_bench: $fs left out: the loop image did not mount" >&2
    return
  fi
  mounts+=("$mount_point")
  mount_dir=$mount_point
}

# The merged files of every job count must equal those of one job.
check_same_output() {
  local root=$1 jobs=$2
  rm -rf "$root"/Bench\ Book_* "$root/reference"
  merge "$root" 1 && mkdir "$root/reference" && mv "$root"/Bench\ Book_* "$root/reference/"
  merge "$root" "$jobs"
  local out
  for out in "$root/reference"/*; do
    if ! diff -r "$out" "$root/$(basename "$out")" >/dev/null; then
      echo "merge_bench: the output of --jobs $jobs differs from that of --jobs 1 in $root" >&2
      exit 1
    fi
  done
  rm -rf "$root/reference"
}

echo "brambex-cli: $BRAMBEX_CLI"
echo "$tracks tracks of $megabytes MB, $pairs pairs; $(nproc) cores; load: $(uptime | sed 's/.*load average: //')"
table_header
for fs in ${FILE_SYSTEMS:-disk tmpfs xfs btrfs}; do
  dir=$disk_dir mix=${TAG_MIX:-v23}
  if [ "$fs" = tmpfs ]; then
    [ -n "$tmpfs_dir" ] || continue
    dir=$tmpfs_dir
  elif [ "$fs" = xfs ] || [ "$fs" = btrfs ]; then
    mount_image "$fs"
    dir=$mount_dir
    [ -n "$dir" ] || continue
    mix=${TAG_MIX:-v23 none v24}
  fi
  root=$(mkdir -p "$dir" && mktemp -d "$dir/brambex-bench-XXXXXX")
  work_dirs+=("$root")
  make_set "$root" "$tracks" "$megabytes" "$mix"
  cat "$root"/*/*.mp3 >/dev/null  # both contestants start from a warm cache
  for jobs in "${job_counts[@]}"; do
    [ "$jobs" = 1 ] || [ "$jobs" = - ] || check_same_output "$root" "$jobs"
    time_pairs "$fs" "$root" "$jobs"
  done
  rm -rf "$root"
done

if [ -n "$memory_sets" ]; then
  echo
  printf '%-6s %6s %4s %8s\n' "fs" "tracks" "jobs" "peak MiB"
  for count in $memory_sets; do
    root=$(mkdir -p "$disk_dir" && mktemp -d "$disk_dir/brambex-bench-XXXXXX")
    work_dirs+=("$root")
    make_set "$root" "$count" 0.1
    for jobs in "${job_counts[@]}"; do
      rm -rf "$root"/Bench\ Book_*
      merge_args "$root" "$jobs"
      read -r _ _ kib < <(measure "$root/time.log" "${merge_command[@]}")
      printf '%-6s %6d %4s %8.1f\n' disk "$count" "${jobs/-/1}" \
        "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
    done
    rm -rf "$root"
  done
fi
