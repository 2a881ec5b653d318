// Leaders: a spline leader through its vertices with the arrowhead of its dimension style; a
// straight one as it always was. Their geometry against ezdxf's is checked by
// check_geometry.py.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dxf_to_din/outline_translators.h"
#include "support/convert.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ToDin;

struct Point {
  double x, y;
};
using Chains = std::vector<std::vector<Point>>;

// The points of each line chain of a DIN file.
Chains ChainsOf(const std::string& din) {
  Chains chains;
  std::size_t at = 0;
  while ((at = din.find("  SR  ", at)) != std::string::npos) {
    const int record = std::atoi(din.c_str() + at + 6);
    at = din.find('\n', at) + 1;
    if (record != 3 && record != 4) continue;
    if (record == 3) chains.emplace_back();
    Point p{};
    std::sscanf(din.c_str() + at, "%lf %lf", &p.x, &p.y);
    chains.back().push_back(p);
  }
  return chains;
}

// A drawing of one LEADER with these vertices and groups, after `header` and `tables`.
std::string Leader(const std::vector<Point>& vertices, const std::string& groups,
                   const std::string& header = "", const std::string& tables = "") {
  std::string dxf = "  0\nSECTION\n  2\nHEADER\n" + header + "  0\nENDSEC\n" +
                    "  0\nSECTION\n  2\nTABLES\n" + tables + "  0\nENDSEC\n" +
                    "  0\nSECTION\n  2\nENTITIES\n  0\nLEADER\n  8\n0\n  3\nSTANDARD\n" + groups +
                    " 76\n" + std::to_string(vertices.size()) + "\n";
  for (const Point& p : vertices) {
    dxf += " 10\n" + std::to_string(p.x) + "\n 20\n" + std::to_string(p.y) + "\n 30\n0\n";
  }
  return dxf + "  0\nENDSEC\n  0\nEOF\n";
}

const std::vector<Point> kVertices = {{0, 0}, {10, 0}, {20, 10}, {35, 10}};

double Distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

TEST(Leader, SplineThroughTheVerticesAlongTheEndSegments) {
  auto context = FreshContext();
  const Chains chains = ChainsOf(ToDin(context, {}, Leader(kVertices, " 71\n0\n 72\n1\n")));
  ASSERT_EQ(chains.size(), 1u);
  const auto& curve = chains[0];
  ASSERT_GT(curve.size(), 20u);
  // It passes every vertex, in order, and bends between them.
  std::size_t from = 0;
  for (const Point& vertex : kVertices) {
    while (from < curve.size() && Distance(curve[from], vertex) > 1e-9) ++from;
    EXPECT_LT(from, curve.size()) << vertex.x << " " << vertex.y;
  }
  bool bent = false;
  for (const Point& p : curve) bent = bent || (p.x > 0 && p.x < 10 && std::fabs(p.y) > 0.01);
  EXPECT_TRUE(bent);
  // It leaves the first vertex along the first segment and reaches the last along the last:
  // the slopes of the end chords, taken to the ends, are those of the end segments.
  const auto end_slope = [](Point p0, Point p1, Point p2) {
    const double s1 = (p1.y - p0.y) / (p1.x - p0.x), s2 = (p2.y - p1.y) / (p2.x - p1.x);
    return 1.5 * s1 - 0.5 * s2;
  };
  const std::size_t n = curve.size();
  EXPECT_LT(std::fabs(end_slope(curve[0], curve[1], curve[2])), 1e-3);
  EXPECT_LT(std::fabs(end_slope(curve[n - 1], curve[n - 2], curve[n - 3])), 1e-3);
}

TEST(Leader, ArrowheadOfTheDimensionStyle) {
  // DIMASZ 2 and DIMSCALE 1.5 of the STANDARD style; the tip at the first vertex, pointing
  // away from the second.
  const std::string standard =
      "  0\nTABLE\n  2\nDIMSTYLE\n  0\nDIMSTYLE\n  2\nSTANDARD\n 41\n2\n 40\n1.5\n"
      "  0\nENDTAB\n";
  const double half = std::sin(18.924644 / 2 * 3.14159265358979323846 / 180);
  struct Case {
    const char* what;
    std::string groups, header, tables;
    double size;  // 0: no arrowhead
  };
  const Case cases[] = {
      {"the style's size", " 72\n1\n", "", standard, 3},
      {"no table: the imperial default", " 72\n1\n", "", "", 0.18},
      {"no table, metric", " 72\n1\n", "  9\n$MEASUREMENT\n 70\n1\n", "", 2.5},
      {"the leader's own size",
       " 72\n1\n1001\nACAD\n1000\nDSTYLE\n1002\n{\n1070\n41\n1040\n4\n1002\n}\n", "", standard, 6},
      {"no arrowhead asked", " 71\n0\n 72\n1\n", "", standard, 0},
  };
  for (const Case& c : cases) {
    auto context = FreshContext();
    const Chains chains =
        ChainsOf(ToDin(context, {}, Leader(kVertices, c.groups, c.header, c.tables)));
    ASSERT_EQ(chains.size(), c.size > 0 ? 2u : 1u) << c.what;
    if (c.size == 0) continue;
    const auto& arrow = chains[1];
    ASSERT_EQ(arrow.size(), 4u) << c.what;
    // A closed triangle: a back corner, the tip, the other back corner.
    const Point expected[] = {
        {c.size, -c.size * half}, {0, 0}, {c.size, c.size * half}, {c.size, -c.size * half}};
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_LT(Distance(arrow[i], expected[i]), 1e-9) << c.what << " " << i;
    }
  }
  // Another arrow block is counted, not drawn; "_None" draws none.
  EXPECT_FALSE(ArrowheadOutline("archarrow", 1, {0, 0, 0}, {1, 0, 0}));
  EXPECT_TRUE(ArrowheadOutline("_None", 1, {0, 0, 0}, {1, 0, 0})->empty());
  EXPECT_EQ(ArrowheadOutline("_Closed", 1, {0, 0, 0}, {1, 0, 0})->size(), 2u);
}

TEST(Leader, StraightLeadersAsBefore) {
  auto context = FreshContext();
  const Chains chains = ChainsOf(ToDin(context, {}, Leader(kVertices, " 72\n0\n")));
  ASSERT_EQ(chains.size(), 1u);
  ASSERT_EQ(chains[0].size(), kVertices.size());
  for (std::size_t i = 0; i < kVertices.size(); ++i) {
    EXPECT_EQ(Distance(chains[0][i], kVertices[i]), 0);
  }
}

}  // namespace
}  // namespace dxfdin
