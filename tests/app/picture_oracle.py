"""Pillow and ImageMagick as the oracle of the pictures that texts are saved as (run, never linked).

  picture_oracle.py make <folder>   before the tests: the folder is emptied
  picture_oracle.py check <folder> <build>
                                    after the tests: every picture NAME that the tests left there with
                                    NAME.expect ("WIDTH HEIGHT R G B") must open in Pillow and in
                                    ImageMagick with that size, and its corners must show that background
                                    colour (within a JPEG's error); screenshot-songs.gif is copied into
                                    <build> beside the screenshots
"""

import os
import shutil
import subprocess
import sys

from PIL import Image

JPEG_ERROR = 12


def near(got, want, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(got, want))


def pillow_report(path):
    with Image.open(path) as im:
        rgb = im.convert("RGB")
        w, h = rgb.size
        return (w, h), [rgb.getpixel(p) for p in [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]]


def magick_report(path):
    run = lambda args: subprocess.run(args, capture_output=True, check=True).stdout
    w, h = (int(v) for v in run(["identify", "-format", "%w %h", path + "[0]"]).split())
    rgb = run(["convert", path + "[0]", "-depth", "8", "rgb:-"])
    return (w, h), [tuple(rgb[3 * (y * w + x):3 * (y * w + x) + 3]) for x, y in
                    [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]]


def check(folder):
    failures = []
    names = sorted(n[:-7] for n in os.listdir(folder) if n.endswith(".expect"))
    for name in names:
        with open(os.path.join(folder, name + ".expect")) as f:
            w, h, r, g, b = (int(v) for v in f.read().split())
        tolerance = JPEG_ERROR if name.lower().endswith((".jpg", ".jpeg")) else 0
        for tool, report in [("Pillow", pillow_report), ("ImageMagick", magick_report)]:
            try:
                size, corners = report(os.path.join(folder, name))
            except Exception as error:  # noqa: BLE001 - every failure of a tool is a finding
                failures.append("%s: %s cannot read it: %s" % (name, tool, error))
                continue
            if size != (w, h):
                failures.append("%s: %s reads %dx%d, not %dx%d" % (name, tool, size[0], size[1], w, h))
            for corner in corners:
                if not near(corner, (r, g, b), tolerance):
                    failures.append("%s: %s reads the background %s, not %s" % (name, tool, corner, (r, g, b)))
    for failure in failures:
        print(failure)
    print("%d pictures checked by Pillow and ImageMagick, %d failures" % (len(names), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("make", "check"):
        sys.exit(__doc__)
    if sys.argv[1] == "make":
        shutil.rmtree(sys.argv[2], ignore_errors=True)
        os.makedirs(sys.argv[2])
    else:
        songs = os.path.join(sys.argv[2], "screenshot-songs.gif")
        if len(sys.argv) > 3 and os.path.exists(songs):
            shutil.copy(songs, sys.argv[3])
        sys.exit(check(sys.argv[2]))
