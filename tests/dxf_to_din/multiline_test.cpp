// MLINE: its elements through their points on the miters, closed ones, the caps the style's
// flags ask for, and the reading of its groups. Against ezdxf, check_geometry.py.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dxf_to_din/multiline.h"
#include "io/text_input.h"
#include "support/convert.h"
#include "support/english.h"
#include "written_entities.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ReadBack;
using testing::WrittenEntity;

// An L of three vertices, (0, 0) to (10, 0) to (10, 10), its elements at `offsets` to the
// left: at the corner the miter is the bisector, √2 times as long for the same distance.
Mline LShape(std::int32_t flags, const std::vector<double>& offsets = {0.5, -0.5}) {
  const double r = std::sqrt(0.5);
  struct Row {
    Point3 at, direction, miter;
    double stretch;
  };
  const Row rows[] = {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1},
                      {{10, 0, 0}, {0, 1, 0}, {-r, r, 0}, std::sqrt(2.0)},
                      {{10, 10, 0}, {0, 1, 0}, {-1, 0, 0}, 1}};
  Mline mline;
  mline.flags = flags;
  for (const Row& row : rows) {
    MlineVertex& vertex = mline.vertices.emplace_back();
    vertex.at = row.at;
    vertex.direction = row.direction;
    vertex.miter = row.miter;
    for (double offset : offsets) vertex.offsets[vertex.elements++] = offset * row.stretch;
  }
  return mline;
}

std::vector<WrittenEntity> Draw(const Mline& mline, std::int32_t style_flags) {
  EntityText out;
  DrawMline(mline, style_flags, out);
  return ReadBack(out.Groups());
}

void ExpectPoints(const std::vector<Point3>& actual, const std::vector<Point3>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(actual[i][k], expected[i][k], 1e-12) << i;
  }
}

// Degrees within one turn.
double Turn(double degrees) {
  return std::fmod(std::fmod(degrees, 360) + 360, 360);
}

TEST(Multiline, ElementsRunThroughTheirPointsOnTheMiters) {
  const auto drawn = Draw(LShape(1), 0);
  ASSERT_EQ(drawn.size(), 2u);
  for (const WrittenEntity& chain : drawn) {
    EXPECT_EQ(chain.type, "POLYLINE");
    EXPECT_FALSE(chain.Closed());
  }
  ExpectPoints(drawn[0].vertices, {{0, 0.5, 0}, {9.5, 0.5, 0}, {9.5, 10, 0}});
  ExpectPoints(drawn[1].vertices, {{0, -0.5, 0}, {10.5, -0.5, 0}, {10.5, 10, 0}});
}

TEST(Multiline, ClosedOnesGoBackToTheFirstVertexWithoutCaps) {
  const std::int32_t every_cap = kMlineStartSquare | kMlineStartInnerArcs | kMlineStartRound |
                                 kMlineEndSquare | kMlineEndInnerArcs | kMlineEndRound;
  const auto drawn = Draw(LShape(1 | kMlineClosed), every_cap);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_TRUE(drawn[0].Closed());
  EXPECT_TRUE(drawn[1].Closed());
  // With miters: one across every vertex, the first one too.
  EXPECT_EQ(Draw(LShape(1 | kMlineClosed), kMlineMiters).size(), 5u);
}

TEST(Multiline, CapsAndMitersAsTheStyleFlagsAsk) {
  struct Case {
    const char* what;
    std::int32_t style_flags, mline_flags;
    // The lines (two points) and arcs (centre, radius, start and end degrees) after the
    // elements.
    std::vector<std::vector<double>> parts;
  };
  const Case cases[] = {
      {"no caps", 0, 1, {}},
      {"start square", kMlineStartSquare, 1, {{0, -0.5, 0, 0.5}}},
      {"end square", kMlineEndSquare, 1, {{10.5, 10, 9.5, 10}}},
      {"start round, behind the start", kMlineStartRound, 1, {{0, 0, 0.5, 90, 270}}},
      {"end round, beyond the end", kMlineEndRound, 1, {{10, 10, 0.5, 0, 180}}},
      {"start caps suppressed", kMlineStartSquare | kMlineStartRound, 1 | kMlineNoStartCaps, {}},
      {"end caps suppressed", kMlineEndSquare | kMlineEndRound, 1 | kMlineNoEndCaps, {}},
      {"inner arcs need two pairs", kMlineStartInnerArcs | kMlineEndInnerArcs, 1, {}},
      {"miter across the corner", kMlineMiters, 1, {{10.5, -0.5, 9.5, 0.5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto drawn = Draw(LShape(c.mline_flags), c.style_flags);
    ASSERT_EQ(drawn.size(), 2 + c.parts.size());
    for (std::size_t i = 0; i < c.parts.size(); ++i) {
      const WrittenEntity& part = drawn[2 + i];
      const std::vector<double>& p = c.parts[i];
      if (p.size() == 4) {
        ASSERT_EQ(part.type, "LINE");
        ExpectPoints({part.At(10), part.At(11)}, {{p[0], p[1], 0}, {p[2], p[3], 0}});
      } else {
        ASSERT_EQ(part.type, "ARC");
        ExpectPoints({part.At(10)}, {{p[0], p[1], 0}});
        EXPECT_NEAR(part[40], p[2], 1e-12);
        EXPECT_NEAR(Turn(part[50]), p[3], 1e-9);
        EXPECT_NEAR(Turn(part[51]), p[4], 1e-9);
      }
    }
  }
}

TEST(Multiline, InnerArcsJoinThePairsOfInnerElements) {
  // Four elements: the outer pair round, the inner pair by inner arcs, at both ends.
  const Mline mline = LShape(1, {1.5, 0.5, -0.5, -1.5});
  const auto drawn =
      Draw(mline, kMlineStartRound | kMlineStartInnerArcs | kMlineEndRound | kMlineEndInnerArcs);
  ASSERT_EQ(drawn.size(), 8u);
  const double radii[] = {1.5, 0.5, 1.5, 0.5};
  const Point3 centres[] = {{0, 0, 0}, {0, 0, 0}, {10, 10, 0}, {10, 10, 0}};
  for (int i = 0; i < 4; ++i) {
    const WrittenEntity& arc = drawn[4 + i];
    ASSERT_EQ(arc.type, "ARC");
    EXPECT_NEAR(arc[40], radii[i], 1e-12);
    ExpectPoints({arc.At(10)}, {centres[i]});
    // Behind the start, beyond the end.
    EXPECT_NEAR(Turn(arc[50]), i < 2 ? 90 : 0, 1e-9);
  }
}

TEST(Multiline, TooFewVerticesOrElementsDrawNothingAndOneElementNoCaps) {
  Mline one = LShape(1);
  one.vertices.resize(1);
  EXPECT_TRUE(Draw(one, kMlineStartSquare).empty());
  EXPECT_TRUE(Draw(LShape(1, {}), kMlineStartSquare).empty());
  // One element: its chain, and no lines of no length across it.
  EXPECT_EQ(Draw(LShape(1, {0.5}), kMlineStartSquare | kMlineEndRound | kMlineMiters).size(), 1u);
}

Mline Read(const std::string& groups) {
  auto context = FreshContext();
  auto in = TextInput::FromString(groups + "  0\nEOF\n");
  context.dxf_in = in.get();
  Mline mline = ReadMline(context);
  EXPECT_EQ(context.group_code, 0);
  return mline;
}

TEST(Multiline, ReadsTheVerticesAndTheFirstParameterOfEachElement) {
  const Mline mline = Read(
      "  8\nWALLS\n  2\nSTANDARD\n 40\n20\n 70\n0\n 71\n3\n 72\n2\n 73\n2\n 10\n1\n 20\n2\n 30\n0\n"
      "210\n0\n220\n0\n230\n-1\n"
      " 11\n1\n 21\n2\n 31\n0\n 12\n1\n 22\n0\n 32\n0\n 13\n0\n 23\n1\n 33\n0\n"
      " 74\n4\n 41\n10\n 41\n0\n 41\n3\n 41\n2\n 75\n1\n 42\n7\n 74\n0\n 75\n0\n"
      " 11\n5\n 21\n2\n 31\n0\n 12\n1\n 22\n0\n 32\n0\n 13\n0\n 23\n1\n 33\n0\n"
      " 74\n2\n 41\n10\n 41\n0\n 75\n0\n 74\n2\n 41\n-10\n 41\n0\n 75\n0\n");
  EXPECT_EQ(mline.flags, 3);
  EXPECT_EQ(mline.extrusion.z, -1);
  ASSERT_EQ(mline.vertices.size(), 2u);
  EXPECT_EQ(mline.vertices[0].at, (Point3{1, 2, 0}));
  EXPECT_EQ(mline.vertices[1].miter, (Point3{0, 1, 0}));
  // Dashes and breaks are not offsets; an element without parameters lies on the vertex.
  ASSERT_EQ(mline.vertices[0].elements, 2u);
  EXPECT_EQ(mline.vertices[0].offsets[0], 10);
  EXPECT_EQ(mline.vertices[0].offsets[1], 0);
  EXPECT_EQ(mline.vertices[1].offsets[1], -10);
}

TEST(Multiline, HostileGroupsStayWithinTheBounds) {
  // Vertex groups before any vertex, parameters without a count, more elements than a style
  // may have.
  std::string groups = " 12\n5\n 41\n9\n 11\n0\n 21\n0\n 41\n4\n";
  for (int i = 0; i < 40; ++i) groups += " 74\n1\n 41\n" + std::to_string(i) + "\n";
  const Mline mline = Read(groups);
  ASSERT_EQ(mline.vertices.size(), 1u);
  EXPECT_EQ(mline.vertices[0].direction, (Point3{1, 0, 0}));
  EXPECT_EQ(mline.vertices[0].elements, MlineVertex::kMaxElements);
  EXPECT_EQ(mline.vertices[0].offsets[0], 0);
  EXPECT_EQ(mline.vertices[0].offsets[15], 15);
}

std::string Entities(const std::string& entities) {
  return "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}

TEST(Multiline, DrawnInTheDinWithItsStyleOrCountedWhenEmpty) {
  const std::string vertex =
      " 12\n1\n 22\n0\n 32\n0\n 13\n0\n 23\n1\n 33\n0\n 74\n1\n 41\n1\n 74\n1\n 41\n-1\n";
  auto context = FreshContext();
  const std::string din =
      testing::ToDin(context, TConversionSettings{},
                     Entities("  0\nMLINE\n  8\nA\n 71\n1\n 11\n0\n 21\n0\n 31\n0\n" + vertex +
                              " 11\n30\n 21\n0\n 31\n0\n" + vertex +
                              "  0\nMLINE\n 71\n1\n 11\n0\n 21\n0\n" + vertex));
  EXPECT_EQ(context.item_count, 2);
  EXPECT_EQ(context.passed_over.size(), 1u);
  EXPECT_EQ(English(context.passed_over)["MLINE"], 1);
  EXPECT_NE(din.find("                          30                      1"), std::string::npos);
}

}  // namespace
}  // namespace dxfdin
