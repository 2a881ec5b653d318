// Feature control frames (TOLERANCE): the boxes of their rows, their texts and GD&T symbols,
// placed by the dimension style, and bounds on hostile contents. check_geometry.py models the
// same frame for the drawings it checks.
#include "dxf_to_din/tolerance_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/convert.h"
#include "support/din_items.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::DinItem;
using testing::DinItems;
using testing::DinPoint;
using testing::FreshContext;
using testing::Near;
using testing::TextItem;
using testing::ToDin;

using Segment = ToleranceFrame::Segment;

bool HasSegment(const ToleranceFrame& frame, const Segment& s) {
  for (const Segment& t : frame.lines) {
    if (std::abs(t.x0 - s.x0) < 1e-12 && std::abs(t.y0 - s.y0) < 1e-12 &&
        std::abs(t.x1 - s.x1) < 1e-12 && std::abs(t.y1 - s.y1) < 1e-12) {
      return true;
    }
  }
  return false;
}

TEST(ToleranceFrame, BoxesAndTextsOfRows) {
  // Texts 2 high, gaps 0.5: a byte 1.25 wide. Position (POS, 3 bytes): a box 4.75 wide;
  // φ0.1(M) (8 bytes): 11; datum A: 2.25. Row 1 from y -2 to 2, its texts' base line at -1.
  const ToleranceFrame frame =
      LayOutTolerance("{\\Fgdt;j}%%v{\\Fgdt;n}0.1{\\Fgdt;m}%%vA%%v%%v", 2, 0.5);
  ASSERT_EQ(frame.texts.size(), 3u);
  EXPECT_EQ(frame.texts[0].text, "POS");
  EXPECT_EQ(frame.texts[1].text, "\\U+03C60.1(M)");
  EXPECT_EQ(frame.texts[2].text, "A");
  const double xs[] = {0.5, 5.25, 16.25};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(frame.texts[i].x, xs[i]);
    EXPECT_DOUBLE_EQ(frame.texts[i].y, -1);
  }
  ASSERT_EQ(frame.lines.size(), 6u);
  for (double x : {0.0, 4.75, 15.75, 18.0}) EXPECT_TRUE(HasSegment(frame, {x, -2, x, 2}));
  EXPECT_TRUE(HasSegment(frame, {0, 2, 18, 2}));
  EXPECT_TRUE(HasSegment(frame, {0, -2, 18, -2}));

  // Two rows with the same symbol: one box over both, its text between them; the line
  // between the rows starts at the symbol's box. Empty fields and rows take no box.
  const ToleranceFrame composite =
      LayOutTolerance("{\\Fgdt;j}%%v0.5%%vA^J{\\Fgdt;j}%%v%%v0.1%%vA^J^J%%v", 2, 0.5);
  ASSERT_EQ(composite.texts.size(), 5u);
  EXPECT_EQ(composite.texts[0].text, "POS");
  EXPECT_DOUBLE_EQ(composite.texts[0].y, -3);
  EXPECT_EQ(composite.texts[3].text, "0.1");  // in the second row's second box
  EXPECT_DOUBLE_EQ(composite.texts[3].x, 5.25);
  EXPECT_DOUBLE_EQ(composite.texts[3].y, -5);
  EXPECT_EQ(composite.lines.size(), 12u);
  EXPECT_TRUE(HasSegment(composite, {4.75, -2, 11.75, -2}));  // between the rows, twice
  EXPECT_TRUE(HasSegment(composite, {0, -6, 11.75, -6}));
  EXPECT_TRUE(HasSegment(composite, {0, -6, 0, -2}));
  EXPECT_FALSE(HasSegment(composite, {0, -2, 11.75, -2}));
}

TEST(ToleranceFrame, SymbolsAreCharactersShiftJisHoldsOrWords) {
  struct Case {
    char letter;
    const char* utf8;
  };
  const Case cases[] = {
      {'a', "\u2220"}, {'b', "\u22A5"}, {'c', "FLAT"},    {'d', "PROF"},     {'e', "\u25CB"},
      {'f', "\u2225"}, {'g', "CYL"},    {'h', "RUNOUT"},  {'i', "SYM"},      {'j', "POS"},
      {'k', "\u2312"}, {'l', "(L)"},    {'m', "(M)"},     {'n', "\u03C6"},   {'p', "(P)"},
      {'r', "\u25CE"}, {'s', "(S)"},    {'t', "TRUNOUT"}, {'u', "STRAIGHT"},
  };
  // Every symbol in a frame of its own, through the whole conversion: each is what a DIN
  // text holds, none the geta mark.
  std::string entities;
  for (const Case& c : cases) {
    entities +=
        std::string("  0\nTOLERANCE\n  8\n0\n 10\n0\n 20\n0\n  1\n{\\Fgdt;") + c.letter + "}%%v1\n";
  }
  auto context = FreshContext();
  const std::string din =
      ToDin(context, TConversionSettings{},
            "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n");
  const auto items = DinItems(din);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.letter);
    EXPECT_NE(TextItem(items, c.utf8), nullptr);
  }
  EXPECT_EQ(din.find("\x81\xAC"), std::string::npos);
  EXPECT_TRUE(context.changed.empty());
  EXPECT_TRUE(context.passed_over.empty());
  // Letters outside the font's symbols, and those not in the GDT font, stay letters; %%c is
  // the diameter.
  EXPECT_EQ(LayOutTolerance("{\\Fgdt;Az}%%vn%%v%%c5", 1, 0).texts.size(), 3u);
  EXPECT_EQ(LayOutTolerance("{\\Fgdt;Az}", 1, 0).texts[0].text, "Az");
  EXPECT_EQ(LayOutTolerance("n", 1, 0).texts[0].text, "n");
  EXPECT_EQ(LayOutTolerance("{\\fGDT|b0;n}%%C5", 1, 0).texts[0].text, "\\U+03C6\\U+03C65");
}

// A drawing whose dimension style ISO has texts 2 high, gaps 0.5, DIMSCALE 1.
std::string Drawing(const std::string& entities) {
  return "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nDIMSTYLE\n"
         "  0\nDIMSTYLE\n105\n1F\n  2\nISO\n 40\n1\n140\n2\n147\n0.5\n  0\nENDTAB\n"
         "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" +
         entities + "  0\nENDSEC\n  0\nEOF\n";
}

bool HasLine(const std::vector<DinItem>& items, const DinPoint& a, const DinPoint& b) {
  for (const DinItem& item : items) {
    if (item.kind == 2 && item.points.size() == 2 &&
        ((Near(item.points[0], a) && Near(item.points[1], b)) ||
         (Near(item.points[0], b) && Near(item.points[1], a)))) {
      return true;
    }
  }
  return false;
}

TEST(ToleranceFrame, PlacedAlongItsDirectionWithItsDimensionStyle) {
  // At (100, 50), its rows running up the page (direction (0, 1)): a point (u, v) of the
  // frame is (100 - v, 50 + u). The first row: boxes 0 to 4.75 to 15.75 to 18.
  const std::string tolerance =
      "  0\nTOLERANCE\n  8\n0\n100\nAcDbFcf\n  3\nISO\n 10\n100\n 20\n50\n 30\n0\n"
      "  1\n{\\Fgdt;j}%%v{\\Fgdt;n}0.1{\\Fgdt;m}%%vA\n 11\n0\n 21\n1\n 31\n0\n";
  auto context = FreshContext();
  auto items = DinItems(ToDin(context, TConversionSettings{}, Drawing(tolerance)));
  EXPECT_TRUE(HasLine(items, {98, 50}, {98, 68}));    // the top, v = 2
  EXPECT_TRUE(HasLine(items, {102, 50}, {102, 68}));  // the bottom, v = -2
  EXPECT_TRUE(HasLine(items, {98, 54.75}, {102, 54.75}));
  EXPECT_TRUE(HasLine(items, {98, 68}, {102, 68}));
  const DinItem* symbol = TextItem(items, "POS");
  ASSERT_NE(symbol, nullptr);
  EXPECT_TRUE(Near(symbol->points[0], {101, 50.5}, 1e-4));
  EXPECT_NE(TextItem(items, "\u03C60.1(M)"), nullptr);

  // The entity's own DSTYLE list: texts 4 high, the frame twice as large, gaps as they were.
  const std::string overridden =
      tolerance + "1001\nACAD\n1000\nDSTYLE\n1002\n{\n1070\n140\n1040\n4\n1002\n}\n";
  context = FreshContext();
  items = DinItems(ToDin(context, TConversionSettings{}, Drawing(overridden)));
  // Position: 3 bytes of 2.5, gaps 0.5: 8.5 wide; 4 high either side.
  EXPECT_TRUE(HasLine(items, {96, 58.5}, {104, 58.5}));
}

TEST(ToleranceFrame, HostileContentsAreBounded) {
  std::string rows, fields, braces;
  for (int i = 0; i < 5000; ++i) {
    rows += "1^J";
    fields += "1%%v";
    braces += "{\\Fgdt;";
  }
  const ToleranceFrame many_rows = LayOutTolerance(rows, 1, 0.25);
  EXPECT_LE(many_rows.texts.size(), kMaxToleranceRows);
  const ToleranceFrame many_fields = LayOutTolerance(fields, 1, 0.25);
  EXPECT_LE(many_fields.texts.size(), kMaxToleranceFields);
  // Braces nested past the bound are text; codes without their end are text too.
  EXPECT_EQ(LayOutTolerance(braces + "j", 1, 0).texts.size(), 1u);
  EXPECT_EQ(LayOutTolerance("\\Fgdt", 1, 0).texts[0].text, "\\Fgdt");
  EXPECT_EQ(LayOutTolerance("\\U+12", 1, 0).texts[0].text, "\\U+12");
  // Codes without their end, a field full of them, read in one pass.
  EXPECT_EQ(LayOutTolerance(std::string(1 << 16, '\\'), 1, 0).texts.size(), 1u);

  // Heights that draw nothing: the entity is passed over, the next one drawn.
  for (const char* height : {"0", "-2", "nan", "1e400"}) {
    SCOPED_TRACE(height);
    auto context = FreshContext();
    const std::string dxf =
        "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nDIMSTYLE\n  0\nDIMSTYLE\n  2\nBAD\n140\n" +
        std::string(height) +
        "\n  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
        "  0\nTOLERANCE\n  3\nBAD\n  1\nX\n  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"
        "  0\nENDSEC\n  0\nEOF\n";
    const auto items = DinItems(ToDin(context, TConversionSettings{}, dxf));
    EXPECT_LE(English(context.passed_over)["TOLERANCE"], 1);
    EXPECT_TRUE(HasLine(items, {0, 0}, {1, 1}));
  }
}

}  // namespace
}  // namespace dxfdin
