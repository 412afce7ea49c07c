"""Independent GIF tools as the oracle of the GIF tests (they are run, never linked).

  oracle.py make <root>   before the tests: <root>/fixtures gets GIFs made by Pillow, ImageMagick and
                          giflib with what those tools decode from them; <root>/output is emptied.
  oracle.py check <root>  after the tests: every GIF that the tests wrote into <root>/output is decoded
                          by Pillow, giflib and ImageMagick and must give the pixels the test expected.

Fixture files, for a case NAME:
  NAME.gif    the tool's file
  NAME.lzw    the first frame's image data (minimum code size, sub-blocks, zero-length block)
  NAME.idx    the first frame's colour indices as giflib decodes them, row by row
  cases.txt   one line per case: NAME WIDTH HEIGHT INTERLACED
A fixture is kept only when giflib's indices, Pillow's and the colours given to the tool agree.

Output files, written by the tests for a case NAME:
  NAME.gif    our file: one frame over the whole logical screen, colours in its first colour table
  NAME.idx    the colour indices the test wrote, row by row
"""

import os
import random
import shutil
import struct
import subprocess
import sys

from PIL import Image

SIZES = [(1, 1), (3, 2), (255, 1), (1, 4096), (257, 3), (640, 480)]
TABLES = [2, 4, 16, 256]


def run(args, data=None):
    result = subprocess.run(args, input=data, capture_output=True, check=False)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(args), result.stderr.decode(errors="replace")))
    return result.stdout


def palette_of(colours, seed):
    rnd = random.Random(seed)
    seen = set()
    result = []
    while len(result) < colours:
        c = (rnd.randrange(256), rnd.randrange(256), rnd.randrange(256))
        if c not in seen:
            seen.add(c)
            result.append(c)
    return result


def indices_of(width, height, colours, seed):
    rnd = random.Random(seed)
    return bytes(rnd.randrange(colours) for _ in range(width * height))


# --- reading the structure of a GIF, only as far as the first frame's image data ---------------


def first_frame(data):
    """(width, height, interlaced, colour table as RGB triples, image data bytes) of the first frame."""
    if data[:3] != b"GIF":
        raise ValueError("not a GIF")
    packed = data[10]
    pos = 13
    table = []
    if packed & 0x80:
        n = 2 << (packed & 7)
        table = [tuple(data[pos + 3 * i:pos + 3 * i + 3]) for i in range(n)]
        pos += 3 * n
    while True:
        block = data[pos]
        if block == 0x21:
            pos += 2
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
        elif block == 0x2C:
            _, _, w, h, p = struct.unpack("<HHHHB", data[pos + 1:pos + 10])
            pos += 10
            if p & 0x80:
                n = 2 << (p & 7)
                table = [tuple(data[pos + 3 * i:pos + 3 * i + 3]) for i in range(n)]
                pos += 3 * n
            start = pos
            pos += 1
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
            return w, h, bool(p & 0x40), table, data[start:pos]
        else:
            raise ValueError("no image in GIF")


def deinterlace(data, width, height):
    rows = [r for start, step in [(0, 8), (4, 8), (2, 4), (1, 2)] for r in range(start, height, step)]
    result = bytearray(len(data))
    for i, row in enumerate(rows):
        result[row * width:(row + 1) * width] = data[i * width:(i + 1) * width]
    return bytes(result)


def giflib_indices(path):
    """The first frame's indices in row order (giftext dumps them in file order)."""
    with open(path, "rb") as f:
        width, height, interlaced, _, _ = first_frame(f.read())
    raw = run(["giftext", "-r", path])[:width * height]
    return deinterlace(raw, width, height) if interlaced else raw


def pillow_indices(path):
    with Image.open(path) as im:
        if im.mode != "P":
            raise ValueError("Pillow does not read %s as a palette image" % path)
        return im.tobytes()


def magick_rgb(path):
    return run(["convert", path + "[0]", "-depth", "8", "rgb:-"])


def rgb_of(indices, table):
    return b"".join(bytes(table[i]) if i < len(table) else b"\0\0\0" for i in indices)


# --- make ---------------------------------------------------------------------------------------


def make_with_pillow(path, width, height, palette, indices):
    im = Image.new("P", (width, height))
    im.putpalette([c for rgb in palette for c in rgb])
    im.frombytes(indices)
    im.save(path, optimize=False)


def make_with_magick(path, width, height, palette, indices):
    ppm = b"P6 %d %d 255\n" % (width, height) + rgb_of(indices, palette)
    # ImageMagick 6.9 writes an interlaced frame of 3 rows with its last row twice: interlaced from 8 on.
    interlace = ["-interlace", "GIF"] if height >= 8 else []
    run(["convert", "ppm:-", *interlace, path], ppm)


def make_with_giflib(path, width, height, palette, indices):
    keys = "0123456789abcdefghijklmnopqrstuvwxyz"
    lines = ["screen width %d" % width, "screen height %d" % height, "screen colors %d" % len(palette),
             "screen background 0", "pixel aspect byte 0", "", "screen map", "\tsort flag off"]
    lines += ["\trgb %03d %03d %03d is %s" % (r, g, b, keys[i]) for i, (r, g, b) in enumerate(palette)]
    lines += ["end", "", "image # 1", "image left 0", "image top 0", "image bits %d by %d" % (width, height)]
    lines += ["".join(keys[i] for i in indices[y * width:(y + 1) * width]) for y in range(height)]
    with open(path, "wb") as out:
        out.write(run(["gifbuild", "/dev/stdin"], ("\n".join(lines) + "\n").encode()))


MAKERS = [("pillow", make_with_pillow, TABLES), ("magick", make_with_magick, TABLES),
          ("giflib", make_with_giflib, [2, 4, 16])]


def make(root):
    fixtures = os.path.join(root, "fixtures")
    output = os.path.join(root, "output")
    shutil.rmtree(output, ignore_errors=True)
    os.makedirs(output)
    os.makedirs(fixtures, exist_ok=True)
    cases = []
    for tool, maker, tables in MAKERS:
        for width, height in SIZES:
            for colours in tables:
                name = "%s-%dx%d-%d" % (tool, width, height, colours)
                seed = hash((width, height, colours)) & 0xFFFF
                palette = palette_of(colours, seed)
                indices = indices_of(width, height, colours, seed + 1)
                gif = os.path.join(fixtures, name + ".gif")
                maker(gif, width, height, palette, indices)
                cases.append((name, *make_case_files(gif, palette, indices)))
    with open(os.path.join(fixtures, "cases.txt"), "w") as out:
        for case in cases:
            out.write("%s %d %d %d\n" % case)


def make_case_files(gif, palette, indices):
    with open(gif, "rb") as f:
        width, height, interlaced, table, image_data = first_frame(f.read())
    by_giflib = giflib_indices(gif)
    if by_giflib != pillow_indices(gif):
        raise RuntimeError("%s: giflib and Pillow decode different indices" % gif)
    if rgb_of(by_giflib, table) != rgb_of(indices, palette):
        raise RuntimeError("%s: the file does not hold the colours given to the tool" % gif)
    base = gif[:-4]
    with open(base + ".lzw", "wb") as out:
        out.write(image_data)
    with open(base + ".idx", "wb") as out:
        out.write(by_giflib)
    return width, height, int(interlaced)


# --- check --------------------------------------------------------------------------------------


def check(root):
    output = os.path.join(root, "output")
    names = sorted(n[:-4] for n in os.listdir(output) if n.endswith(".gif"))
    failures = []
    for name in names:
        gif = os.path.join(output, name + ".gif")
        with open(os.path.join(output, name + ".idx"), "rb") as f:
            expected = f.read()
        with open(gif, "rb") as f:
            table = first_frame(f.read())[3]
        for decoder, decode, want in [("giflib", giflib_indices, expected),
                                      ("Pillow", pillow_indices, expected),
                                      ("ImageMagick", magick_rgb, rgb_of(expected, table))]:
            try:
                got = decode(gif)
            except Exception as error:  # noqa: BLE001 - every failure of a tool is a finding
                failures.append("%s: %s cannot read it: %s" % (name, decoder, error))
                continue
            if got != want:
                failures.append("%s: %s decodes other pixels" % (name, decoder))
    for failure in failures:
        print(failure)
    print("%d GIF files checked by giflib, Pillow and ImageMagick, %d failures" % (len(names), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("make", "check"):
        sys.exit(__doc__)
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        sys.exit(check(sys.argv[2]))
