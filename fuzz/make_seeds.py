#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus into fuzz/seeds: small inputs built from bytes
here, one per kind of tag the codec reads. Each seed starts with two bytes that pick
the edits and the way the input is opened (see tags_fuzzer.cpp), then the file.
    fuzz/make_seeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "seeds")


def syncsafe(n):
    return bytes([(n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127])


def header(version, size, flags=0):
    return b"ID3" + bytes([version, 0, flags]) + syncsafe(size)


def frame23(fid, payload, flags=b"\0\0"):
    return fid.encode() + struct.pack(">I", len(payload)) + flags + payload


def frame24(fid, payload, flags=b"\0\0"):
    return fid.encode() + syncsafe(len(payload)) + flags + payload


def frame22(fid, payload):
    return fid.encode() + struct.pack(">I", len(payload))[1:] + payload


def unsync(data):
    return data.replace(b"\xff", b"\xff\x00")


AUDIO = bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(range(256)) * 2
TRAILER = b"TAG" + b"Title".ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + \
    b"Album".ljust(30, b"\0") + b"1999" + bytes(28) + b"\0\x03\x0c"
PICTURE = b"\0image/jpeg\0\x03\0" + bytes([0xFF, 0xD8]) + bytes(300)



def ape_item(key, value, flags=0):
    return struct.pack("<2I", len(value), flags) + key + b"\0" + value


def ape_tag(items, count, header=True, version=2000):
    def frame(flags):
        return b"APETAGEX" + struct.pack("<4I", version, len(items) + 32, count, flags) + bytes(8)
    return (frame(0xA0000000) if header else b"") + items + frame(0x80000000 if header else 0)


def lyrics3(text):
    block = b"LYRICSBEGIN" + b"IND0000210" + b"LYR" + b"%05d" % len(text) + text
    return block + b"%06d" % len(block) + b"LYRICS200"


# MPEG audio frames: lame's info frame with its LAME extension, frames of two bitrates
# with junk between them, and a truncated last frame.
INFO = bytearray(bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(413))
INFO[36:44] = b"Info\0\0\0\x0f"
INFO[156:165] = b"LAME3.100"
INFO[177:180] = bytes([0x24, 0x03, 0x00])
FRAMES = bytes(INFO) + (bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(413)) * 3 + b"junk" + \
    (bytes([0xFF, 0xFB, 0xA0, 0x64]) + bytes(518)) * 2 + bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(99)

APE_ITEMS = ape_item(b"Album", b"Old album") + ape_item(b"TITLE", b"Old title") + \
    ape_item(b"Track", b"7/12") + ape_item(b"REPLAYGAIN_TRACK_GAIN", b"-6.20 dB") + \
    ape_item(b"Cover Art (Front)", b"cover.jpg\0" + bytes([0xFF, 0xD8]) + bytes(300), 2)
LYRICS = lyrics3(b"Call me Ishmael.")

v23 = frame23("TALB", b"\0Old album") + frame23("TIT2", b"\x01\xff\xfeA\0") + \
    frame23("APIC", PICTURE) + frame23("COMM", b"\0eng\0note")
v24 = frame24("TIT2", b"\x03Caf\xc3\xa9\0Two") + frame24("TPE1", b"\x02\0A\0B") + \
    frame24("COMM", b"\x03eng\xc3\xa9\0text") + frame24("TXXX", b"\x03CAT\0X1\0X2") + \
    frame24("WXXX", b"\x03h\0http://x") + frame24("APIC", b"\x03image/png\0\x03d\0" + bytes(40)) + \
    frame24("TDRC", b"\x032019-03-07T10:20") + frame24("TDOR", b"\x031886") + \
    frame24("TIPL", b"\x03producer\0Bob") + frame24("TMCL", b"\x03piano\0Ann") + \
    frame24("RVA2", b"track\0\x01\0\0\0") + \
    frame24("TALB", b"\0\0\0\x05" + unsync(b"\0\xffabc"), b"\0\x03") + \
    frame24("TCON", b"\x07\x03(12)", b"\x40\x40") + \
    frame24("CHAP", b"ch1\0" + bytes(16) + frame24("TIT2", b"\x03Rozdzia\xc5\x82")) + \
    frame24("CTOC", b"toc\0\x03\x01ch1\0" + frame24("TIT2", b"\x03Contents"))
v22 = frame22("TT2", b"\0Title") + frame22("TP1", b"\0Artist") + \
    frame22("PIC", b"\0JPG\x03\0" + bytes(30)) + frame22("CRM", b"owner") + \
    frame22("COM", b"\0eng\0note")
# Texts longer than the codec's buffers, a character split at each 4 KiB edge.
long24 = frame24("USLT", b"\x03eng\0" + b"a" + "\u00e9".encode() * 9000) + \
    frame24("TXXX", b"\x01\xff\xfed\0\0\0\xff\xfe" + "\U0001F600".encode("utf-16-le") * 5000) + \
    frame24("CHAP", b"ch1\0" + bytes(16) + frame24("APIC", b"\x03image/png\0\x03d\0" + bytes(70000)))
# A new tag put in front of the old one.
doubled = header(3, len(v23) + 16) + v23 + bytes(16) + header(4, len(v24) + 8) + v24 + bytes(8)

SEEDS = {
    "v23-plain": b"\x00\x00" + header(3, len(v23) + 64) + v23 + bytes(64) + AUDIO + TRAILER,
    "v23-edited": b"\x1f\x02" + header(3, len(v23) + 64) + v23 + bytes(64) + AUDIO + TRAILER,
    "v23-grows": b"\x07\x00" + header(3, len(v23) + 10) + v23 + bytes(10) + AUDIO,
    "v23-extended": b"\x01\x00" + header(3, 40, 0x40) + struct.pack(">I", 6) + bytes(6) +
    frame23("TPE1", b"\0x") + bytes(19) + AUDIO,
    "v23-unsync": b"\x01\x00" + header(3, len(unsync(v23)) + 8, 0x80) + unsync(v23) + bytes(8) +
    AUDIO + TRAILER,
    "v24": b"\x13\x02" + header(4, len(v24) + 32) + v24 + bytes(32) + AUDIO + TRAILER,
    "v24-footer-unsync": b"\x00\x00" + header(4, len(v24), 0x90) + v24 + b"3DI\x04\0\x90" +
    syncsafe(len(v24)) + AUDIO,
    "v22": b"\x05\x00" + header(2, len(v22) + 16) + v22 + bytes(16) + AUDIO + TRAILER,
    "v24-long-frames": b"\x00\x00" + header(4, len(long24) + 16) + long24 + bytes(16) + AUDIO,
    "doubled-tag": b"\x13\x00" + doubled + AUDIO + TRAILER,
    "no-tag": b"\x17\x00" + AUDIO + TRAILER,
    "mpeg-frames": b"\x00\x00" + header(3, 16) + bytes(16) + FRAMES + TRAILER,
    "unknown-size": b"\x03\x01" + header(3, len(v23)) + v23 + AUDIO,
    "broken-size": b"\x03\x01" + b"ID3\x03\0\0\x80\0\0\x10" + AUDIO,
    "ape-before-trailer": b"\x07\x02" + header(3, len(v23) + 64) + v23 + bytes(64) + AUDIO +
    ape_tag(APE_ITEMS, 5) + TRAILER,
    "ape-at-end": b"\x0b\x00" + AUDIO + ape_tag(APE_ITEMS, 5, header=False),
    "ape-after-trailer": b"\x05\x00" + AUDIO + TRAILER + ape_tag(APE_ITEMS, 5),
    "ape-v1-and-lyrics3": b"\x03\x00" + AUDIO + LYRICS + ape_tag(APE_ITEMS, 5, False, 1000) + TRAILER,
    "lyrics3-and-ape": b"\x13\x00" + AUDIO + ape_tag(APE_ITEMS, 5) + LYRICS + TRAILER,
    "ape-bad-count": b"\x03\x00" + AUDIO + ape_tag(APE_ITEMS, 6) + TRAILER,
    "frame-past-end": b"\x03\x00" + header(3, 30) + frame23("TPE1", b"\0" + bytes(100))[:40] + AUDIO,
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


main()
