"""Rewrites MP3 files made by lame and tagged by other programs, then checks the result
with independent readers: mutagen for the frames and the ID3v1 trailer, ffprobe for what
players see, ffmpeg for the decoded audio.

usage: integration_test.py REWRITE_TOOL BRAMBEX_TAGS
Exits 77 (skipped) when lame, ffmpeg, ffprobe, id3v2, eyeD3 or mutagen is missing.
"""

import hashlib
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

try:
    from mutagen.id3 import APIC, COMM, ID3, TALB, TIT2, TPE1, TRCK, TYER
except ImportError:
    print("mutagen is missing")
    sys.exit(77)

for tool in ("lame", "ffmpeg", "ffprobe", "id3v2", "eyeD3"):
    if shutil.which(tool) is None:
        print(tool + " is missing")
        sys.exit(77)

REWRITE, BRAMBEX_TAGS = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def make_track(path, seconds=2.0, freq=440.0):
    wav = path + ".wav"
    with wave.open(wav, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(44100)
        frames = bytearray()
        for i in range(int(44100 * seconds)):
            frames += struct.pack("<h", int(12000 * math.sin(2 * math.pi * freq * i / 44100)))
        w.writeframes(bytes(frames))
    run("lame", "--quiet", "-b", "96", wav, path)
    os.remove(wav)


def decoded_md5(path):
    return hashlib.md5(run("ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-")).hexdigest()


def ffprobe_tags(path):
    info = json.loads(run("ffprobe", "-v", "error", "-show_entries", "format_tags", "-of", "json", path))
    return {k.lower(): v for k, v in info.get("format", {}).get("tags", {}).items()}


def id3v1(path):
    with open(path, "rb") as f:
        f.seek(-128, os.SEEK_END)
        last = f.read(128)
    return {
        "tag": last[:3],
        "title": last[3:33].rstrip(b"\0"),
        "artist": last[33:63].rstrip(b"\0"),
        "album": last[63:93].rstrip(b"\0"),
        "track": last[126] if last[125] == 0 else None,
        "genre": last[127],
    }


def audio_offset(path):
    with open(path, "rb") as f:
        head = f.read(10)
    if head[:3] != b"ID3":
        return 0
    s = head[6:10]
    return 10 + ((s[0] << 21) | (s[1] << 14) | (s[2] << 7) | s[3])


COVER = os.urandom(30000)
ALBUM_V1 = b"Moby Dick; or, The Whale, complete"
NEW = {
    "TALB": "Moby Dick",
    "TPE1": "Герман Мелвилл",
    "TIT2": "1-3 Moby Dick",
    "TRCK": "3",
    "TCON": "(12)",
}


def tag_with_mutagen(path, version, encoding, title):
    tags = ID3()
    tags.add(TIT2(encoding=encoding, text=title))
    tags.add(TALB(encoding=encoding, text="Old album"))
    tags.add(TPE1(encoding=encoding, text="Old artist"))
    tags.add(TRCK(encoding=encoding, text="7"))
    tags.add(COMM(encoding=encoding, lang="eng", desc="", text="kept comment"))
    tags.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=COVER))
    if version == 3:
        tags.add(TYER(encoding=0, text="1851"))
    # Room for the new texts: what rippers leave as padding.
    tags.save(path, v2_version=version, v1=2, padding=lambda info: 1024)


def main():
    work = tempfile.mkdtemp(prefix="brambex-integration-")
    try:
        base = os.path.join(work, "base.mp3")
        make_track(base)
        cases = {}

        path = os.path.join(work, "v23-latin1.mp3")
        shutil.copy(base, path)
        tag_with_mutagen(path, 3, 0, "Chapter one")
        cases["v23-latin1"] = path

        path = os.path.join(work, "v23-utf16.mp3")
        shutil.copy(base, path)
        tag_with_mutagen(path, 3, 1, "Глава первая")
        cases["v23-utf16"] = path

        path = os.path.join(work, "v23-id3v2-tool.mp3")
        shutil.copy(base, path)
        run("id3v2", "-a", "Tool artist", "-A", "Tool album", "-t", "Tool title", "-T", "4", path)
        cases["v23-id3v2-tool"] = path

        path = os.path.join(work, "v23-eyed3.mp3")
        shutil.copy(base, path)
        run("eyeD3", "--quiet", "--to-v2.3", "-a", "Żółw artist", "-t", "Żółw", "-n", "5", path)
        cases["v23-eyed3"] = path

        path = os.path.join(work, "v24.mp3")
        shutil.copy(base, path)
        tag_with_mutagen(path, 4, 3, "Chapter four")
        cases["v24"] = path

        cases["none"] = base

        for name, source in sorted(cases.items()):
            with open(source, "rb") as f:
                original = f.read()
            out = os.path.join(work, name + ".out.mp3")
            args = [REWRITE, source, out]
            for frame_id, text in NEW.items():
                args += ["--set", frame_id + "=" + text]
            args += ["--trailer", "1-3 Moby Dick", "Melville", ALBUM_V1.decode() + "_2", "3", "12"]
            result = subprocess.run(args, capture_output=True)
            check(result.returncode == 0, name + ": rewrite pass failed: " + result.stderr.decode())
            with open(source, "rb") as f:
                check(f.read() == original, name + ": the input was changed")

            check(decoded_md5(source) == decoded_md5(out), name + ": decoded audio differs")
            if name == "none":
                # A new tag goes in front; every input byte but the trailer follows it.
                body = original[:-128] if original[-128:-125] == b"TAG" else original
                with open(out, "rb") as f:
                    check(f.read()[audio_offset(out):-128] == body, name + ": input not copied whole")
            else:
                check(audio_offset(source) == audio_offset(out), name + ": audio moved")

            trailer = id3v1(out)
            check(trailer["tag"] == b"TAG", name + ": no ID3v1 trailer")
            check(trailer["title"] == b"1-3 Moby Dick", name + ": trailer title " + repr(trailer["title"]))
            # The folder number survives the cut to 30 bytes.
            check(trailer["album"] == ALBUM_V1[:28] + b"_2", name + ": trailer album " + repr(trailer["album"]))
            check(trailer["track"] == 3 and trailer["genre"] == 12, name + ": trailer track or genre")

            # Untranslated, so that "(12)" is not shown as "Other".
            before = ID3(source, translate=False) if name != "none" else {}
            after = ID3(out, translate=False)
            check(after.version == (2, 3, 0), name + ": output tag version " + str(after.version))
            for frame_id, text in NEW.items():
                check(after.get(frame_id) is not None and after[frame_id].text == [text],
                      name + ": " + frame_id + " reads " + repr(after.get(frame_id)))
            check(after.get("TPE1").encoding == 1, name + ": non-latin TPE1 not written as UTF-16")
            check(after.get("TALB").encoding == 0, name + ": latin TALB not written as ISO-8859-1")
            for key in before.keys():
                if key[:4] not in NEW:
                    same = key in after and (before[key] == after[key] or
                                             repr(getattr(before[key], "text", None)) ==
                                             repr(getattr(after[key], "text", None)))
                    check(same, name + ": frame " + key + " not kept")
            if "APIC:" in before:
                check(after["APIC:"].data == COVER, name + ": cover picture damaged")

            probe = ffprobe_tags(out)
            check(probe.get("album") == "Moby Dick", name + ": ffprobe album " + repr(probe.get("album")))
            check(probe.get("artist") == NEW["TPE1"], name + ": ffprobe artist " + repr(probe.get("artist")))
            check(probe.get("title") == NEW["TIT2"], name + ": ffprobe title " + repr(probe.get("title")))

            report = run(BRAMBEX_TAGS, out).decode()
            check('TALB' in report and '"Moby Dick"' in report and '"' + NEW["TPE1"] + '"' in report,
                  name + ": brambex-tags shows " + report)
    finally:
        shutil.rmtree(work)

    if failures:
        print("%d failure(s)" % len(failures))
        sys.exit(1)
    print("all checks passed")


main()
