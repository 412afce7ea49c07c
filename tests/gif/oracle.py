"""Independent GIF tools as the oracle of the GIF tests (they are run, never linked).

  oracle.py make <root>   before the tests: <root>/fixtures gets GIFs made by Pillow, ImageMagick and
                          giflib with what those tools decode from them; <root>/output is emptied.
  oracle.py check <root>  after the tests: every GIF that the tests wrote into <root>/output is decoded
                          by Pillow, giflib and ImageMagick and must give the pixels the test expected.

Fixture files, for a case NAME:
  NAME.gif    the tool's file
  NAME.desc   the whole file as the tools report it (the form is described at describe() below)
  NAME.lzw    the first frame's image data (minimum code size, sub-blocks, zero-length block)
  NAME.idx    the first frame's colour indices as giflib decodes them, row by row
  cases.txt   one line per single-frame case: NAME WIDTH HEIGHT INTERLACED
  animations.txt  the names of the animated cases (NAME.gif, NAME.desc and NAME.coalesced only)
  NAME.coalesced  every frame as ImageMagick composes it on a screen of #112233 (-coalesce), RGBA, one
              after the other; alpha 0 where a frame's area was cleared
A fixture is kept only when giflib's indices, Pillow's and the colours given to the tool agree.

Output files, written by the tests for a case NAME, each GIF with one or more of:
  NAME.idx    the first frame's colour indices, row by row (one frame over the whole screen)
  NAME.desc   the picture as the test built it, which the tools' report of the file must equal
  NAME.rgb    the colours of the single frame, row by row, which Pillow must read
  NAME.coalesced  the frames composed as ImageMagick must compose the file (an optimised file must play
              as the tool's file did)
"""

import difflib
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile

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


def coalesced(path):
    # The screen starts as #112233 rather than the file's background colour, as a painter's canvas does.
    return run(["convert", path, "-set", "background", "#112233", "-coalesce", "-depth", "8", "rgba:-"])


def same_frames(got, expected):
    """RGBA frames alike: the colour counts only where something was drawn."""
    if len(got) != len(expected):
        return False
    for i in range(0, len(got), 4):
        a, b = got[i:i + 4], expected[i:i + 4]
        if a[3] != b[3] or (a[3] and a != b):
            return False
    return True


def rgb_of(indices, table):
    return b"".join(bytes(table[i]) if i < len(table) else b"\0\0\0" for i in indices)


# --- describing a whole GIF as the tools report it ----------------------------------------------
#
# One text form for a GIF, written by the C++ tests for a picture and here for a file:
#   version 89a
#   screen W H background B aspect A
#   global RRGGBB ...            (or "global none")
#   loop N                       (when a loop extension is there)
#   frame LEFT TOP WIDTH HEIGHT interlaced 0|1
#    local RRGGBB ...            (or "local none")
#    control disposal D input U delay T transparent I    (I -1: none; when the frame has one)
#    app IDENTIFIER-HEX SUBBLOCKS-HEX                     (each other application extension)
#    comment TEXT-HEX                                     (each comment)
#    pixels INDICES-HEX
# The screen, tables, controls and frames come from giftext, the loop count, comments and application
# extensions from gifsicle, the pixels from giftext -r; identify must agree on each frame's place,
# delay and disposal.

TABLE_ENTRY = re.compile(r"(\d+): ([0-9a-f]{2})h ([0-9a-f]{2})h ([0-9a-f]{2})h")
DISPOSALS = {0: "Undefined", 1: "None", 2: "Background", 3: "Previous"}


def giftext_report(path):
    text = run(["giftext", "-c", "-e", path]).decode(errors="replace")
    screen = {}
    frames = []
    control = None
    table = None
    for line in text.splitlines():
        m = re.search(r"Screen Size - Width = (\d+), Height = (\d+)", line)
        if m:
            screen["size"] = (int(m[1]), int(m[2]))
        m = re.search(r"BackGround = (\d+), Aspect = (\d+)", line)
        if m:
            screen["background"], screen["aspect"] = int(m[1]), int(m[2])
        if "Global Color Map:" in line:
            table = screen.setdefault("global", {})
        m = re.search(r"Disposal Mode: (\d+)", line)
        if m:
            control = {"disposal": int(m[1])}
        for key, pattern in [("input", r"User Input Flag: (\d+)"), ("delay", r"DelayTime: (\d+)"),
                             ("transparent", r"Transparent Index: (-?\d+)"), ("on", r"Transparency on: (\w+)")]:
            m = re.search(pattern, line)
            if m and control is not None:
                control[key] = m[1] == "yes" if key == "on" else int(m[1])
        m = re.search(r"Image Size - Left = (\d+), Top = (\d+), Width = (\d+), Height = (\d+)", line)
        if m:
            frames.append({"rect": tuple(int(m[i]) for i in range(1, 5)), "control": control, "local": {}})
            control = None
            table = None
        if "Interlaced" in line and frames:
            frames[-1]["interlaced"] = "Non Interlaced" not in line
        if "Image Has Color Map" in line:
            table = frames[-1]["local"]
        for entry in TABLE_ENTRY.finditer(line):
            if table is not None:
                table[int(entry[1])] = entry[2] + entry[3] + entry[4]
    return screen, frames


def gifsicle_report(path):
    text = run(["gifsicle", "--info", "--extension-info", path]).decode(errors="replace")
    loop = None
    frames = []
    apps = []
    current = None
    for line in text.splitlines():
        m = re.match(r"\s*loop (count (\d+)|forever)", line)
        if m:
            loop = int(m[2]) if m[2] else 0
            continue
        m = re.match(r"\s*extension \d+: app '(.*)' before #(\d+)", line)
        if m:
            current = {"id": m[1], "data": "", "frame": int(m[2])}
            apps.append(current)
            continue
        m = re.match(r"\s*[0-9a-f]{8}: ((?:[0-9a-f]{2,4} )+)", line)
        if m and current is not None:
            current["data"] += m[1].replace(" ", "")
            continue
        current = None
        if re.match(r"\s*\+ image #(\d+)", line):
            frames.append({"comments": [], "apps": []})
            continue
        m = re.match(r"\s*comment (.*)$", line)
        if m and frames:
            frames[-1]["comments"].append(m[1])
    for app in apps:
        frames[app["frame"]]["apps"].append(app)
    return loop, frames


def identify_report(path):
    out = run(["identify", "-format", "%D|%T|%X|%Y|%w|%h\n", path]).decode()
    return [line.split("|") for line in out.splitlines()]


def without_extensions(data):
    """The file without its extension blocks: giftext -r prints some of their data into its pixel dump."""
    packed = data[10]
    pos = 13 + (3 * (2 << (packed & 7)) if packed & 0x80 else 0)
    out = bytearray(data[:pos])
    while pos < len(data) and data[pos] != 0x3B:
        start = pos
        if data[pos] == 0x21:
            pos += 2
        else:
            local = data[pos + 9]
            pos += 10 + (3 * (2 << (local & 7)) if local & 0x80 else 0) + 1
        while data[pos]:
            pos += data[pos] + 1
        pos += 1
        if data[start] == 0x2C:
            out += data[start:pos]
    return bytes(out) + b"\x3b"


def all_frame_indices(path, frames):
    with open(path, "rb") as f:
        stripped = without_extensions(f.read())
    with tempfile.NamedTemporaryFile(suffix=".gif") as plain:
        plain.write(stripped)
        plain.flush()
        raw = run(["giftext", "-r", plain.name])
    result = []
    pos = 0
    for frame in frames:
        _, _, width, height = frame["rect"]
        data = raw[pos:pos + width * height]
        pos += width * height
        result.append(deinterlace(data, width, height) if frame.get("interlaced") else data)
    return result


def table_text(table):
    return " ".join(table[i] for i in range(len(table))) if table else "none"


def describe(path):
    screen, frames = giftext_report(path)
    loop, extras = gifsicle_report(path)
    placed = identify_report(path)
    if not (len(frames) == len(extras) == len(placed)):
        raise RuntimeError("%s: giftext, gifsicle and identify see different frames" % path)
    with Image.open(path) as im:
        version = im.info.get("version", b"GIF")[3:].decode()
    lines = ["version " + version,
             "screen %d %d background %d aspect %d" % (*screen["size"], screen["background"], screen["aspect"]),
             "global " + table_text(screen.get("global"))]
    if loop is not None:
        lines.append("loop %d" % loop)
    for frame, extra, place, data in zip(frames, extras, placed, all_frame_indices(path, frames)):
        left, top, width, height = frame["rect"]
        control = frame["control"]
        dispose, delay = DISPOSALS[control["disposal"]] if control else "Undefined", control["delay"] if control else 0
        if place != [dispose, str(delay), "%+d" % left, "%+d" % top, str(width), str(height)]:
            raise RuntimeError("%s: identify places a frame otherwise: %s" % (path, place))
        lines.append("frame %d %d %d %d interlaced %d" % (left, top, width, height, frame.get("interlaced", False)))
        lines.append(" local " + table_text(frame["local"]))
        if control:
            lines.append(" control disposal %d input %d delay %d transparent %d" %
                         (control["disposal"], control["input"], control["delay"],
                          control["transparent"] if control["on"] else -1))
        lines += [" app %s %s" % (app["id"].encode().hex(), app["data"]) for app in extra["apps"]]
        lines += [" comment " + comment.encode().hex() for comment in extra["comments"]]
        lines.append(" pixels " + data.hex())
    return "\n".join(lines) + "\n"


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
    animations = make_animations(fixtures)
    with open(os.path.join(fixtures, "animations.txt"), "w") as out:
        out.write("".join(name + "\n" for name in animations))
    for name in [case[0] for case in cases] + animations:
        with open(os.path.join(fixtures, name + ".desc"), "w") as out:
            out.write(describe(os.path.join(fixtures, name + ".gif")))
    for name in animations:
        with open(os.path.join(fixtures, name + ".coalesced"), "wb") as out:
            out.write(coalesced(os.path.join(fixtures, name + ".gif")))


def frames_for_animation(folder):
    """Three 12 x 8 single-frame GIFs, each with its own colours."""
    names = []
    for i, colours in enumerate([[(255, 0, 0), (0, 0, 0), (255, 255, 255), (9, 9, 9)],
                                 [(0, 255, 0), (7, 7, 7), (1, 2, 3), (200, 100, 50)],
                                 [(0, 0, 255), (9, 9, 9), (90, 80, 70), (250, 250, 5)]]):
        name = os.path.join(folder, "part%d.gif" % i)
        make_with_pillow(name, 12, 8, colours, bytes((x * y + x + i) % 4 for y in range(8) for x in range(12)))
        names.append(name)
    return names


def make_animations(fixtures):
    work = os.path.join(fixtures, "parts")
    os.makedirs(work, exist_ok=True)
    f0, f1, f2 = frames_for_animation(work)
    # Offsets, disposal 1 to 3, transparency, interlace, a loop count, a comment, an unknown application.
    run(["gifsicle", "--no-warnings", "--loopcount=3", "--app-extension", "VELMAROT1.0", "private data",
         "--comment", "first frame", "-d", "30", "--disposal=previous", "--position", "5,6", f0,
         "-d", "7", "--disposal=background", "--transparent", "2", "--interlace", "--position", "0,0", f1,
         "-d", "12", "--disposal=asis", "--no-interlace", "--position", "3,1", f2,
         "-o", os.path.join(fixtures, "anim-gifsicle.gif")])
    # Local colour tables, offsets, disposal, loop forever, comments.
    run(["convert", "-delay", "10", "-dispose", "Background", f0, "-dispose", "Previous", "-delay", "20",
         "-page", "+2+3", f1, "-dispose", "None", "-delay", "5", "-page", "+0+0", f2, "-loop", "0",
         "-set", "comment", "made by magick", os.path.join(fixtures, "anim-magick.gif")])
    # Local colour tables, a loop count, disposal 1 to 3, transparency, a comment.
    parts = [Image.open(name) for name in (f0, f1, f2)]
    parts[0].save(os.path.join(fixtures, "anim-pillow.gif"), save_all=True, append_images=parts[1:], loop=2,
                  duration=[40, 60, 80], disposal=[1, 2, 3], transparency=1, comment=b"pillow comment",
                  optimize=False)
    for part in parts:
        part.close()
    # Whole frames that repeat most of the frame before, as an optimiser finds them.
    repeats = []
    for i in range(4):
        name = os.path.join(work, "repeat%d.gif" % i)
        make_with_pillow(name, 40, 30, [(255, 255, 255), (200, 0, 0), (0, 0, 160), (20, 120, 20)],
                         bytes(1 + (x // 8 + y // 6) % 3 if 10 + 4 * i <= x < 18 + 4 * i and 8 <= y < 14 + i
                               else (x // 8 + y // 6) % 2 for y in range(30) for x in range(40)))
        repeats.append(name)
    run(["convert", "-delay", "15", "-dispose", "None", *repeats, "-loop", "0",
         os.path.join(fixtures, "anim-repeats.gif")])
    shutil.rmtree(work)
    return ["anim-gifsicle", "anim-magick", "anim-pillow", "anim-repeats"]


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


def check_indices(gif, name, expected):
    with open(gif, "rb") as f:
        table = first_frame(f.read())[3]
    failures = []
    for decoder, decode, want in [("giflib", giflib_indices, expected), ("Pillow", pillow_indices, expected),
                                  ("ImageMagick", magick_rgb, rgb_of(expected, table))]:
        try:
            if decode(gif) != want:
                failures.append("%s: %s decodes other pixels" % (name, decoder))
        except Exception as error:  # noqa: BLE001 - every failure of a tool is a finding
            failures.append("%s: %s cannot read it: %s" % (name, decoder, error))
    return failures


def check_description(gif, name, expected):
    try:
        got = describe(gif)
    except Exception as error:  # noqa: BLE001
        return ["%s: the tools cannot report it: %s" % (name, error)]
    if got == expected:
        return []
    diff = difflib.unified_diff(expected.splitlines(), got.splitlines(), "as the test built it", "as the tools read it",
                                lineterm="", n=0)
    return ["%s: the tools read another picture:\n  %s" % (name, "\n  ".join(line[:160] for line in diff))]


def check_colours(gif, name, expected):
    with Image.open(gif) as im:
        got = im.convert("RGB").tobytes()
    return [] if got == expected else ["%s: Pillow reads other colours" % name]


def check_coalesced(gif, name, expected):
    try:
        got = coalesced(gif)
    except Exception as error:  # noqa: BLE001
        return ["%s: ImageMagick cannot compose it: %s" % (name, error)]
    return [] if same_frames(got, expected) else ["%s: ImageMagick composes other frames" % name]


def check(root):
    output = os.path.join(root, "output")
    names = sorted(n[:-4] for n in os.listdir(output) if n.endswith(".gif"))
    failures = []
    for name in names:
        gif = os.path.join(output, name + ".gif")
        for extension, checker, mode in [(".idx", check_indices, "rb"), (".desc", check_description, "r"),
                                         (".rgb", check_colours, "rb"), (".coalesced", check_coalesced, "rb")]:
            path = os.path.join(output, name + extension)
            if os.path.exists(path):
                with open(path, mode) as f:
                    failures += checker(gif, name, f.read())
    for failure in failures:
        print(failure)
    print("%d GIF files checked by giflib, Pillow, ImageMagick and gifsicle, %d failures" % (len(names), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("make", "check"):
        sys.exit(__doc__)
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        sys.exit(check(sys.argv[2]))
