"""Converts DXF drawings with dxfdin and checks the DIN texts against ezdxf's reading of the
same drawings: every TEXT, visible ATTRIB and MTEXT line a viewer shows (blocks, dimensions,
tables, multileaders and tolerance frames expanded as check_geometry.py expands them) must be
in the DIN with the same characters, a TEXT at its insertion point and the lines of an MTEXT
within the box ezdxf estimates for it (one character height around); and no DIN text may
hold a character that no text of the drawing has (the sign of text read in the wrong
encoding).

usage: check_texts.py DXFDIN [--synthetic] DXF_FILE_OR_FOLDER...

ezdxf decodes each drawing in its encoding; the escapes, drawing symbols and MTEXT codes are
resolved here from ezdxf's raw values and MTEXT parser. A character Shift-JIS lacks is
expected as the geta mark; half-width katakana as their full-width twins."""
import math
import os
import re
import sys
import unicodedata

import ezdxf
from ezdxf.math import OCS, Vec3
from ezdxf.tools.text import MTextParser, TokenType

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_geometry import converted, dimension_drawings, drawn, regenerate_dimensions, run  # noqa: E402,E501
from expected_styles import VERTICAL_PITCH, Styles, column_points, vertical_text_points  # noqa: E402

GETA = "\u3013"
# DIN texts hold at most this many bytes of Shift-JIS.
TEXT_BYTES = 253
ESCAPE_PAGES = {"1": "cp932", "2": "cp950", "3": "cp949", "4": "johab", "5": "cp936"}


def din_texts(path):
    """The DIN's texts as (x, y, text), in the order written."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    texts = []
    point = None
    for i, line in enumerate(lines[:-1]):
        if line.startswith(b"  SR 12"):
            point = tuple(float(v) for v in lines[i + 1].split()[:2])
        elif line.startswith(b"  SR 13"):
            texts.append((point[0], point[1], decode_din(lines[i + 1][5:])))
    return texts


def decode_din(raw):
    """A DIN text: JIS pairs between <ks> and <ke>, the rest Shift-JIS."""
    out = []
    for n, part in enumerate(re.split(rb"<ks>|<ke>", raw)):
        if n % 2:
            part = b"".join(jis_to_shift_jis(part[i], part[i + 1]) for i in range(0, len(part) - 1, 2))
        out.append(part.decode("cp932", "replace"))
    return "".join(out)


def jis_to_shift_jis(j1, j2):
    """The Shift-JIS bytes of the JIS X 0208 pair (NEC's row 13 included)."""
    s1 = (j1 + 1) // 2 + (0x70 if j1 <= 0x5E else 0xB0)
    s2 = j2 + (0x1F if j2 <= 0x5F else 0x20) if j1 % 2 else j2 + 0x7E
    return bytes((s1, s2))


# What a character Shift-JIS lacks is written as, where it has a plain look-alike.
LOOK_ALIKES = {
    "\u2205": "\u03c6", "\u2300": "\u03c6", "\u00d8": "\u03c6", "\u00f8": "\u03c6",
    "\u2022": "\u30fb", "\u2248": "\u2252", "\u2126": "\u03a9", "\u00b5": "\u03bc",
    "\u00b2": "2", "\u00b3": "3", "\u00b9": "1", "\u00a0": " ", "\u2011": "-", "\u2012": "-",
    "\u2013": "-", "\u2014": "\u2015", "\u00df": "ss", "\u00c6": "AE", "\u00e6": "ae",
    "\u0152": "OE", "\u0153": "oe", "\u00de": "TH", "\u00fe": "th", "\u0132": "IJ",
    "\u0133": "ij", "\u0110": "D", "\u0111": "d", "\u00d0": "D", "\u00f0": "d",
    "\u0126": "H", "\u0127": "h", "\u0131": "i", "\u0138": "k", "\u013f": "L",
    "\u0140": "l", "\u0141": "L", "\u0142": "l", "\u0149": "n", "\u014a": "N",
    "\u014b": "n", "\u0166": "T", "\u0167": "t", "\u017f": "s"}


def look_alike(c):
    """The look-alike of a character Shift-JIS lacks, or None: the table, else a Latin letter
    with accents (U+00C0 to U+017F) as its letter."""
    if c in LOOK_ALIKES:
        return LOOK_ALIKES[c]
    if "\u00c0" <= c <= "\u017f":
        base = unicodedata.normalize("NFD", c)[0]
        if base.isascii() and base.isalpha():
            return base
    return None


def shift_jis_form(text, collapse=True):
    """What the DIN may hold of a text: half-width katakana widened, characters Shift-JIS
    lacks as their look-alikes or the geta mark, blanks collapsed (unless not asked)."""
    text = re.sub("[\uff61-\uff9f]+", lambda m: unicodedata.normalize("NFKC", m.group()), text)
    text = text.replace("\u3099", "\u309b").replace("\u309a", "\u309c")
    out = []
    for c in text:
        try:
            c.encode("cp932")
            out.append(c)
        except UnicodeEncodeError:
            out.append(look_alike(c) or GETA)
    return " ".join("".join(out).split()) if collapse else "".join(out)


def wide(c):
    return len(c.encode("cp932", "replace")) == 2


def break_problem(lines, paragraphs):
    """Why the DIN lines of an MTEXT break a paragraph inside a word, or None: a line may end
    only at the end of its paragraph, before a blank, or between two double-byte characters
    (the forced cut of a word longer than a DIN text aside)."""
    paragraphs = [p for p in paragraphs if p]
    k, at = 0, 0
    for line in (line for line in lines if line):
        while k < len(paragraphs) and at >= len(paragraphs[k]):
            k, at = k + 1, 0
        if k == len(paragraphs):
            return None
        paragraph = paragraphs[k]
        while at < len(paragraph) and paragraph[at] == " ":
            at += 1
        if not paragraph.startswith(line, at):
            return None  # not laid out as the paragraph: the other checks tell
        at += len(line)
        if at < len(paragraph) and paragraph[at] != " " and \
                not (wide(paragraph[at - 1]) and wide(paragraph[at])) and \
                len(line.encode("cp932", "replace")) < TEXT_BYTES - 2:
            return "%r ends inside a word of %r" % (line, paragraph)
    return None


def cut(text):
    """The text as far as a DIN text holds it."""
    data = text.encode("cp932")
    return data[:TEXT_BYTES].decode("cp932", "ignore") if len(data) > TEXT_BYTES else text


def carets(value, text=True):
    """The carets of a value: ^@ to ^_ are control characters (^J a line end in an MTEXT, a
    blank in a text; ^I a tab; the others a blank), "^ " is a caret, and any other caret is a
    caret. For an MTEXT, what ezdxf's parser decodes again is given in its caret form."""
    def replace(m):
        c = m.group(1)
        if c == " ":
            return "^" if text else "^ "
        if "@" <= c <= "_":
            return {"I": "\t", "J": " " if text else "\n"}.get(c, " ")
        return ("^" if text else "^ ") + c
    return re.sub(r"\^(.)", replace, value, flags=re.S)


def resolved(value):
    """A raw text value with its escapes and drawing symbols resolved."""
    value = re.sub(r"\\[Uu]\+([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), value)

    def code_page(m):
        try:
            return bytes.fromhex(m.group(2)).decode(ESCAPE_PAGES[m.group(1)])
        except (UnicodeDecodeError, KeyError):
            return GETA
    value = re.sub(r"\\[Mm]\+([1-5])([0-9A-Fa-f]{4})", code_page, value)
    symbols = {"c": "\u03c6", "d": "\u00b0", "p": "\u00b1", "%": "%", "u": "", "o": "", "k": ""}
    return re.sub(r"%%([cdpuokCDPUOK%])", lambda m: symbols[m.group(1).lower()], value)


def mtext_lines(value):
    """The lines of an MTEXT as ezdxf's parser reads them; stacks as "a/b"."""
    lines, line = [], []
    for token in MTextParser(carets(resolved(value), text=False)):
        kind = token.type
        if kind in (TokenType.WORD,):
            line.append(token.data)
        elif kind in (TokenType.SPACE, TokenType.NBSP, TokenType.TABULATOR):
            line.append(" ")
        elif kind == TokenType.STACK:
            upper, lower, divider = token.data
            line.append(upper.strip() + ("/" + lower.strip() if divider else ""))
        elif kind in (TokenType.NEW_PARAGRAPH, TokenType.NEW_COLUMN, TokenType.WRAP_AT_DIMLINE):
            lines.append("".join(line))
            line = []
    lines.append("".join(line))
    return lines


def expected_texts(doc, styles, recode):
    """(label, kind, lines, where) of the texts shown: where is the insertion point of a TEXT
    or ATTRIB; for an MTEXT (insertion point, its x and y directions, character height, line
    pitch, attachment). `recode` gives a text value as the drawing means it."""
    regenerate_dimensions(doc)
    layouts = [doc.modelspace()]
    try:
        layouts.append(doc.paperspace())
    except Exception:
        pass
    found = []
    for layout in layouts:
        for top, entity, style in drawn(layout, styles):
            if style.hidden:
                continue
            kind = entity.dxftype()
            label = top if top.startswith(kind) else "%s in %s" % (kind, top)
            if kind in ("TEXT", "ATTRIB"):
                if kind == "ATTRIB" and entity.dxf.get("flags", 0) & 1:
                    continue
                insert = entity.ocs().to_wcs(entity.dxf.insert)
                text = carets(resolved(recode(entity.dxf.text)))
                if styles.is_vertical(entity):
                    # Its characters one below the other: where is the entity itself.
                    found.append((label, "VERTICAL", [text], entity))
                    continue
                found.append((label, kind, [text], (insert.x, insert.y)))
            elif kind == "MTEXT":
                # The x direction of its lines, and its y direction square to it in the
                # plane of its extrusion.
                normal = Vec3(entity.dxf.get("extrusion", (0, 0, 1))).normalize()
                if entity.dxf.hasattr("text_direction"):
                    x_axis = Vec3(entity.dxf.text_direction)
                else:
                    x_axis = OCS(normal).to_wcs(Vec3.from_deg_angle(entity.dxf.get("rotation", 0)))
                x_axis = (x_axis - normal * x_axis.dot(normal)).normalize()
                axes = (x_axis, normal.cross(x_axis).normalize())
                height = entity.dxf.get("char_height", 2.5)
                # AutoCAD's lines lie 5/3 of the character height apart at factor 1.
                pitch = 5 / 3 * height * entity.dxf.get("line_spacing_factor", 1)
                insert = entity.dxf.insert
                found.append((label, "VERTICAL MTEXT" if styles.is_vertical(entity) else kind,
                              mtext_lines(recode(entity.text)),
                              ((insert.x, insert.y), axes, height, pitch,
                               entity.dxf.get("attachment_point", 1))))
    return found


def character_widths(text, height):
    """The narrowest and widest a line of text may be drawn: half-width characters 0.4 to 0.8
    of the height, full-width ones 0.9 to 1.4 (TrueType fonts, whose capitals are the height)."""
    wide = sum(1 for c in text if len(c.encode("cp932", "replace")) == 2)
    narrow = len(text) - wide
    return height * (0.4 * narrow + 0.9 * wide), height * (0.8 * narrow + 1.4 * wide)


def vertical_mtext_points(paragraphs, where):
    """The world DIN points of the characters of an MTEXT written top to bottom: its
    paragraphs as columns from right to left, a line pitch apart, the block of columns on
    the insertion point by the attachment point. [(character, x, y)]"""
    (ox, oy), (x_axis, y_axis), height, pitch, attachment = where
    if not 1 <= attachment <= 9:
        attachment = 1
    row, column = divmod(attachment - 1, 3)
    longest = max((len(p) for p in paragraphs), default=0)
    width = (len(paragraphs) - 1) * pitch + height
    depth = (longest - 1) * VERTICAL_PITCH * height + height if longest else 0
    left = (0, -width / 2, -width)[column]
    top = (0, depth / 2, depth)[row]
    points = []
    for k, paragraph in enumerate(paragraphs):
        middle = left + width - height / 2 - k * pitch
        for c, dx, dy in column_points(paragraph, height):
            x, y = middle + dx, top + dy
            points.append((c, ox + x * x_axis.x + y * y_axis.x, oy + x * x_axis.y + y * y_axis.y))
    return points


def mtext_layout_problem(lines, where, skipped):
    """Why the DIN lines [(x, y, text)] of an MTEXT do not lie where CAD programs draw them
    (within a character height), or None. `skipped`: its empty lines, which take a line's
    place but give no DIN text."""
    (ox, oy), (x_axis, y_axis), height, pitch, attachment = where
    if not 1 <= attachment <= 9:
        attachment = 1
    row, column = divmod(attachment - 1, 3)
    count = len(lines) + skipped
    last = (count - 1) * pitch
    first = -height if row == 0 else (last + height) / 2 - height if row == 1 else last
    previous = None
    for x, y, text in lines:
        dx, dy = x - ox, y - oy
        along, up = dx * x_axis.x + dy * x_axis.y, dx * y_axis.x + dy * y_axis.y
        # A baseline a whole number of pitches below the first, and after the line before.
        steps = (first - up) / pitch if pitch else 0
        if abs(steps - round(steps)) * pitch > height or round(steps) < 0 or round(steps) >= count:
            return "%r: its baseline is %.3g below the first, not a multiple of %.3g" % (
                text, first - up, pitch)
        if previous is not None and round(steps) <= previous:
            return "%r is not below the line before it" % text
        previous = round(steps)
        narrow, wide = character_widths(text, height)
        low, high = -wide * column / 2 - height, -narrow * column / 2 + height
        if not low <= along <= high:
            return "%r starts %.3g along its line, not within %.3g to %.3g" % (text, along, low, high)
    return None


def check(dxfdin, dxf_path, out_dir):
    name = os.path.basename(dxf_path)
    din_path, doc, problems = converted(dxfdin, dxf_path, out_dir)
    if doc is None:
        return problems
    with open(dxf_path, "rb") as f:
        names_code_page = b"$DWGCODEPAGE" in f.read()

    def recode(value):
        # A drawing that names no code page is Shift-JIS, as Jw_cad writes them: its bytes
        # again from what ezdxf read, in Shift-JIS.
        if doc.dxfversion >= "AC1021" or names_code_page:
            return value
        return value.encode(doc.encoding, "surrogateescape").decode("cp932", "replace")

    texts = din_texts(din_path)
    forms = [shift_jis_form(text) for _, _, text in texts]
    compact = [form.replace(" ", "") for form in forms]
    problems = []
    known = set("0123456789" + GETA + "\u03c6\u00b0\u00b1")
    for label, kind, lines, where in expected_texts(doc, Styles(doc, dxf_path), recode):
        # TEXTs are cut to what a DIN text holds; MTEXTs wrapped into more lines.
        wanted = [shift_jis_form(line if kind == "MTEXT" else cut(shift_jis_form(line)))
                  for line in lines]
        known.update(c for line in wanted for c in line)
        if kind.startswith("VERTICAL"):
            # Each character a DIN text at its place in the column.
            if kind == "VERTICAL":
                points = vertical_text_points(where, cut(shift_jis_form(lines[0], False)).lstrip())
            else:
                points = vertical_mtext_points([shift_jis_form(line, False) for line in lines],
                                               where)
            for c, x, y in points:
                tolerance = 1e-6 * (abs(x) + abs(y)) + 1e-9
                if not any(math.hypot(tx - x, ty - y) <= tolerance and form == c
                           for (tx, ty, _), form in zip(texts, forms)):
                    problems.append("%s: %s %r: its %r at (%g, %g) is not in the DIN"
                                    % (name, label, wanted[0], c, x, y))
                    break
            continue
        if kind != "MTEXT":
            # At its point, in single precision, with its characters.
            tolerance = 1e-6 * (abs(where[0]) + abs(where[1])) + 1e-9
            if not any(math.hypot(x - where[0], y - where[1]) <= tolerance and form == wanted[0]
                       for (x, y, _), form in zip(texts, forms)):
                problems.append("%s: %s %r at %s is not in the DIN" % (name, label, wanted[0], where))
            continue
        # An MTEXT's lines, wrapped as they may be: a run of DIN texts in a row that holds
        # its characters, laid out as CAD programs lay them out.
        joined = "".join(line.replace(" ", "") for line in wanted)
        if not joined:
            continue
        skipped = sum(1 for line in wanted if not line)
        why = "not in the DIN"
        for start in range(len(texts)):
            end, have = start, ""
            while end < len(texts) and joined.startswith(have + compact[end]) and \
                    len(have) < len(joined):
                have += compact[end]
                end += 1
            if have != joined or not compact[start]:
                continue
            why = (break_problem(forms[start:end], wanted) or
                   mtext_layout_problem(texts[start:end], where, skipped))
            if why is None:
                break
        if why:
            problems.append("%s: %s %r: %s" % (name, label, wanted[0], why))
    for (x, y, text), form in zip(texts, forms):
        strange = [c for c in form if c not in known and not (c.isascii() and c.isprintable())]
        if strange:
            problems.append("%s: DIN text %r at (%g, %g) has %r, which no text of the drawing has"
                            % (name, text, x, y, strange[0]))
    return problems


def synthetic_drawings(out_dir):
    """Drawings written with ezdxf of what real files hold: texts of every encoding and kind."""
    files = []
    for version, codepage in (("R2000", "ANSI_1252"), ("R2000", "ANSI_932"), ("R2010", None)):
        doc = ezdxf.new(version)
        if codepage:
            doc.header["$DWGCODEPAGE"] = codepage
        msp = doc.modelspace()
        japanese = "日本語 ﾎﾞﾙﾄ φ10 ①"
        latin = "Café 3×4" if codepage != "ANSI_932" else "3×4"
        msp.add_text(japanese, dxfattribs={"insert": (0, 0), "height": 2.5, "rotation": 30})
        msp.add_text(latin + " %%c50 %%d %%p", dxfattribs={"insert": (0, 10), "height": 2.5})
        for attachment in range(1, 10):
            msp.add_mtext("{\\fArial|b1;" + japanese + "}\\P\\S1/2; line two\\Pthree",
                          dxfattribs={"insert": (100 * attachment, 0), "char_height": 3,
                                      "attachment_point": attachment,
                                      "rotation": 15 * attachment})
        msp.add_mtext("Wrapped at its width: " + "word " * 30,
                      dxfattribs={"insert": (0, -100), "char_height": 2, "width": 40})
        block = doc.blocks.new("TAG")
        block.add_attdef("NO", (0, 0), dxfattribs={"height": 2})
        block.add_mtext("in a block", dxfattribs={"insert": (0, 5), "char_height": 2})
        insert = msp.add_blockref("TAG", (50, 50), dxfattribs={"xscale": 2, "yscale": 2,
                                                               "rotation": 45})
        insert.add_attrib("NO", "部品 12", (50, 50), dxfattribs={"height": 4, "rotation": 45})
        path = os.path.join(out_dir, "texts-%s-%s.dxf" % (version.lower(), codepage or "utf8"))
        doc.saveas(path)
        files.append(path)
    return files + dimension_drawings(out_dir)


if __name__ == "__main__":
    run(check, synthetic_drawings, "the texts of")
