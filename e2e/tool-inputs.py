#!/usr/bin/env python3
"""Writes the puzzles that tool-compare.sh gives to both builds of ombrasel-solve.

    tool-inputs.py DIR

Random pictures (fixed seeds, so a failure can be run again) as plain and raw PBM, PNG
pictures, .non files, a tournament file of several puzzles, webpbn XML, a puzzle without a
solution, a bad file, a puzzle that no time limit of a second lets the exhaustive engine
finish, and a folder of .non files for a wildcard, one with a Japanese name and one with a space
in its name.
"""
import os
import random
import struct
import sys
import zlib


def picture(rng, width, height, density):
    return [[1 if rng.random() < density else 0 for _ in range(width)] for _ in range(height)]


def runs(cells):
    out, n = [], 0
    for c in cells:
        if c:
            n += 1
        elif n:
            out.append(n)
            n = 0
    if n:
        out.append(n)
    return out


def clues(grid):
    return [runs(r) for r in grid], [runs(c) for c in zip(*grid)]


def write(path, data, mode="w"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, mode, **({} if "b" in mode else {"encoding": "utf-8", "newline": ""})) as f:
        f.write(data)


def plain_pbm(grid):
    lines = ["P1", "# drawn by tool-inputs.py", f"{len(grid[0])} {len(grid)}"]
    lines += [" ".join(map(str, row)) for row in grid]
    return "\n".join(lines) + "\n"


def raw_pbm(grid):
    width = len(grid[0])
    data = bytearray(f"P4\n{width} {len(grid)}\n".encode())
    for row in grid:
        padded = row + [0] * (-width % 8)
        for i in range(0, len(padded), 8):
            data.append(int("".join(map(str, padded[i:i + 8])), 2))
    return bytes(data)


def png(width, height, colour_type, bit_depth, rows):
    """rows: the bytes of each row, unfiltered."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + bytes(r) for r in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def rgba_png(rng, grid):
    """Filled cells in dark colours, empty ones in light colours or dark but mostly transparent."""
    rows = []
    for row in grid:
        out = []
        for c in row:
            if c:
                out += [rng.randrange(0, 60), rng.randrange(0, 60), rng.randrange(0, 60),
                        rng.choice([255, 230])]
            elif rng.random() < 0.3:
                out += [0, 0, 0, rng.randrange(0, 50)]
            else:
                out += [rng.randrange(200, 256), rng.randrange(200, 256), rng.randrange(200, 256), 255]
        rows.append(out)
    return png(len(grid[0]), len(grid), 6, 8, rows)


def grey1_png(grid):
    """One bit a pixel, 0 black: a filled cell is a 0 bit."""
    rows = []
    for row in grid:
        bits = [0 if c else 1 for c in row] + [1] * (-len(row) % 8)
        rows.append([int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8)])
    return png(len(grid[0]), len(grid), 0, 1, rows)


def palette_png(rng, grid):
    """Eight colours a pixel may take, two of them dark, one light one and one dark one
    transparent (a transparent pixel is empty)."""
    colours = [(0, 0, 0), (40, 20, 90), (255, 255, 255), (250, 220, 120), (150, 230, 240),
               (210, 210, 210), (10, 60, 10), (255, 120, 255)]
    alpha = [255, 255, 255, 255, 0, 255, 0, 255]
    dark, light = [0, 1], [2, 3, 4, 5, 6, 7]  # 6 is dark but transparent
    rows = [[rng.choice(dark) if c else rng.choice(light) for c in row] for row in grid]
    width, height = len(grid[0]), len(grid)
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    head = png(width, height, 3, 8, rows)
    # PLTE and tRNS go between IHDR (33 bytes with the signature) and IDAT.
    return head[:33] + chunk(b"PLTE", bytes(v for c in colours for v in c)) + chunk(b"tRNS", bytes(alpha)) + head[33:]


def grey_alpha16_png(rng, grid):
    """16-bit grey and alpha: a filled cell dark and opaque, an empty one light, or dark and
    almost transparent."""
    rows = []
    for row in grid:
        out = []
        for c in row:
            if c:
                grey, a = rng.randrange(0, 20000), 65535
            elif rng.random() < 0.3:
                grey, a = rng.randrange(0, 20000), rng.randrange(0, 8000)
            else:
                grey, a = rng.randrange(45000, 65536), 65535
            out += list(struct.pack(">HH", grey, a))
        rows.append(out)
    return png(len(grid[0]), len(grid), 4, 16, rows)


def non(rows, cols, title=None):
    text = ""
    if title:
        text += f'title "{title}"\n'
    text += f"width {len(cols)}\nheight {len(rows)}\n\nrows\n"
    text += "".join((",".join(map(str, r)) or "0") + "\n" for r in rows)
    text += "\ncolumns\n"
    text += "".join((",".join(map(str, c)) or "0") + "\n" for c in cols)
    return text


def taai(puzzles):
    text = ""
    for number, (rows, cols) in puzzles:
        text += f"${number}\n"
        text += "".join("\t".join(map(str, c)) + "\n" for c in cols)
        text += "".join("\t".join(map(str, r)) + "\n" for r in rows)
    return text


def xml(puzzles):
    text = '<?xml version="1.0" encoding="UTF-8"?>\n'
    text += '<!DOCTYPE pbn SYSTEM "pbn-0.3.dtd">\n<puzzleset>\n<source>tool-inputs.py</source>\n'
    for title, (rows, cols) in puzzles:
        text += '<puzzle type="grid" defaultcolor="black">\n'
        text += f"<title>{title}</title>\n<author>tool-inputs.py</author>\n"
        text += '<color name="white" char=".">fff</color>\n<color name="black" char="X">000</color>\n'
        for kind, lines in (("columns", cols), ("rows", rows)):
            text += f'<clues type="{kind}">\n'
            for line in lines:
                text += "<line>" + "".join(f"<count>{n}</count>" for n in line) + "</line>\n"
            text += "</clues>\n"
        text += "</puzzle>\n"
    return text + "</puzzleset>\n"


def main():
    out = sys.argv[1]
    rng = random.Random(20240611)

    # Pictures: one pixel a cell, several shapes and densities, up to 40 x 40, and one as wide as
# the tool takes.
    for name, (w, h, d) in {"dots-5x8": (5, 8, 0.5), "square-15": (15, 15, 0.6),
                            "square-25": (25, 25, 0.55), "wide-33x20": (33, 20, 0.6),
                            "large-40": (40, 40, 0.6), "half-40x25": (40, 25, 0.5),
                            "largest-128x100": (128, 100, 0.65)}.items():
        write(f"{out}/pictures/{name}.pbm", plain_pbm(picture(rng, w, h, d)))
    write(f"{out}/pictures/raw-19x11.pbm", raw_pbm(picture(rng, 19, 11, 0.55)), "wb")
    write(f"{out}/pictures/colours-21x17.png", rgba_png(rng, picture(rng, 21, 17, 0.55)), "wb")
    write(f"{out}/pictures/bits-13x10.png", grey1_png(picture(rng, 13, 10, 0.6)), "wb")
    write(f"{out}/pictures/palette-24x18.png", palette_png(rng, picture(rng, 24, 18, 0.6)), "wb")
    write(f"{out}/pictures/grey16-17x22.png", grey_alpha16_png(rng, picture(rng, 17, 22, 0.6)), "wb")

    # Clue files.
    write(f"{out}/clues/random-20x12.non", non(*clues(picture(rng, 20, 12, 0.6)), "Twenty by twelve"))
    write(f"{out}/clues/random-30.non", non(*clues(picture(rng, 30, 30, 0.55))))
    write(f"{out}/clues/several.txt",
          taai([(n, clues(picture(rng, n, n, 0.55))) for n in (4, 7, 10, 15, 20)]))
    write(f"{out}/clues/two.xml",
          xml([("Small &amp; random", clues(picture(rng, 6, 9, 0.6))),
               ("Larger", clues(picture(rng, 18, 14, 0.6)))]))
    write(f"{out}/clues/one.xml", xml([("Only one", clues(picture(rng, 11, 11, 0.55)))]))
    # The clue sums agree, but row 1's "1 1" leaves the middle column one cell short of its 3.
    write(f"{out}/clues/none.non", non([[1, 1], [1], [1, 1]], [[1], [3], [1]]))
    # The exhaustive engine walks all 30! solutions of this one to find every cell that varies.
    write(f"{out}/slow/permutations.non", non([[1]] * 30, [[1]] * 30, "Thirty rooks"))

    # Windows line ends and a byte-order mark.
    write(f"{out}/clues/crlf-14x9.non",
          "\ufeff" + non(*clues(picture(rng, 14, 9, 0.6)), "Line ends of Windows").replace("\n", "\r\n"))

    # Bad files: a row's clue that is no number, an XML count that is none, a clue too long
    # for its line.
    write(f"{out}/bad/bad.non", "width 3\nheight 2\n\nrows\n1\n1,x\n\ncolumns\n1\n1\n1\n")
    write(f"{out}/bad/count.xml", xml([("Bad count", ([[1], [2]], [[1], [1]]))]).replace(
        "<count>2</count>", "<count>two</count>"))
    write(f"{out}/bad/too-long.non", non([[1, 2], [3]], [[1], [1], [2]]))

    # The folder for a wildcard, with a Japanese file name.
    for name, (w, h) in {"alpha": (9, 9), "beta": (16, 11), "with space": (8, 13), "問題": (12, 14)}.items():
        write(f"{out}/wild/{name}.non", non(*clues(picture(rng, w, h, 0.6))))
    write(f"{out}/wild/notes.txt", "not a .non file; the wildcard leaves it out\n")


main()
