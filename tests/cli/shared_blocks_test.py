#!/usr/bin/python3
"""A merge on XFS and btrfs shares the audio's blocks with the source tracks.

Runs the built brambex-cli on a set whose tags all change size (no tag, an ID3v2.4 tag
without padding, an ID3v2.3 tag that must grow), on freshly made loop-mounted XFS and
btrfs file systems, and checks with filefrag that each output's audio lies in blocks it
shares with its source, all but the block at each end. Needs root, mkfs.xfs or
mkfs.btrfs and loop devices: skipped otherwise. Usage: shared_blocks_test.py BRAMBEX_CLI
"""

import os
import random
import shutil
import subprocess
import sys
import tempfile

BLOCK = 4096
AUDIO = 300 * BLOCK + 1234  # the audio of each track: not a whole number of blocks


def syncsafe(n):
    return bytes((n >> s) & 0x7F for s in (21, 14, 7, 0))


def tag(version, frames, padding=0):
    body = frames + bytes(padding)
    return b"ID3" + bytes([version, 0, 0]) + syncsafe(len(body)) + body


def frame(fid, text, version):
    payload = b"\0" + text.encode("latin-1")
    size = syncsafe(len(payload)) if version == 4 else len(payload).to_bytes(4, "big")
    return fid + size + b"\0\0" + payload


TRAILER = b"TAG" + bytes(125)
# Each track: its tag, and whether an ID3v1 trailer follows the audio.
TRACKS = {
    "01 No tag.mp3": (b"", False),
    "02 No tag, trailer.mp3": (b"", True),
    "03 ID3v2.4.mp3": (tag(4, frame(b"TIT2", "Chapter three", 4)), True),
    "04 ID3v2.3 full.mp3": (tag(3, frame(b"TIT2", "Four", 3), 5), True),
}


def shared_blocks(path):
    """Blocks of the file in extents the file system marks shared."""
    out = subprocess.run(["filefrag", "-v", "-b%d" % BLOCK, path], capture_output=True,
                         text=True, check=True).stdout
    count = 0
    for line in out.splitlines():
        parts = line.split(":")
        if len(parts) >= 4 and parts[0].strip().isdigit() and "shared" in line:
            count += int(parts[3].strip())
    return count


def mount(kind, work):
    """A fresh file system of this kind on a loop image, or None with the reason why not."""
    mkfs = {"xfs": ["mkfs.xfs", "-q", "-f", "-m", "reflink=1"], "btrfs": ["mkfs.btrfs", "-q", "-f"]}
    if shutil.which(mkfs[kind][0]) is None:
        return None, "no " + mkfs[kind][0]
    image = os.path.join(work, kind + ".img")
    with open(image, "wb") as f:
        f.truncate(1 << 30)
    point = os.path.join(work, kind)
    os.mkdir(point)
    made = subprocess.run(mkfs[kind] + [image], capture_output=True, text=True)
    if made.returncode != 0:
        return None, made.stderr.strip()
    mounted = subprocess.run(["mount", "-o", "loop", image, point], capture_output=True,
                             text=True)
    if mounted.returncode != 0:
        return None, mounted.stderr.strip() or "mount failed"
    return point, ""


def check(cli, root):
    """Merges a set made under root; returns the problems found."""
    rng = random.Random(5)
    disc = os.path.join(root, "Shared Book Disc 1")
    os.mkdir(disc)
    audio = {}
    for name, (head, trailer) in TRACKS.items():
        audio[name] = rng.randbytes(AUDIO)
        with open(os.path.join(disc, name), "wb") as f:
            f.write(head + audio[name] + (TRAILER if trailer else b""))
    os.sync()
    merged = subprocess.run([cli, "merge", disc, "--title", "Shared Book", "-q", "-y"],
                            capture_output=True, text=True)
    if merged.returncode != 0:
        return ["the merge failed: " + merged.stderr]
    out_dir = os.path.join(root, "Shared Book")
    outputs = sorted(n for n in os.listdir(out_dir) if n.endswith(".mp3"))
    problems = []
    if len(outputs) != len(TRACKS):
        return ["the merge wrote %s" % outputs]
    for out_name, name in zip(outputs, TRACKS):
        path = os.path.join(out_dir, out_name)
        data = open(path, "rb").read()
        start = 10 + sum((b & 0x7F) << s for b, s in zip(data[6:10], (21, 14, 7, 0)))
        if data[start:start + AUDIO] != audio[name]:
            problems.append(out_name + ": the audio differs from its source's")
        # The whole blocks of the source's audio: the part blocks at its ends go with
        # the tag and the trailer, which are new.
        source_start = len(TRACKS[name][0])
        wanted = (source_start + AUDIO) // BLOCK - -(-source_start // BLOCK)
        got = shared_blocks(path)
        if got < wanted:
            problems.append("%s: %d blocks shared, at least %d expected" % (out_name, got, wanted))
    return problems


def main():
    cli = sys.argv[1]
    if os.geteuid() != 0:
        print("skipped: loop mounts need root")
        return 77
    if shutil.which("filefrag") is None:
        print("skipped: no filefrag (e2fsprogs)")
        return 77
    failed, tested = [], []
    work = tempfile.mkdtemp(prefix="brambex-shared-")
    try:
        for kind in ("xfs", "btrfs"):
            point, why = mount(kind, work)
            if point is None:
                print("%s left out: %s" % (kind, why))
                continue
            try:
                tested.append(kind)
                failed += [kind + ": " + p for p in check(cli, point)]
            finally:
                subprocess.run(["umount", point], check=False)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for line in failed:
        print(line)
    if not tested:
        print("skipped: neither file system could be mounted")
        return 77
    print("tested on " + ", ".join(tested))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
