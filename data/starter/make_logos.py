#!/usr/bin/env python3
"""Writes the starter library's logos: 32 x 24 tiles with a short label, as 24-bit BMP files
(the format every ParseDef logo reader takes). Run from this folder after changing a label."""
import struct

FONT = {  # 5 x 7 pixels, one string per row, "#" set
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "G": [" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "W": ["#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"],
    "/": ["    #", "   # ", "   # ", "  #  ", " #   ", " #   ", "#    "],
    ".": ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
}

LOGOS = {
    "News/bbc-news": ("BBC", (187, 25, 25)),
    "News/npr-news": ("NPR", (35, 90, 160)),
    "News/guardian-world": ("GU", (5, 45, 100)),
    "Technology/hacker-news": ("HN", (255, 102, 0)),
    "Technology/ars-technica": ("ARS", (230, 90, 30)),
    "Technology/lwn": ("LWN", (70, 70, 70)),
    "Technology/slashdot": ("/.", (0, 102, 102)),
    "Software/debian-news": ("DEB", (200, 10, 80)),
    "Software/go-blog": ("GO", (0, 125, 156)),
}

W, H = 32, 24


def tile(label, colour):
    pixels = [[colour for _ in range(W)] for _ in range(H)]
    width = len(label) * 6 - 1
    x0, y0 = (W - width) // 2, (H - 7) // 2
    for i, ch in enumerate(label):
        for row, bits in enumerate(FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == "#":
                    pixels[y0 + row][x0 + i * 6 + col] = (255, 255, 255)
    return pixels


def write_bmp(path, pixels):
    row_bytes = (W * 3 + 3) & ~3
    data = b""
    for row in reversed(pixels):  # bottom-up
        line = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in row)
        data += line + b"\0" * (row_bytes - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


for name, (label, colour) in LOGOS.items():
    write_bmp(name + ".bmp", tile(label, colour))
