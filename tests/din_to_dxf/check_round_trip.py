"""Converts DXF drawings to DIN and back with dxfdin and reads the DXF written with ezdxf: each
TEXT has the height its DIN text holds, divided by 100, at the DIN text's point; and every
TEXT and attribute the original drawing shows comes back at its point with its height, as far
as the DIN's height field (tenths of a unit) keeps it.

usage: check_round_trip.py DXFDIN TEMPLATE DXF_FILE_OR_FOLDER..."""
import glob
import math
import os
import re
import struct
import subprocess
import sys
import tempfile

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "dxf_to_din"))
from check_geometry import drawn, read_dxf  # noqa: E402
from expected_styles import Styles, records  # noqa: E402


def din_texts(path):
    """(x, y, DIN height) of each DIN text, in the order written."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    texts, height = [], None
    for i, line in enumerate(lines[:-1]):
        if line.startswith(b"  SR 11"):
            height = float(lines[i + 1].split()[1])
        elif line.startswith(b"  SR 12"):
            x, y = (float(v) for v in lines[i + 1].split()[:2])
            texts.append((x, y, height))
    return texts


def float32(value):
    """The value in single precision, as the converter holds heights and scales."""
    return struct.unpack("f", struct.pack("f", value))[0]


def text_scale(path, doc):
    """The scale a layer named like "sc 1/50" gives the drawing's texts (the last one), or 1."""
    encoding = "utf8" if doc.dxfversion >= "AC1021" else doc.encoding
    scale = 1.0
    for kind, record in records(path, encoding):
        for code, name in record:
            match = re.match(r"\S+\s+([-+.\d]+)/([-+.\d]+)", name[:19]) if code == 2 else None
            if kind == "LAYER" and "sc " in name[:19] and match:
                try:
                    a, b = float32(float(match.group(1))), float32(float(match.group(2)))
                    scale = float32(a / b) if b else scale
                except ValueError:
                    pass
    return scale


def check(dxfdin, template, path, work):
    name = os.path.basename(path)
    env = dict(os.environ, XDG_CONFIG_HOME=work)
    subprocess.run([dxfdin, "to-din", "-q", "-f", "-o", work, path], env=env)
    din = os.path.join(work, name.lower().replace(".dxf", ".din", 1))
    if not os.path.exists(din):
        return []  # not a drawing the converter takes
    subprocess.run([dxfdin, "to-dxf", "-q", "-f", "--template", template, "-o", work, din], env=env)
    back = ezdxf.readfile(din[:-4] + ".dxf")
    problems = []
    written = list(back.modelspace().query("TEXT"))
    expected = din_texts(din)
    if len(written) != len(expected):
        return ["%s: %d DIN texts, %d TEXT back" % (name, len(expected), len(written))]
    for text, (x, y, height) in zip(written, expected):
        if abs(text.dxf.height - height / 100) > 1e-6:
            problems.append("%s: TEXT %r is %g high, its DIN text %g" % (
                name, text.dxf.text, text.dxf.height, height))
    doc = read_dxf(path, work)
    if doc is None:
        return problems
    styles = Styles(doc, path)
    scale = text_scale(path, doc)
    for label, entity, style in drawn(doc.modelspace(), styles):
        if entity.dxftype() not in ("TEXT", "ATTRIB") or style.hidden or styles.is_vertical(entity):
            continue
        if entity.dxftype() == "ATTRIB" and entity.dxf.get("flags", 0) & 1:
            continue
        point = entity.ocs().to_wcs(entity.dxf.insert)
        height = entity.dxf.get("height", 1)
        # Tenths of a unit (of the height scaled as a scale layer says), the smallest one for
        # a text lower than that.
        kept = max(math.floor(float32(height) * scale * 10) / 10, 0.1)
        tolerance = 1e-6 * (abs(point.x) + abs(point.y)) + 1e-6
        if not any(math.hypot(t.dxf.insert.x - point.x, t.dxf.insert.y - point.y) <= tolerance and
                   abs(t.dxf.height - kept) <= 1e-6 * max(1, height) for t in written):
            problems.append("%s: %s %g high at (%g, %g) does not come back %g high" % (
                name, label, height, point.x, point.y, kept))
    return problems


def main():
    dxfdin, template = sys.argv[1], sys.argv[2]
    files = []
    for argument in sys.argv[3:]:
        files += sorted(glob.glob(os.path.join(argument, "*.dxf"))) if os.path.isdir(argument) \
            else [argument]
    problems = []
    with tempfile.TemporaryDirectory() as work:
        for path in files:
            found = check(dxfdin, template, path, work)
            for problem in found[:5]:
                print(problem)
            problems += found
    print("checked the texts of %d drawings back in DXF, %d problems" % (len(files), len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
