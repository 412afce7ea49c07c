"""Our GIF codec beside Pillow, on the same images in the same run. Not a test.

LZW encoding and decoding of a 2-megapixel 8-bit image, photo-like and text-like (gif_lzw_bench), and the
export road: a 24-bit bitmap assigned to a picture, reduced to the web palette or by the octree, and saved (gif_export_bench),
on a photo-like and a text-like image. Ours run under Wine; the ratio is ours over Pillow's speed.

  /usr/bin/python3 tests/gif/bench/bench.py [build folder, default build/x86_64]
"""

import io
import math
import os
import random
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageDraw, ImageFont

WIDTH, HEIGHT, ROUNDS, TURNS = 1920, 1080, 5, 3


def photo_like():
    """Smooth shapes with noise over 256 colours: neither random nor flat."""
    rnd = random.Random(7)
    rows = []
    for y in range(HEIGHT):
        row = bytearray(WIDTH)
        for x in range(WIDTH):
            v = 96 + 60 * math.sin(x / 97.0) * math.cos(y / 61.0) + 40 * math.sin((x + y) / 23.0)
            row[x] = max(0, min(255, int(v) + rnd.randrange(-6, 7)))
        rows.append(bytes(row))
    return b"".join(rows)


def photo_rgb():
    """Three smooth fields with noise, one per channel."""
    rnd = random.Random(11)
    out = bytearray(WIDTH * HEIGHT * 3)
    i = 0
    for y in range(HEIGHT):
        for x in range(WIDTH):
            for c in range(3):
                v = 128 + 80 * math.sin(x / (53.0 + 20 * c)) * math.cos(y / (41.0 + 13 * c)) \
                    + 30 * math.sin((x - y) / (17.0 + c))
                out[i] = max(0, min(255, int(v) + rnd.randrange(-8, 9)))
                i += 1
    return bytes(out)


def text_rgb():
    """Lines of a song list, dark blue on pale yellow, as the export draws them (anti-aliased)."""
    image = Image.new("RGB", (WIDTH, HEIGHT), (255, 255, 204))
    draw = ImageDraw.Draw(image)
    try:
        font = ImageFont.truetype("DejaVuSans.ttf", 13)
    except OSError:
        font = ImageFont.load_default()
    rnd = random.Random(3)
    words = ["Queen", "ABBA", "Waterloo", "Bohemian", "Rhapsody", "The", "Beatles", "Let", "It", "Be", "Nana",
             "Mouskouri", "SOS", "Yesterday", "Imagine", "Hotel", "California", "Africa", "Toto"]
    for y in range(10, HEIGHT - 16, 16):
        line = " ".join(rnd.choice(words) for _ in range(rnd.randrange(3, 9)))
        draw.text((10, y), line + " - " + " ".join(rnd.choice(words) for _ in range(4)), fill=(0, 0, 153),
                  font=font)
    return image.tobytes()


def text_indices():
    """The text-like picture in 16 colours: few colours and long runs of the background."""
    return Image.frombytes("RGB", (WIDTH, HEIGHT), text_rgb()).quantize(16).tobytes()


def best(step):
    result = float("inf")
    for _ in range(ROUNDS):
        start = time.perf_counter()
        step()
        result = min(result, time.perf_counter() - start)
    return result


def megapixels_per_second(seconds):
    return WIDTH * HEIGHT / 1e6 / seconds


def pillow_lzw(pixels):
    image = Image.frombytes("P", (WIDTH, HEIGHT), pixels)
    image.putpalette([c for i in range(256) for c in (i, 255 - i, i // 2)])
    out = io.BytesIO()

    def encode():
        out.seek(0)
        out.truncate()
        image.save(out, "GIF", optimize=False, interlace=False)

    encode_time = best(encode)
    data = out.getvalue()

    def decode():
        with Image.open(io.BytesIO(data)) as im:
            im.load()

    return megapixels_per_second(encode_time), megapixels_per_second(best(decode)), len(data)


def pillow_export(rgb, method):
    image = Image.frombytes("RGB", (WIDTH, HEIGHT), rgb)
    out = io.BytesIO()

    def export():
        out.seek(0)
        out.truncate()
        if method == "web":
            reduced = image.convert("P", palette=Image.Palette.WEB, dither=Image.Dither.NONE)
        else:
            reduced = image.quantize(256, method=Image.Quantize.FASTOCTREE, dither=Image.Dither.NONE)
        reduced.save(out, "GIF", optimize=False, interlace=False)

    return megapixels_per_second(best(export)), len(out.getvalue())


def run_ours(build, program, *args):
    env = dict(os.environ)
    home = os.path.join(build, "wine-env", "home")
    env.update(HOME=home, WINEPREFIX=os.path.join(build, "wine-env", "prefix"), WINEARCH="win64",
               WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d")
    os.makedirs(home, exist_ok=True)
    exe = os.path.join(build, "tests", "gif", program + ".exe")
    out = subprocess.run(["wine", exe] + [str(a) for a in args], env=env, capture_output=True, text=True,
                         check=True).stdout
    return {key: float(value.split()[0]) for key, value in (line.split(" ", 1) for line in out.splitlines())}


def raw_file(data):
    with tempfile.NamedTemporaryFile(suffix=".raw", delete=False) as f:
        f.write(data)
    return f.name


def interleaved(ours, pillow):
    """The best of each side over TURNS turns taken in alternation, so that both meet the same load."""
    best_ours, best_pillow = None, None
    for _ in range(TURNS):
        o, p = ours(), pillow()
        best_ours = o if best_ours is None else [max(x, y) for x, y in zip(best_ours, o)]
        best_pillow = p if best_pillow is None else [max(x, y) for x, y in zip(best_pillow, p)]
    return best_ours, best_pillow


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/x86_64")
    rows = []
    for name, pixels in (("photo-like", photo_like()), ("text-like", text_indices())):
        indices = raw_file(pixels)
        try:
            our, pil = interleaved(
                lambda: (lambda v: [v["encode"], v["decode"]])(
                    run_ours(build, "gif_lzw_bench", "Z:" + indices.replace("/", "\\"), WIDTH, HEIGHT,
                             ROUNDS)),
                lambda: list(pillow_lzw(pixels)[:2]))
        finally:
            os.unlink(indices)
        rows.append(("LZW encode, %s" % name, our[0], pil[0]))
        rows.append(("LZW decode, %s" % name, our[1], pil[1]))
    for name, rgb in (("photo-like", photo_rgb()), ("text-like", text_rgb())):
        path = raw_file(rgb)
        try:
            for method in ("web", "octree"):
                our, pil = interleaved(
                    lambda: [run_ours(build, "gif_export_bench", "Z:" + path.replace("/", "\\"), WIDTH, HEIGHT,
                                      method, ROUNDS)["export"]],
                    lambda: [pillow_export(rgb, method)[0]])
                rows.append(("export %s, %s" % (method, name), our[0], pil[0]))
        finally:
            os.unlink(path)
    print("%dx%d, best of %d rounds in %d alternating turns, megapixels per second"
          % (WIDTH, HEIGHT, ROUNDS, TURNS))
    print("%-26s %8s %8s %7s" % ("", "ours", "Pillow", "ratio"))
    for name, ours, pillow in rows:
        print("%-26s %8.1f %8.1f %7.2f" % (name, ours, pillow, ours / pillow))


if __name__ == "__main__":
    main()
