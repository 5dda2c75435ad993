#!/usr/bin/python3
"""End-to-end runs of brambex-cli merge --format m4b on lame-encoded sets.

The book is read back by ffprobe (codec, chapters, duration), by mutagen (chapters,
tags, cover, the audiobook kind) and decoded by ffmpeg, whose length must be that of
the inputs' decoded audio within one AAC frame. Usage: m4b_end_to_end.py BRAMBEX_CLI
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

try:
    from mutagen.id3 import APIC, ID3, TYER
    from mutagen.mp4 import MP4, MP4Cover
except ImportError:
    print("skipped: mutagen is missing (install python3-mutagen)")
    sys.exit(77)

BIN = None
TOOLS = ["lame", "ffprobe", "ffmpeg"]
AAC_FRAME = 1024


def run(*args):
    return subprocess.run([BIN, *args], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=300)


def tone(path, frequency, seconds, channels):
    """A lame-encoded sine tone at 44.1 kHz, mono or stereo, without tags."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    wav = path + ".wav"
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                    f"sine=frequency={frequency}:duration={seconds}:sample_rate=44100",
                    "-ac", str(channels), wav], check=True)
    subprocess.run(["lame", "--quiet", "-b", "128", wav, path], check=True)
    os.remove(wav)


def decoded_samples(path):
    """Samples per channel that ffmpeg decodes from a file."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-"],
                         capture_output=True, check=True).stdout
    return len(raw) // 2


class M4bTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="brambex-m4b-")

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def make_set(self, channels, tracks):
        """Two discs of tracks (disc, number, frequency, seconds)."""
        paths = []
        for disc, number, frequency, seconds in tracks:
            path = os.path.join(self.root, f"Tones Disc {disc}", f"{number:02} Tone {frequency}.mp3")
            tone(path, frequency, seconds, channels)
            paths.append(path)
        return os.path.join(self.root, "Tones Disc 1"), paths

    def test_merge_writes_one_chaptered_gapless_book(self):
        disc1, inputs = self.make_set(2, [(1, 1, 330, 2), (1, 2, 440, 3), (2, 1, 550, 2.5),
                                          (2, 2, 660, 2)])
        subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=c=red:s=16x16",
                        "-frames:v", "1", os.path.join(disc1, "Folder.jpg")], check=True)
        year = ID3()
        year.add(TYER(encoding=0, text="1851"))
        year.save(inputs[0], v2_version=3)
        result = run("merge", disc1, "--format", "m4b", "--title", "Tones", "--artist", "Ann Lee",
                     "--jobs", "2", "-q")
        self.assertEqual(result.returncode, 0, result.stderr)
        out = os.path.join(self.root, "Tones")
        book = os.path.join(out, "Tones.m4b")
        self.assertEqual(sorted(n for n in os.listdir(out) if n != "merged"),
                         ["Folder.jpg", "Tones.m4b"])

        probe = subprocess.run(["ffprobe", "-v", "error", "-show_chapters", "-show_entries",
                                "stream=codec_name,channels:format=duration", "-of", "json", book],
                               capture_output=True, text=True, check=True).stdout
        probed = json.loads(probe)
        self.assertEqual(probed["streams"][0]["codec_name"], "aac")
        self.assertEqual(probed["streams"][0]["channels"], 2)
        self.assertAlmostEqual(float(probed["format"]["duration"]), 9.5, delta=0.03)
        chapters = [(round(float(c["start_time"]), 2), c["tags"]["title"])
                    for c in probed["chapters"]]
        self.assertEqual(chapters, [(0.0, "1-1 Tones"), (2.0, "1-2 Tones"),
                                    (5.0, "2-1 Tones"), (7.5, "2-2 Tones")])

        m4b = MP4(book)
        self.assertEqual([(round(c.start, 2), c.title) for c in m4b.chapters],
                         [(0.0, "1-1 Tones"), (2.0, "1-2 Tones"), (5.0, "2-1 Tones"),
                          (7.5, "2-2 Tones")])
        tags = m4b.tags
        self.assertEqual(tags["\xa9nam"], ["Tones"])
        self.assertEqual(tags["\xa9alb"], ["Tones"])
        self.assertEqual(tags["\xa9ART"], ["Ann Lee"])
        self.assertEqual(tags["aART"], ["Ann Lee"])
        self.assertEqual(tags["\xa9gen"], ["Audiobook"])
        self.assertEqual(tags["\xa9day"], ["1851"])
        self.assertEqual(tags["stik"], [2])
        with open(os.path.join(disc1, "Folder.jpg"), "rb") as f:
            self.assertEqual(bytes(tags["covr"][0]), f.read())

        # Gapless: the book decodes to the inputs' length, within the last frame's padding.
        expected = sum(decoded_samples(p) for p in inputs)
        self.assertEqual(expected, int(9.5 * 44100))
        self.assertLess(abs(decoded_samples(book) - expected), AAC_FRAME)

    def test_mono_set_stays_mono_and_mono_mixes_a_stereo_one_down(self):
        disc1, _ = self.make_set(1, [(1, 1, 300, 1), (1, 2, 400, 1)])
        self.assertEqual(run("merge", disc1, "--format", "m4b", "--title", "Mono", "-q").returncode, 0)
        self.assertEqual(MP4(os.path.join(self.root, "Mono", "Mono.m4b")).info.channels, 1)
        shutil.rmtree(os.path.join(self.root, "Tones Disc 1"))
        disc1, _ = self.make_set(2, [(1, 1, 300, 1), (1, 2, 400, 1)])
        result = run("merge", disc1, "--format", "m4b", "--title", "Mixed", "--mono",
                     "--bitrate", "32", "-q")
        self.assertEqual(result.returncode, 0, result.stderr)
        info = MP4(os.path.join(self.root, "Mixed", "Mixed.m4b")).info
        self.assertEqual(info.channels, 1)
        self.assertLess(info.bitrate, 48000)

    def test_first_tracks_own_front_cover_comes_before_the_folders_picture(self):
        disc1, inputs = self.make_set(2, [(1, 1, 300, 1), (1, 2, 400, 1)])
        pictures = {}
        for name, colour in (("Folder.jpg", "red"), ("own.png", "blue")):
            path = os.path.join(self.root, name)
            subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                            f"color=c={colour}:s=16x16", "-frames:v", "1", path], check=True)
            with open(path, "rb") as f:
                pictures[name] = f.read()
        shutil.copy(os.path.join(self.root, "Folder.jpg"), disc1)
        tag = ID3()
        tag.add(APIC(encoding=0, mime="image/png", type=3, desc="", data=pictures["own.png"]))
        tag.save(inputs[0], v2_version=3)
        result = run("merge", disc1, "--format", "m4b", "--title", "Covered", "-q")
        self.assertEqual(result.returncode, 0, result.stderr)
        cover = MP4(os.path.join(self.root, "Covered", "Covered.m4b")).tags["covr"][0]
        self.assertEqual(bytes(cover), pictures["own.png"])
        self.assertEqual(cover.imageformat, MP4Cover.FORMAT_PNG)

    def test_track_that_does_not_decode_stops_the_book_before_anything_is_written(self):
        disc1, _ = self.make_set(2, [(1, 1, 300, 1)])
        broken = os.path.join(disc1, "02 Broken.mp3")
        with open(broken, "wb") as f:
            f.write(b"\0" * 5000)
        result = run("merge", disc1, "--format", "m4b", "--title", "Broken", "-q")
        self.assertEqual(result.returncode, 1)
        self.assertIn("02 Broken.mp3", result.stderr)
        self.assertIn("does not decode", result.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.root, "Broken")))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    BIN = os.path.abspath(sys.argv.pop(1))
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(77)
    if "cannot write M4B" in run("merge", "/nonexistent", "--format", "m4b").stderr:
        print("skipped: this build cannot write M4B files")
        sys.exit(77)
    unittest.main(verbosity=2)
