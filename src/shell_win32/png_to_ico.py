"""Wraps a PNG picture in a Windows icon file, as one 256-pixel image: Windows reads
PNG images inside .ico files and scales them to every size it shows.

    png_to_ico.py PICTURE.png ICON.ico
"""
import struct
import sys

source, target = sys.argv[1], sys.argv[2]
with open(source, "rb") as f:
    png = f.read()
if png[:8] != b"\x89PNG\r\n\x1a\n":
    sys.exit(f"{source} is not a PNG picture")
width, height = struct.unpack(">II", png[16:24])
if width > 256 or height > 256:
    sys.exit(f"{source} is larger than an icon may be: {width}x{height}")
# An icon directory of one entry; 0 stands for 256 in its width and height.
header = struct.pack("<HHH", 0, 1, 1)
entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(png), 6 + 16)
with open(target, "wb") as f:
    f.write(header + entry + png)
