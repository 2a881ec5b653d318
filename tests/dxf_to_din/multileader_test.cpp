// Multileaders: leader lines from their arrowheads to the landing, the content (a text, or a
// block with its attributes), and bounds on what a hostile entity holds. Real drawings'
// multileaders are checked against ezdxf by check_geometry.py and check_texts.py.
#include "dxf_to_din/multileader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "io/text_input.h"
#include "support/convert.h"
#include "support/din_items.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::DinItem;
using testing::DinItems;
using testing::DinPoint;
using testing::FreshContext;
using testing::ItemsAt;
using testing::Near;
using testing::TextItem;
using testing::ToDin;

// A leader of one line through `vertices` ("x y" each), ending at `last`, its landing along
// `dogleg` `length` long; `extra` groups after the vertices of the line.
std::string LeaderSection(const std::vector<std::string>& vertices, const std::string& last,
                          const std::string& dogleg = "1 0", double length = 4,
                          const std::string& extra = "", const std::string& leader_extra = "") {
  const auto point = [](int code, const std::string& xy) {
    const std::size_t blank = xy.find(' ');
    return std::to_string(code) + "\n" + xy.substr(0, blank) + "\n" + std::to_string(code + 10) +
           "\n" + xy.substr(blank + 1) + "\n" + std::to_string(code + 20) + "\n0\n";
  };
  std::string s = "302\nLEADER{\n290\n1\n291\n1\n" + point(10, last) + point(11, dogleg) +
                  " 90\n0\n 40\n" + std::to_string(length) + "\n" + leader_extra +
                  "304\nLEADER_LINE{\n";
  for (const std::string& v : vertices) s += point(10, v);
  return s + extra + " 91\n0\n305\n}\n303\n}\n";
}

// A multileader with text content "NOTE" at (20, 10), 2 high, arrowheads 3 long.
std::string TextMultileader(const std::string& leaders, const std::string& own = "",
                            const std::string& context = "") {
  return "  0\nMULTILEADER\n  5\n99\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbMLeader\n"
         "270\n2\n300\nCONTEXT_DATA{\n 40\n1\n 10\n0\n 20\n0\n 30\n0\n 41\n2\n140\n3\n145\n2\n"
         "290\n1\n304\nNOTE\n 11\n0\n 21\n0\n 31\n1\n 12\n20\n 22\n10\n 32\n0\n 13\n1\n 23\n0\n"
         " 33\n0\n 43\n0\n 45\n1\n171\n1\n296\n0\n" +
         context + leaders + "301\n}\n340\n12E\n 90\n0\n170\n1\n 91\n-1056964608\n290\n1\n" + own +
         " 42\n3\n172\n2\n";
}

// `text` with the first `from` in it replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string Drawing(const std::string& entities, const std::string& tables = "",
                    const std::string& blocks = "") {
  return "  0\nSECTION\n  2\nTABLES\n" + tables + "  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n" +
         blocks + "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" + entities +
         "  0\nENDSEC\n  0\nEOF\n";
}

std::vector<DinItem> Convert(const std::string& dxf, TConversionContext& context) {
  return DinItems(ToDin(context, TConversionSettings{}, dxf));
}

std::vector<DinItem> Convert(const std::string& dxf) {
  auto context = FreshContext();
  return Convert(dxf, context);
}

// The chains of the items.
std::vector<std::vector<DinPoint>> Chains(const std::vector<DinItem>& items) {
  std::vector<std::vector<DinPoint>> chains;
  for (const DinItem& item : items) {
    if (item.kind == 2) chains.push_back(item.points);
  }
  return chains;
}

bool SameChain(const std::vector<DinPoint>& chain, const std::vector<DinPoint>& expected) {
  if (chain.size() != expected.size()) return false;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    if (!Near(chain[i], expected[i])) return false;
  }
  return true;
}

bool HasChain(const std::vector<DinItem>& items, const std::vector<DinPoint>& expected) {
  for (const auto& chain : Chains(items)) {
    if (SameChain(chain, expected)) return true;
  }
  return false;
}

TEST(Multileader, LeaderLinesArrowheadsLandingsAndText) {
  // One line from (0, 0) by (6, 8) to the leader's end (10, 8): its direction (0.6, 0.8),
  // the arrowhead 3 long, the line starting where it ends, at (1.8, 2.4).
  const std::vector<std::string> line = {"0 0", "6 8"};
  // The closed filled arrowhead: a triangle 3 long, a sixth of that either side, across
  // (-0.8, 0.6).
  const std::vector<DinPoint> arrow = {{0, 0}, {1.4, 2.7}, {2.2, 2.1}, {0, 0}};
  struct Case {
    const char* what;
    std::string own, leader_extra;
    std::vector<DinPoint> chain;
  };
  const Case cases[] = {
      {"a landing from the leader's end, 4 long",
       "291\n1\n",
       "",
       {{1.8, 2.4}, {6, 8}, {10, 8}, {14, 8}}},
      {"no dog-leg: the line runs on to the landing's end",
       "291\n0\n",
       "",
       {{1.8, 2.4}, {6, 8}, {14, 8}}},
      {"attached at the top of the text: no landing",
       "291\n1\n",
       "271\n1\n",
       {{1.8, 2.4}, {6, 8}, {10, 8}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto items = Convert(
        Drawing(TextMultileader(LeaderSection(line, "10 8", "1 0", 4, "", c.leader_extra), c.own)));
    EXPECT_TRUE(HasChain(items, c.chain));
    EXPECT_TRUE(HasChain(items, arrow));
    EXPECT_EQ(Chains(items).size(), 2u);
    // The text as an MTEXT attached at its top left: its first base line a height below.
    const DinItem* text = TextItem(items, "NOTE");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(Near(text->points[0], {20, 8}, 1e-4));
  }
}

TEST(Multileader, SplineLeadersNoLeadersAndNamesOfTheEntity) {
  const std::string leader = LeaderSection({"0 0", "6 8"}, "10 8");
  // A spline leader: a curve from the arrowhead's end to the landing's end, no landing.
  auto items = Convert(Drawing(Replaced(TextMultileader(leader), "170\n1\n", "170\n2\n")));
  const auto chains = Chains(items);
  ASSERT_EQ(chains.size(), 2u);
  const auto& curve =
      SameChain(chains[0], {{0, 0}, {1.4, 2.7}, {2.2, 2.1}, {0, 0}}) ? chains[1] : chains[0];
  EXPECT_GT(curve.size(), 8u);
  EXPECT_TRUE(Near(curve.front(), {1.8, 2.4}));
  EXPECT_TRUE(Near(curve.back(), {14, 8}));
  // Through the line's vertex (6, 8), within the chords' reach.
  double nearest = 1e9;
  for (std::size_t i = 1; i < curve.size(); ++i) {
    const double dx = curve[i][0] - curve[i - 1][0], dy = curve[i][1] - curve[i - 1][1];
    const double t = std::clamp(
        ((6 - curve[i - 1][0]) * dx + (8 - curve[i - 1][1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    nearest =
        std::min(nearest, std::hypot(curve[i - 1][0] + t * dx - 6, curve[i - 1][1] + t * dy - 8));
  }
  EXPECT_LT(nearest, 1e-2);

  // Leader type 0: no lines and no arrowheads, only the content.
  items = Convert(Drawing(Replaced(TextMultileader(leader), "170\n1\n", "170\n0\n")));
  EXPECT_TRUE(Chains(items).empty());
  EXPECT_NE(TextItem(items, "NOTE"), nullptr);

  // MLEADER is the same entity.
  auto context = FreshContext();
  items = Convert(Drawing(Replaced(TextMultileader(leader), "MULTILEADER", "MLEADER")), context);
  EXPECT_EQ(Chains(items).size(), 2u);
  EXPECT_TRUE(context.passed_over.empty());

  // A scale of nothing draws nothing, and is passed over.
  context = FreshContext();
  items = Convert(Drawing(Replaced(TextMultileader(leader), " 40\n1\n", " 40\n0\n")), context);
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(English(context.passed_over)["MULTILEADER"], 1);
}

// Tables with block records "1A" (TAG) and "2B" (_BOXFILLED).
const std::string kBlockRecords =
    "  0\nTABLE\n  2\nBLOCK_RECORD\n  0\nBLOCK_RECORD\n  5\n1A\n  2\nTAG\n"
    "  0\nBLOCK_RECORD\n  5\n2B\n  2\n_BoxFilled\n  0\nENDTAB\n";
// TAG: a line (0, 0) to (2, 0), an attribute definition (handle 1C) at (1, 1), 0.5 high,
// with an embedded text of its own elsewhere; an invisible one (1D) and a constant one (1E).
// _BOXFILLED: a line (-0.5, 0) to (-1, 0).
const std::string kBlocks =
    "  0\nBLOCK\n  2\nTAG\n 10\n0\n 20\n0\n 30\n0\n"
    "  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n2\n 21\n0\n"
    "  0\nATTDEF\n  5\n1C\n  8\n0\n 10\n1\n 20\n1\n 40\n0.5\n  1\n\n  2\nNO\n  3\nNo.\n 70\n0\n"
    "101\nEmbedded Object\n 10\n99\n 20\n99\n 40\n9\n"
    "  0\nATTDEF\n  5\n1D\n  8\n0\n 10\n1\n 20\n3\n 40\n0.5\n  1\n\n  2\nHID\n 70\n1\n"
    "  0\nATTDEF\n  5\n1E\n  8\n0\n 10\n1\n 20\n5\n 40\n0.5\n  1\nFIX\n  2\nFIX\n 70\n2\n"
    "  0\nENDBLK\n"
    "  0\nBLOCK\n  2\n_BoxFilled\n 10\n0\n 20\n0\n"
    "  0\nLINE\n  8\n0\n 10\n-0.5\n 20\n0\n 11\n-1\n 21\n0\n  0\nENDBLK\n";

TEST(Multileader, BlockContentWithItsAttributeValues) {
  // The block TAG at (50, 50), doubled, turned a quarter; values for 1C and 1D.
  const std::string block_content =
      "  0\nMULTILEADER\n  8\n0\n300\nCONTEXT_DATA{\n 40\n1\n 41\n2\n140\n3\n290\n0\n296\n1\n"
      "341\n1A\n 14\n0\n 24\n0\n 34\n1\n 15\n50\n 25\n50\n 35\n0\n 16\n2\n 26\n2\n 36\n2\n"
      " 46\n1.5707963267948966\n 93\n-1056964608\n" +
      LeaderSection({"40 40"}, "47 50", "1 0", 1) +
      "301\n}\n170\n1\n291\n1\n330\n1C\n177\n1\n 44\n0\n302\nA-7\n"
      "330\n1D\n177\n2\n 44\n0\n302\nhidden\n";
  const auto items = Convert(Drawing(block_content, kBlockRecords, kBlocks));
  // The block's line from (50, 50) up 4.
  EXPECT_TRUE(HasChain(items, {{50, 50}, {50, 54}}));
  // The value of 1C at (1, 1) of the block: doubled and turned, (48, 52); the invisible
  // one's value not shown; the constant definition drawn with the block.
  const DinItem* value = TextItem(items, "A-7");
  ASSERT_NE(value, nullptr);
  EXPECT_TRUE(Near(value->points[0], {48, 52}, 1e-4));
  EXPECT_EQ(TextItem(items, "hidden"), nullptr);
  EXPECT_NE(TextItem(items, "FIX"), nullptr);
  // The leader from (40, 40) to (47, 50), its landing 1 long, to (48, 50).
  int leaders = 0;
  for (const auto& chain : Chains(items)) {
    if (chain.size() == 3 && Near(chain[1], {47, 50}) && Near(chain[2], {48, 50})) ++leaders;
  }
  EXPECT_EQ(leaders, 1);
}

TEST(Multileader, ArrowheadsNamedByBlock) {
  // Line (0, 0) to (6, 8), arrowheads 3 long. The entity's arrowhead is _BoxFilled, drawn
  // from its block; the second line's, by its index, _None: the line starts at its tip.
  const std::string lines =
      LeaderSection({"0 0", "6 8"}, "10 8") +
      Replaced(LeaderSection({"20 0", "26 8"}, "30 8"), " 91\n0\n", " 91\n7\n");
  const std::string entity = TextMultileader(lines, "342\n2B\n 94\n7\n345\n3C\n");
  const std::string records = kBlockRecords.substr(0, kBlockRecords.find("  0\nENDTAB")) +
                              "  0\nBLOCK_RECORD\n  5\n3C\n  2\n_None\n  0\nENDTAB\n";
  const std::string blocks = kBlocks + "  0\nBLOCK\n  2\n_None\n 10\n0\n 20\n0\n  0\nENDBLK\n";
  const auto items = Convert(Drawing(entity, records, blocks));
  // The box arrow's tail: (-0.5, 0) to (-1, 0) of the block, 3 times, turned to point
  // back along the line: (0.9, 1.2) to (1.8, 2.4).
  EXPECT_TRUE(HasChain(items, {{0.9, 1.2}, {1.8, 2.4}}));
  EXPECT_TRUE(HasChain(items, {{1.8, 2.4}, {6, 8}, {10, 8}, {14, 8}}));
  EXPECT_TRUE(HasChain(items, {{20, 0}, {26, 8}, {30, 8}, {34, 8}}));
  EXPECT_EQ(ItemsAt(items, 2, {1.4, 2.7}), 0);  // no closed filled triangle
}

TEST(Multileader, UnderlinedAndOverlinedTexts) {
  const std::string line = LeaderSection({"0 0", "6 8"}, "10 8");
  // Left attachment 6: the top line underlined from the landing's end, as wide as the text
  // (4 characters, 2 high) and the landing gap (2).
  auto items = Convert(Drawing(TextMultileader(line, "173\n6\n 95\n1\n")));
  EXPECT_TRUE(HasChain(items, {{14, 8}, {24, 8}}));
  items = Convert(Drawing(TextMultileader(line, "173\n1\n 95\n6\n")));
  EXPECT_EQ(Chains(items).size(), 2u);  // the landing comes from the left: no underline
  // Attached below the text (its point above the leader's end) with an overline: 8 long,
  // centred on the leader's end.
  items = Convert(Drawing(TextMultileader(
      LeaderSection({"0 0", "6 8"}, "10 8", "1 0", 4, "", "271\n1\n"), "272\n10\n273\n9\n")));
  EXPECT_TRUE(HasChain(items, {{6, 8}, {14, 8}}));
}

TEST(Multileader, ColoursOfTheParts) {
  // The reader's own output: the text in index colour 3, the leader BYLAYER (0xC0...), a
  // line of its own colour 1; a BYBLOCK part takes the entity's (0).
  const std::string entity =
      TextMultileader(LeaderSection({"0 0", "6 8"}, "10 8") +
                          LeaderSection({"0 0", "6 8"}, "10 8", "1 0", 4, " 92\n-1023410175\n"),
                      "", " 90\n-1023410173\n");
  const std::string groups =
      Replaced(entity.substr(entity.find("  5\n99")), " 91\n-1056964608", " 91\n-1073741824");
  auto in = TextInput::FromString(groups + "  0\nEOF\n");
  auto context = FreshContext();
  context.dxf_in = in.get();
  BlockTable blocks;
  EntityText out;
  ReadMultileader(context, blocks, out);
  const std::string& written = out.Groups();
  EXPECT_NE(written.find("0\nMTEXT\n8\n0\n6\nBYBLOCK\n62\n3\n"), std::string::npos);
  EXPECT_NE(written.find("62\n256\n"), std::string::npos);
  EXPECT_NE(written.find("62\n1\n"), std::string::npos);
  EXPECT_EQ(context.group_code, 0);
}

TEST(Multileader, HostileCountsAndValuesAreBounded) {
  // Endless leaders, lines and vertices; sections that never end; values out of range.
  std::string many;
  for (int i = 0; i < 3000; ++i) many += "302\nLEADER{\n304\nLEADER_LINE{\n305\n}\n303\n}\n";
  std::string vertices = "302\nLEADER{\n 10\n1\n 20\n1\n304\nLEADER_LINE{\n";
  for (int i = 0; i < 70000; ++i) vertices += " 10\n" + std::to_string(i % 100) + "\n 20\n1\n";
  vertices += "305\n}\n303\n}\n";
  std::string codes;
  for (int i = 0; i < 30000; ++i) codes += "\\A";
  std::string attributes;
  for (int i = 0; i < 1000; ++i) attributes += "330\n1C\n302\nv\n";
  const std::string cases[] = {
      TextMultileader(many),
      TextMultileader(vertices),
      TextMultileader("302\nLEADER{\n304\nLEADER_LINE{\n 10\n1\n 20\n2\n"),  // no end
      TextMultileader(LeaderSection({"0 0", "1e308 1e308"}, "nan 8")),
      TextMultileader(LeaderSection({"0 0", "6 8"}, "10 8"), "", "140\n1e300\n 41\n-5\n"),
      // An underlined text of codes without their end, measured in one pass.
      Replaced(TextMultileader(LeaderSection({"0 0", "6 8"}, "10 8"), "173\n6\n"), "NOTE", codes),
      "  0\nMULTILEADER\n300\nCONTEXT_DATA{\n296\n1\n341\n1A\n 16\n1e300\n301\n}\n" + attributes,
      "  0\nMULTILEADER\n300\n300\n301\n301\n302\n302\n304\n305\n",
  };
  for (const std::string& entity : cases) {
    auto context = FreshContext();
    const std::string dxf = Drawing(entity + "  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n",
                                    kBlockRecords, kBlocks);
    const auto items = Convert(dxf, context);
    // The entity after it is read as ever.
    EXPECT_TRUE(HasChain(items, {{0, 0}, {1, 1}}));
    std::size_t points = 0;
    for (const DinItem& item : items) points += item.points.size();
    EXPECT_LE(points, kMaxMultileaderVertices + 1000);
  }
}

}  // namespace
}  // namespace dxfdin
