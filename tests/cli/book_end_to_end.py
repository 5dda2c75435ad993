#!/usr/bin/python3
"""brambex-cli merge --format mp3 on a set that lame encoded, read back by others.

Disc 1 holds VBR tracks, disc 2 CBR tracks, all with LAME headers; the book is read back
by ffprobe (chapters, duration, packets, no warnings), mutagen (CHAP and CTOC, length)
and, where TagLib's headers are installed, TagLib. A set with one track at another
sample rate is refused with nothing written. Usage: book_end_to_end.py BRAMBEX_CLI
"""

import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

try:
    from mutagen.id3 import ID3, TALB, TIT2, TPE1, CTOCFlags
    from mutagen.mp3 import MP3
except ImportError:
    print("skipped: mutagen is missing (install python3-mutagen)")
    sys.exit(77)

for tool in ("lame", "ffprobe"):
    if shutil.which(tool) is None:
        print("skipped: " + tool + " is missing")
        sys.exit(77)

BIN = sys.argv[1]
HERE = os.path.dirname(os.path.abspath(__file__))
RATE = 44100
FRAME = 1152 / RATE  # one MPEG-1 layer III frame, in seconds
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL: " + what)


def encode(path, seconds, lame_options, resample="44.1"):
    """A tone of the given length, encoded by lame with its LAME header, tagged by mutagen."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    wav = path + ".wav"
    with wave.open(wav, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        samples = int(RATE * seconds)
        w.writeframes(b"".join(struct.pack("<hh", (i % 60) * 300 - 9000, (i % 40) * 400 - 8000)
                               for i in range(samples)))
    subprocess.run(["lame", "--quiet", *lame_options, "--resample", resample, wav, path],
                   check=True)
    os.remove(wav)
    tag = ID3()
    tag.add(TALB(encoding=3, text="Night Train Disc 1"))
    tag.add(TPE1(encoding=3, text="Ada Vance"))
    tag.add(TIT2(encoding=3, text=os.path.basename(path)[3:-4]))
    tag.save(path, v2_version=3)


def packets(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-select_streams", "a:0",
                            "-show_entries", "stream=nb_read_packets", "-of", "json", path],
                           capture_output=True, text=True, check=True)
    return int(json.loads(probe.stdout)["streams"][0]["nb_read_packets"])


def make_set(root, odd_rate=False):
    tracks = [("Night Train Disc 1/01 Departure.mp3", 2.0, ["-V", "4"]),
              ("Night Train Disc 1/02 Tunnel.mp3", 3.0, ["-V", "4"]),
              ("Night Train Disc 2/01 Border.mp3", 2.5, ["-b", "128"]),
              ("Night Train Disc 2/02 Arrival.mp3", 1.5, ["-b", "128"])]
    paths = []
    for name, seconds, options in tracks:
        path = os.path.join(root, name)
        odd = odd_rate and name.startswith("Night Train Disc 2/01")
        encode(path, seconds, options, "48" if odd else "44.1")
        paths.append(path)
    return paths


def check_book(root, inputs):
    book = os.path.join(root, "Night Train", "Night Train.mp3")
    check(os.path.isfile(book), "the book is written as Night Train/Night Train.mp3")
    if not os.path.isfile(book):
        return
    check(sorted(os.listdir(os.path.dirname(book))) == ["Night Train.mp3", "merged"],
          "the book's folder holds the book and the key file alone")
    probe = subprocess.run(["ffprobe", "-v", "warning", "-count_packets", "-show_chapters",
                            "-show_format", "-show_streams", "-of", "json", book],
                           capture_output=True, text=True)
    check(probe.stderr.strip() == "", "ffprobe reads the book without warnings: " + probe.stderr)
    info = json.loads(probe.stdout)
    chapters = info.get("chapters", [])
    titles = [c.get("tags", {}).get("title") for c in chapters]
    check(titles == ["1-1 Night Train", "1-2 Night Train", "2-1 Night Train", "2-2 Night Train"],
          "chapter titles: %s" % titles)
    frames = [packets(p) for p in inputs]
    expected = [sum(frames[:i]) * FRAME for i in range(len(frames))]
    starts = [float(c["start_time"]) for c in chapters]
    check(len(starts) == len(expected) and
          all(abs(s - e) <= FRAME for s, e in zip(starts, expected)),
          "chapter starts %s within one frame of %s" % (starts, expected))
    stream = info["streams"][0]
    check(int(stream["nb_read_packets"]) == sum(frames),
          "packets %s equal the inputs' frames %d" % (stream["nb_read_packets"], sum(frames)))
    lengths = sum(MP3(p).info.length for p in inputs)
    # Between tracks, each track's own encoder delay and padding still play.
    slack = 2 * FRAME * len(inputs)
    duration = float(info["format"]["duration"])
    check(abs(duration - lengths) <= slack, "duration %.3f near %.3f" % (duration, lengths))
    check(abs(MP3(book).info.length - lengths) <= slack,
          "mutagen's length %.3f near %.3f" % (MP3(book).info.length, lengths))
    tag = ID3(book)
    check(len(tag.getall("CHAP")) == 4, "four CHAP frames")
    tocs = tag.getall("CTOC")
    check(len(tocs) == 1 and tocs[0].flags & CTOCFlags.TOP_LEVEL and
          tocs[0].flags & CTOCFlags.ORDERED and len(tocs[0].child_element_ids) == 4,
          "one ordered top-level CTOC of the four chapters")
    check_with_taglib(book)


def check_with_taglib(book):
    if shutil.which("g++") is None or subprocess.run(
            ["pkg-config", "--exists", "taglib"]).returncode != 0:
        print("TagLib (libtag1-dev) is missing: its reading is skipped")
        return
    reader = os.path.join(os.path.dirname(book), "..", "taglib_reader")
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "taglib"], capture_output=True,
                           text=True, check=True).stdout.split()
    subprocess.run(["g++", "-std=c++17", os.path.join(HERE, "..", "tags", "taglib_reader.cpp"),
                    *flags, "-o", reader], check=True)
    lines = subprocess.run([reader, book], capture_output=True, text=True).stdout.splitlines()
    os.remove(reader)
    for line in ("title=Night Train", "album=Night Train", "chapter:ch1=1-1 Night Train",
                 "chapter:ch4=2-2 Night Train"):
        check(line in lines, "TagLib reads " + line + ": " + repr(lines))
    check(any(l.startswith("toc:") and l.endswith("=ch1,ch2,ch3,ch4") for l in lines),
          "TagLib reads the table of contents: " + repr(lines))


def check_refusal(root):
    make_set(root, odd_rate=True)
    result = subprocess.run([BIN, "merge", os.path.join(root, "Night Train Disc 1"),
                             "--format", "mp3", "-q"], capture_output=True, text=True)
    check(result.returncode == 1, "a set of two sample rates is refused: %d" % result.returncode)
    check(not os.path.exists(os.path.join(root, "Night Train")), "nothing is written")
    check("Night Train Disc 2/01 Border.mp3" in result.stderr and "48000 Hz" in result.stderr and
          "--format m4b" in result.stderr, "the message names the track: " + result.stderr)


def main():
    work = tempfile.mkdtemp(prefix="brambex-book-")
    try:
        root = os.path.join(work, "set")
        inputs = make_set(root)
        dry = subprocess.run([BIN, "merge", os.path.join(root, "Night Train Disc 1"),
                              "--format", "mp3", "--dry-run"], capture_output=True, text=True)
        check(dry.returncode == 0 and not os.path.exists(os.path.join(root, "Night Train")),
              "a dry run writes nothing: " + dry.stderr)
        check("Night Train/Night Train.mp3\n  chapter 1 at 0:00:00.000 \"1-1 Night Train\"" in
              dry.stdout and "chapter 4 at 0:00:0" in dry.stdout,
              "a dry run lists the file and its chapters: " + dry.stdout)
        result = subprocess.run([BIN, "merge", os.path.join(root, "Night Train Disc 1"),
                                 "--format", "mp3"], capture_output=True, text=True)
        check(result.returncode == 0, "merge --format mp3: %d %s" % (result.returncode,
                                                                    result.stderr))
        check_book(root, inputs)
        check_refusal(os.path.join(work, "odd"))
    finally:
        shutil.rmtree(work)
    if failures:
        sys.exit(1)
    print("book end to end: all checks passed")


main()
