#!/usr/bin/env python3
"""Hostile drawings, made afresh: small files that once ran for hours or took gigabytes.

hostile_drawings.py DIR [--scale S] writes them into DIR. --scale 1 (the default) makes
them as large as they were found; a smaller scale shrinks the large ones alike, for a quick
check. Each file's name says what it tries; the checker (check_hostile.py) converts and
renders every one of them.
"""

import argparse
import os


def dxf(blocks="", entities="", tables=""):
    return ("  0\nSECTION\n  2\nTABLES\n" + tables + "  0\nENDSEC\n"
            "  0\nSECTION\n  2\nBLOCKS\n" + blocks + "  0\nENDSEC\n"
            "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n")


def block(name, body):
    return "  0\nBLOCK\n  2\n" + name + "\n 70\n0\n 10\n0\n 20\n0\n" + body + "  0\nENDBLK\n"


def minsert(name, columns, rows, spacing=1.0, extra=""):
    return ("  0\nINSERT\n  2\n" + name + "\n 10\n0\n 20\n0\n" + extra +
            " 70\n%d\n 71\n%d\n 44\n%g\n 45\n%g\n" % (columns, rows, spacing, spacing))


LINE = "  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"
DIN_HEADER = "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\r\n"


def write(directory, name, text, encoding="latin-1"):
    with open(os.path.join(directory, name), "w", encoding=encoding, newline="") as out:
        out.write(text)


def drawings(scale):
    """(name, text) of every hostile drawing."""
    big = lambda n: max(1, int(n * scale))  # noqa: E731

    # Blocks read again for every insert: one entity with megabytes of groups that draw
    # nothing, a million times (extended data is not kept; made-up groups are read).
    padding = "1000\nxdata\n" * big(3000) + "  1\nnot a line's\n" * big(3000)
    yield "block-rereading.dxf", dxf(block("B", LINE + padding), minsert("B", 1000, 1000))
    padding = "  1\nnot a line's text, long enough to take room\n" * big(90000)
    yield "block-rereading-large.dxf", dxf(block("B", LINE + padding), minsert("B", 1000, 1000))

    # Light-weight polylines in an arrayed block: the DIN is full long before the grid ends.
    chain = "  0\nLWPOLYLINE\n  8\n0\n 90\n%d\n" % big(20000)
    chain += "".join(" 10\n%d\n 20\n%d\n" % (i, i % 7) for i in range(big(20000)))
    yield "din-full-array.dxf", dxf(block("P", chain * 3), minsert("P", 30000, 30000, 100))

    # A hatch whose spline edge has a knot span for every few bytes.
    knots = big(120000)
    edge = " 72\n4\n 94\n3\n 73\n0\n 74\n0\n 95\n%d\n 96\n%d\n" % (knots + 4, knots)
    edge += " 40\n0\n" * 4 + "".join(" 40\n%d\n" % k for k in range(1, knots - 3))
    edge += (" 40\n%d\n" % (knots - 3)) * 4
    edge += "".join(" 10\n%d\n 20\n%d\n" % (k, (k % 2) * 1000) for k in range(knots))
    hatch = ("  0\nHATCH\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n  2\nSOLID\n 70\n1\n 71\n0\n"
             " 91\n1\n 92\n1\n 93\n1\n" + edge + " 97\n0\n 75\n0\n 76\n1\n 98\n0\n")
    yield "hatch-spline-knots.dxf", dxf(entities=hatch)

    # A hatch pattern of a spacing next to nothing over a large boundary, in a million cells
    # of an array; and one of dashes next to nothing.
    def pattern_hatch(size, spacing, dashes):
        return ("  0\nHATCH\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n  2\nP\n 70\n0\n 71\n0\n"
                " 91\n1\n 92\n3\n 72\n0\n 73\n1\n 93\n4\n 10\n0\n 20\n0\n 10\n%g\n 20\n0\n"
                " 10\n%g\n 20\n%g\n 10\n0\n 20\n%g\n 97\n0\n 75\n0\n 76\n1\n 78\n1\n"
                " 53\n0\n 43\n0\n 44\n0\n 45\n0\n 46\n%g\n 79\n%d\n%s 98\n0\n"
                % (size, size, size, size, spacing, len(dashes),
                   "".join(" 49\n%g\n" % d for d in dashes)))
    yield "hatch-dense-pattern.dxf", dxf(block("H", pattern_hatch(1e6, 1e-3, [])),
                                         minsert("H", big(1000), 1000, 1e6) +
                                         pattern_hatch(1000, 1, [1e-4, -1e-4]))

    # Two billion rows of an empty block.
    yield "minsert-rows.dxf", dxf(block("E", ""), minsert("E", 1, 2147483647))

    # Dashed circles, a million of them, in 300 bytes: cheap to convert, dear to paint.
    circle = "  0\nCIRCLE\n  8\n0\n  6\nDASHED\n 10\n0\n 20\n0\n 40\n0.4\n"
    yield "dashed-circles.dxf", dxf(block("C", circle), minsert("C", 1000, 1000))

    # Numbers that overflow: nested huge scales, bulges and ellipse ratios.
    huge = " 41\n1e300\n 42\n1e300\n"
    inner = (LINE + "  0\nLWPOLYLINE\n 90\n2\n 10\n0\n 20\n0\n 42\n1e308\n 10\n1e308\n 20\n0\n"
             "  0\nELLIPSE\n 10\n0\n 20\n0\n 11\n1e308\n 21\n1e308\n 40\n1e308\n"
             "  0\nTEXT\n 10\n1e308\n 20\n0\n 40\n1e308\n  1\nT\n")
    entities = ("  0\nINSERT\n  2\nOUT\n 10\n1e308\n 20\n-1e308\n" + huge) * 100 + LINE
    yield "non-finite.dxf", dxf(block("IN", inner) + block("OUT", "  0\nINSERT\n  2\nIN\n" + huge),
                                entities + "  0\nLINE\n 10\n1e999\n 20\n0\n 11\n1\n 21\n1\n")

    # Dimensions without blocks, drawn from their groups at every insert: megabytes of style
    # overrides a million times; and an own text of megabytes at a huge height.
    overrides = "1070\n140\n1040\n2.5\n" * big(100000)
    dimension = ("  0\nDIMENSION\n  8\n0\n 70\n32\n 10\n0\n 20\n5\n 13\n0\n 23\n0\n 14\n10\n"
                 " 24\n0\n1001\nACAD\n1000\nDSTYLE\n1002\n{\n" + overrides + "1002\n}\n")
    huge_text = dimension.replace(" 70\n32\n", " 70\n32\n  1\n" + "<>" * big(3 << 20) + "\n").replace(
        "1070\n140\n1040\n2.5\n", "1070\n140\n1040\n1e300\n", 1)
    yield "dimension-rereading.dxf", dxf(block("D", dimension), minsert("D", 1000, 1000) + huge_text)

    # Control characters in names, kinds and texts.
    yield "control-characters.dxf", dxf(
        block("\x1b]0;title\x07", LINE),
        "  0\n\x1b[2J\x1b]0;pwned\x07\n  8\n0\n"
        "  0\nINSERT\n  2\n\x1b[31mmissing\n"
        "  0\nTEXT\n 10\n0\n 20\n0\n 40\n1\n  1\na%%10b%%0c%%8d\n")

    # Blanks before a value, hundreds of megabytes of them.
    yield "value-blanks.dxf", dxf(entities="  0\nMTEXT\n 10\n0\n 20\n0\n 40\n1\n  1\n" +
                                  " " * big(300 << 20) + "x\n")

    # Old Mac line ends.
    yield "cr-line-ends.dxf", dxf(entities=LINE).replace("\n", "\r")

    # DIN floods: bare SR lines repeating their record, and a long file of segments.
    item = "ITEM  2   1  1  1   1  1 0\r\n  SR  3 3    2  0  0\r\n 0 0\r\n"
    yield "bare-sr.din", (DIN_HEADER + item + "  SR  4 3    2  0  0\r\n 1 1\r\n" +
                          "  SR\r\n" * big((39 << 20) // 6))
    segment = "  SR  4 3    2  0  0\r\n     %23.15G%23.15G\r\n"
    count = big(129 << 20) // 70
    yield "din-segments.din", DIN_HEADER + item + "".join(
        segment % (i % 1000, i // 1000) for i in range(count)) + "  SR 31 1    0  0  0\r\n"

    # Texts of runs that a quadratic decoder takes minutes over.
    text = "<ks>4A<ke>" * 6500
    record = ("ITEM  11   1  1  1   1  1 0\r\n  SR  1 1    1  0  0\r\n        768\r\n"
              "  SR 11 1    8  0  0\r\n          0   250     0  1040    50    50   769   100\r\n"
              "  SR 12 2    8  0  0\r\n     0 0 1 0\r\n     0 1 0 1\r\n"
              "  SR 13 0   %d  0  0\r\n     %s\r\n  SR 31 1    0  0  0\r\n" % (len(text), text))
    yield "din-texts.din", DIN_HEADER + record * big(80)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory")
    parser.add_argument("--scale", type=float, default=1.0)
    args = parser.parse_args()
    os.makedirs(args.directory, exist_ok=True)
    for name, text in drawings(args.scale):
        write(args.directory, name, text)
        print(name)


if __name__ == "__main__":
    main()
