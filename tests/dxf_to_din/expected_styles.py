"""The class and DIN line type a drawn entity should have in the DIN, worked out from ezdxf's
reading of the drawing as CAD programs resolve an entity's style: layer "0" in a block is the
insert's layer, BYLAYER the layer's colour and line type, BYBLOCK the insert's (at the top,
colour 7 and continuous); frozen and switched-off layers and invisible entities are not drawn,
and an insert or dimension on a frozen layer hides its whole block.

The DIN line type of a line-type name: the five names DIN files know ("CONTINUOUS", "DASHED",
"CENTER", "PHANTOM", "HIDDEN", in any case) keep their codes, any other is placed by its
pattern in the LTYPE table (no gap: continuous; dashes of one length class: dashed; long dashes
each followed by one short dash or dot: center; by more: phantom); without a record it is
continuous.

The class, with a new user's settings (layer keys "dim" 100 and "fusn" 215, the rest by the
place of the layer in the LAYER table), or with pens (pen_class=1, pens of the colours 4, 2,
3, 6, 5 and the rest): None where no rule gives one (a layer missing from the table), which
keeps the class of the entity before; a text's is then 100."""
import math
from dataclasses import dataclass
from typing import Optional

KNOWN_LINE_TYPES = {"CONTINUOUS": 1, "DASHED": 2, "CENTER": 3, "PHANTOM": 4, "HIDDEN": 2}
DEFAULT_KEYS = [(b"dim", 100), (b"fusn", 215)]
PEN_CLASSES = [53, 65, 58, 54, 16, 22]
PEN_OF_COLOUR = {4: 1, 3: 3, 2: 4, 6: 5, 5: 6}
GETA = "\u3013"


@dataclass(frozen=True)
class Style:
    layer: str
    colour: int
    line_type_name: str
    line_type: int
    hidden: bool = False


TOP = None  # the style of the world: no insert lends anything


def line_type_of_pattern(pattern):
    dashes = [length for length in pattern if length == length and abs(length) != float("inf")]
    if not any(length < 0 for length in dashes):
        return 1
    dashes = [length for length in dashes if length >= 0]
    if not dashes:
        return 1
    longest = max(dashes)
    short = [length < 0.5 * longest for length in dashes]
    if not any(short):
        return 2
    # The longest run of short dashes between long ones, the pattern repeating.
    first_long = short.index(False)
    short = short[first_long:] + short[:first_long]
    run = best = 0
    for is_short in short:
        run = run + 1 if is_short else 0
        best = max(best, run)
    return 3 if best == 1 else 4


def shift_jis(name):
    """A name as the converter holds it: Shift-JIS, a character it lacks as the geta mark."""
    out = b""
    for c in name:
        try:
            out += c.encode("cp932")
        except UnicodeEncodeError:
            out += GETA.encode("cp932")
    return out


def read_pairs(path, encoding):
    """The drawing's (group code, value) pairs, values decoded."""
    with open(path, "rb") as f:
        lines = f.read().replace(b"\r\n", b"\n").split(b"\n")
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].rstrip(b" \t\r")
        try:
            text = value.decode(encoding)
        except (UnicodeDecodeError, LookupError):
            text = value.decode("cp932", "replace")
        yield int(code) if code.lstrip(b"-").isdigit() else None, text


def records(path, encoding):
    """The records of the LAYER and LTYPE tables as the file holds them (ezdxf leaves out
    tables it cannot load), and the entities (ezdxf gives some kinds no layer or colour):
    (kind, [(code, value)...]), the kind "LAYER", "LTYPE", "STYLE" or "ENTITY"."""
    found = []
    section = table = record = names = None
    for code, text in read_pairs(path, encoding):
        if code == 0:
            record = names = None
            if text == "SECTION":
                section, names = None, "section"
            elif text == "ENDSEC":
                section = table = None
            elif text == "TABLE":
                table, names = None, "table"
            elif text == "ENDTAB":
                table = None
            elif section == "TABLES" and table in ("LAYER", "LTYPE", "STYLE") and text == table:
                record = []
                found.append((table, record))
            elif section in ("ENTITIES", "BLOCKS"):
                record = []
                found.append(("ENTITY", record))
        elif code == 2 and names == "section":
            section, names = text.strip(), None
        elif code == 2 and names == "table":
            table, names = text.strip(), None
        elif record is not None:
            record.append((code, text))
    return found


def number(text, default):
    try:
        return float(text)
    except ValueError:
        return default


class Styles:
    def __init__(self, doc, path, pens=False):
        # The encoding ezdxf read the drawing's names in.
        encoding = "utf8" if doc.dxfversion >= "AC1021" else doc.encoding
        self.pens = pens
        self.layers, self.patterns, self.order, self.entities = {}, {}, [], {}
        self.vertical = set()  # text styles written top to bottom (flag 4)
        for kind, record in records(path, encoding):
            values = {}
            for code, text in record:
                values.setdefault(code, []).append(text)
            if kind == "ENTITY":
                for handle in values.get(5, [])[:1]:
                    self.entities[handle.strip().upper()] = values
                continue
            if kind == "STYLE":
                for name in values.get(2, [])[:1]:
                    if int(number(values.get(70, ["0"])[0], 0)) & 4:
                        self.vertical.add(name.strip().upper())
                continue
            if kind == "LTYPE":
                for name in values.get(2, [])[:1]:
                    self.patterns[name.strip().upper()] = [number(v, 0) for v in values.get(49, [])]
                continue
            colour = int(number(values.get(62, ["7"])[0], 7))
            flags = int(number(values.get(70, ["0"])[0], 0))
            line_type = values.get(6, ["CONTINUOUS"])[0].strip() or "CONTINUOUS"
            for name in values.get(2, []):
                # The class rules see a name's first 19 bytes of Shift-JIS, its line end
                # counting.
                self.order.append((shift_jis(name.strip()) + b"\n")[:19])
                self.layers[name.strip().lower()] = (
                    abs(colour) if 1 <= abs(colour) <= 255 else 7, line_type, bool(flags & 1),
                    colour < 0)
        self.order = self.order[:256]

    def line_type(self, name):
        known = KNOWN_LINE_TYPES.get(name.split(" ")[0].upper() if name.strip() else "")
        if known:
            return known
        pattern = self.patterns.get(name.upper())
        return 1 if pattern is None else line_type_of_pattern(pattern)

    def attribute(self, entity, name, code, default):
        """A common attribute of the entity: ezdxf's, or the file's where ezdxf has none."""
        if entity.dxf.is_supported(name):
            return entity.dxf.get(name, default)
        raw = self.entities.get(str(entity.dxf.get("handle", "")).upper(), {}).get(code)
        return raw[0].strip() if raw and isinstance(default, str) else \
            int(number(raw[0], default)) if raw else default

    def resolve(self, entity, parent=TOP):
        """The entity's style as it is drawn, within the insert whose style is `parent`, and
        whether it hides a block it draws."""
        layer = self.attribute(entity, "layer", 8, "0")
        if parent and layer == "0":
            layer = parent.layer
        colour_of_layer, line_type_of_layer, frozen, off = self.layers.get(
            layer.lower(), (7, "CONTINUOUS", False, False))
        colour = self.attribute(entity, "color", 62, 256)
        if colour == 256:
            colour = colour_of_layer
        elif colour == 0:
            colour = parent.colour if parent else 7
        name = self.attribute(entity, "linetype", 6, "BYLAYER")
        if name.upper() == "BYLAYER":
            name = line_type_of_layer
            code = self.line_type(name)
        elif name.upper() == "BYBLOCK":
            name, code = (parent.line_type_name, parent.line_type) if parent else ("CONTINUOUS", 1)
        else:
            code = self.line_type(name)
        # (A 3DFACE's group 70, its hidden edges, goes by the same name in ezdxf.)
        invisible = entity.dxftype() != "3DFACE" and bool(self.attribute(entity, "invisible", 60, 0))
        return Style(layer, colour, name, code, invisible or frozen or off), frozen or invisible

    def class_of(self, style, text=False) -> Optional[int]:
        name = (shift_jis(style.layer) + b"\n")[:19]
        for key, class_no in DEFAULT_KEYS:
            if key + b"\n" in name:
                return class_no
        if self.pens:
            return PEN_CLASSES[PEN_OF_COLOUR.get(style.colour, 2) - 1]
        if name in self.order:
            return self.order.index(name) + 1
        return 100 if text else None

    def is_vertical(self, entity):
        """Whether a text is written top to bottom: a TEXT or attribute of a vertical style,
        an MTEXT whose drawing direction says so (3), or leaves it to a vertical style (5)."""
        style = entity.dxf.get("style", "STANDARD").strip().upper()
        if entity.dxftype() == "MTEXT":
            direction = entity.dxf.get("flow_direction", 1)
            return direction == 3 or (direction == 5 and style in self.vertical)
        return style in self.vertical


# Characters of a vertical text follow each other this many heights apart; each is as wide
# as a DIN text frame makes it (0.625 of the height per byte of Shift-JIS).
VERTICAL_PITCH = 1.4
WIDTH_PER_BYTE = 0.625


def column_points(text, height):
    """The DIN points of the characters of a column of vertical text, in the text's own axes
    from the top of its first character: [(character, x, y)], blanks left out."""
    points = []
    for i, c in enumerate(text):
        if c != " ":
            width = WIDTH_PER_BYTE * height * len(c.encode("cp932", "replace"))
            points.append((c, -width / 2, -i * VERTICAL_PITCH * height - height))
    return points


def vertical_text_points(entity, text):
    """The world DIN points of the characters of a vertical TEXT or attribute: [(c, x, y)]."""
    from ezdxf.math import Vec3
    height = entity.dxf.get("height", 1)
    angle = math.radians(entity.dxf.get("rotation", 0))
    insert = entity.dxf.insert
    ocs = entity.ocs()
    points = []
    for c, dx, dy in column_points(text, height):
        x = insert.x + dx * math.cos(angle) - dy * math.sin(angle)
        y = insert.y + dx * math.sin(angle) + dy * math.cos(angle)
        p = ocs.to_wcs(Vec3(x, y, insert.z))
        points.append((c, p.x, p.y))
    return points
