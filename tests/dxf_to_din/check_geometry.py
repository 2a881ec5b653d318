"""Converts DXF drawings with dxfdin and checks the DIN geometry against ezdxf's reading of
the same drawings: every LINE, POLYLINE, LWPOLYLINE, ARC and CIRCLE a viewer draws must be
found in the DIN within a small tolerance, every TEXT at its insertion point, and no DIN item
may draw what the drawing does not have (a phantom line, a segment to the origin).

usage: check_geometry.py DXFDIN DXF_FILE_OR_FOLDER...

Drawable entities of other kinds (blocks, hatches, splines ...) are not looked for yet; what
the DIN draws must still lie on the drawing's lines, arcs and circles."""
import glob
import math
import os
import subprocess
import sys
import tempfile

import ezdxf
import ezdxf.path
from ezdxf import recover
from ezdxf.math import Vec3
from ezdxf.render.polyline import _virtual_polyline_entities as virtual_polyline_entities

CHECKED = {"LINE", "LWPOLYLINE", "POLYLINE", "ARC", "CIRCLE"}
# Where the converter itself draws curves as chains (curves in tilted planes): its vertices
# lie on the curve, its chords within this fraction of the drawing's size.
CHORD = 3e-4
EXACT = 1e-7


class Grid:
    """Primitives (segments and arcs) bucketed by their bounding boxes, for nearest-distance
    queries."""

    def __init__(self, box, cells=1024):
        (x0, y0), (x1, y1) = box
        self.x0, self.y0 = x0, y0
        self.size = max(x1 - x0, y1 - y0, 1e-9) / cells
        self.cells = {}
        self.primitives = []

    def key(self, x, y):
        return int(math.floor((x - self.x0) / self.size)), int(math.floor((y - self.y0) / self.size))

    def add(self, primitive, shape, margin):
        """Files the primitive under the cells its shape ("segment" or "arc") passes
        through, widened by `margin`."""
        if shape[0] == "segment":
            (ax, ay), (bx, by) = shape[1], shape[2]
            length = math.hypot(bx - ax, by - ay)
            point = lambda t: (ax + (bx - ax) * t, ay + (by - ay) * t)
        else:
            (cx, cy), r, start, sweep = shape[1]
            sweep = 2 * math.pi if sweep is None else sweep
            length = abs(r * sweep)
            point = lambda t: (cx + r * math.cos(start + sweep * t), cy + r * math.sin(start + sweep * t))
        number = len(self.primitives)
        self.primitives.append(primitive)
        if not math.isfinite(length) or length / self.size > 1e5:
            self.cells.setdefault("all", set()).add(number)
            return
        steps = int(2 * length / self.size) + 1
        reach = int(margin / self.size) + 1
        keys = {self.key(*point(k / steps)) for k in range(steps + 1)}
        for i, j in keys:
            for di in range(-reach, reach + 1):
                for dj in range(-reach, reach + 1):
                    self.cells.setdefault((i + di, j + dj), set()).add(number)

    def near(self, x, y):
        numbers = self.cells.get(self.key(x, y), set()) | self.cells.get("all", set())
        return [self.primitives[number] for number in numbers]


def segment_distance(p, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((p[0] - ax) * dx + (p[1] - ay) * dy) / length2))
    return math.hypot(p[0] - (ax + t * dx), p[1] - (ay + t * dy))


def arc_distance(p, arc):
    (cx, cy), r, start, sweep = arc
    angle = math.atan2(p[1] - cy, p[0] - cx)
    if sweep is None or abs(sweep) >= 2 * math.pi:
        return abs(math.hypot(p[0] - cx, p[1] - cy) - r)
    lo, span = (start, sweep) if sweep >= 0 else (start + sweep, -sweep)
    if (angle - lo) % (2 * math.pi) <= span:
        return abs(math.hypot(p[0] - cx, p[1] - cy) - r)
    ends = [(cx + r * math.cos(lo), cy + r * math.sin(lo)),
            (cx + r * math.cos(lo + span), cy + r * math.sin(lo + span))]
    return min(math.hypot(p[0] - e[0], p[1] - e[1]) for e in ends)


def within(p, primitive, tolerance):
    """Whether p lies within `tolerance` of the primitive; the cheap tests first."""
    if primitive[0] == "segment":
        (ax, ay), (bx, by) = primitive[1], primitive[2]
        if (p[0] < min(ax, bx) - tolerance or p[0] > max(ax, bx) + tolerance
                or p[1] < min(ay, by) - tolerance or p[1] > max(ay, by) + tolerance):
            return False
        return segment_distance(p, primitive[1], primitive[2]) <= tolerance
    (cx, cy), r, _, _ = primitive[1]
    # No point of an arc is nearer than its circle.
    if abs(math.hypot(p[0] - cx, p[1] - cy) - r) > tolerance:
        return False
    return arc_distance(p, primitive[1]) <= tolerance


def arc_points(arc, count=16):
    (cx, cy), r, start, sweep = arc
    if sweep is None:
        sweep = 2 * math.pi
    return [(cx + r * math.cos(start + sweep * i / count), cy + r * math.sin(start + sweep * i / count))
            for i in range(count + 1)]


def read_din(path):
    """The DIN items: ("chain", [points]), ("arc", (centre, r, start, sweep)), ("text", point)."""
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").replace("\r\n", "\n").split("\n")
    items = []
    i = 0

    def numbers(line):
        return [float(v) for v in line.split()]

    while i < len(lines):
        line = lines[i]
        if not line.startswith("ITEM"):
            i += 1
            continue
        kind = int(line.split()[1])
        i += 1
        points, arc, text = [], None, None
        while i < len(lines) and not lines[i].startswith("ITEM"):
            fields = lines[i].split()
            if len(fields) >= 2 and fields[0] == "SR":
                record = int(fields[1])
                if record in (3, 4):
                    points.append(tuple(numbers(lines[i + 1])[:2]))
                    i += 2
                    continue
                if record == 5:
                    middle, end, centre, radius_sweep = (numbers(lines[i + k])[:2] for k in range(1, 5))
                    start = points[-1]
                    r, sweep = radius_sweep
                    a0 = math.atan2(start[1] - centre[1], start[0] - centre[0])
                    circle = abs(start[0] - end[0]) == 0 and abs(start[1] - end[1]) == 0
                    arc = (tuple(centre), r, a0, None if circle else sweep)
                    i += 5
                    continue
                if record == 12:
                    text = tuple(numbers(lines[i + 1])[:2])
                    i += 3
                    continue
            i += 1
        if kind == 3 and arc:
            items.append(("arc", arc))
        elif kind == 11 and text:
            items.append(("text", text))
        elif kind == 2:
            items.append(("chain", points))
    return items


def on_z_axis(extrusion):
    return abs(extrusion.x) < 1e-12 and abs(extrusion.y) < 1e-12


def pieces(entity, segments_per_turn=512):
    """The entity in world x, y as exact pieces: ("segment", a, b) and ("arc", (centre, r,
    start, sweep)); and ("chain", points) for curves in tilted planes, whose points lie on
    the curve and whose chords do not."""
    kind = entity.dxftype()
    if kind == "LINE":
        a, b = entity.dxf.start, entity.dxf.end
        yield ("segment", (a.x, a.y), (b.x, b.y))
    elif kind in ("ARC", "CIRCLE"):
        extrusion = entity.dxf.extrusion
        start, end = (0.0, 360.0) if kind == "CIRCLE" else (entity.dxf.start_angle, entity.dxf.end_angle)
        sweep = 360.0 if kind == "CIRCLE" else (end - start) % 360.0
        if on_z_axis(extrusion):
            centre = entity.ocs().to_wcs(entity.dxf.center)
            a0 = math.radians(start if extrusion.z > 0 else 180 - start)
            turn = math.radians(sweep) * (1 if extrusion.z > 0 else -1)
            yield ("arc", ((centre.x, centre.y), entity.dxf.radius, a0, None if kind == "CIRCLE" else turn))
        else:
            count = max(8, int(segments_per_turn * sweep / 360))
            angles = [start + sweep * i / count for i in range(count + 1)]
            yield ("chain", [(v.x, v.y) for v in entity.vertices(angles)])
    elif kind == "POLYLINE" and entity.is_poly_face_mesh:
        # Faces name their corners by number from 1; a negative number hides the edge that
        # starts there.
        corners = [v.dxf.location for v in entity.vertices if v.dxf.flags & 64]
        for face in (v for v in entity.vertices if v.dxf.flags & 128 and not v.dxf.flags & 64):
            numbers = [face.dxf.get(name, 0) for name in ("vtx0", "vtx1", "vtx2", "vtx3")]
            numbers = [n for n in numbers if n]
            for k, n in enumerate(numbers):
                m = numbers[(k + 1) % len(numbers)]
                if n > 0 and abs(n) <= len(corners) and abs(m) <= len(corners):
                    a, b = corners[abs(n) - 1], corners[abs(m) - 1]
                    yield ("segment", (a.x, a.y), (b.x, b.y))
    elif kind == "POLYLINE" and entity.is_polygon_mesh:
        points = [v.dxf.location for v in entity.vertices]
        m, n = entity.dxf.m_count, entity.dxf.n_count
        grid = [[points[i * n + j] for j in range(n) if i * n + j < len(points)] for i in range(m)]
        lines = [row + (row[:1] if entity.is_n_closed else []) for row in grid]
        columns = [[row[j] for row in grid if j < len(row)] for j in range(n)]
        lines += [column + (column[:1] if entity.is_m_closed else []) for column in columns]
        for line in lines:
            for a, b in zip(line, line[1:]):
                yield ("segment", (a.x, a.y), (b.x, b.y))
    elif kind in ("LWPOLYLINE", "POLYLINE"):
        if kind == "POLYLINE" and entity.dxf.flags & 4:
            # A spline-fit polyline is drawn through its fit vertices; its frame is not.
            vertices = [v for v in entity.vertices if not v.dxf.flags & 16]
            points = [(v.dxf.location.x, v.dxf.location.y, v.dxf.bulge) for v in vertices]
            if entity.is_closed and points:
                points.append(points[0])
            plane = entity.is_2d_polyline
            parts = virtual_polyline_entities(points, Vec3(entity.dxf.elevation).z if plane else 0,
                                              entity.dxf.get("extrusion", None) if plane else None,
                                              {}, None)
        else:
            parts = entity.virtual_entities()
        parts = list(parts)
        for part in parts:
            yield from pieces(part, segments_per_turn)
        if not parts:
            # A polyline of one vertex is a dot there.
            for x, y in ([v[:2] for v in entity.get_points()] if kind == "LWPOLYLINE"
                         else [(v.dxf.location.x, v.dxf.location.y) for v in entity.vertices]):
                p = entity.ocs().to_wcs(Vec3(x, y, 0)) if kind == "LWPOLYLINE" else Vec3(x, y, 0)
                yield ("segment", (p.x, p.y), (p.x, p.y))


def samples(piece):
    """Points that lie exactly on the piece."""
    if piece[0] == "segment":
        a, b = piece[1], piece[2]
        return [(a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t) for t in (0, 0.25, 0.5, 0.75, 1)]
    if piece[0] == "arc":
        return arc_points(piece[1], 32)
    return piece[1]


def lines_3d(path):
    """The 3DLINEs of the oldest drawings, which ezdxf does not load: (label, segment)."""
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").splitlines()
    found, entity = [], None
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].strip()
        if code == "0":
            if entity:
                found.append(entity)
            entity = {} if value == "3DLINE" else None
        elif entity is not None and code in ("10", "20", "11", "21"):
            entity[code] = float(value)
    return [("3DLINE", [("segment", (e.get("10", 0), e.get("20", 0)), (e.get("11", 0), e.get("21", 0)))],
             False) for e in found]


def dxf_geometry(doc):
    """Per checked entity: (label, pieces, tilted); texts apart as (label, insertion point)."""
    shapes, texts = [], []
    layouts = [doc.modelspace()]
    try:
        layouts.append(doc.paperspace())
    except Exception:
        pass
    for layout in layouts:
        for entity in layout:
            kind = entity.dxftype()
            label = "%s #%s" % (kind, entity.dxf.get("handle", "?"))
            if kind == "TEXT":
                insert = entity.ocs().to_wcs(entity.dxf.insert)
                texts.append((label, (insert.x, insert.y)))
            elif kind in CHECKED:
                try:
                    parts = list(pieces(entity))
                except Exception as error:  # ezdxf cannot take it apart: nothing to compare
                    print("%s: ezdxf: %s" % (label, error))
                    continue
                shapes.append((label, parts, any(part[0] == "chain" for part in parts)))
    return shapes, texts


def without_tables(path, out_dir):
    """A copy of the drawing without its TABLES section, for tables ezdxf cannot load (R12
    tables with subclass markers): the geometry does not need them."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    kept, skipping = [], False
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].strip()
        if code == b"0" and value == b"SECTION" and i + 3 < len(lines) and lines[i + 3].strip() == b"TABLES":
            skipping = True
        if not skipping:
            kept += [lines[i], lines[i + 1]]
        if skipping and code == b"0" and value == b"ENDSEC":
            skipping = False
    copy = os.path.join(out_dir, "without-tables.dxf")
    with open(copy, "wb") as f:
        f.write(b"\n".join(kept) + b"\n")
    return copy


def read_dxf(path, out_dir):
    """ezdxf's reading; Shift-JIS names of drawings without a code page, and broken files
    through ezdxf's recovery."""
    for encoding in (None, "cp932"):
        try:
            return ezdxf.readfile(path, encoding=encoding)
        except Exception:
            pass
    for attempt in (path, without_tables(path, out_dir)):
        try:
            return recover.readfile(attempt)[0]
        except Exception:
            pass
    return None


def extent_of(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs), min(ys)), (max(xs), max(ys))


def check(dxfdin, dxf_path, out_dir):
    name = os.path.basename(dxf_path)
    env = dict(os.environ, XDG_CONFIG_HOME=out_dir)
    run = subprocess.run([dxfdin, "to-din", "-q", "-f", "-o", out_dir, dxf_path], env=env)
    din_path = os.path.join(out_dir, name.lower().replace(".dxf", ".din", 1))
    if run.returncode != 0 or not os.path.exists(din_path):
        return ["%s: not converted (exit %d)" % (name, run.returncode)]
    doc = read_dxf(dxf_path, out_dir)
    if doc is None:
        print("%s: ezdxf cannot read it; not checked" % name)
        return []
    items = read_din(din_path)
    shapes, texts = dxf_geometry(doc)
    shapes += lines_3d(dxf_path)
    din_points = []
    for kind, data in items:
        din_points += data if kind == "chain" else arc_points(data) if kind == "arc" else [data]
    all_points = [p for _, parts, _ in shapes for part in parts for p in samples(part)]
    all_points += [p for _, p in texts] + din_points
    finite = [p for p in all_points if all(math.isfinite(v) and abs(v) < 1e100 for v in p)]
    if not finite:
        return []
    box = extent_of(finite)
    size = max(box[1][0] - box[0][0], box[1][1] - box[0][1], 1e-6)
    exact, chord = EXACT * size, CHORD * size
    problems = []

    # Every point of every checked entity lies on a DIN item.
    din_grid = Grid(box)
    for kind, data in items:
        if kind == "chain":
            for a, b in zip(data, data[1:] or data):
                din_grid.add(("segment", a, b), ("segment", a, b), chord)
        elif kind == "arc":
            din_grid.add(("arc", data), ("arc", data), chord)

    def near_din(p, tolerance):
        return any(within(p, primitive, tolerance) for primitive in din_grid.near(*p))

    for label, parts, tilted in shapes:
        # A dot (a face of one corner, a polyline of one vertex) need not be drawn.
        lines = [part for part in parts if part[0] != "segment" or part[1] != part[2]]
        points = [p for part in lines for p in samples(part)]
        if not all(math.isfinite(v) for p in points for v in p):
            continue
        # Curves in tilted planes are chains on the DIN side too: their chords are apart.
        tolerance = chord if tilted else 10 * exact
        missing = [p for p in points if not near_din(p, tolerance)]
        if missing:
            problems.append("%s: %s not in the DIN near %s" % (name, label, missing[0]))
    din_texts = [data for kind, data in items if kind == "text"]
    for label, point in texts:
        # DIN texts are placed in single precision.
        tolerance = 10 * exact + 1e-6 * (abs(point[0]) + abs(point[1]))
        if not any(math.hypot(point[0] - t[0], point[1] - t[1]) <= tolerance for t in din_texts):
            problems.append("%s: %s at %s has no DIN text" % (name, label, point))

    # Every point of every DIN item lies on the drawing: exactly on its lines and arcs,
    # within a chord of its chains.
    dxf_grid = Grid(box)
    for _, parts, _ in shapes:
        for part in parts:
            if part[0] == "chain":
                for a, b in zip(part[1], part[1][1:]):
                    dxf_grid.add((("segment", a, b), chord), ("segment", a, b), chord)
            else:
                dxf_grid.add((part, 10 * exact), part, chord)

    def near_dxf(p, chord_middle):
        return any(within(p, primitive, max(tolerance, chord) if chord_middle else tolerance)
                   for primitive, tolerance in dxf_grid.near(*p))

    for number, (kind, data) in enumerate(items, 1):
        if kind == "text":
            continue
        points = data if kind == "chain" else arc_points(data)
        stray = [p for p in points if not near_dxf(p, False)]
        if kind == "chain":
            # The middle of a chord lies on a straight line exactly, on a curve within a chord.
            middles = [((a[0] + b[0]) / 2, (a[1] + b[1]) / 2) for a, b in zip(points, points[1:])]
            stray += [p for p in middles if not near_dxf(p, True)]
        if stray:
            problems.append("%s: DIN item %d (%s) draws %s, which the drawing does not have"
                            % (name, number, kind, stray[0]))
    return problems


def synthetic_drawings(out_dir):
    """Drawings written with ezdxf, in R12 and R2000 form, of what real files hold: polylines
    closed and open, with bulges both ways, in planes seen from below and tilted, meshes, arcs
    and circles seen from below and tilted, texts turned."""
    files = []
    for version in ("R12", "R2000"):
        doc = ezdxf.new(version)
        msp = doc.modelspace()
        below = (0, 0, -1)
        tilted = (0.3, -0.4, 0.866)
        msp.add_line((0, 0), (100, 50.5))
        points = [(0, 0, 0, 0.5), (40, 0, 0, 0), (40, 30, 0, -1), (0, 30, 0, 0.25)]
        for extrusion in ((0, 0, 1), below, tilted):
            for closed in (False, True):
                dxfattribs = {"extrusion": extrusion, "elevation": 5}
                if version == "R12":
                    dxfattribs["elevation"] = (0, 0, 5)
                    polyline = msp.add_polyline2d([p[:2] for p in points], dxfattribs=dxfattribs,
                                                  close=closed)
                    for vertex, p in zip(polyline.vertices, points):
                        vertex.dxf.bulge = p[3]
                else:
                    msp.add_lwpolyline([(p[0], p[1], 0, 0, p[3]) for p in points],
                                       dxfattribs=dxfattribs, close=closed)
            msp.add_arc((200, 10), 15, 30, 250, dxfattribs={"extrusion": extrusion})
            msp.add_arc((200, 50), 5, 300, 20, dxfattribs={"extrusion": extrusion})
            msp.add_circle((250, -20, 3), 12, dxfattribs={"extrusion": extrusion})
            msp.add_text("ABC", dxfattribs={"insert": (10, 80, 2), "height": 2.5, "rotation": 30,
                                            "extrusion": extrusion})
        msp.add_polyline3d([(0, 100, 0), (10, 110, 5), (30, 100, 9)], close=True)
        mesh = msp.add_polymesh((3, 4), dxfattribs={"flags": 16 | 32})
        for m in range(3):
            for n in range(4):
                mesh.set_mesh_vertex((m, n), (300 + 10 * n, 100 + 8 * m + n, m))
        face = msp.add_polyface()
        face.append_face([(400, 0, 0), (420, 0, 0), (420, 20, 0), (400, 20, 0)])
        face.append_face([(420, 0, 0), (440, 5, 0), (420, 20, 0)])
        path = os.path.join(out_dir, "synthetic-%s.dxf" % version.lower())
        doc.saveas(path)
        files.append(path)
    return files


def main():
    dxfdin = sys.argv[1]
    files = []
    synthetic = tempfile.TemporaryDirectory()
    for argument in sys.argv[2:]:
        if argument == "--synthetic":
            files += synthetic_drawings(synthetic.name)
        elif os.path.isdir(argument):
            files += sorted(glob.glob(os.path.join(argument, "*.dxf")))
        else:
            files.append(argument)
    problems = []
    checked = 0
    with tempfile.TemporaryDirectory() as out_dir:
        for path in files:
            with open(path, "rb") as f:
                if f.read(18) == b"AutoCAD Binary DXF":
                    continue
            found = check(dxfdin, path, out_dir)
            checked += 1
            for problem in found[:5]:
                print(problem)
            if len(found) > 5:
                print("%s: and %d more" % (os.path.basename(path), len(found) - 5))
            problems += found
    print("checked %d drawings, %d problems" % (checked, len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
