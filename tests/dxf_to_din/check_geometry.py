"""Converts DXF drawings with dxfdin and checks the DIN geometry against ezdxf's reading of
the same drawings: every LINE, POLYLINE, LWPOLYLINE, ARC, CIRCLE and the other kinds a viewer
draws must be found in the DIN within a small tolerance, every TEXT at its insertion point,
and no DIN item may draw what the drawing does not have (a phantom line, a segment to the
origin, an entity of a hidden layer). Each DIN item must have the class and line type of an
entity it lies on (expected_styles.py says which), with a new user's settings and with pens.

usage: check_geometry.py DXFDIN DXF_FILE_OR_FOLDER..."""
import dataclasses
import glob
import math
import os
import re
import subprocess
import sys
import tempfile

import ezdxf
import ezdxf.path
from ezdxf import recover

# Texts measured as ezdxf measures them without a font's metrics, whether or not matplotlib
# is installed, as the converter does: the widths that place underlines and dimension texts
# are then the same on every machine.
ezdxf.options.use_matplotlib = False

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from expected_styles import TOP, Styles, vertical_text_points  # noqa: E402
from ezdxf.math import Vec3
from ezdxf.render.polyline import _virtual_polyline_entities as virtual_polyline_entities

CHECKED = {"LINE", "LWPOLYLINE", "POLYLINE", "ARC", "CIRCLE", "ELLIPSE", "SPLINE", "HATCH", "SOLID",
           "TRACE", "3DFACE", "LEADER"}
# Where the converter draws curves as chains (ellipses, splines, curves in tilted planes): its
# vertices lie on the curve, its chords within this fraction of the curve's extent (the
# converter keeps to 1/10000; the reference chains of ezdxf's points are coarser).
CHORD = 3e-4


class Grid:
    """Primitives (segments and arcs) filed under the cells of a square grid they pass
    through, for queries of what lies near a point. The cells are about as large as the
    primitives, wherever the drawing lies."""

    def __init__(self, size):
        self.size = size
        self.cells = {}
        self.everywhere = set()
        self.primitives = []

    @classmethod
    def for_primitives(cls, primitives):
        lengths = sorted(primitive_length(p) for p in primitives)
        lengths = [length for length in lengths if length > 0 and math.isfinite(length)]
        return cls(lengths[len(lengths) // 2] if lengths else 1.0)

    def key(self, x, y):
        return int(math.floor(x / self.size)), int(math.floor(y / self.size))

    def add(self, primitive, shape, margin=0):
        """Files `primitive` under the cells `shape` passes through, widened by `margin`."""
        number = len(self.primitives)
        self.primitives.append(primitive)
        length = primitive_length(shape)
        if not math.isfinite(length) or length / self.size > 1e5 or margin / self.size > 100:
            self.everywhere.add(number)
            return
        steps = int(2 * length / self.size) + 1
        reach = int(margin / self.size) + 1
        keys = {self.key(*point_along(shape, k / steps)) for k in range(steps + 1)}
        for i, j in keys:
            for di in range(-reach, reach + 1):
                for dj in range(-reach, reach + 1):
                    self.cells.setdefault((i + di, j + dj), set()).add(number)

    def near(self, x, y):
        if not (math.isfinite(x) and math.isfinite(y)):
            return [self.primitives[n] for n in self.everywhere]
        numbers = self.cells.get(self.key(x, y), set()) | self.everywhere
        return [self.primitives[number] for number in numbers]


def primitive_length(shape):
    if shape[0] == "segment":
        return math.dist(shape[1], shape[2])
    (cx, cy), r, start, sweep = shape[1]
    return abs(r * (2 * math.pi if sweep is None else sweep))


def point_along(shape, t):
    if shape[0] == "segment":
        (ax, ay), (bx, by) = shape[1], shape[2]
        return ax + (bx - ax) * t, ay + (by - ay) * t
    (cx, cy), r, start, sweep = shape[1]
    sweep = 2 * math.pi if sweep is None else sweep
    return cx + r * math.cos(start + sweep * t), cy + r * math.sin(start + sweep * t)


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
    """Whether p lies within `tolerance` of the primitive; the cheap tests first. Distances to
    primitives far from the origin are only as exact as their coordinates."""
    if primitive[0] == "segment":
        (ax, ay), (bx, by) = primitive[1], primitive[2]
        tolerance += 1e-12 * max(abs(ax), abs(ay), abs(bx), abs(by))
        if (p[0] < min(ax, bx) - tolerance or p[0] > max(ax, bx) + tolerance
                or p[1] < min(ay, by) - tolerance or p[1] > max(ay, by) + tolerance):
            return False
        return segment_distance(p, primitive[1], primitive[2]) <= tolerance
    (cx, cy), r, _, _ = primitive[1]
    tolerance += 1e-12 * (abs(cx) + abs(cy) + r)
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
    """The DIN items: ("chain", [points]), ("arc", (centre, r, start, sweep)), ("text", point),
    each with its class and line type."""
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
        kind, class_no, line_type = (int(v) for v in [*line.split()[1:3], line.split()[4]])
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
            items.append(("arc", arc, class_no, line_type))
        elif kind == 11 and text:
            items.append(("text", text, class_no, line_type))
        elif kind == 2:
            items.append(("chain", points, class_no, line_type))
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
        # An arc whose ends coincide goes round once (the DIN file holds it as a circle).
        sweep = 360.0 if kind == "CIRCLE" else (end - start) % 360.0 or 360.0
        if on_z_axis(extrusion):
            centre = entity.ocs().to_wcs(entity.dxf.center)
            a0 = math.radians(start if extrusion.z > 0 else 180 - start)
            turn = math.radians(sweep) * (1 if extrusion.z > 0 else -1)
            yield ("arc", ((centre.x, centre.y), entity.dxf.radius, a0, None if sweep == 360 else turn))
        else:
            count = max(8, int(segments_per_turn * sweep / 360))
            angles = [start + sweep * i / count for i in range(count + 1)]
            yield ("chain", [(v.x, v.y) for v in entity.vertices(angles)])
    elif kind == "ELLIPSE":
        start, end = entity.dxf.start_param, entity.dxf.end_param
        sweep = (end - start) % (2 * math.pi) or 2 * math.pi
        count = max(8, int(segments_per_turn * sweep / (2 * math.pi)))
        params = [start + sweep * i / count for i in range(count + 1)]
        yield ("chain", [(v.x, v.y) for v in entity.vertices(params)])
    elif kind == "SPLINE":
        yield ("chain", spline_points(entity.construction_tool()))
    elif kind in ("SOLID", "TRACE"):
        ocs = entity.ocs()
        corners = [ocs.to_wcs(entity.dxf.get(name, entity.dxf.vtx2)) for name in ("vtx0", "vtx1", "vtx2", "vtx3")]
        order = [0, 1, 3, 2] if corners[3] != corners[2] else [0, 1, 2]
        outline = [(corners[k].x, corners[k].y) for k in order]
        for a, b in zip(outline, outline[1:] + outline[:1]):
            yield ("segment", a, b)
    elif kind == "3DFACE":
        corners = [entity.dxf.get(name, entity.dxf.vtx2) for name in ("vtx0", "vtx1", "vtx2", "vtx3")]
        count = 4 if corners[3] != corners[2] else 3
        hidden = entity.dxf.get("invisible", 0)
        for k in range(count):
            if not hidden & (1 << k):
                a, b = corners[k], corners[(k + 1) % count]
                yield ("segment", (a.x, a.y), (b.x, b.y))
    elif kind == "LEADER":
        yield from leader_pieces(entity, segments_per_turn)
    elif kind == "HATCH":
        pattern = hatch_pattern_pieces(entity)
        yield from hatch_pieces(entity, segments_per_turn) if pattern is None else pattern
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


def leader_pieces(leader, segments_per_turn):
    """A leader through its vertices: straight, or for path type 1 the spline ezdxf's
    virtual_entities() makes through them with its arrowhead (the hook line ezdxf adds after
    the last vertex under a text is drawn for neither)."""
    from ezdxf.math import fit_points_to_cad_cv
    vertices = [Vec3(v) for v in leader.vertices]
    if leader.dxf.get("path_type", 0) != 1 or len(vertices) < 2:
        for a, b in zip(vertices, vertices[1:]):
            yield ("segment", (a.x, a.y), (b.x, b.y))
        return
    tangents = [vertices[1] - vertices[0], vertices[-1] - vertices[-2]]
    yield ("chain", spline_points(fit_points_to_cad_cv(vertices, tangents=tangents)))
    for part in leader.virtual_entities():
        if part.dxftype() != "SPLINE":
            yield from pieces(part, segments_per_turn)


def spline_points(curve):
    """Points on a B-spline, dense enough that its chords keep within 1/100000 of its
    size."""
    hull = [(p.x, p.y) for p in curve.control_points]
    size = math.dist(*extent_of(hull)) if hull else 1
    return [(p.x, p.y) for p in curve.flattening(max(size, 1e-9) * 1e-5, segments=4)]


def hatch_pattern_pieces(hatch):
    """The lines of a hatch's pattern as ezdxf's drawing add-on draws them instead of its
    boundary: ("pattern", a, b, (slack at a, slack at b)), a dot where a is b; None for a solid
    fill or a pattern without lines, whose boundary is drawn. The add-on cuts the lines at the
    Bezier curves of the boundary paths, and a line through the joint of two curves, crossing
    both ends, at random; here the paths are flattened finely and cut as ezdxf cuts polygons,
    each vertex once. The curves stand off arcs by 2.7e-4 of their radius: where a line ends on
    a curve, its end may lie further along it by what that makes of a crossing at its angle
    (much where the line nearly touches the curve), its slack."""
    from ezdxf.math import Bezier4P, Vec2
    from ezdxf.path import Curve4To
    from ezdxf.render import hatching
    if hatch.dxf.solid_fill or hatch.pattern is None or not hatch.pattern.lines:
        return None
    ocs = hatch.ocs()
    z = hatch.dxf.elevation.z
    paths = hatching.hatch_boundary_paths(hatch, filter_text_boxes=True)
    # The curves of the boundary: (their points, how far the cut may stand off, their size).
    curves, polygons = [], []
    for path in paths:
        points = list(path.control_vertices())
        extent = math.dist(*extent_of([(p.x, p.y) for p in points])) if points else 0
        polygons.append([Vec2(p) for p in path.flattening(max(extent, 1e-9) * 1e-7, segments=16)])
        start = path.start
        for command in path.commands():
            if isinstance(command, Curve4To):
                hull = [start, command.ctrl1, command.ctrl2, command.end]
                size = max(a.distance(b) for a in hull for b in hull)
                points = list(Bezier4P(hull).approximate(64))
                curves.append((points, 6e-4 * size, size))
            start = command.end

    def slack(p, direction):
        most = 0.0
        for points, off, size in curves:
            nearest, normal = math.inf, None
            for a, b in zip(points, points[1:]):
                distance = segment_distance((p.x, p.y), (a.x, a.y), (b.x, b.y))
                if distance < nearest and a != b:
                    nearest, normal = distance, (b - a).normalize().orthogonal()
            if normal is None or nearest > 2 * off + 1e-9 * (abs(p.x) + abs(p.y)):
                continue
            crossing = abs(direction.dot(normal))
            along = math.sqrt(2 * size * off)
            most = max(most, off + (min(along, off / crossing) if crossing > 0 else along))
        return most

    def wcs(v):
        p = ocs.to_wcs(Vec3(v.x, v.y, z))
        return (p.x, p.y)

    pieces = []
    for baseline in hatching.pattern_baselines(hatch):
        for line in hatching.hatch_polygons(baseline, polygons):
            ends = {}
            if curves:
                for end in (line.start, line.end):
                    ends[end] = slack(end, baseline.direction)
            # ezdxf keys its lines by their distance rounded to 1e-4, and dashes them on the
            # line of the rounded distance: the line's own distance is a whole number of
            # spacings.
            spacing = baseline.normal_distance
            renderer = baseline.pattern_renderer(round(line.distance / spacing) * spacing)
            for s, e in renderer.render(line.start, line.end):
                slacks = tuple(next((value for end, value in ends.items() if end.isclose(v)), 0.0)
                               for v in (s, e))
                pieces.append(("pattern", wcs(s), wcs(e), slacks))
    return pieces


def pattern_segment(piece, grow):
    """A pattern piece as a segment: its ends moved along it by their slacks, outwards when
    `grow` is 1, inwards when -1; None when nothing of it is left."""
    _, a, b, (slack_a, slack_b) = piece
    length = math.dist(a, b)
    if length == 0:
        return ("segment", a, b)
    if grow < 0 and slack_a + slack_b >= length:
        return None
    ux, uy = (b[0] - a[0]) / length, (b[1] - a[1]) / length
    return ("segment", (a[0] - grow * ux * slack_a, a[1] - grow * uy * slack_a),
            (b[0] + grow * ux * slack_b, b[1] + grow * uy * slack_b))


def hatch_pieces(hatch, segments_per_turn):
    """The boundary paths of a hatch, exactly as a viewer draws their outlines."""
    from ezdxf.entities.boundary_paths import (ArcEdge, EllipseEdge, LineEdge, PolylinePath,
                                               SplineEdge)
    from ezdxf.math import BSpline, bulge_to_arc, fit_points_to_cad_cv
    ocs = hatch.ocs()
    extrusion = hatch.dxf.extrusion
    z = hatch.dxf.elevation.z
    plane = on_z_axis(extrusion)

    def wcs(x, y):
        p = ocs.to_wcs(Vec3(x, y, z))
        return (p.x, p.y)

    def arc(centre, radius, start, end):
        """A counter-clockwise arc of the hatch's plane, start and end in radians."""
        sweep = (end - start) % (2 * math.pi) or 2 * math.pi
        if plane:
            c = wcs(centre[0], centre[1])
            a0 = start if extrusion.z > 0 else math.pi - start
            return ("arc", (c, radius, a0, sweep if extrusion.z > 0 else -sweep))
        count = max(8, int(segments_per_turn * sweep / (2 * math.pi)))
        return ("chain", [wcs(centre[0] + radius * math.cos(start + sweep * i / count),
                              centre[1] + radius * math.sin(start + sweep * i / count))
                          for i in range(count + 1)])

    for path in hatch.paths:
        if isinstance(path, PolylinePath):
            vertices = [(v[0], v[1], v[2] if len(v) > 2 else 0) for v in path.vertices]
            if path.is_closed and vertices:
                vertices.append(vertices[0])
            for (x0, y0, bulge), (x1, y1, _) in zip(vertices, vertices[1:]):
                if bulge:
                    centre, start, end, radius = bulge_to_arc((x0, y0), (x1, y1), bulge)
                    yield arc(centre, radius, start, end)
                else:
                    yield ("segment", wcs(x0, y0), wcs(x1, y1))
            continue
        for edge in path.edges:
            if isinstance(edge, LineEdge):
                yield ("segment", wcs(*edge.start), wcs(*edge.end))
            elif isinstance(edge, ArcEdge):
                yield arc(edge.center, edge.radius, math.radians(edge.start_angle),
                          math.radians(edge.end_angle))
            elif isinstance(edge, EllipseEdge):
                ellipse = edge.construction_tool()
                sweep = (ellipse.end_param - ellipse.start_param) % (2 * math.pi) or 2 * math.pi
                count = max(8, int(segments_per_turn * sweep / (2 * math.pi)))
                params = [ellipse.start_param + sweep * i / count for i in range(count + 1)]
                yield ("chain", [wcs(v.x, v.y) for v in ellipse.vertices(params)])
            elif isinstance(edge, SplineEdge):
                if edge.control_points:
                    curve = BSpline(edge.control_points, order=edge.degree + 1,
                                    knots=edge.knot_values, weights=edge.weights or None)
                else:
                    tangents = None
                    if edge.start_tangent and edge.end_tangent:
                        tangents = (edge.start_tangent, edge.end_tangent)
                    curve = fit_points_to_cad_cv(edge.fit_points, tangents=tangents)
                yield ("chain", [wcs(x, y) for x, y in spline_points(curve)])


def samples(piece):
    """Points that lie exactly on the piece."""
    if piece[0] == "segment":
        a, b = piece[1], piece[2]
        return [a] + [(a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t) for t in (0.25, 0.5, 0.75)] + [b]
    if piece[0] == "arc":
        return arc_points(piece[1], 32)
    if piece[0] == "pattern":
        inner = pattern_segment(piece, -1)
        return samples(inner) if inner else []
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
             False, None) for e in found]


def cell_attributes(insert):
    """The visible attributes of an insert, in every cell of a MINSERT: moved by the cell's
    place in the grid turned by the insert's rotation, each place once (as ezdxf's
    multi_insert() places the cells)."""
    attributes = [a for a in insert.attribs if not a.dxf.get("flags", 0) & 1]
    if insert.mcount <= 1:
        return attributes
    places, cells = set(), []
    for row in range(insert.dxf.row_count):
        for column in range(insert.dxf.column_count):
            offset = Vec3(column * insert.dxf.column_spacing, row * insert.dxf.row_spacing)
            if offset in places:
                continue
            places.add(offset)
            offset = offset.rotate_deg(insert.dxf.rotation)
            for attribute in attributes:
                copy = attribute.copy()
                copy.dxf.insert = Vec3(attribute.dxf.insert) + offset
                cells.append(copy)
    return cells


def placed_patterns(parts, matrix):
    """The parts of an insert, the patterns of its hatches placed with them: ezdxf moves a
    hatch's boundary with the insert but leaves its pattern where the block has it (and an
    unequal scale that makes a polyline path an edge path loses the path's flags, which the
    island style looks at)."""
    from ezdxf.math import OCSTransform, Vec2
    for part in parts:
        source = part.source_of_copy
        if part.dxftype() == "HATCH" and part.pattern and source is not None and source.pattern:
            for path, original in zip(part.paths, source.paths):
                path.path_type_flags = (original.path_type_flags & ~2) | (path.path_type_flags & 2)
            ocs = OCSTransform(source.dxf.extrusion, matrix)
            z = source.dxf.elevation.z
            for line, original in zip(part.pattern.lines, source.pattern.lines):
                direction = ocs.transform_direction(Vec3.from_deg_angle(original.angle))
                line.angle = direction.angle_deg
                line.base_point = Vec2(ocs.transform_vertex(Vec3(original.base_point).replace(z=z)))
                line.offset = Vec2(ocs.transform_direction(Vec3(original.offset)))
                line.dash_length_items = [dash * direction.magnitude
                                          for dash in original.dash_length_items]
        yield part


# Kinds a viewer draws through simpler entities (ezdxf's virtual_entities()); each part is
# drawn with the style of the entity it belongs to.
EXPANDED = {"MULTILEADER", "MLEADER", "MLINE", "ACAD_PROXY_ENTITY"}
# Kinds the converter translates itself; an entity of any other kind is drawn from its proxy
# graphics, where it carries them.
TRANSLATED = CHECKED | EXPANDED | {"TEXT", "MTEXT", "ATTRIB", "ATTDEF", "INSERT", "POINT", "DIMENSION",
                                   "ARC_DIMENSION", "LARGE_RADIAL_DIMENSION", "ACAD_TABLE",
                                   "3DLINE", "VERTEX", "SEQEND"}


def proxy_graphic_parts(entity):
    """What ezdxf draws of the proxy graphics of an entity of a kind the converter does not
    translate, or None for one without them."""
    from ezdxf.proxygraphic import ProxyGraphic
    data = getattr(entity, "proxy_graphic", None)
    if entity.dxftype() in TRANSLATED or not data:
        return None
    return list(ProxyGraphic(data, entity.doc).virtual_entities())


def point_size(doc):
    """The size of the figures of POINTs: $PDSIZE when positive; 0, 5% of the height of the
    drawing's extents; negative, that percentage of the active view's height; a height not
    known gives way to the other, then to 1 (as does a size that is not finite)."""
    pdsize = doc.header.get("$PDSIZE", 0)
    try:
        extents = doc.header.get("$EXTMAX", (0, math.nan))[1] - doc.header.get("$EXTMIN", (0, math.nan))[1]
    except Exception:
        extents = math.nan
    try:
        view = doc.viewports.get("*Active")[0].dxf.height
    except Exception:
        view = math.nan

    def usable(h):
        return math.isfinite(h) and h > 0

    if not math.isfinite(pdsize):
        return 1
    if pdsize > 0:
        return pdsize
    if pdsize == 0:
        h = extents if usable(extents) else view
        return 0.05 * h if usable(h) else 1
    h = view if usable(view) else extents
    return -pdsize / 100 * h if usable(h) and usable(-pdsize / 100 * h) else 1


def point_figure(point):
    """The lines and circle ezdxf draws for a POINT by the drawing's $PDMODE; none on the
    layer DEFPOINTS, which is not plotted."""
    from ezdxf.render.point import virtual_entities as point_entities
    doc = point.doc
    mode = doc.header.get("$PDMODE", 0) if doc else 0
    if point.dxf.layer.lower() == "defpoints":
        return []
    return [part for part in point_entities(point, point_size(doc), mode)
            if part.dxftype() != "LINE" or not Vec3(part.dxf.start).isclose(part.dxf.end)]


def without_inserts(parts):
    """The parts with every INSERT among them expanded into its block's entities and its
    visible attributes, nested ones too; those of colour BYBLOCK take the insert's."""
    for part in parts:
        if part.dxftype() != "INSERT":
            yield part
            continue
        inner = [a for a in part.attribs if not a.dxf.get("flags", 0) & 1]
        for child in without_inserts(inner + list(part.virtual_entities())):
            if child.dxf.get("color") == 0 and part.dxf.get("color") is not None:
                child.dxf.color = part.dxf.color
            yield child


def closed_filled_arrow(doc):
    """The block of AutoCAD's closed filled arrowhead, which ezdxf draws for a multileader
    that names no arrow block: a triangle its size long and a third of that wide, as the
    proxy graphics AutoCAD writes show it (ezdxf's own is a little narrower)."""
    if doc is None or "_CLOSEDFILLED" in doc.blocks:
        return
    block = doc.blocks.new("_CLOSEDFILLED")
    block.add_solid([(0, 0), (-1, 1 / 6), (-1, -1 / 6)], dxfattribs={"color": 0})


MULTILEADERS = ("MULTILEADER", "MLEADER")


def multileader_colour(styles, part, style):
    """The colour of a part of a multileader of `style`: its own, its layer's for BYLAYER;
    None for BYBLOCK or none (the entity's own)."""
    colour = part.dxf.get("color")
    if colour == 256:
        return styles.layers.get(style.layer.lower(), (7,))[0]
    return colour if colour and 1 <= colour <= 255 else None


def multileader_parts(entity):
    """What a viewer draws of a MULTILEADER: AutoCAD's proxy graphics when the entity holds
    them, else ezdxf's rendering of its leaders, arrowheads and content, with the blocks of
    arrowheads and content expanded. A line-type handle that names no line type (ezdxf
    refuses the entity then) is left out: the parts are drawn with the entity's style."""
    doc = entity.doc
    handle = entity.dxf.get("leader_linetype_handle")
    if doc is not None and handle is not None:
        linetype = doc.entitydb.get(handle)
        if linetype is None or linetype.dxftype() != "LTYPE":
            entity.dxf.discard("leader_linetype_handle")
    closed_filled_arrow(doc)
    return list(without_inserts(entity.virtual_entities()))


# The GD&T symbols of the GDT font's letters as a DIN text holds them: the symbol where
# Shift-JIS has one, a short word where it has none.
GDT_SYMBOLS = {"a": "\u2220", "b": "\u22a5", "c": "FLAT", "d": "PROF", "e": "\u25cb",
               "f": "\u2225", "g": "CYL", "h": "RUNOUT", "i": "SYM", "j": "POS", "k": "\u2312",
               "l": "(L)", "m": "(M)", "n": "\u03c6", "p": "(P)", "r": "\u25ce", "s": "(S)",
               "t": "TRUNOUT", "u": "STRAIGHT"}
DRAWING_SYMBOLS = {"c": "\u03c6", "d": "\u00b0", "p": "\u00b1"}


def split_apart(text, separator, count):
    """text split at the separator (any case) into at most `count` parts."""
    parts = re.split(re.escape(separator), text, maxsplit=count - 1, flags=re.I)
    return parts


def gdt_field(field, encoding):
    """A field of a feature control frame as its text and the bytes it takes in a DIN text:
    the letters written in the GDT font as their symbols, %%c, %%d, %%p and \\U+XXXX as their
    characters (a symbol two bytes), the drawing's own characters as many bytes as its
    encoding gives them, other formatting left out."""
    out, size, gdt, fonts = [], 0, False, []
    token = re.compile(r"\\[Ff]([^;]*);|\\[HhWwQqTtAaCcp][^;]*;|\\[LlOoKk]|\\([\\{}])"
                       r"|\\[Uu]\+([0-9A-Fa-f]{4})|%%([cdpCDP])|([{}])|(.)", re.S)

    def add(text, count):
        nonlocal size
        out.append(text)
        size += count

    for m in token.finditer(field):
        font, literal, code, symbol, brace, char = m.groups()
        if font is not None:
            gdt = font.split("|")[0].lower() in ("gdt", "aigdt")
        elif literal:
            add(literal, 1)
        elif code:
            add(chr(int(code, 16)), 2)
        elif symbol:
            add(DRAWING_SYMBOLS[symbol.lower()], 2)
        elif brace == "{" and len(fonts) < 16:
            fonts.append(gdt)
        elif brace == "}" and fonts:
            gdt = fonts.pop()
        elif brace:
            add(brace, 1)
        elif gdt and char in GDT_SYMBOLS:
            word = GDT_SYMBOLS[char]
            add(word, 2 if len(word) == 1 else len(word))
        elif char is not None:
            add(char, len(char.encode(encoding, "replace")))
    return "".join(out), size


def tolerance_style(entity):
    """The text height and gap of a TOLERANCE: DIMTXT and DIMGAP times DIMSCALE of its
    dimension style (else "Standard", else the defaults: imperial, or metric where
    $MEASUREMENT is 1), as its own DSTYLE list overrides them."""
    doc = entity.doc
    metric = doc is not None and doc.header.get("$MEASUREMENT", 0) == 1
    values = {"dimtxt": 2.5 if metric else 0.18, "dimgap": 0.625 if metric else 0.09,
              "dimscale": 1.0}
    style = None
    if doc is not None:
        for name in (entity.dxf.get("dimstyle", "Standard"), "Standard"):
            if doc.dimstyles.has_entry(name):
                style = doc.dimstyles.get(name)
                break
    if style is not None:
        values = {key: style.dxf.get(key, default) for key, default in
                  (("dimtxt", 0.18), ("dimgap", 0.09), ("dimscale", 1.0))}
    codes = {140: "dimtxt", 147: "dimgap", 40: "dimscale"}
    try:
        tags = [(tag.code, tag.value) for tag in entity.get_xdata("ACAD")]
    except Exception:
        tags = []
    for k, (code, value) in enumerate(tags):
        if code == 1000 and value == "DSTYLE" and k + 1 < len(tags) and tags[k + 1] == (1002, "{"):
            rest = tags[k + 2:]
            for (c1, v1), (_, v2) in zip(rest[::2], rest[1::2]):
                if c1 != 1070:
                    break
                if v1 in codes:
                    values[codes[v1]] = float(v2)
    scale = values["dimscale"] if values["dimscale"] > 0 else 1.0
    return values["dimtxt"] * scale, abs(values["dimgap"] * scale)


def tolerance_parts(entity):
    """The feature control frame of a TOLERANCE (ezdxf draws none): rows two text heights
    high, the middle of the first's left side at the insertion point, the next ones below;
    in each row a box for every field that is not empty, 0.625 text heights wide for each
    byte of its text (a symbol two) and a gap on either side; the text in its box, its base
    line half a text height below the row's middle; when the first fields of the first two
    rows are the same, one box over both rows, its text between them. In the plane of the
    extrusion, the rows along the direction laid into it."""
    from ezdxf.entities import Line, Text
    from ezdxf.math import OCS
    height, gap = tolerance_style(entity)
    if not (height > 0 and math.isfinite(height) and math.isfinite(gap)):
        return []
    encoding = entity.doc.encoding if entity.doc else "cp1252"
    z = Vec3(entity.dxf.get("extrusion", (0, 0, 1))).normalize()
    ocs = OCS(z)
    x = Vec3(entity.dxf.get("x_axis_vector", (1, 0, 0)))
    x = x - z * x.dot(z)
    x = x.normalize() if x.magnitude > 1e-12 else ocs.to_wcs((1, 0, 0))
    y = z.cross(x)
    origin = Vec3(entity.dxf.get("insert", (0, 0, 0)))

    def world(u, v):
        return origin + x * u + y * v

    rows = [[gdt_field(f, encoding) for f in split_apart(row, "%%v", 64)]
            for row in split_apart(entity.dxf.get("content", ""), "^J", 64)]
    composite = len(rows) > 1 and rows[0][0][0] and rows[0][0][0] == rows[1][0][0]
    angle = math.degrees(math.atan2(ocs.from_wcs(x).y, ocs.from_wcs(x).x))
    parts, drawn = [], 0
    for r, fields in enumerate(rows):
        cells = [(text, size) for text, size in fields if text]
        if not cells:
            continue
        middle = -2 * height * drawn
        drawn += 1
        edges = [0.0]
        for k, (text, size) in enumerate(cells):
            edges.append(edges[-1] + 0.625 * height * size + 2 * gap)
            if composite and k == 0 and r == 1:
                continue
            lowered = height if composite and k == 0 and r == 0 else 0
            at = ocs.from_wcs(world(edges[-2] + gap, middle - height / 2 - lowered))
            parts.append(Text.new(dxfattribs={"insert": at, "height": height, "rotation": angle,
                                              "text": text, "extrusion": z}))
        segments = [((e, middle - height), (e, middle + height)) for e in edges]
        top = edges[1] if composite and r == 1 else 0
        bottom = edges[1] if composite and r == 0 else 0
        segments.append(((top, middle + height), (edges[-1], middle + height)))
        segments.append(((bottom, middle - height), (edges[-1], middle - height)))
        parts += [Line.new(dxfattribs={"start": world(*a), "end": world(*b)})
                  for a, b in segments if a != b]
    return parts


def expanded(entity):
    """The parts a viewer draws of an entity drawn through simpler ones, or None for other
    kinds. A dimension whose block is missing is drawn from its definition points by its
    dimension style."""
    kind = entity.dxftype()
    if kind == "POINT":
        return point_figure(entity)
    if kind in MULTILEADERS:
        return multileader_parts(entity)
    if kind == "TOLERANCE":
        return tolerance_parts(entity)
    if kind in EXPANDED:
        return list(entity.virtual_entities())
    parts = proxy_graphic_parts(entity)
    if parts is not None:
        return parts
    return None


# The values AutoCAD gives the dimension variables a style leaves out (its imperial
# "Standard"), where ezdxf's renderer assumes others.
ACAD_DIMENSION_DEFAULTS = {
    "dimscale": 1.0, "dimasz": 0.18, "dimexo": 0.0625, "dimexe": 0.18, "dimtxt": 0.18,
    "dimcen": 0.09, "dimtsz": 0.0, "dimgap": 0.09, "dimtih": 1, "dimtoh": 1, "dimtad": 0,
    "dimzin": 0, "dimazin": 0, "dimdec": 4, "dimadec": 0, "dimdsep": 46, "dimtofl": 0,
    "dimtmove": 0, "dimtix": 0, "dimjust": 0, "dimsah": 0, "dimlfac": 1.0, "dimtvp": 0.0,
    "dimdle": 0.0, "dimse1": 0, "dimse2": 0, "dimsd1": 0, "dimsd2": 0, "dimaunit": 0,
    "dimpost": "", "dimapost": "", "dimblk": "", "dimblk1": "", "dimblk2": "",
    "dimtxsty": "Standard", "dimtol": 0, "dimlim": 0}


def standard_arrow(name):
    """An arrow block's name as ezdxf knows the standard ones ("_ArchTick" is "ARCHTICK", the
    closed filled arrow ""); another block's as it is."""
    from ezdxf.render.arrows import ARROWS
    key = (name or "").upper()
    key = key[1:] if key.startswith("_") else key
    if key == "CLOSEDFILLED":
        return ""
    return key if ARROWS.is_acad_arrow(key) else name


def regenerate_dimensions(doc):
    """Draws the dimensions whose blocks are missing (in the drawing's layouts and its blocks)
    as CAD programs regenerate them, into blocks of their own, with ezdxf's renderer: the
    style's missing variables at AutoCAD's values, arrows by name, the text at point 11 when
    the dimension says it was moved there, "<>" in its own text standing for the measurement,
    a text after the number where DIMPOST has no "<>", angles with DIMAPOST; no clone point
    (it moves blocks only); texts as centred MTEXT, as R2000 and later drawings have them."""
    if getattr(doc, "dimensions_regenerated", False):
        return
    doc.dimensions_regenerated = True
    missing = [entity for block in doc.blocks for entity in block
               if entity.dxftype() == "DIMENSION" and entity.dxf.get("geometry", "") not in doc.blocks]
    for dimension in missing:
        try:
            regenerate(dimension)
        except Exception as error:  # ezdxf cannot draw it: nothing to compare
            print("DIMENSION #%s: ezdxf: %s" % (dimension.dxf.get("handle", "?"), error))


def regenerate(dimension):
    from ezdxf.entities import MText
    dxf = dimension.dxf
    dxf.discard("insert")
    if dxf.get("dimstyle", "Standard") not in dimension.doc.dimstyles:
        dxf.dimstyle = "Standard"  # a style the drawing does not hold: its standard one
    kind = dimension.dimtype
    if kind == 1 and Vec3(dxf.defpoint3) != Vec3(dxf.defpoint2):
        dxf.angle = (Vec3(dxf.defpoint3) - Vec3(dxf.defpoint2)).angle_deg
    # ezdxf points the arrows of a dimension measured against its direction (group 50) inwards
    # and sets its text below the line: measured the other way round, with the variables of
    # the first extension line and arrow given to the second, it draws what CAD programs do.
    backwards = kind in (0, 1) and (Vec3(dxf.defpoint3) - Vec3(dxf.defpoint2)).dot(
        Vec3.from_deg_angle(dxf.get("angle", 0))) < 0
    if backwards:
        dxf.defpoint2, dxf.defpoint3 = dxf.defpoint3, dxf.defpoint2

    def override(entity):
        style = entity.override()
        for name, value in ACAD_DIMENSION_DEFAULTS.items():
            if name not in style.dimstyle_attribs and not style.dimstyle.dxf.hasattr(name):
                style.dimstyle_attribs[name] = value
        if backwards:
            for first, second in (("dimse1", "dimse2"), ("dimsd1", "dimsd2"),
                                  ("dimblk1", "dimblk2")):
                style.dimstyle_attribs[first], style.dimstyle_attribs[second] = (
                    style.get(second), style.get(first))
            style.dimstyle_attribs["dimjust"] = {1: 2, 2: 1, 3: 4, 4: 3}.get(
                style.get("dimjust"), style.get("dimjust"))
        for name in ("dimblk", "dimblk1", "dimblk2"):
            style.dimstyle_attribs[name] = standard_arrow(style.get(name, ""))
        if style.get("dimdsep", 46) == 0:
            style.dimstyle_attribs["dimdsep"] = 46
        if style.get("dimadec", 0) < 0:
            style.dimstyle_attribs["dimadec"] = style.get("dimdec", 4)
        if kind in (2, 5):
            style.dimstyle_attribs["dimpost"] = style.get("dimapost", "")
        if entity.dxf.dimtype & 128 and kind != 6 and entity.dxf.hasattr("text_midpoint"):
            style.user_location_override(entity.dxf.text_midpoint)
        return style

    own = dxf.get("text", "")
    if own not in ("", "<>", " ") and "<>" in own:
        # The measurement first, from a copy (the renderer moves points of what it measures).
        copy = dimension.copy()
        copy.dxf.text = "<>"
        measured = override(copy).get_renderer().measurement.text
        dxf.text = own.replace("<>", measured, 1)
    override(dimension).render()
    block = dimension.get_geometry_block()
    for text in [part for part in block if part.dxftype() == "TEXT"]:
        # An R12 drawing's centred TEXT, as CAD programs show it.
        mtext = MText.new(dxfattribs={
            "insert": text.dxf.get("align_point", text.dxf.insert), "char_height": text.dxf.height,
            "rotation": text.dxf.get("rotation", 0), "attachment_point": 5})
        mtext.text = text.dxf.text
        block.delete_entity(text)
        block.add_entity(mtext)


def _dimensions_as_cad_programs_draw_them():
    """ezdxf puts "R" or the diameter sign before a radius or diameter dimension's own text;
    CAD programs show it as it is, and the sign before the measurement. ezdxf rounds to whole
    numbers where DIMRND is 0 (CAD programs do not round), and refuses a DIMPOST without "<>"
    (CAD programs write it after the number) and scales a text style's fixed height by
    DIMSCALE (CAD programs do not)."""
    from ezdxf.render import dim_base, dim_curved, dim_radius
    from ezdxf.math import xround

    def text_override(self, measurement):
        text = dim_base.LengthMeasurement.text_override(self, measurement)
        if text and self.stored_dim_text in ("", "<>") and text[0] != self.text_prefix:
            text = self.text_prefix + text
        return text

    def apply_dimpost(text, dimpost):
        return dimpost.replace("<>", text, 1) if "<>" in dimpost else text + dimpost

    def get_char_height(dim_style, text_style):
        # A text style's fixed height is the text's height, whatever DIMSCALE.
        height = text_style.dxf.get("height", 0.0)
        if height == 0.0:
            return dim_style.get("dimtxt", 1.0)
        scale = dim_style.get("dimscale", 1.0)
        return height / (scale if abs(scale) >= 1e-9 else 1.0)

    dim_base.get_char_height = get_char_height
    dim_radius.RadiusMeasurement.text_override = text_override
    dim_base.xround = lambda value, rounding=0.0: value if not rounding else xround(value, rounding)
    dim_base.apply_dimpost = apply_dimpost
    dim_curved.apply_dimpost = apply_dimpost


_dimensions_as_cad_programs_draw_them()


def _angle_where_its_arc_lies():
    """ezdxf measures the angle of two lines from one to the other counter-clockwise, whatever
    the arc's point; CAD programs measure the angle between them in which the arc's point
    (16) lies, its extension lines from the point of each line nearer the arc."""
    from ezdxf.math import Vec2
    from ezdxf.render.dim_curved import AngularDimension

    def arc_angle_span(start, end):
        span = math.fmod(end - start, 2 * math.pi)
        return span + 2 * math.pi if span < 0 else span

    def get_ext1_dir(self):
        dxf = self.dimension.dxf
        lines = [(Vec2(dxf.defpoint2), Vec2(dxf.defpoint3)), (Vec2(dxf.defpoint4), Vec2(dxf.defpoint))]
        rays = []
        for number, (a, b) in enumerate(lines):
            d = (b - a).normalize()
            rays += [(d, number), (-d, number)]
        at = (self.dim_line_location - self.center_of_arc).angle
        sector = first = None
        for i in range(4):
            for j in range(4):
                if rays[i][1] == rays[j][1]:
                    continue
                span = arc_angle_span(rays[i][0].angle, rays[j][0].angle)
                if not 0 < span < math.pi:
                    continue
                first = first or (i, j)
                if arc_angle_span(rays[i][0].angle, at) <= span:
                    sector = (i, j)
                    break
            if sector:
                break
        i, j = sector or first
        (self.leg1_start, self.leg1_end), (self.leg2_start, self.leg2_end) = (
            lines[rays[i][1]], lines[rays[j][1]])
        self._end_ray = rays[j][0]
        return rays[i][0]

    AngularDimension.get_ext1_dir = get_ext1_dir
    AngularDimension.get_ext2_dir = lambda self: self._end_ray


_angle_where_its_arc_lies()


def drawn(entities, styles, label=None, parent=TOP):
    """What a viewer draws of the entities: blocks of inserts (arrays too), dimensions and
    tables expanded, with the attributes of inserts; (label, entity, style) triples, labelled
    by the top-level entity they come from, each with its style as expected_styles resolves
    it. Entities that are not shown come too, their style says so; of an insert or dimension
    on a frozen layer (or invisible), only the reference itself."""
    for entity in entities:
        kind = entity.dxftype()
        here = label or "%s #%s" % (kind, entity.dxf.get("handle", "?"))
        style, hides_block = styles.resolve(entity, parent)
        try:
            parts = expanded(entity)
            if parts is not None:
                # Every part has the entity's style, hidden with it; a multileader's parts
                # their own colours.
                for part in parts:
                    own = multileader_colour(styles, part, style) if kind in MULTILEADERS else None
                    yield here, part, style if own is None else dataclasses.replace(style, colour=own)
                continue
            if kind in ("INSERT", "DIMENSION", "ARC_DIMENSION", "LARGE_RADIAL_DIMENSION",
                        "ACAD_TABLE"):
                if hides_block:
                    yield here, entity, style
                    continue
                if kind == "INSERT":
                    yield from drawn(cell_attributes(entity), styles, here, style)
                    parts = entity.multi_insert() if entity.mcount > 1 else \
                        placed_patterns(entity.virtual_entities(), entity.matrix44())
                else:
                    parts = entity.virtual_entities()
                yield from drawn(list(parts), styles, here, style)
            else:
                yield here, entity, style
        except Exception as error:  # ezdxf cannot take it apart: nothing to compare
            print("%s: ezdxf: %s" % (here, error))


def dxf_geometry(doc, styles):
    """Per checked entity: (label, pieces, tilted, style); texts apart as (label, insertion
    point, style)."""
    shapes, texts = [], []
    regenerate_dimensions(doc)
    layouts = [doc.modelspace()]
    try:
        layouts.append(doc.paperspace())
    except Exception:
        pass
    for layout in layouts:
        for top, entity, style in drawn(layout, styles):
            kind = entity.dxftype()
            label = top if top.startswith(kind) else "%s in %s" % (kind, top)
            label += " on layer %s" % style.layer
            if kind in ("TEXT", "ATTRIB"):
                insert = entity.ocs().to_wcs(entity.dxf.insert)
                if styles.is_vertical(entity):
                    # Its first character, written top to bottom.
                    _, x, y = vertical_text_points(entity, entity.dxf.text.lstrip() or "x")[0]
                    insert = Vec3(x, y, 0)
                texts.append((label, (insert.x, insert.y), style))
            elif kind in CHECKED:
                try:
                    parts = list(pieces(entity))
                except Exception as error:  # ezdxf cannot take it apart: nothing to compare
                    print("%s: ezdxf: %s" % (label, error))
                    continue
                shapes.append((label, parts, any(part[0] == "chain" for part in parts), style))
    return shapes, texts


def without(path, out_dir, table=None):
    """A copy of the drawing without its TABLES section, or without one table of it, for
    tables ezdxf cannot load (R12 tables with subclass markers, Jw_cad's VPORT): the geometry
    does not need them, and the styles are read from the file itself."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    kept, skipping = [], False
    start, end = (b"TABLE", b"ENDTAB") if table else (b"SECTION", b"ENDSEC")
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].strip()
        if code == b"0" and value == start and i + 3 < len(lines) and \
                lines[i + 3].strip() == (table or b"TABLES"):
            skipping = True
        if not skipping:
            kept += [lines[i], lines[i + 1]]
        if skipping and code == b"0" and value == end:
            skipping = False
    copy = os.path.join(out_dir, "without-%s.dxf" % (table or b"TABLES").decode())
    with open(copy, "wb") as f:
        f.write(b"\n".join(kept) + b"\n")
    return copy


def read_dxf(path, out_dir):
    """ezdxf's reading; Shift-JIS names of drawings without a code page, and broken files
    through ezdxf's recovery."""
    for attempt in (path, without(path, out_dir, b"VPORT")):
        for encoding in (None, "cp932"):
            try:
                return ezdxf.readfile(attempt, encoding=encoding)
            except Exception:
                pass
    for attempt in (path, without(path, out_dir)):
        try:
            return recover.readfile(attempt)[0]
        except Exception:
            pass
    return None


def extent_of(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs), min(ys)), (max(xs), max(ys))


def converted(dxfdin, dxf_path, out_dir, settings=""):
    """Converts the drawing with dxfdin, with a new user's settings or those of a kelvor.ini
    holding `settings`: (the DIN's path, ezdxf's reading of the drawing, []), or (None, None,
    problems) when it was not converted or ezdxf cannot read it."""
    name = os.path.basename(dxf_path)
    config = os.path.join(out_dir, "settings-%d" % abs(hash(settings)))
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "kelvor.ini"), "w") as f:
        f.write(settings)
    out = os.path.join(config, "out")
    os.makedirs(out, exist_ok=True)
    env = dict(os.environ, XDG_CONFIG_HOME=config)
    din_path = os.path.join(out, name.lower().replace(".dxf", ".din", 1))
    if os.path.exists(din_path):
        os.remove(din_path)
    run = subprocess.run([dxfdin, "to-din", "-q", "-f", "--partial", "-o", out, dxf_path], env=env)
    if run.returncode == 1 and os.path.exists(din_path):
        # Written as far as it goes: the drawing ends early. A reader must refuse it too.
        for encoding in (None, "cp932"):
            try:
                ezdxf.readfile(dxf_path, encoding=encoding)
                return None, None, ["%s: ends early for dxfdin, but ezdxf reads it" % name]
            except Exception:
                pass
        print("%s: ends early, as ezdxf finds too; not checked" % name)
        return None, None, []
    if run.returncode != 0 or not os.path.exists(din_path):
        return None, None, ["%s: not converted (exit %d)" % (name, run.returncode)]
    doc = read_dxf(dxf_path, out_dir)
    if doc is None:
        print("%s: ezdxf cannot read it; not checked" % name)
        return None, None, []
    return din_path, doc, []


def check(dxfdin, dxf_path, out_dir):
    name = os.path.basename(dxf_path)
    din_path, doc, problems = converted(dxfdin, dxf_path, out_dir)
    if doc is None:
        return problems
    # The same drawing with pens for classes: the same items in the same order, their
    # classes by colour.
    pen_path, _, problems = converted(dxfdin, dxf_path, out_dir, "[Check]\npen_class=1\n")
    if pen_path is None:
        return problems
    items = read_din(din_path)
    pen_items = read_din(pen_path)
    if [item[:2] for item in items] != [item[:2] for item in pen_items]:
        return ["%s: the DIN items with pens are not those without" % name]
    styles = Styles(doc, dxf_path)
    pen_styles = Styles(doc, dxf_path, pens=True)
    shapes, texts = dxf_geometry(doc, styles)
    shapes += lines_3d(dxf_path)
    problems = []

    def tight(p):
        # What the arithmetic of placing a point may cost: relative to its coordinates.
        return 1e-9 * (abs(p[0]) + abs(p[1])) + 1e-12

    def curve_tolerance(parts):
        # A curve drawn as a chain: its chords may stand off it by a part of its size.
        points = [p for part in parts for p in samples(part)]
        return CHORD * max(math.dist(*extent_of(points)), 1e-12) if points else 0

    def styled(style, text=False):
        """The line type and classes (without and with pens) a DIN item of an entity of this
        style must have; a class that no rule gives is None."""
        return style.line_type, styles.class_of(style, text), pen_styles.class_of(style, text)

    def matches(item, pen_item, expected):
        line_type, class_no, pen_class = expected
        return (item[3] == line_type and class_no in (None, item[2])
                and pen_class in (None, pen_item[2]))

    def described(item, pen_item):
        return "class %d (with pens %d), line type %d" % (item[2], pen_item[2], item[3])

    din_primitives = []
    for kind, data, *_ in items:
        if kind == "chain":
            din_primitives += [("segment", a, b) for a, b in zip(data, data[1:] or data)]
        elif kind == "arc":
            din_primitives.append(("arc", data))
    # What the DIN is checked against: the shapes shown; those hidden apart.
    dxf_primitives, hidden_primitives = [], []
    for number, (_, parts, tilted, style) in enumerate(shapes):
        loose = curve_tolerance(parts) if tilted else 0
        target = hidden_primitives if style and style.hidden else dxf_primitives
        for part in parts:
            if part[0] == "chain":
                target += [(("segment", a, b), loose, number) for a, b in zip(part[1], part[1][1:])]
            elif part[0] == "pattern":
                target.append((pattern_segment(part, 1), 0, number))
            else:
                target.append((part, 0, number))
    din_grid = Grid.for_primitives(din_primitives)
    dxf_grid = Grid.for_primitives([primitive for primitive, *_ in dxf_primitives])
    hidden_grid = Grid.for_primitives([primitive for primitive, *_ in hidden_primitives])
    for primitive in din_primitives:
        din_grid.add(primitive, primitive)
    for grid, primitives in ((dxf_grid, dxf_primitives), (hidden_grid, hidden_primitives)):
        for primitive, tolerance, number in primitives:
            grid.add((primitive, tolerance, number), primitive, tolerance)

    # Every point of every checked entity that is shown lies on a DIN item.
    for label, parts, tilted, style in shapes:
        if style and style.hidden:
            continue
        # A dot (a face of one corner, a polyline of one vertex) need not be drawn.
        lines = [part for part in parts if part[0] not in ("segment", "pattern") or part[1] != part[2]]
        points = [p for part in lines for p in samples(part)]
        if not all(math.isfinite(v) for p in points for v in p):
            continue
        # Curves in tilted planes are chains on the DIN side too: their chords stand apart.
        loose = curve_tolerance(lines) if tilted else 0
        missing = [p for p in points
                   if not any(within(p, primitive, tight(p) + loose) for primitive in din_grid.near(*p))]
        if missing:
            problems.append("%s: %s not in the DIN near %s" % (name, label, missing[0]))
    # Every text shown has a DIN text at its point, of its class and line type; none that is
    # hidden has.
    din_texts = [(item, pen_item) for item, pen_item in zip(items, pen_items) if item[0] == "text"]
    shown_points = [point for _, point, style in texts if not style.hidden]
    for label, point, style in texts:
        # DIN texts are placed in single precision.
        tolerance = 1e-6 * (abs(point[0]) + abs(point[1])) + 1e-9
        there = [(item, pen_item) for item, pen_item in din_texts
                 if math.hypot(point[0] - item[1][0], point[1] - item[1][1]) <= tolerance]
        if style.hidden:
            if there and not any(math.hypot(point[0] - p[0], point[1] - p[1]) <= tolerance
                                 for p in shown_points):
                problems.append("%s: %s is hidden but has a DIN text" % (name, label))
        elif not there:
            problems.append("%s: %s at %s has no DIN text" % (name, label, point))
        elif not any(matches(item, pen_item, styled(style, True)) for item, pen_item in there):
            problems.append("%s: %s at %s should be line type %d, class %s (with pens %s); the "
                            "DIN text is %s" % ((name, label, point) + styled(style, True) +
                                                (described(*there[0]),)))

    # Every point of every DIN item lies on what the drawing shows: exactly on its lines and
    # arcs, within a chord of its curves drawn as chains; and the item has the class and line
    # type of an entity all its points lie on.
    def owners(p, grid):
        return {number for primitive, tolerance, number in grid.near(*p)
                if within(p, primitive, tight(p) + tolerance)}

    for number, (item, pen_item) in enumerate(zip(items, pen_items), 1):
        kind, data = item[:2]
        if kind == "text":
            continue
        points = data if kind == "chain" else arc_points(data)
        if kind == "chain":
            points = points + [((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
                               for a, b in zip(points, points[1:])]
        found = [owners(p, dxf_grid) for p in points]
        stray = [p for p, on in zip(points, found) if not on]
        if stray:
            hidden = owners(stray[0], hidden_grid)
            what = (" of %s, which is hidden" % shapes[min(hidden)][0]) if hidden else ""
            problems.append("%s: DIN item %d (%s) draws %s%s, which the drawing does not have"
                            % (name, number, kind, stray[0], what))
            continue
        candidates = set.intersection(*found) if found else set()
        if not candidates:
            continue  # on several entities at once: nothing to compare
        if not any(shapes[c][3] is None or matches(item, pen_item, styled(shapes[c][3]))
                   for c in candidates):
            shape = shapes[min(candidates)]
            problems.append("%s: DIN item %d (%s) is %s; %s gives line type %d, class %s "
                            "(with pens %s)" % ((name, number, kind, described(item, pen_item),
                                                 shape[0]) + styled(shape[3])))
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
        # Blocks inserted moved, turned, scaled (unequally, mirrored), arrayed and nested, with
        # attributes; and the other kinds a viewer draws.
        door = doc.blocks.new("DOOR", base_point=(1, 2))
        door.add_line((1, 2), (11, 2))
        door.add_arc((1, 2), 10, 0, 90)
        door.add_circle((5, 5), 2, dxfattribs={"color": 0})
        door.add_lwpolyline([(0, 0, 0, 0, 0.5), (4, 0), (4, 3)], close=True) if version != "R12" \
            else door.add_polyline2d([(0, 0), (4, 0), (4, 3)], close=True)
        door.add_attdef("TAG", (0, -3), dxfattribs={"height": 1})
        room = doc.blocks.new("ROOM")
        room.add_blockref("DOOR", (20, 0), dxfattribs={"rotation": 30})
        room.add_blockref("DOOR", (40, 0), dxfattribs={"xscale": -1, "yscale": 2})
        for at, attributes in (((500, 0), {"rotation": 45, "xscale": 1.5, "yscale": 1.5}),
                               ((700, 0), {"extrusion": (0, 0, -1)}),
                               ((800, 0), {"extrusion": (0.3, -0.4, 0.866)})):
            msp.add_blockref("ROOM", at, dxfattribs=attributes)
        # Unequal scales of blocks that hold turned inserts shear them, which ezdxf's
        # expansion only approximates: checked on a block without them.
        msp.add_blockref("DOOR", (600, 0), dxfattribs={"xscale": 2, "yscale": 0.5, "rotation": 20})
        array = msp.add_blockref("DOOR", (500, 200), dxfattribs={"rotation": 10})
        array.grid(size=(2, 3), spacing=(25, 15))
        tagged = msp.add_blockref("DOOR", (900, 0))
        tagged.add_attrib("TAG", "visible", (900, -5), dxfattribs={"height": 2})
        tagged.add_attrib("TAG", "hidden", (900, -9), dxfattribs={"height": 2, "flags": 1})
        # A MINSERT with an attribute: the attribute in every cell of the turned grid.
        grid = msp.add_blockref("DOOR", (1000, 0), dxfattribs={"rotation": 30})
        grid.add_attrib("TAG", "cell", (1000, -5), dxfattribs={"height": 2})
        grid.grid(size=(3, 2), spacing=(20, 15))
        msp.add_solid([(0, 300), (10, 300), (0, 310), (10, 315)])
        msp.add_trace([(20, 300), (30, 300), (20, 310)])
        msp.add_3dface([(40, 300, 0), (50, 300, 5), (50, 310, 0), (40, 310, 2)],
                       dxfattribs={"invisible": 2} if version != "R12" else {"invisible": 2})
        if version != "R12":
            msp.add_ellipse((100, 300), major_axis=(20, 5), ratio=0.4, start_param=0.5,
                            end_param=4)
            msp.add_ellipse((150, 300), major_axis=(0, 10), ratio=0.5)
            msp.add_spline_control_frame([(200, 300), (210, 320), (230, 290), (250, 310)])
            msp.add_open_spline([(300, 300), (310, 330), (330, 280), (350, 310), (360, 300)],
                                degree=2)
            msp.add_rational_spline([(400, 300), (410, 330), (430, 280), (450, 310)],
                                    weights=[1, 3, 0.5, 1])
            fitted = msp.add_spline([(500, 300), (510, 320), (530, 290), (550, 310)])
            fitted.dxf.start_tangent = (1, 1, 0)
            fitted.dxf.end_tangent = (1, -1, 0)
            msp.add_spline([(600, 300), (610, 320), (630, 290), (650, 310), (660, 300)])
            hatch = msp.add_hatch()
            hatch.paths.add_polyline_path([(0, 400, 0.5), (20, 400, 0), (20, 420, -1), (0, 420, 0)])
            edges = hatch.paths.add_edge_path()
            edges.add_line((50, 400), (70, 400))
            edges.add_arc((70, 410), 10, -90, 90, ccw=True)
            edges.add_line((70, 420), (50, 420))
            edges.add_ellipse((50, 410), major_axis=(0, -10), ratio=0.5, start_angle=0,
                              end_angle=180, ccw=False)
            curved = hatch.paths.add_edge_path()
            curved.add_spline(control_points=[(100, 400), (110, 430), (130, 380), (150, 400)])
            curved.add_line((150, 400), (100, 400))
            tilted_hatch = msp.add_hatch(dxfattribs={"extrusion": (0, 0, -1)})
            tilted_hatch.paths.add_polyline_path([(0, 500, 0.5), (20, 500, 0), (20, 520, 0)])
            add_pattern_hatches(doc, msp)
            msp.add_leader([(0, 600), (10, 610), (30, 610)])
            # Spline leaders: the arrow of the dimension style, a closed one of the leader's own
            # size, and none.
            for at, override in ((50, None), (120, {"dimldrblk": "CLOSEDBLANK", "dimasz": 3,
                                                    "dimscale": 2}),
                                 (200, {"dimldrblk": "NONE"})):
                leader = msp.add_leader([(at, 600), (at + 10, 615), (at + 30, 612),
                                         (at + 45, 620)], override=override)
                leader.dxf.path_type = 1
        path = os.path.join(out_dir, "synthetic-%s.dxf" % version.lower())
        doc.saveas(path)
        files.append(path)
    return files + dimension_drawings(out_dir)


# Dimension styles of the drawings of dimensions without blocks: metric and imperial ones,
# text above and centred, ticks, dots and other arrows, texts around the number.
DIMENSION_STYLES = {
    "ISO": {"dimasz": 2.5, "dimtxt": 2.5, "dimexo": 0.625, "dimexe": 1.25, "dimgap": 0.625,
            "dimdec": 2, "dimdsep": 44, "dimtad": 1, "dimtih": 0, "dimtoh": 0, "dimzin": 8,
            "dimadec": 1, "dimazin": 2, "dimcen": 2.5},
    "INCH": {"dimscale": 10, "dimasz": 0.18, "dimtxt": 0.18, "dimexo": 0.0625, "dimexe": 0.18,
             "dimgap": 0.09, "dimdec": 4, "dimtad": 0, "dimzin": 4, "dimtofl": 1,
             "dimcen": -0.09},
    "TICKS": {"dimtsz": 1.0, "dimdle": 1.5, "dimtxt": 2.0, "dimexe": 1.0, "dimexo": 0.5,
              "dimgap": 0.5, "dimtad": 1, "dimtih": 0, "dimtoh": 0, "dimpost": "<> mm",
              "dimzin": 12, "dimdec": 3, "dimrnd": 0.5, "dimtmove": 2},
    "DOTS": {"dimblk": "DOT", "dimasz": 2.0, "dimtxt": 2.0, "dimexe": 1.0, "dimexo": 0.5,
             "dimgap": 0.5, "dimtad": 0, "dimjust": 1, "dimse2": 1, "dimdec": 1, "dimtih": 0,
             "dimtoh": 1, "dimtix": 1, "dimtmove": 2},
    "ARROWS": {"dimsah": 1, "dimblk1": "CLOSED", "dimblk2": "OPEN30", "dimasz": 2.0,
               "dimtxt": 2.0, "dimexe": 1.0, "dimexo": 0.5, "dimgap": 0.5, "dimtad": 4,
               "dimlfac": 2.0, "dimpost": "cm", "dimdec": 2, "dimsd2": 1, "dimtih": 0},
    "ARCH": {"dimblk": "ARCHTICK", "dimasz": 2.0, "dimtxt": 2.5, "dimexe": 1.0, "dimexo": 0.5,
             "dimgap": 0.5, "dimtad": 1, "dimdle": 1.0, "dimdec": 0, "dimtih": 0,
             "dimtoh": 0, "dimtofl": 1},
}


def dimension_drawings(out_dir):
    """Drawings of dimensions whose blocks are missing, as QCAD and other programs write them:
    linear ones (horizontal, vertical, turned, aligned, short), angles of two lines and of
    three points, radius, diameter and ordinate dimensions in each style; texts moved, texts of
    their own; in R2000 and R12 form."""
    files = []
    for version in ("R2000", "R12"):
        doc = ezdxf.new(version)
        msp = doc.modelspace()
        for row, (name, variables) in enumerate(DIMENSION_STYLES.items()):
            if version == "R12" and name in ("ARROWS", "DOTS"):
                continue  # R12 has no arrow blocks of its own for a style
            doc.dimstyles.new(name, dxfattribs=variables)
            x, y = 0, -200 * row
            made = [
                msp.add_linear_dim(base=(x, y + 15), p1=(x, y), p2=(x + 40, y), dimstyle=name),
                msp.add_linear_dim(base=(x + 60, y), p1=(x + 70, y), p2=(x + 70, y + 30),
                                   angle=90, dimstyle=name),
                msp.add_linear_dim(base=(x + 100, y + 20), p1=(x + 100, y), p2=(x + 130, y + 10),
                                   angle=30, dimstyle=name),
                msp.add_linear_dim(base=(x + 150, y + 10), p1=(x + 150, y), p2=(x + 153, y),
                                   dimstyle=name),
                msp.add_linear_dim(base=(x, y + 60), p1=(x, y + 45), p2=(x + 40, y + 45),
                                   location=(x + 30, y + 70), dimstyle=name),
                msp.add_linear_dim(base=(x + 60, y + 60), p1=(x + 60, y + 45),
                                   p2=(x + 100, y + 45), text="<> typ.", dimstyle=name),
                msp.add_linear_dim(base=(x + 120, y + 60), p1=(x + 120, y + 45),
                                   p2=(x + 160, y + 45), text="own", dimstyle=name),
                msp.add_linear_dim(base=(x + 180, y + 60), p1=(x + 180, y + 45),
                                   p2=(x + 220, y + 45), text=" ", dimstyle=name),
                msp.add_angular_dim_2l(base=(x + 30, y + 110), line1=((x, y + 80), (x + 40, y + 80)),
                                       line2=((x, y + 80), (x + 30, y + 110)), dimstyle=name),
                msp.add_angular_dim_3p(base=(x + 90, y + 110), center=(x + 70, y + 80),
                                       p1=(x + 100, y + 80), p2=(x + 70, y + 110), dimstyle=name),
                msp.add_angular_dim_3p(base=(x + 150, y + 85), center=(x + 120, y + 80),
                                       p1=(x + 160, y + 80), p2=(x + 160, y + 82), dimstyle=name),
                msp.add_radius_dim(center=(x + 30, y + 150), radius=15, angle=30, dimstyle=name),
                msp.add_radius_dim(center=(x + 80, y + 150), radius=15, angle=200,
                                   location=(x + 60, y + 170), dimstyle=name),
                msp.add_diameter_dim(center=(x + 130, y + 150), radius=15, angle=60,
                                     dimstyle=name),
                msp.add_diameter_dim(center=(x + 180, y + 150), radius=4, angle=-30,
                                     text="<> thru", dimstyle=name),
                msp.add_ordinate_x_dim(feature_location=(x + 220, y + 10), offset=(5, 20),
                                       origin=(x + 200, y), dimstyle=name),
                msp.add_ordinate_y_dim(feature_location=(x + 220, y + 10), offset=(20, 5),
                                       origin=(x + 200, y), dimstyle=name),
            ]
            aligned = msp.add_aligned_dim(p1=(x + 250, y), p2=(x + 280, y + 20), distance=8,
                                          dimstyle=name)
            aligned.dimension.dxf.dimtype = 1 | 32
            made.append(aligned)
            for dimension in made:
                # Without a block, as QCAD writes them: the style's variables and the
                # dimension's points only.
                dimension.render(discard=True)
        doc._acad_compatible = True  # as a drawing of QCAD's, without ezdxf's remark on it
        path = os.path.join(out_dir, "dimensions-%s.dxf" % version.lower())
        doc.saveas(path)
        files.append(path)
    return files


def add_pattern_hatches(doc, msp):
    """Pattern hatches: islands under each style, dashes and dots, edges of arcs, ellipses and
    splines, a hatch seen from below, and hatches in inserts turned, scaled and mirrored."""
    nested = [((0, 0), (40, 30), 1), ((5, 5), (35, 25), 16), ((12, 10), (28, 20), 0)]
    for style in (0, 1, 2):
        hatch = msp.add_hatch(dxfattribs={"hatch_style": style})
        hatch.set_pattern_fill("ANSI31", scale=0.5, style=style)
        for (x0, y0), (x1, y1), flags in nested:
            x0, x1 = x0 + 50 * style + 700, x1 + 50 * style + 700
            hatch.paths.add_polyline_path([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], flags=flags)
    curved = msp.add_hatch()
    curved.set_pattern_fill("STARS", scale=0.3, angle=15)
    edges = curved.paths.add_edge_path(flags=1)
    edges.add_line((850.3, 0.7), (870.3, 0.7))
    edges.add_arc((870.3, 10.7), 10, -90, 90, ccw=True)
    edges.add_line((870.3, 20.7), (850.3, 20.7))
    edges.add_ellipse((850.3, 10.7), major_axis=(0, -10), ratio=0.5, start_angle=0,
                      end_angle=180, ccw=False)
    hole = curved.paths.add_edge_path(flags=16)
    hole.add_spline(control_points=[(855, 8), (860, 16), (866, 4), (871, 10)])
    hole.add_line((871, 10), (855, 8))
    dots = msp.add_hatch()
    dots.set_pattern_fill("DOTS", scale=0.5)
    dots.paths.add_polyline_path([(900, 0.3, 0.5), (920, 0.3, 0), (920, 20.3, -1), (900, 20.3, 0)],
                                 flags=1)
    below = msp.add_hatch(dxfattribs={"extrusion": (0, 0, -1)})
    below.set_pattern_fill("BRICK", scale=0.2, angle=30)
    below.paths.add_polyline_path([(-950, 0), (-930, 0), (-930, 25), (-950, 25)], flags=1)
    block = doc.blocks.new("HATCHED")
    inner = block.add_hatch()
    inner.set_pattern_fill("ANSI37", scale=0.4)
    inner.paths.add_polyline_path([(0, 0, 0.4), (15, 0), (15, 10), (0, 10)], flags=1)
    for at, attributes in (((1000, 100), {"rotation": 25}),
                           ((1050, 100), {"xscale": 1.5, "yscale": 1.5, "rotation": -40}),
                           ((1100, 100), {"xscale": -1, "yscale": 2})):
        msp.add_blockref("HATCHED", at, dxfattribs=attributes)


def run(check, synthetic_drawings, what):
    """The command: DXFDIN, then drawings, folders of them and --synthetic; checks each
    (check(dxfdin, path, out_dir) gives its problems), prints the problems and exits 1 if
    there were any."""
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
    print("checked %s %d drawings, %d problems" % (what, checked, len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    run(check, synthetic_drawings, "the geometry of")
