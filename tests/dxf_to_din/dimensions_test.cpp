// Dimensions drawn from their definition points where the drawing holds no block of them:
// where their lines, arrows and texts lie for each kind, against figures worked out by hand.
// Drawings of every kind in several styles are checked against ezdxf by check_geometry.py.
#include "dxf_to_din/dimension_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/convert.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ToDin;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.14159265358979323846;
// The closed arrow's half width at size 2.5: its sides are 18.924644 degrees apart.
const double kHalf = 2.5 * std::sin(18.924644 / 2 * 3.14159265358979323846 / 180);

// An ISO-25-like style: 2.5 texts and arrows, gaps of 0.625, the text above the line.
DimensionLook Metric() {
  DimensionLook look;
  DimensionStyle& s = look.style;
  s.dimasz = s.dimtxt = 2.5;
  s.dimexo = s.dimgap = 0.625;
  s.dimexe = 1.25;
  s.dimdec = 2;
  s.dimzin = 8;
  s.dimtad = 1;
  s.dimtih = s.dimtoh = 0;
  s.dimcen = 0;
  return look;
}

DimensionRecord Record(std::int32_t type, std::initializer_list<std::pair<int, PlanePoint>> points,
                       double angle = 0) {
  DimensionRecord record;
  record.type = type;
  record.angle = angle;
  for (const auto& [code, p] : points) {
    Point3* target = code == 10   ? &record.definition
                     : code == 11 ? &record.text_middle
                     : code == 13 ? &record.first
                     : code == 14 ? &record.second
                     : code == 15 ? &record.third
                                  : &record.arc;
    *target = {p.x, p.y, 0};
  }
  return record;
}

bool Near(PlanePoint a, PlanePoint b) {
  return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9;
}

bool HasLine(const DimensionFigure& figure, PlanePoint a, PlanePoint b) {
  for (const auto& line : figure.lines) {
    if ((Near(line.a, a) && Near(line.b, b)) || (Near(line.a, b) && Near(line.b, a))) return true;
  }
  return false;
}

// An arrow's outline with its tip at `tip` and its back corners at `back1` and `back2`.
bool HasArrow(const DimensionFigure& figure, PlanePoint tip, PlanePoint back1, PlanePoint back2) {
  for (const auto& outline : figure.outlines) {
    if (outline.points.size() == 3 && Near(outline.points[1], tip) &&
        ((Near(outline.points[0], back1) && Near(outline.points[2], back2)) ||
         (Near(outline.points[0], back2) && Near(outline.points[2], back1)))) {
      return true;
    }
  }
  return false;
}

void ExpectText(const DimensionFigure& figure, const std::string& text, PlanePoint at,
                double rotation) {
  ASSERT_EQ(figure.texts.size(), 1u) << text;
  EXPECT_EQ(figure.texts[0].text, text);
  EXPECT_NEAR(figure.texts[0].at.x, at.x, 1e-9) << text;
  EXPECT_NEAR(figure.texts[0].at.y, at.y, 1e-9) << text;
  EXPECT_NEAR(std::remainder(figure.texts[0].rotation - rotation, 360), 0, 1e-9) << text;
  EXPECT_EQ(figure.texts[0].height, 2.5);
}

TEST(DimensionDrawing, LinearDimensionsEitherWayRound) {
  const DimensionLook look = Metric();
  // Measured from left to right and from right to left: the same figure, the text above.
  for (const bool backwards : {false, true}) {
    const PlanePoint left{0, 0}, right{40, 0};
    const DimensionFigure f = DrawDimension(
        Record(0, {{13, backwards ? right : left}, {14, backwards ? left : right}, {10, {0, 15}}}),
        look);
    EXPECT_TRUE(HasLine(f, {0, 0.625}, {0, 16.25})) << backwards;  // DIMEXO, DIMEXE
    EXPECT_TRUE(HasLine(f, {40, 0.625}, {40, 16.25})) << backwards;
    EXPECT_TRUE(HasArrow(f, {0, 15}, {2.5, 15 + kHalf}, {2.5, 15 - kHalf})) << backwards;
    EXPECT_TRUE(HasArrow(f, {40, 15}, {37.5, 15 + kHalf}, {37.5, 15 - kHalf})) << backwards;
    EXPECT_TRUE(HasLine(f, {2.5, 15}, {37.5, 15})) << backwards;  // from arrow to arrow
    EXPECT_EQ(f.lines.size(), 3u);
    ExpectText(f, "40", {20, 15 + 1.25 + 0.625}, 0);  // DIMTAD 1: half the height and DIMGAP
  }

  // Vertical, the text reading upwards to its left.
  const DimensionFigure vertical =
      DrawDimension(Record(0, {{13, {0, 0}}, {14, {0, 30}}, {10, {-10, 0}}}, 90), look);
  EXPECT_TRUE(HasLine(vertical, {-0.625, 0}, {-11.25, 0}));
  EXPECT_TRUE(HasArrow(vertical, {-10, 30}, {-10 - kHalf, 27.5}, {-10 + kHalf, 27.5}));
  ExpectText(vertical, "30", {-11.875, 15}, 90);

  // Aligned: along the points whatever group 50 says.
  const DimensionFigure aligned =
      DrawDimension(Record(1, {{13, {0, 0}}, {14, {30, 40}}, {10, {-8, 6}}}, 0), look);
  EXPECT_TRUE(HasLine(aligned, {-0.5, 0.375}, {-9, 6.75}));
  ExpectText(aligned, "50", {15 - 8 - 1.875 * 0.8, 20 + 6 + 1.875 * 0.6}, 53.13010235415598);
}

TEST(DimensionDrawing, LinearStylesBreakTickAndMoveTheText) {
  DimensionLook centred = Metric();
  centred.style.dimtad = 0;
  centred.style.dimdec = 1;
  centred.style.dimzin = 0;
  // The text on the line, which stops at its box (its width two characters of 2.5).
  const DimensionRecord record = Record(0, {{13, {0, 0}}, {14, {40, 0}}, {10, {0, 15}}});
  DimensionFigure f = DrawDimension(record, centred);
  ExpectText(f, "40.0", {20, 15}, 0);
  EXPECT_TRUE(HasLine(f, {2.5, 15}, {15, 15}));
  EXPECT_TRUE(HasLine(f, {25, 15}, {37.5, 15}));

  // Ticks (DIMTSZ) and the line beyond them (DIMDLE), extension lines left out.
  DimensionLook ticks = Metric();
  ticks.style.dimtsz = 1;
  ticks.style.dimdle = 1.5;
  ticks.style.dimse1 = 1;
  f = DrawDimension(record, ticks);
  EXPECT_TRUE(HasLine(f, {-1, 14}, {1, 16}));
  EXPECT_TRUE(HasLine(f, {39, 14}, {41, 16}));
  EXPECT_TRUE(HasLine(f, {-1.5, 15}, {41.5, 15}));
  EXPECT_FALSE(HasLine(f, {0, 0.625}, {0, 16.25}));
  EXPECT_TRUE(f.outlines.empty());

  // Moved text (group 70 bit 128) at point 11; colours of the style's own.
  DimensionLook coloured = Metric();
  coloured.style.dimclrd = 1;
  coloured.style.dimclre = 2;
  coloured.style.dimclrt = 3;
  DimensionRecord moved = record;
  moved.type |= 128;
  moved.text_middle = {30, 25, 0};
  f = DrawDimension(moved, coloured);
  ExpectText(f, "40", {30, 25}, 0);
  EXPECT_EQ(f.texts[0].colour, 3);
  for (const auto& line : f.lines) EXPECT_EQ(line.colour, line.a.x == line.b.x ? 2 : 1);
  for (const auto& outline : f.outlines) EXPECT_EQ(outline.colour, 1);

  // A short one: arrows outside with a line behind them, the text above the extension lines.
  f = DrawDimension(Record(0, {{13, {0, 0}}, {14, {2, 0}}, {10, {0, 15}}}), Metric());
  EXPECT_TRUE(HasArrow(f, {0, 15}, {-2.5, 15 + kHalf}, {-2.5, 15 - kHalf}));
  EXPECT_TRUE(HasLine(f, {-2.5, 15}, {-5, 15}));
  EXPECT_TRUE(HasLine(f, {4.5, 15}, {7, 15}));
  ExpectText(f, "2", {1, 15 + 1.25 + 0.625 + 1.25}, 0);

  // DIMPOST, DIMLFAC, DIMRND, DIMDSEP and an own text with the measurement in it.
  DimensionLook post = Metric();
  post.style.dimpost = "<> mm";
  post.style.dimlfac = 0.5;
  post.style.dimrnd = 0.25;
  post.style.dimdsep = ',';
  DimensionRecord own = Record(0, {{13, {0, 0}}, {14, {40.7, 0}}, {10, {0, 15}}});
  own.text = "<> typ.";
  EXPECT_EQ(DrawDimension(own, post).texts.at(0).text, "20,25 mm typ.");
  own.text = " ";
  EXPECT_TRUE(DrawDimension(own, post).texts.empty());
}

TEST(DimensionDrawing, RadiusAndDiameter) {
  DimensionLook inside = Metric();
  inside.style.dimtix = 1;
  DimensionFigure f = DrawDimension(Record(4, {{10, {0, 0}}, {15, {10, 0}}}), inside);
  EXPECT_TRUE(HasArrow(f, {10, 0}, {7.5, kHalf}, {7.5, -kHalf}));
  EXPECT_TRUE(HasLine(f, {0, 0}, {7.5, 0}));
  ExpectText(f, "R10", {3.75, 1.875}, 0);

  f = DrawDimension(Record(3, {{10, {-10, 0}}, {15, {10, 0}}}), inside);
  EXPECT_TRUE(HasArrow(f, {10, 0}, {7.5, kHalf}, {7.5, -kHalf}));
  EXPECT_TRUE(HasArrow(f, {-10, 0}, {-7.5, kHalf}, {-7.5, -kHalf}));
  EXPECT_TRUE(HasLine(f, {-7.5, 0}, {7.5, 0}));
  ExpectText(f, "%%c20", {0, 1.875}, 0);

  // Outside (DIMTIX 0), horizontal (DIMTOH), no line through the circle (DIMTOFL 0) but a
  // centre mark (DIMCEN).
  DimensionLook outside = Metric();
  outside.style.dimtoh = 1;
  outside.style.dimcen = 1;
  f = DrawDimension(Record(4, {{10, {0, 0}}, {15, {0, 10}}}), outside);
  EXPECT_TRUE(HasArrow(f, {0, 10}, {kHalf, 12.5}, {-kHalf, 12.5}));
  EXPECT_TRUE(HasLine(f, {-1, 0}, {1, 0}));
  EXPECT_TRUE(HasLine(f, {0, -1}, {0, 1}));
  EXPECT_TRUE(HasLine(f, {0, 12.5}, {0, 15}));  // to DIMASZ twice beyond the circle
  EXPECT_TRUE(HasLine(f, {0, 15}, {7.5, 15}));  // under the text
  ExpectText(f, "R10", {3.75, 15 + 1.875}, 0);
}

TEST(DimensionDrawing, AnglesByThreePointsAndByTwoLines) {
  DimensionLook look = Metric();
  look.style.dimadec = 0;
  const double r = 10;
  DimensionFigure f =
      DrawDimension(Record(5, {{15, {0, 0}}, {13, {10, 0}}, {14, {0, 10}}, {10, {6, 8}}}), look);
  ASSERT_EQ(f.arcs.size(), 1u);
  // The arc between the arrows, each an arrow's length (2.5 of radius 10) from its line.
  EXPECT_NEAR(f.arcs[0].start, 0.25 * 180 / kPi, 1e-9);
  EXPECT_NEAR(f.arcs[0].end, 90 - 0.25 * 180 / kPi, 1e-9);
  EXPECT_NEAR(f.arcs[0].radius, 10, 1e-9);
  EXPECT_TRUE(HasLine(f, {10.625, 0}, {11.25, 0}));
  EXPECT_TRUE(HasLine(f, {0, 10.625}, {0, 11.25}));
  const double out = (r + 1.875) * std::sqrt(0.5);
  ExpectText(f, "90%%d", {out, out}, -45);

  // Two lines through the origin, along x and at 45 degrees: the angle in which point 16
  // lies.
  const struct {
    PlanePoint arc;
    const char* text;
  } sectors[] = {{{5, 2}, "45%%d"}, {{-5, 2}, "135%%d"}, {{-5, -1}, "45%%d"}, {{2, -5}, "135%%d"}};
  for (const auto& sector : sectors) {
    f = DrawDimension(
        Record(2, {{13, {0, 0}}, {14, {10, 0}}, {15, {0, 0}}, {10, {10, 10}}, {16, sector.arc}}),
        look);
    ASSERT_EQ(f.texts.size(), 1u);
    EXPECT_EQ(f.texts[0].text, sector.text) << sector.arc.x << " " << sector.arc.y;
  }
}

TEST(DimensionDrawing, OrdinateDimensions) {
  const DimensionFigure f =
      DrawDimension(Record(6 | 64, {{10, {0, 0}}, {13, {10, 5}}, {14, {10, 20}}}), Metric());
  EXPECT_TRUE(HasLine(f, {10, 5.625}, {10, 10}));
  EXPECT_TRUE(HasLine(f, {10, 10}, {10, 15}));
  EXPECT_TRUE(HasLine(f, {10, 15}, {10, 25}));  // under the text, DIMTAD 1
  ExpectText(f, "10", {8.125, 22.5}, 90);
}

TEST(DimensionDrawing, ArrowsByName) {
  DimensionLook look = Metric();
  const DimensionRecord record = Record(0, {{13, {0, 0}}, {14, {40, 0}}, {10, {0, 15}}});
  look.first_arrow = look.second_arrow = "_Oblique";
  DimensionFigure f = DrawDimension(record, look);
  EXPECT_TRUE(HasLine(f, {1.25, 16.25}, {-1.25, 13.75}));
  EXPECT_TRUE(HasLine(f, {0, 15}, {40, 15}));  // the line runs to the stroke
  look.first_arrow = look.second_arrow = "dot";
  f = DrawDimension(record, look);
  ASSERT_EQ(f.circles.size(), 2u);
  EXPECT_NEAR(f.circles[0].radius, 2.5 / 4, 1e-12);
  EXPECT_TRUE(HasLine(f, {1.25, 15}, {2.5, 15}));
  look.first_arrow = look.second_arrow = "_NONE";
  f = DrawDimension(record, look);
  EXPECT_TRUE(f.outlines.empty() && f.circles.empty() && f.blocks.empty());
  // The drawing's own block of an arrow, turned and scaled to the arrow.
  look.first_arrow = look.second_arrow = "_ClosedBlank";
  look.holds_block = [](std::string_view name) { return name == "_CLOSEDBLANK"; };
  f = DrawDimension(record, look);
  ASSERT_EQ(f.blocks.size(), 2u);
  EXPECT_EQ(f.blocks[0].name, "_CLOSEDBLANK");
  EXPECT_EQ(f.blocks[0].scale, 2.5);
  EXPECT_NEAR(std::remainder(f.blocks[0].rotation - 180, 360), 0, 1e-12);
  look.first_arrow = look.second_arrow = "MINE";  // a block the drawing does not hold
  EXPECT_TRUE(DrawDimension(record, look).blocks.empty());
}

TEST(DimensionDrawing, HostileDimensionsDrawFiniteFiguresOrNothing) {
  const DimensionLook look = Metric();
  // Missing points, points that are not numbers, kinds not drawn.
  EXPECT_TRUE(DrawDimension(Record(0, {{13, {0, 0}}, {10, {0, 15}}}), look).Empty());
  EXPECT_TRUE(
      DrawDimension(Record(0, {{13, {kNan, 0}}, {14, {1, 0}}, {10, {0, 1}}}), look).Empty());
  EXPECT_TRUE(DrawDimension(Record(7, {{13, {0, 0}}, {14, {1, 0}}, {10, {0, 1}}}), look).Empty());
  EXPECT_TRUE(DrawDimension(Record(8, {{13, {0, 0}}, {14, {1, 0}}, {10, {0, 1}}}), look).Empty());
  DimensionRecord turned = Record(0, {{13, {0, 0}}, {14, {1, 0}}, {10, {0, 1}}});
  turned.angle = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(DrawDimension(turned, look).Empty());

  const auto finite = [](const DimensionFigure& f) {
    for (const auto& line : f.lines) {
      if (!std::isfinite(line.a.x + line.a.y + line.b.x + line.b.y)) return false;
    }
    for (const auto& text : f.texts) {
      if (!std::isfinite(text.at.x + text.at.y + text.height) || text.text.size() > 400) {
        return false;
      }
    }
    return true;
  };
  // No length at all: the figure of a zero.
  for (std::int32_t type : {0, 1, 2, 3, 4, 5, 6}) {
    const DimensionFigure f = DrawDimension(
        Record(type, {{10, {5, 5}}, {13, {5, 5}}, {14, {5, 5}}, {15, {5, 5}}, {16, {5, 5}}}), look);
    EXPECT_TRUE(finite(f)) << type;
  }
  // Coordinates near the largest double, a huge text, absurd places: finite or nothing.
  for (const double far : {1e300, 1.7e308}) {
    const DimensionFigure f =
        DrawDimension(Record(0, {{13, {-far, 0}}, {14, {far, 0}}, {10, {0, far}}}), look);
    EXPECT_TRUE(finite(f)) << far;
  }
  DimensionLook huge = Metric();
  huge.style.dimtxt = 1e300;
  huge.style.dimdec = 1000000;
  const DimensionFigure f =
      DrawDimension(Record(0, {{13, {0, 0}}, {14, {1, 0}}, {10, {0, 1}}}), huge);
  EXPECT_TRUE(finite(f));
  ASSERT_EQ(f.texts.size(), 1u);
  EXPECT_EQ(f.texts[0].text, "1");  // eight places at most, trailing zeros suppressed
}

// Drawings through the converter: a DIMSTYLE record, the entity's own overrides, a block.
std::string Drawing(const std::string& tables, const std::string& blocks,
                    const std::string& entities) {
  return "  0\nSECTION\n  2\nTABLES\n" + tables + "  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n" +
         blocks + "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" + entities +
         "  0\nENDSEC\n  0\nEOF\n";
}

const char* const kStyleTable =
    "  0\nTABLE\n  2\nDIMSTYLE\n  0\nDIMSTYLE\n  2\nMM\n 41\n2.5\n140\n2.5\n 42\n0.625\n"
    " 44\n1.25\n147\n0.625\n271\n2\n 77\n1\n 73\n0\n 74\n0\n  0\nENDTAB\n"
    "  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\nOFF\n 62\n-7\n  0\nENDTAB\n";

// A horizontal dimension of 40 between (0, 0) and (40, 0), its line at y 15.
std::string Dimension(const std::string& extra = "", const std::string& text = "") {
  return "  0\nDIMENSION\n  8\nDIM\n  2\n*D1\n  3\nMM\n 10\n0\n 20\n15\n 11\n20\n 21\n17\n "
         "70\n32\n" +
         text + " 13\n0\n 23\n0\n 14\n40\n 24\n0\n" + extra;
}

int Count(const std::string& din, const std::string& what) {
  int count = 0;
  for (std::size_t at = din.find(what); at != std::string::npos; at = din.find(what, at + 1)) {
    ++count;
  }
  return count;
}

TEST(DimensionDrawing, DrawnThroughTheConverter) {
  auto context = FreshContext();
  // Two extension lines, two arrows, the dimension line and the text of the style "MM"; then
  // the same with the entity's own text height (XDATA) and text.
  std::string din = ToDin(context, {}, Drawing(kStyleTable, "", Dimension()));
  EXPECT_EQ(Count(din, "ITEM  2"), 5);
  EXPECT_EQ(Count(din, "ITEM  11"), 1);
  EXPECT_NE(din.find("40.00"), std::string::npos);
  EXPECT_TRUE(context.passed_over.empty());

  context = FreshContext();
  din = ToDin(context, {},
              Drawing(kStyleTable, "",
                      Dimension("1001\nACAD\n1000\nDSTYLE\n1002\n{\n1070\n271\n1070\n1\n"
                                "1070\n3\n1000\n<> mm\n1002\n}\n",
                                "  1\n<> typ.\n")));
  EXPECT_NE(din.find("40.0 mm typ."), std::string::npos);

  // In a block, with its overrides and its single blank (no text).
  context = FreshContext();
  din = ToDin(context, {},
              Drawing(kStyleTable,
                      "  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n" +
                          Dimension("1001\nACAD\n1000\nDSTYLE\n1002\n{\n1070\n75\n1070\n1\n"
                                    "1002\n}\n",
                                    "  1\n \n") +
                          "  0\nENDBLK\n",
                      "  0\nINSERT\n  2\nB\n 10\n100\n 20\n0\n"));
  EXPECT_EQ(Count(din, "ITEM  2"), 4);  // the first extension line left out
  EXPECT_EQ(Count(din, "ITEM  11"), 0);

  // On a switched-off layer: counted as hidden. Without points: counted as before.
  context = FreshContext();
  din = ToDin(context, {},
              Drawing(kStyleTable, "",
                      "  0\nDIMENSION\n  8\nOFF\n" + Dimension().substr(22) +
                          "  0\nDIMENSION\n  2\n*D9\n"));
  EXPECT_EQ(Count(din, "ITEM"), 0);
  EXPECT_EQ(English(context.passed_over)["DIMENSION of a missing block"], 1);
  EXPECT_EQ(English(context.passed_over)["on hidden layers"], 1);
}

TEST(DimensionDrawing, TextStylesByHandleAndTheirFixedHeight) {
  DimensionStyles styles;
  styles.AddTextStyle("", "Standard", {0.5, 0.8});
  styles.AddTextStyle("1A", "BIG", {5, 1});
  styles.AddTextStyle("1B", "ZERO", {-1, 0});  // no fixed height, width 1
  EXPECT_EQ(styles.TextStyleOf("1a").height, 5);
  EXPECT_EQ(styles.TextStyleOf("1B").height, 0);
  EXPECT_EQ(styles.TextStyleOf("1B").width, 1);
  EXPECT_EQ(styles.TextStyleOf("").width, 0.8);  // none named: STANDARD's
  EXPECT_EQ(styles.TextStyleOf("FF").height, 0.5);
  EXPECT_EQ(DimensionStyles().TextStyleOf("1A").height, 0);

  // Through the converter: the text style of the DIMSTYLE record, its fixed height whatever
  // DIMSCALE.
  auto context = FreshContext();
  const std::string tables =
      "  0\nTABLE\n  2\nSTYLE\n  0\nSTYLE\n  5\n1A\n  2\nBIG\n 40\n5\n 41\n1\n  0\nENDTAB\n"
      "  0\nTABLE\n  2\nDIMSTYLE\n  0\nDIMSTYLE\n  2\nMM\n 40\n2\n340\n1A\n178\n1\n"
      "  0\nENDTAB\n";
  const std::string din = ToDin(context, {}, Drawing(tables, "", Dimension()));
  EXPECT_NE(din.find("   500   "), std::string::npos);
}

TEST(DimensionDrawing, SeenFromBelow) {
  // Extrusion (0, 0, -1): the world points give the lines they give seen from above; the text
  // lies along the plane's x axis, which runs the other way, right of its middle.
  auto context = FreshContext();
  const std::string din =
      ToDin(context, {}, Drawing(kStyleTable, "", Dimension("210\n0\n220\n0\n230\n-1\n")));
  EXPECT_NE(
      din.find("  SR  3 3    2  0  0\r\n                         2.5                     15\r\n"
               "  SR  4 3    2  0  0\r\n                        37.5                     15\r\n"),
      std::string::npos);
  EXPECT_NE(din.find("   250   180  "), std::string::npos);
  EXPECT_NE(din.find("            23.90625         15.625"), std::string::npos);
}

}  // namespace
}  // namespace dxfdin
