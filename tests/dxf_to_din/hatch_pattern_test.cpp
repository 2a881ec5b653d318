// Hatch patterns: the lines of each family cut by the boundary loops and dashed, worked out by
// hand; the island styles and what a hatch draws instead of its boundary; the bounds of a
// hostile pattern. The patterns of real drawings against ezdxf's are checked by
// check_geometry.py.
#include "dxf_to_din/hatch_pattern.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/convert.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ToDin;

using Pieces = std::vector<PatternPiece>;

Pieces Drawn(const std::vector<PatternFamily>& families, const std::vector<Loop>& loops,
             PatternOutcome expected = PatternOutcome::kDrawn) {
  Pieces pieces;
  std::int64_t work = 0;
  EXPECT_EQ(DrawPattern(families, loops, work,
                        [&](const PatternPiece& piece) {
                          pieces.push_back(piece);
                          return true;
                        }),
            expected);
  return pieces;
}

Loop Square(double low, double high) {
  return {{low, low, 0}, {high, low, 0}, {high, high, 0}, {low, high, 0}};
}

// Horizontal lines through (base_x, base_y), `spacing` apart.
PatternFamily Horizontal(double base_x, double base_y, double spacing,
                         std::vector<double> dashes = {}) {
  return {0, base_x, base_y, 0, spacing, std::move(dashes)};
}

// The pieces to a billionth (the cosine of 90 degrees is not quite 0).
std::string Text(const Pieces& pieces) {
  const auto round = [](double v) { return std::round(v * 1e9) / 1e9 + 0.0; };
  std::string text;
  for (const PatternPiece& p : pieces) {
    char line[96];
    std::snprintf(line, sizeof line, "(%g %g)-(%g %g) ", round(p.ax), round(p.ay), round(p.bx),
                  round(p.by));
    text += line;
  }
  return text;
}

TEST(HatchPattern, LinesCutByTheLoopsAndDashed) {
  struct Case {
    const char* what;
    std::vector<PatternFamily> families;
    std::vector<Loop> loops;
    const char* pieces;
  };
  // Clockwise or not, a loop is a loop; a circle of two half-turn arcs is cut exactly.
  const Loop hole = {{3, 3, 0}, {3, 7, 0}, {7, 7, 0}, {7, 3, 0}};
  const Loop circle = {{-5, 0, 1}, {5, 0, 1}};
  const Case cases[] = {
      {"a square with a hole",
       {Horizontal(0, 0.5, 2)},
       {Square(0, 10), hole},
       "(0 0.5)-(10 0.5) (0 2.5)-(10 2.5) (0 4.5)-(3 4.5) (7 4.5)-(10 4.5) (0 6.5)-(3 6.5) "
       "(7 6.5)-(10 6.5) (0 8.5)-(10 8.5) "},
      // Dash 2, gap 1, dot, gap 1, from x = 0.5 on: the last dash is cut at the boundary.
      {"dashes and dots",
       {Horizontal(0.5, 5, 100, {2, -1, 0, -1})},
       {Square(0, 10)},
       "(0.5 5)-(2.5 5) (3.5 5)-(3.5 5) (4.5 5)-(6.5 5) (7.5 5)-(7.5 5) (8.5 5)-(10 5) "},
      // An offset that moves along the lines too moves each line's dashes by as much.
      {"an offset along the lines",
       {{0, 0, 1, 1, 4, {1, -1}}},
       {Square(0, 6)},
       "(0 1)-(1 1) (2 1)-(3 1) (4 1)-(5 1) (1 5)-(2 5) (3 5)-(4 5) (5 5)-(6 5) "},
      // Lines at 90 degrees run upwards; the spacing is across them, to the left: the lines
      // come from right to left.
      {"upright lines",
       {{90, 0.5, 0, -4, 0, {}}},
       {Square(0, 10)},
       "(8.5 0)-(8.5 10) (4.5 0)-(4.5 10) (0.5 0)-(0.5 10) "},
      // A line through a vertex the loop passes is cut there once; through the vertices where
      // the loop turns back, it draws nothing.
      {"a circle of arcs",
       {Horizontal(0, 0, 3), Horizontal(0, -4, 9)},
       {circle},
       "(-4 -3)-(4 -3) (-5 0)-(5 0) (-4 3)-(4 3) (-3 -4)-(3 -4) "},
      {"a diamond's corners",
       {Horizontal(0, 0, 1), {90, 0, 0, -1, 0, {}}},
       {{{0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}}},
       "(-1 0)-(1 0) (0 -1)-(0 1) "},
      // Lines of no spacing draw nothing; nor does a dot pattern of no length stop a line.
      {"no spacing",
       {{0, 0, 0, 5, 0, {}}, Horizontal(0, 5, 100, {0})},
       {Square(0, 10)},
       "(0 5)-(10 5) "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(Drawn(c.families, c.loops)), c.pieces) << c.what;
  }
}

TEST(HatchPattern, DensePatternsAreBounded) {
  // A spacing of a millionth over a boundary a thousand wide: a billion lines.
  EXPECT_TRUE(
      Drawn({Horizontal(0, 0, 1e-6)}, {Square(0, 1000)}, PatternOutcome::kTooDense).empty());
  // Many boundary edges, each crossing every line.
  Loop saw;
  for (int i = 0; i < 20000; ++i) saw.push_back({i * 0.01, i % 2 ? 500.0 : 0.0, 0});
  EXPECT_TRUE(Drawn({Horizontal(0, 0.5, 1)}, {saw}, PatternOutcome::kTooDense).empty());
  // Dashes of a thousandth on a thousand lines a thousand long: the first million are drawn.
  const Pieces cut =
      Drawn({Horizontal(0, 0.5, 1, {0.001, -0.001})}, {Square(0, 1000)}, PatternOutcome::kCut);
  EXPECT_GT(cut.size(), 400000u);
  EXPECT_LE(cut.size(), static_cast<std::size_t>(kMaxPatternPieces));
  // Too many families, or positions far out of range.
  EXPECT_TRUE(Drawn(std::vector<PatternFamily>(kMaxPatternFamilies + 1, Horizontal(0, 0, 1)),
                    {Square(0, 1)}, PatternOutcome::kTooDense)
                  .empty());
  EXPECT_TRUE(Drawn({Horizontal(0, 0, 1)}, {{{0, 0, 0}, {1e300, 1e300, 0}, {0, NAN, 0}}},
                    PatternOutcome::kTooDense)
                  .empty());
  EXPECT_TRUE(Drawn({Horizontal(0, 0, 1e-300)}, {Square(0, 1)}, PatternOutcome::kTooDense).empty());
  // The caller stops it.
  std::int64_t work = 0;
  int given = 0;
  EXPECT_EQ(DrawPattern({Horizontal(0, 0.5, 1)}, {Square(0, 10)}, work,
                        [&](const PatternPiece&) { return ++given < 3; }),
            PatternOutcome::kStopped);
  EXPECT_EQ(given, 3);
  EXPECT_GT(work, 0);
}

// A HATCH of polyline paths (flags, points) with the given fill, style and pattern groups.
std::string Hatch(int solid, int style, const std::vector<std::pair<int, Loop>>& paths,
                  const std::string& pattern) {
  std::string dxf =
      "  0\nSECTION\n  2\nENTITIES\n  0\nHATCH\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n"
      "  2\nP\n 70\n" +
      std::to_string(solid) + "\n 71\n0\n 91\n" + std::to_string(paths.size()) + "\n";
  for (const auto& [flags, loop] : paths) {
    dxf += " 92\n" + std::to_string(flags | 2) + "\n 72\n0\n 73\n1\n 93\n" +
           std::to_string(loop.size()) + "\n";
    for (const LoopVertex& v : loop) {
      dxf += " 10\n" + std::to_string(v.x) + "\n 20\n" + std::to_string(v.y) + "\n";
    }
    dxf += " 97\n0\n";
  }
  return dxf + " 75\n" + std::to_string(style) + "\n 76\n1\n" + pattern +
         " 98\n0\n  0\nENDSEC\n  0\nEOF\n";
}

// A horizontal line through (0, 5) a hundred apart.
const char kOneLine[] = " 78\n1\n 53\n0\n 43\n0\n 44\n5\n 45\n0\n 46\n100\n 79\n0\n";

// The points of each item of a DIN file, "x y" each.
std::vector<std::vector<std::string>> ItemPoints(const std::string& din) {
  std::vector<std::vector<std::string>> items;
  std::size_t at = 0;
  while ((at = din.find("  SR  ", at)) != std::string::npos) {
    const int record = std::atoi(din.c_str() + at + 6);
    at = din.find('\n', at) + 1;
    if (record != 3 && record != 4) continue;
    if (record == 3) items.emplace_back();
    double x = 0, y = 0;
    std::sscanf(din.c_str() + at, "%lf %lf", &x, &y);
    char point[64];
    std::snprintf(point, sizeof point, "%g %g", x, y);
    items.back().push_back(point);
  }
  return items;
}

using Items = std::vector<std::vector<std::string>>;

TEST(HatchPattern, HatchesDrawTheirPatternInsteadOfTheirBoundary) {
  // Nested loops: external (flag 1), outermost (16), and an island inside that.
  const std::vector<std::pair<int, Loop>> nested = {
      {1, Square(0, 10)}, {16, Square(2, 8)}, {0, Square(4, 6)}};
  struct Case {
    const char* what;
    int solid, style;
    std::string pattern;
    Items items;
  };
  const Case cases[] = {
      {"style 0: every loop an island",
       0,
       0,
       kOneLine,
       {{"0 5", "2 5"}, {"4 5", "6 5"}, {"8 5", "10 5"}}},
      {"style 1: the outermost only", 0, 1, kOneLine, {{"0 5", "2 5"}, {"8 5", "10 5"}}},
      {"style 2: islands ignored", 0, 2, kOneLine, {{"0 5", "10 5"}}},
      // A solid fill, or a pattern without lines, draws its boundary as it always did.
      {"solid",
       1,
       0,
       kOneLine,
       {{"0 0", "10 0", "10 10", "0 10", "0 0"},
        {"2 2", "8 2", "8 8", "2 8", "2 2"},
        {"4 4", "6 4", "6 6", "4 6", "4 4"}}},
      {"no pattern lines",
       0,
       2,
       " 78\n0\n",
       {{"0 0", "10 0", "10 10", "0 10", "0 0"},
        {"2 2", "8 2", "8 8", "2 8", "2 2"},
        {"4 4", "6 4", "6 6", "4 6", "4 4"}}},
  };
  for (const Case& c : cases) {
    auto context = FreshContext();
    const std::string din = ToDin(context, {}, Hatch(c.solid, c.style, nested, c.pattern));
    EXPECT_EQ(ItemPoints(din), c.items) << c.what;
    EXPECT_TRUE(context.passed_over.empty()) << c.what;
  }
  // An edge path's edges are joined where their ends meet, whichever way each runs, and a
  // gap is bridged: the square below is one loop, cut once on each side.
  const std::string edges =
      "  0\nSECTION\n  2\nENTITIES\n  0\nHATCH\n 10\n0\n 20\n0\n 30\n0\n 70\n0\n"
      " 91\n1\n 92\n1\n 93\n4\n"
      " 72\n1\n 10\n0\n 20\n0\n 11\n10\n 21\n0\n"
      " 72\n1\n 10\n10\n 20\n10\n 11\n10\n 21\n0\n"
      " 72\n1\n 10\n0\n 20\n0\n 11\n0\n 21\n10\n"
      " 72\n1\n 10\n9\n 20\n10\n 11\n0\n 21\n10\n"
      " 97\n0\n 75\n0\n 76\n1\n" +
      std::string(kOneLine) + " 98\n0\n  0\nENDSEC\n  0\nEOF\n";
  auto joined = FreshContext();
  EXPECT_EQ(ItemPoints(ToDin(joined, {}, edges)), (Items{{"0 5", "10 5"}}));
  // A pattern too dense to draw leaves the boundary to show where the hatch is, and says so.
  auto context = FreshContext();
  const std::string din =
      ToDin(context, {},
            Hatch(0, 0, {{1, Square(0, 1000)}},
                  " 78\n1\n 53\n0\n 43\n0\n 44\n0\n 45\n0\n 46\n1e-6\n 79\n0\n"));
  EXPECT_EQ(ItemPoints(din), (Items{{"0 0", "1000 0", "1000 1000", "0 1000", "0 0"}}));
  EXPECT_EQ(context.passed_over.size(), 1u);
  EXPECT_EQ(English(context.passed_over).begin()->first.rfind("HATCH pattern too dense", 0), 0u);
}

}  // namespace
}  // namespace dxfdin
