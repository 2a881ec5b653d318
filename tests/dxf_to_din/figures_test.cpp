// POINTs drawn as the figure of the drawing's point style, and the simple entities that such
// figures, multileaders and the like are drawn through.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dxf_to_din/entity_text.h"
#include "dxf_to_din/figure_translators.h"
#include "support/convert.h"
#include "support/din_items.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::DinItems;
using testing::FreshContext;
using testing::HasSegment;
using testing::ToDin;

std::string Drawing(const std::string& header, const std::string& tables,
                    const std::string& entities) {
  return "  0\nSECTION\n  2\nHEADER\n" + header + "  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n" +
         tables + "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" + entities +
         "  0\nENDSEC\n  0\nEOF\n";
}

std::string PointStyle(int mode, const std::string& size) {
  return "  9\n$PDMODE\n 70\n" + std::to_string(mode) + "\n  9\n$PDSIZE\n 40\n" + size + "\n";
}

const std::string kPoint = "  0\nPOINT\n  8\nP\n 10\n10\n 20\n20\n 30\n0\n";

TEST(Points, EachModeDrawsItsFigure) {
  struct Case {
    int mode;
    int chains, arcs;  // items written
  };
  // Size 2 about (10, 20): the plus and the x reach the size each way, the tick, the square
  // and the circle half of it.
  for (const Case& c : {Case{0, 0, 0}, Case{1, 0, 0}, Case{2, 2, 0}, Case{3, 2, 0}, Case{4, 1, 0},
                        Case{32, 0, 1}, Case{33, 0, 1}, Case{34, 2, 1}, Case{64, 1, 0},
                        Case{66, 3, 0}, Case{99, 3, 1}, Case{7, 0, 0}}) {
    SCOPED_TRACE(c.mode);
    auto context = FreshContext();
    const auto items = DinItems(ToDin(context, {}, Drawing(PointStyle(c.mode, "2"), "", kPoint)));
    int chains = 0, arcs = 0;
    for (const auto& item : items) (item.kind == 2 ? chains : arcs) += 1;
    EXPECT_EQ(chains, c.chains);
    EXPECT_EQ(arcs, c.arcs);
    // A point that shows nothing is passed over, as before.
    EXPECT_EQ(English(context.passed_over).count("POINT"), items.empty() ? 1u : 0u);
    if (c.mode % 32 == 2) {
      EXPECT_TRUE(HasSegment(items, {8, 20}, {12, 20}));
      EXPECT_TRUE(HasSegment(items, {10, 18}, {10, 22}));
    }
    if (c.mode % 32 == 3) {
      EXPECT_TRUE(HasSegment(items, {8, 18}, {12, 22}));
      EXPECT_TRUE(HasSegment(items, {8, 22}, {12, 18}));
    }
    if (c.mode == 4) {
      EXPECT_TRUE(HasSegment(items, {10, 20}, {10, 21}));
    }
    if (c.mode & 64) {
      EXPECT_TRUE(HasSegment(items, {9, 19}, {11, 19}));
      EXPECT_TRUE(HasSegment(items, {9, 21}, {9, 19}));
    }
    if (c.mode & 32) {
      EXPECT_NEAR(items.back().radius, 1, 1e-9);
      EXPECT_NEAR(items.back().points[3][0], 10, 1e-9);
      EXPECT_NEAR(items.back().points[3][1], 20, 1e-9);
    }
  }
}

TEST(Points, FiguresTurnWithThePointAndItsBlockAndSkipDefinitionPoints) {
  auto context = FreshContext();
  // A tick turned a quarter clockwise lies along +x; on DEFPOINTS (any case) nothing is drawn.
  auto items = DinItems(
      ToDin(context, {},
            Drawing(PointStyle(4, "2"), "",
                    kPoint + " 50\n90\n" + "  0\nPOINT\n  8\ndefpoints\n 10\n0\n 20\n0\n")));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_TRUE(HasSegment(items, {10, 20}, {11, 20}));
  EXPECT_EQ(English(context.passed_over)["POINT"], 1);

  // In a block inserted at (100, 0), doubled: the figure is placed and scaled with the block.
  context = FreshContext();
  const std::string blocks = "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n" +
                             kPoint + "  0\nENDBLK\n  0\nENDSEC\n";
  const std::string dxf = "  0\nSECTION\n  2\nHEADER\n" + PointStyle(2, "1") + "  0\nENDSEC\n" +
                          blocks + "  0\nSECTION\n  2\nENTITIES\n  0\nINSERT\n  2\nB\n 10\n100\n" +
                          " 20\n0\n 41\n2\n 42\n2\n  0\nENDSEC\n  0\nEOF\n";
  items = DinItems(ToDin(context, {}, dxf));
  EXPECT_TRUE(HasSegment(items, {118, 40}, {122, 40}));
}

TEST(Points, HiddenPointsAreCountedOnceAndKeepTheirLayersClass) {
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.ss_l_c[0] = "P";
  settings.n_l_c[0] = 9;
  auto context = FreshContext();
  const std::string layers =
      "  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\nOFF\n 62\n-1\n  0\nLAYER\n  2\nP\n 62\n1\n"
      "  0\nENDTAB\n";
  const std::string din = ToDin(
      context, settings,
      Drawing(PointStyle(66, "2"), layers, kPoint + "  0\nPOINT\n  8\nOFF\n 10\n0\n 20\n0\n"));
  EXPECT_EQ(context.item_count, 3);
  EXPECT_NE(din.find("ITEM  2   9"), std::string::npos);
  int hidden = 0;
  for (const auto& [kind, count] : context.passed_over) hidden += static_cast<int>(count);
  EXPECT_EQ(hidden, 1);
}

TEST(Points, SizeFromTheHeaderTheExtentsOrTheView) {
  struct Case {
    double pdsize, drawing_height, view_height, size;
  };
  for (const Case& c :
       {Case{3, 100, 50, 3}, Case{0, 100, 50, 5}, Case{0, NAN, 50, 2.5}, Case{0, -1, 0, 1},
        Case{-10, 100, 50, 5}, Case{-10, 100, NAN, 10}, Case{-10, NAN, NAN, 1},
        Case{INFINITY, 100, 50, 1}, Case{-1e308, 1e308, 1e308, 1}}) {
    EXPECT_DOUBLE_EQ(PointFigureSize(c.pdsize, c.drawing_height, c.view_height), c.size)
        << c.pdsize << " " << c.drawing_height << " " << c.view_height;
  }
  // Read from the drawing: 5% of $EXTMIN..$EXTMAX's height; a percentage of *ACTIVE's view.
  auto context = FreshContext();
  const std::string extents = "  9\n$EXTMIN\n 10\n0\n 20\n-40\n  9\n$EXTMAX\n 10\n9\n 20\n60\n";
  auto items = DinItems(ToDin(context, {}, Drawing(PointStyle(2, "0") + extents, "", kPoint)));
  EXPECT_TRUE(HasSegment(items, {5, 20}, {15, 20}));
  const std::string view =
      "  0\nTABLE\n  2\nVPORT\n  0\nVPORT\n  2\n*Active\n 40\n200\n  0\nENDTAB\n";
  items = DinItems(ToDin(context, {}, Drawing(PointStyle(2, "-1") + extents, view, kPoint)));
  EXPECT_TRUE(HasSegment(items, {8, 20}, {12, 20}));
}

TEST(EntityText, EntitiesStayWithinTheirGroupsAndTheBound) {
  EntityText text;
  // A text's line ends would start groups of their own.
  text.Text({0, 0, 0}, 1, 0, "two\nlines\r");
  EXPECT_NE(text.Groups().find("\n1\ntwo lines \n"), std::string::npos);
  EXPECT_EQ(text.Entities(), 1u);
  // A long MTEXT in pieces of 250 bytes.
  text.Mtext({0, 0, 0}, 1, {1, 0, 0}, 1, std::string(600, 'm'));
  EXPECT_NE(text.Groups().find("\n3\n" + std::string(250, 'm') + "\n"), std::string::npos);
  EXPECT_NE(text.Groups().find("\n1\n" + std::string(100, 'm') + "\n"), std::string::npos);
  // Past the bound, nothing more is written, and the cut is known.
  while (!text.Cut()) text.Line({0, 0, 0}, {1, 1, 0});
  EXPECT_LE(text.Groups().size(), EntityText::kMaxBytes);
  const std::size_t size = text.Groups().size();
  text.Chain(std::vector<Point3>(1000, Point3{1, 2, 3}), true);
  EXPECT_EQ(text.Groups().size(), size);
}

}  // namespace
}  // namespace dxfdin
