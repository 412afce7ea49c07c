"""LZW encoding and decoding of a 2-megapixel 8-bit image: ours (gif_lzw_bench under Wine) beside
Pillow's GIF encoder and decoder, measured in the same run. Not a test.

  python3 tests/gif/bench/lzw-bench.py [build folder, default build/x86_64]
"""

import io
import math
import os
import random
import subprocess
import sys
import tempfile
import time

from PIL import Image

WIDTH, HEIGHT, ROUNDS = 1920, 1080, 5


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


def best(step):
    result = float("inf")
    for _ in range(ROUNDS):
        start = time.perf_counter()
        step()
        result = min(result, time.perf_counter() - start)
    return result


def pillow(pixels):
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

    return WIDTH * HEIGHT / 1e6 / encode_time, WIDTH * HEIGHT / 1e6 / best(decode), len(data)


def ours(build, raw):
    env = dict(os.environ)
    home = os.path.join(build, "wine-env", "home")
    env.update(HOME=home, WINEPREFIX=os.path.join(build, "wine-env", "prefix"), WINEARCH="win64",
               WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d")
    os.makedirs(home, exist_ok=True)
    exe = os.path.join(build, "tests", "gif", "gif_lzw_bench.exe")
    out = subprocess.run(["wine", exe, "Z:" + raw.replace("/", "\\"), str(WIDTH), str(HEIGHT), str(ROUNDS)],
                         env=env, capture_output=True, text=True, check=True).stdout
    values = dict(line.split(" ", 1) for line in out.splitlines())
    return float(values["encode"].split()[0]), float(values["decode"].split()[0]), int(values["bytes"])


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/x86_64")
    pixels = photo_like()
    with tempfile.NamedTemporaryFile(suffix=".raw", delete=False) as f:
        f.write(pixels)
    try:
        our = ours(build, f.name)
    finally:
        os.unlink(f.name)
    pil = pillow(pixels)
    print("%dx%d 8-bit image, best of %d" % (WIDTH, HEIGHT, ROUNDS))
    print("%-8s %12s %12s %8s" % ("", "ours", "Pillow", "ratio"))
    for i, step in enumerate(["encode", "decode"]):
        print("%-8s %7.1f MP/s %7.1f MP/s %7.2f" % (step, our[i], pil[i], our[i] / pil[i]))
    print("%-8s %12d %12d" % ("bytes", our[2], pil[2]))


if __name__ == "__main__":
    main()
