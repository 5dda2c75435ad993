"""Rewrites MP3 files made by lame and tagged by other programs, then checks the result
with independent readers: mutagen for the frames and the ID3v1 trailer, ffprobe for what
players see, ffmpeg for the decoded audio. ID3v2.4 and 2.2 tags are converted as
mutagen's own conversion to ID3v2.3 converts them; texts longer than the codec's buffers,
a chapter's own picture, the 2.4-only frames mutagen drops and a new tag in front of a
stale one are read back by mutagen, ffprobe, eyeD3 and TagLib. Then a set of such tracks, tagged by
mid3v2, eyeD3, ffmpeg and id3v2 (one with an APEv2 tag by mutagen too) and one untagged,
is merged by brambex-cli, and every output is read back by mutagen, ffprobe, eyeD3 and
TagLib (a small reader built here).

usage: integration_test.py REWRITE_TOOL BRAMBEX_TAGS BRAMBEX_CLI
Exits 77 (skipped) when lame, ffmpeg, ffprobe, id3v2, eyeD3, mid3v2, mutagen, eyed3,
g++ or TagLib is missing.
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
    import eyed3
    from mutagen.id3 import (APIC, CHAP, COMM, CTOC, ID3, RVA2, TALB, TCOM, TCON, TDRC, TIPL, TIT2, TMOO,
                             TPE1, TRCK, TSOA, TSOP, TSOT, TXXX, TYER, USLT, WXXX, CTOCFlags)
    from mutagen.apev2 import BINARY, APEv2, APEValue
except ImportError as e:
    print(str(e))
    sys.exit(77)

for tool in ("lame", "ffmpeg", "ffprobe", "id3v2", "eyeD3", "mid3v2", "g++", "pkg-config"):
    if shutil.which(tool) is None:
        print(tool + " is missing")
        sys.exit(77)
if subprocess.run(["pkg-config", "--exists", "taglib"]).returncode != 0:
    print("TagLib (libtag1-dev) is missing")
    sys.exit(77)

REWRITE, BRAMBEX_TAGS, BRAMBEX_CLI = sys.argv[1], sys.argv[2], sys.argv[3]
# eyeD3 finds the LAME header's CRC wrong in lame's own output; that is no concern here.
eyed3.log.setLevel("ERROR")
HERE = os.path.dirname(os.path.abspath(__file__))
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


# What every reader must show of a 2.4 tag's texts longer than the codec's buffers (the
# lyrics non-Latin, so UTF-8 becomes UTF-16), of a chapter with its own picture and of
# 2.4-only frames in their 2.3 forms; keys are mutagen's.
EXPECTED_V24 = {
    "USLT:long:eng": "".join("Строка %d ✓\n" % i for i in range(2000)),
    "COMM:long note:eng": "".join("Заметка %d. " % i for i in range(1000)),
    "TXXX:LONG_TEXT": "".join("entry %05d; " % i for i in range(2300)),
    "CHAP:ch2": "Mit Bild ✓", "CHAP:ch2 APIC": "33000", "CTOC:toc": "ch1,ch2",
    "TSOA": "Kidnapped, The", "TSOP": "Stevenson, R. L.", "TSOT": "Chapter One",
    "TXXX:MOOD": "Calm ✓", "TXXX:REPLAYGAIN_TRACK_GAIN": "-6.20 dB",
    "TXXX:REPLAYGAIN_TRACK_PEAK": "0.500000", "TXXX:REPLAYGAIN_ALBUM_GAIN": "-3.00 dB",
    "TXXX:REPLAYGAIN_ALBUM_PEAK": "0.750000", "TDRC": "2001-05-03 00:00",
}
# Items as ffprobe and TagLib's properties name them (None: ffprobe does not show it).
ITEMS = [("TIT2", "title", "TITLE"), ("TALB", "album", "ALBUM"), ("TCOM", "composer", "COMPOSER"),
         ("USLT:long:eng", "lyrics-long-eng", "LYRICS:LONG"),
         ("COMM:long note:eng", "long note", "COMMENT:LONG NOTE"),
         ("TXXX:LONG_TEXT", "long_text", "LONG_TEXT"), ("TSOA", "album-sort", "ALBUMSORT"),
         ("TSOP", "artist-sort", "ARTISTSORT"), ("TSOT", "title-sort", "TITLESORT"),
         ("TDRC", "date", "DATE")] + [
    ("TXXX:" + key, key.lower(), key) for key in ("MOOD", "REPLAYGAIN_TRACK_GAIN",
                                                 "REPLAYGAIN_TRACK_PEAK", "REPLAYGAIN_ALBUM_GAIN",
                                                 "REPLAYGAIN_ALBUM_PEAK")]
READER_TABLE = []


def reader_views(path, reader):
    """Each reader's text of each item it can show."""
    tags, e = ID3(path), eyed3.load(path).tag
    probe = ffprobe_tags(path)
    chapters = json.loads(run("ffprobe", "-v", "error", "-show_chapters", "-of", "json", path))["chapters"]
    taglib = {}
    for line in run(reader, path).decode().splitlines():
        key, _, value = line.partition("=")
        taglib[key] = taglib.get(key, "") + "," + value if key == "picture" else value.replace("\\n", "\n")
    views = {"mutagen": {}, "ffprobe": {}, "eyeD3": {}, "TagLib": {}}
    for item, probe_key, taglib_key in ITEMS:
        desc = (item.split(":") + [""])[1]
        found = [f for f in e.frame_set.get(item[:4].encode(), []) if getattr(f, "description", "") == desc]
        for name, value in (("mutagen", str(tags[item]) if item in tags else None),
                            ("ffprobe", probe.get(probe_key)), ("eyeD3", found[0].text if found else None),
                            ("TagLib", taglib.get("prop:" + taglib_key))):
            views[name][item] = value
    # eyeD3 takes 2.3's TDAT and TIME for dates and reads neither, not even its own.
    del views["eyeD3"]["TDRC"]
    chapter, toc = tags.get("CHAP:ch2"), e.table_of_contents.get(b"toc")
    views["mutagen"].update({"APIC": ",".join(str(len(a.data)) for a in tags.getall("APIC")),
                             "CHAP:ch2": chapter and str(chapter.sub_frames["TIT2"]),
                             "CHAP:ch2 APIC": chapter and str(len(chapter.sub_frames["APIC:"].data)),
                             "CTOC:toc": "CTOC:toc" in tags and ",".join(tags["CTOC:toc"].child_element_ids)})
    chapter = e.chapters.get(b"ch2")
    views["eyeD3"].update({"APIC": ",".join(str(len(i.image_data)) for i in e.images),
                           "CHAP:ch2": chapter and chapter.title,
                           "CHAP:ch2 APIC": chapter and str(len(chapter.sub_frames[b"APIC"][0].image_data)),
                           "CTOC:toc": toc and ",".join(c.decode() for c in toc.child_ids)})
    views["ffprobe"]["CHAP:ch2"] = chapters[1]["tags"].get("title") if len(chapters) > 1 else None
    title, _, picture = taglib.get("chapter:ch2", "").partition("/")
    views["TagLib"].update({"APIC": taglib.get("picture", "").lstrip(","), "CHAP:ch2": title or None,
                            "CHAP:ch2 APIC": picture or None, "CTOC:toc": taglib.get("toc:toc")})
    for view in views.values():
        if view.get("TDRC"):
            view["TDRC"] = view["TDRC"].replace("T", " ")[:16]
    return views


def check_readers(name, path, reader, expected, rows):
    """Every reader shows each expected item as it is; a row of the table for each group."""
    views = reader_views(path, reader)
    for reader_name, view in views.items():
        for item, value in expected.items():
            check(item not in view or view[item] == value,
                  name + ": " + reader_name + " reads " + item + " " + repr(view.get(item))[:120])
    short = lambda v: "-" if v is None else v if len(v) <= 24 else "%.1f KiB" % (len(v.encode()) / 1024)
    for label, items in rows:
        READER_TABLE.append("| %s | %s |" % (label, " | ".join(
            " / ".join(short(view.get(i)) for i in items) for view in views.values())))


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

def frame_values(path):
    """The ID3v2.3 frames of a file as mutagen reads them, without their encodings."""
    tags = ID3(path, translate=False)
    values = {}
    for key, frame in tags.items():
        fields = {}
        for name in ("text", "desc", "lang", "mime", "type", "data", "url", "people",
                     "element_id", "start_time", "end_time", "sub_frames"):
            if hasattr(frame, name):
                value = getattr(frame, name)
                if name == "text":
                    value = [str(v) for v in value]
                elif name == "sub_frames":
                    value = sorted((k, repr(getattr(f, "text", None))) for k, f in value.items())
                fields[name] = value
        values[key] = fields
    return tags.version, values


def v22_tag(frames):
    body = b"".join(fid.encode() + struct.pack(">I", len(p))[1:] + p for fid, p in frames)
    size = len(body) + 64
    return b"ID3\x02\0\0" + bytes([(size >> 21) & 127, (size >> 14) & 127, (size >> 7) & 127,
                                   size & 127]) + body + bytes(64)


def check_against_mutagen(work, base):
    """ID3v2.4 and 2.2 tags converted by the codec read as mutagen's own conversion, and
    every reader sees the 2.4 tag's long texts, chapter and 2.4-only frames."""
    v24 = os.path.join(work, "oracle-v24.mp3")
    shutil.copy(base, v24)
    tags = ID3()
    tags.add(TIT2(encoding=3, text=["Chapter one", "Part two"]))
    tags.add(TPE1(encoding=3, text="Łukasz Żółw"))
    tags.add(TALB(encoding=2, text="Kidnapped"))
    tags.add(TCON(encoding=3, text=["17", "Audiobook"]))
    tags.add(COMM(encoding=3, lang="eng", desc="dêsc", text="A comment ✓"))
    tags.add(USLT(encoding=3, lang="eng", desc="", text="Line one\nLine two"))
    tags.add(TXXX(encoding=3, desc="CATALOG", text=["X1", "X2"]))
    tags.add(WXXX(encoding=3, desc="hömepage", url="http://example.com"))
    tags.add(APIC(encoding=3, mime="image/png", type=3, desc="Côver", data=COVER))
    tags.add(TDRC(encoding=3, text="2001-05-03T00:00"))
    tags.add(TIPL(encoding=3, people=[["producer", "Bob"], ["engineer", "Ann ✓"]]))
    tags.add(RVA2(desc="track", channel=1, gain=-6.2, peak=0.5))
    tags.add(RVA2(desc="album", channel=1, gain=-3.0, peak=0.75))
    tags.add(CHAP(element_id="ch1", start_time=0, end_time=1000, start_offset=0xFFFFFFFF,
                  end_offset=0xFFFFFFFF, sub_frames=[TIT2(encoding=3, text=["Rozdział Łódź"])]))
    tags.add(CHAP(element_id="ch2", start_time=1000, end_time=2000, start_offset=0xFFFFFFFF,
                  end_offset=0xFFFFFFFF, sub_frames=[TIT2(encoding=3, text=["Mit Bild ✓"]), APIC(
                      encoding=3, mime="image/png", type=3, desc="", data=os.urandom(33000))]))
    tags.add(CTOC(element_id="toc", flags=CTOCFlags.TOP_LEVEL | CTOCFlags.ORDERED,
                  child_element_ids=["ch1", "ch2"], sub_frames=[]))
    tags.add(USLT(encoding=3, lang="eng", desc="long", text=EXPECTED_V24["USLT:long:eng"]))
    tags.add(COMM(encoding=3, lang="eng", desc="long note", text=EXPECTED_V24["COMM:long note:eng"]))
    tags.add(TXXX(encoding=3, desc="LONG_TEXT", text=EXPECTED_V24["TXXX:LONG_TEXT"]))
    for frame in (TSOA, TSOP, TSOT):
        tags.add(frame(encoding=3, text=EXPECTED_V24[frame.__name__]))
    tags.add(TMOO(encoding=3, text=EXPECTED_V24["TXXX:MOOD"]))
    tags.save(v24, v2_version=4)
    v22 = os.path.join(work, "oracle-v22.mp3")
    with open(base, "rb") as f:
        audio = f.read()
    with open(v22, "wb") as f:
        f.write(v22_tag([("TT2", b"\0Chapter two"), ("TAL", b"\x01\xff\xfeK\0i\0d\0"),
                         ("COM", b"\0eng\0a note"), ("PIC", b"\0JPG\x03\0" + COVER)]) + audio)
    for name, source in (("v24", v24), ("v22", v22)):
        ours = os.path.join(work, "oracle-" + name + ".ours.mp3")
        result = subprocess.run([REWRITE, source, ours], capture_output=True)
        check(result.returncode == 0, name + ": rewrite pass failed")
        theirs = os.path.join(work, "oracle-" + name + ".mutagen.mp3")
        shutil.copy(source, theirs)
        tags = ID3(theirs)
        tags.update_to_v23()
        tags.save(theirs, v2_version=3)
        # What the codec named as left out. mutagen drops the 2.4-only frames (but keeps a
        # described RVA2) and a midnight TIME: the readers below check the codec's forms.
        left_out = result.stderr.decode().split("left out: ")[-1].split() if b"left out" in result.stderr else []
        (ours_version, ours_frames), (_, their_frames) = frame_values(ours), frame_values(theirs)
        check(ours_version == (2, 3, 0), name + ": converted tag is " + str(ours_version))
        their_frames = {k: v for k, v in their_frames.items() if k[:4] not in left_out + ["RVA2"]}
        ours_frames = {k: v for k, v in ours_frames.items()
                       if not k.startswith(("TSO", "TIME", "TXXX:MOOD", "TXXX:REPLAYGAIN"))}
        check(sorted(ours_frames) == sorted(their_frames),
              name + ": frames " + str(sorted(ours_frames)) + " against mutagen's " + str(sorted(their_frames)))
        for key, value in their_frames.items():
            check(ours_frames.get(key) == value,
                  name + ": " + key + " reads " + repr(ours_frames.get(key))[:200] + " against mutagen's " + repr(value)[:200])
        check(decoded_md5(source) == decoded_md5(ours), name + ": decoded audio differs")
    rows = [("v2.4 USLT, COMM (Cyrillic), TXXX of 20-40 KiB", ("USLT:long:eng", "COMM:long note:eng", "TXXX:LONG_TEXT")),
            ("v2.4 CHAP with TIT2 and a 33 KB APIC, CTOC", ("CHAP:ch2", "CHAP:ch2 APIC", "CTOC:toc")),
            ("v2.4 TSOA, TSOP, TSOT", ("TSOA", "TSOP", "TSOT")),
            ("v2.4 TMOO, RVA2 track and album", [k for k in EXPECTED_V24 if k.startswith(("TXXX:M", "TXXX:R"))]),
            ("v2.4 TDRC 2001-05-03T00:00", ("TDRC",))]
    check_readers("v24", os.path.join(work, "oracle-v24.ours.mp3"), build_taglib_reader(work), EXPECTED_V24, rows)
    listing = run(BRAMBEX_TAGS, os.path.join(work, "oracle-v24.ours.mp3")).decode()
    for chapter in ('ch1 0-1000 ms "Rozdział Łódź"', 'ch2 1000-2000 ms "Mit Bild ✓"'):
        check(chapter in listing, "v24: brambex-tags does not list " + chapter + " in:\n" + listing)


def check_doubled_tag(work, base):
    """A new 2.3 tag right in front of a stale 2.4 one reads as the new tag plus what only the old has."""
    stale_picture = os.urandom(4000)
    tag_bytes = []
    for version, frames in ((3, [TIT2(encoding=0, text="Chapter one"), TALB(encoding=0, text="Kidnapped"),
                                 APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=COVER)]),
                            (4, [TIT2(encoding=3, text="Stale title"), TALB(encoding=3, text="Stale album"),
                                 APIC(encoding=3, mime="image/jpeg", type=3, desc="", data=stale_picture),
                                 TCOM(encoding=3, text="Extra composer ✓")])):
        scratch = os.path.join(work, "scratch.tag")
        open(scratch, "wb").close()
        tags = ID3()
        for frame in frames:
            tags.add(frame)
        tags.save(scratch, v2_version=version, padding=lambda info: 0)
        with open(scratch, "rb") as f:
            tag_bytes.append(f.read())
    source, out = os.path.join(work, "doubled.mp3"), os.path.join(work, "doubled.out.mp3")
    with open(base, "rb") as f:
        audio = f.read()
    with open(source, "wb") as f:
        f.write(b"".join(tag_bytes) + audio)
    result = subprocess.run([REWRITE, source, out], capture_output=True)
    check(result.returncode == 0 and b"second ID3v2 tag" in result.stderr,
          "doubled: rewrite failed or gave no note: " + result.stderr.decode())
    with open(out, "rb") as f:
        written = f.read()
    check(written[audio_offset(out):].startswith(audio), "doubled: the audio is not the input's audio")
    for stale in (b"Stale", "Stale".encode("utf-16-le"), stale_picture[:64]):
        check(stale not in written, "doubled: the output holds " + repr(stale[:10]))
    check(decoded_md5(out) == decoded_md5(base), "doubled: decoded audio differs")
    expected = {"TIT2": "Chapter one", "TALB": "Kidnapped", "APIC": str(len(COVER)), "TCOM": "Extra composer ✓"}
    check_readers("doubled", out, build_taglib_reader(work), expected,
                  [("a new v2.3 tag in front of a stale v2.4 one with TCOM", list(expected))])


def tool_tagged_set(work, base):
    """Two disc folders of tracks tagged by other tools, and what each input holds."""
    cover = os.path.join(work, "cover.jpg")
    run("ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=s=320x240", "-frames:v", "1", "-q:v", "2", cover)
    with open(cover, "rb") as f:
        picture = f.read()
    disc1, disc2 = os.path.join(work, "Kidnapped Disc 1"), os.path.join(work, "Kidnapped Disc 2")
    os.makedirs(disc1)
    os.makedirs(disc2)
    tracks = []

    def add(folder, name, tagger, pictures=0, frames=(), ape=False):
        path = os.path.join(folder, name)
        tracks.append({"path": path, "tagger": tagger, "pictures": pictures, "frames": frames,
                       "ape": ape})
        return path

    path = add(disc1, "01 mid3v2.mp3", "mid3v2 (ID3v2.4)", 1, ("COMM", "USLT", "TXXX"))
    shutil.copy(base, path)
    run("mid3v2", "-a", "Royal Shakespeare Company Ensemble Players", "-A", "Kidnapped Disc 1",
        "-t", "Chapter one", "-T", "1/3", "-g", "Audiobook", "-c", "Note:Ripped ✓:eng",
        "-p", cover + ":Front:3:image/jpeg", "--USLT", "Lyrics of one", "--TXXX", "CATALOG:X1", path)
    path = add(disc1, "02 eyeD3.mp3", "eyeD3 (ID3v2.4)")
    shutil.copy(base, path)
    run("eyeD3", "--quiet", "-a", "Stevenson", "-A", "Kidnapped Disc 1", "-t", "Chapter two", "-n", "2", path)
    path = add(disc1, "03 ffmpeg.mp3", "ffmpeg (ID3v2.4)")
    run("ffmpeg", "-v", "error", "-i", base, "-c", "copy", "-metadata", "title=Chapter three",
        "-metadata", "album=Kidnapped Disc 1", "-metadata", "artist=Stevenson", path)
    path = add(disc2, "01 ffmpeg v2.3.mp3", "ffmpeg -id3v2_version 3 with a picture", 1)
    run("ffmpeg", "-v", "error", "-i", base, "-i", cover, "-map", "0", "-map", "1", "-c", "copy",
        "-id3v2_version", "3", "-metadata", "title=Chapter four", "-metadata", "album=Kidnapped Disc 2",
        "-metadata:s:v", "comment=Cover (front)", path)
    path = add(disc2, "02 id3v2.mp3", "id3v2 (ID3v2.3 and ID3v1), then APEv2 by mutagen", ape=True)
    shutil.copy(base, path)
    run("id3v2", "-a", "Stevenson", "-A", "Kidnapped Disc 2", "-t", "Chapter five", "-T", "2", "-g", "101", path)
    # mutagen puts it after the ID3v1 trailer.
    ape = APEv2()
    ape.update({"Album": "Kidnapped Disc 2", "Title": "Chapter five", "Track": "2", "Artist": "Stevenson",
                "REPLAYGAIN_TRACK_GAIN": "-6.20 dB"})
    ape["Cover Art (Front)"] = APEValue(b"cover.jpg\0" + picture, BINARY)
    ape.save(path)
    path = add(disc2, "03 untagged.mp3", "untagged")
    shutil.copy(base, path)
    return disc1, tracks, picture


def build_taglib_reader(work):
    reader = os.path.join(work, "taglib_reader")
    if os.path.exists(reader):
        return reader
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "taglib"], capture_output=True,
                           text=True, check=True).stdout.split()
    run("g++", "-std=c++17", os.path.join(HERE, "taglib_reader.cpp"), *flags, "-o", reader)
    return reader


def check_ape_tag(name, out, expected, picture, probe, taglib):
    """The APEv2 tag of a merged track holds the set's texts and keeps its other items."""
    ape = APEv2(out)
    for key in ("Album", "Title", "Track", "Artist"):
        check(str(ape.get(key)) == expected[key.lower()], name + ": APEv2 " + key + " " + repr(str(ape.get(key))))
        check("ape:" + key.upper() + "=" + expected[key.lower()] in taglib.splitlines(),
              name + ": TagLib reads APEv2 " + key + " as " + taglib)
    check(str(ape.get("REPLAYGAIN_TRACK_GAIN")) == "-6.20 dB", name + ": ReplayGain item not kept")
    check(ape.get("Cover Art (Front)") is not None and ape["Cover Art (Front)"].value == b"cover.jpg\0" + picture,
          name + ": APEv2 cover not kept")
    for stale in ("Kidnapped Disc 2", "Chapter five"):
        check(stale not in taglib and stale not in json.dumps(probe, ensure_ascii=False),
              name + ": a reader still shows " + stale)
    check(id3v1(out)["album"] == expected["album"].encode(), name + ": no ID3v1 trailer at the end")


def check_merged_set(work, base):
    """A set tagged by common tools comes out as one album of ID3v2.3 tracks."""
    disc1, tracks, picture = tool_tagged_set(work, base)
    reader = build_taglib_reader(work)
    artist, title = "Robert Louis Stevenson", "Kidnapped"
    result = subprocess.run([BRAMBEX_CLI, "merge", disc1, "--title", title, "--artist", artist],
                            capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=120)
    check(result.returncode == 0, "merge failed: " + result.stderr)
    check("3 tags converted to ID3v2.3, 1 new tag." in result.stdout, "summary line " + result.stdout)
    outputs = sorted(os.listdir(os.path.join(work, title)))
    outputs = [os.path.join(work, title, name) for name in outputs if name.endswith(".mp3")]
    check(len(outputs) == len(tracks), "outputs " + str(outputs))
    table = []
    for running, (track, out) in enumerate(zip(tracks, outputs), start=1):
        name = track["tagger"]
        disc, number = (1 if "Disc 1" in track["path"] else 2), int(os.path.basename(track["path"])[:2])
        expected = {"title": "%d-%d %s" % (disc, number, title), "artist": artist, "album": title,
                    "track": str(running), "genre": "Audiobook"}
        tags = ID3(out)
        seen = {"mutagen": (tags.version[:2], str(tags.get("TIT2")), str(tags.get("TPE1")),
                            str(tags.get("TALB")), str(tags.get("TRCK")), str(tags.get("TCON")),
                            len(tags.getall("APIC")))}
        probe = ffprobe_tags(out)
        seen["ffprobe"] = (None, probe.get("title"), probe.get("artist"), probe.get("album"),
                           probe.get("track"), probe.get("genre"), None)
        e = eyed3.load(out).tag
        seen["eyeD3"] = (e.version[:2], e.title, e.artist, e.album, str(e.track_num[0]),
                         e.genre.name if e.genre else None, len(e.images))
        lines = dict(line.split("=", 1) for line in run(reader, out).decode().splitlines()
                     if not line.startswith("picture="))
        seen["TagLib"] = ((2, int(lines["version"][2:])), lines["title"], lines["artist"],
                          lines["album"], lines["track"], lines["genre"], int(lines["pictures"]))
        for reader_name, (version, *fields) in seen.items():
            got = dict(zip(("title", "artist", "album", "track", "genre", "pictures"), fields))
            if version is not None:
                check(version == (2, 3), name + ": " + reader_name + " reads ID3v" + str(version))
            for key, value in expected.items():
                check(got[key] == value, name + ": " + reader_name + " reads " + key + " " + repr(got[key]))
            if got["pictures"] is not None:
                check(got["pictures"] == track["pictures"], name + ": " + reader_name + " sees " + str(got["pictures"]) + " pictures")
        for frame_id in track["frames"]:
            check(tags.getall(frame_id) and tags.getall(frame_id) == ID3(track["path"]).getall(frame_id),
                  name + ": " + frame_id + " not kept")
        if track["pictures"]:
            check(tags.getall("APIC")[0].data == picture, name + ": picture damaged")
        if track["ape"]:
            check_ape_tag(name, out, expected, picture, probe, run(reader, out).decode())
        check(decoded_md5(track["path"]) == decoded_md5(out), name + ": decoded audio differs")
        table.append("| %s | %s |" % (name, " | ".join(
            "%s%s / %s / %s / %s / %s%s" % ("v2.%d: " % v[0][1] if v[0] else "", v[1], v[2], v[3], v[4],
                                         v[5], "" if v[6] is None else " / %d picture(s)" % v[6])
            for v in seen.values())))
    # What each reader shows, for the record: title / artist / album / track / genre.
    print("| input | mutagen | ffprobe | eyeD3 | TagLib |")
    print("\n".join(table))


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

        check_against_mutagen(work, base)
        check_doubled_tag(work, base)
        # What each reader shows of these inputs, for the record.
        print("| input | mutagen | ffprobe | eyeD3 | TagLib |")
        print("\n".join(READER_TABLE))
        check_merged_set(work, base)

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
