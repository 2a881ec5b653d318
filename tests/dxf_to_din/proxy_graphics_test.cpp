// Proxy graphics: each kind of record drawn as the entity it stands for, the model transforms
// applied, the packed light-weight polyline, hostile data bounded, the groups they are read
// from, and the entities drawn from them in the DIN. Against ezdxf, check_geometry.py.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dxf_to_din/proxy_entity.h"
#include "dxf_to_din/proxy_graphics.h"
#include "io/text_input.h"
#include "support/convert.h"
#include "support/english.h"
#include "written_entities.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ReadBack;
using testing::WrittenEntity;

constexpr double kPi = 3.14159265358979323846;

std::string U32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

std::string Real(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  return U32(static_cast<std::uint32_t>(bits)) + U32(static_cast<std::uint32_t>(bits >> 32));
}

std::string Point(double x, double y, double z = 0) {
  return Real(x) + Real(y) + Real(z);
}

std::string Points(const std::vector<Point3>& points) {
  std::string bytes = U32(static_cast<std::uint32_t>(points.size()));
  for (const Point3& p : points) bytes += Point(p[0], p[1], p[2]);
  return bytes;
}

// A string ended by a zero byte and padded to a multiple of 4 bytes.
std::string Padded(std::string bytes) {
  bytes += '\0';
  while (bytes.size() % 4) bytes += '\0';
  return bytes;
}

std::string PaddedUtf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text + u'\0') {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  while (bytes.size() % 4) bytes += '\0';
  return bytes;
}

std::string Record(std::uint32_t type, const std::string& data) {
  return U32(static_cast<std::uint32_t>(data.size() + 8)) + U32(type) + data;
}

// The header, then the records.
std::string Graphics(const std::vector<std::string>& records) {
  std::string body;
  for (const std::string& record : records) body += record;
  return U32(static_cast<std::uint32_t>(body.size() + 8)) +
         U32(static_cast<std::uint32_t>(records.size())) + body;
}

std::string Matrix(const std::array<std::array<double, 4>, 3>& rows) {
  std::string bytes;
  for (const auto& row : rows) {
    for (double value : row) bytes += Real(value);
  }
  return bytes + Real(0) + Real(0) + Real(0) + Real(1);
}

std::vector<WrittenEntity> Drawn(const std::string& data) {
  EntityText out;
  DrawProxyGraphics(data, out);
  return ReadBack(out.Groups());
}

void ExpectPoint(const Point3& actual, const Point3& expected) {
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(actual[k], expected[k], 1e-9) << k;
}

void ExpectPoints(const std::vector<Point3>& actual, const std::vector<Point3>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ExpectPoint(actual[i], expected[i]);
}

double Turn(double degrees) {
  return std::fmod(std::fmod(degrees, 360) + 360, 360);
}

// An ARC: centre (OCS), radius, start and end degrees, extrusion z.
void ExpectArc(const WrittenEntity& arc, const Point3& centre, double radius, double start,
               double end, double extrusion_z = 1) {
  ASSERT_EQ(arc.type, "ARC");
  ExpectPoint(arc.At(10), centre);
  EXPECT_NEAR(arc[40], radius, 1e-9);
  EXPECT_NEAR(Turn(arc[50]), start, 1e-9);
  EXPECT_NEAR(Turn(arc[51]), end, 1e-9);
  EXPECT_NEAR(arc[230], extrusion_z, 1e-12);
}

struct Case {
  const char* what;
  std::vector<std::string> records;
  std::function<void(const std::vector<WrittenEntity>&)> expect;
};

TEST(ProxyGraphics, EachRecordDrawsWhatItStandsFor) {
  const Point3 triangle[] = {{0, 0, 0}, {4, 0, 0}, {4, 3, 0}};
  const std::vector<Point3> three(std::begin(triangle), std::end(triangle));
  const Case cases[] = {
      {"circle",
       {Record(2, Point(1, 2, 3) + Real(4) + Point(0, 0, 1))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         EXPECT_EQ(d[0].type, "CIRCLE");
         ExpectPoint(d[0].At(10), {1, 2, 3});
         EXPECT_EQ(d[0][40], 4);
       }},
      {"circle seen from below: its centre in its own coordinates",
       {Record(2, Point(1, 2, 3) + Real(4) + Point(0, 0, -1))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectPoint(d[0].At(10), {-1, 2, -3});
         EXPECT_EQ(d[0][230], -1);
       }},
      {"circle through three points",
       {Record(3, Point(1, 0) + Point(0, 1) + Point(-1, 0))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         EXPECT_EQ(d[0].type, "CIRCLE");
         ExpectPoint(d[0].At(10), {0, 0, 0});
         EXPECT_NEAR(d[0][40], 1, 1e-12);
       }},
      {"arc from its start direction",
       {Record(4, Point(0, 0) + Real(2) + Point(0, 0, 1) + Point(0, 1) + Real(kPi / 2) + U32(0))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectArc(d[0], {0, 0, 0}, 2, 90, 180);
       }},
      {"arc swept clockwise",
       {Record(4, Point(0, 0) + Real(2) + Point(0, 0, 1) + Point(1, 0) + Real(-kPi / 2))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectArc(d[0], {0, 0, 0}, 2, 270, 0);
       }},
      {"arc through three points",
       {Record(5, Point(1, 0) + Point(0, 1) + Point(-1, 0))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectArc(d[0], {0, 0, 0}, 1, 0, 180);
       }},
      {"arc through three points clockwise: the same half, seen from below",
       {Record(5, Point(-1, 0) + Point(0, 1) + Point(1, 0))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectArc(d[0], {0, 0, 0}, 1, 0, 180, -1);
       }},
      {"polyline, polygon, polyline with its normal",
       {Record(6, Points(three)), Record(7, Points(three)),
        Record(32, Points(three) + Point(0, 0, 1))},
       [&](const auto& d) {
         ASSERT_EQ(d.size(), 3u);
         for (const WrittenEntity& chain : d) ExpectPoints(chain.vertices, three);
         EXPECT_FALSE(d[0].Closed());
         EXPECT_TRUE(d[1].Closed());
         EXPECT_FALSE(d[2].Closed());
       }},
      {"a fill closes the next polyline only",
       {Record(20, U32(1)), Record(6, Points(three)), Record(6, Points(three))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 2u);
         EXPECT_TRUE(d[0].Closed());
         EXPECT_FALSE(d[1].Closed());
       }},
      {"a point or points in one place draw nothing",
       {Record(6, Points({{1, 1, 0}})), Record(6, Points({{1, 1, 0}, {1, 1, 0}}))},
       [](const auto& d) { EXPECT_TRUE(d.empty()); }},
      {"mesh: its rows and columns",
       {Record(8, U32(2) + U32(3) + Point(0, 0) + Point(1, 0) + Point(2, 0) + Point(0, 1) +
                      Point(1, 1) + Point(2, 1) + U32(0) + U32(0))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 5u);
         ExpectPoints(d[1].vertices, {{0, 1, 0}, {1, 1, 0}, {2, 1, 0}});
         ExpectPoints(d[4].vertices, {{2, 0, 0}, {2, 1, 0}});
       }},
      {"shell: every face closed, a face with an unknown vertex left out",
       {Record(9, U32(4) + Point(0, 0) + Point(1, 0) + Point(1, 1) + Point(0, 1) + U32(12) +
                      U32(3) + U32(0) + U32(1) + U32(2) + U32(static_cast<std::uint32_t>(-3)) +
                      U32(0) + U32(2) + U32(3) + U32(3) + U32(0) + U32(1) + U32(9))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 2u);
         EXPECT_TRUE(d[1].Closed());
         ExpectPoints(d[1].vertices, {{0, 0, 0}, {1, 1, 0}, {0, 1, 0}});
       }},
      {"texts of both forms, in bytes and UTF-16",
       {Record(10, Point(1, 2) + Point(0, 0, 1) + Point(0, 1) + Real(2.5) + Real(1) + Real(0) +
                       Padded("AB")),
        Record(11, Point(3, 4) + Point(0, 0, 1) + Point(1, 0) + Padded("CD") + U32(2) + U32(0) +
                       Real(3) + Real(1) + Real(0) + Real(0) + std::string(20, '\0') +
                       Padded("txt") + Padded("")),
        Record(36, Point(5, 6) + Point(0, 0, 1) + Point(-1, 0) + Real(1) + Real(1) + Real(0) +
                       PaddedUtf16(u"A\u00e9\u03c6")),
        Record(38, Point(7, 8) + Point(0, 0, 1) + Point(1, 1) + PaddedUtf16(u"x\ty") + U32(3) +
                       U32(0) + Real(4))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 4u);
         const char* texts[] = {"AB", "CD", "A\\U+00E9\\U+03C6", "x y"};
         const double heights[] = {2.5, 3, 1, 4}, rotations[] = {90, 0, 180, 45};
         for (int i = 0; i < 4; ++i) {
           EXPECT_EQ(d[i].type, "TEXT");
           EXPECT_EQ(d[i].text, texts[i]);
           EXPECT_NEAR(d[i][40], heights[i], 1e-12);
           EXPECT_NEAR(Turn(d[i][50]), rotations[i], 1e-9);
           ExpectPoint(d[i].At(10), {1.0 + 2 * i, 2.0 + 2 * i, 0});
         }
       }},
      {"lines without end, extents, attributes and unknown types draw nothing",
       {Record(12, Point(0, 0) + Point(1, 1)), Record(13, Point(0, 0) + Point(1, 1)),
        Record(1, Point(0, 0) + Point(1, 1)), Record(14, U32(3)), Record(22, U32(0xC2000000)),
        Record(51, std::string(16, 'x'))},
       [](const auto& d) { EXPECT_TRUE(d.empty()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.expect(Drawn(Graphics(c.records)));
  }
}

TEST(ProxyGraphics, ModelTransformsApplyToWhatFollowsUntilPopped) {
  // Scaled twice, turned a quarter, moved to (10, 20).
  const std::string placed = Record(29, Matrix({{{0, -2, 0, 10}, {2, 0, 0, 20}, {0, 0, 2, 0}}}));
  const std::string moved = Record(29, Matrix({{{1, 0, 0, 10}, {0, 1, 0, 0}, {0, 0, 1, 0}}}));
  const std::string doubled = Record(29, Matrix({{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}}}));
  const std::string stretched = Record(29, Matrix({{{2, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}}));
  const std::string mirrored = Record(29, Matrix({{{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}}));
  const std::string pop = Record(31, "");
  const std::string unit_circle = Record(2, Point(1, 0) + Real(1) + Point(0, 0, 1));
  const std::string segment = Record(6, Points({{1, 0, 0}, {2, 0, 0}}));
  const Case cases[] = {
      {"a circle placed, then one as it is",
       {placed, unit_circle, pop, unit_circle},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 2u);
         ExpectPoint(d[0].At(10), {10, 22, 0});
         EXPECT_NEAR(d[0][40], 2, 1e-12);
         ExpectPoint(d[1].At(10), {1, 0, 0});
         EXPECT_EQ(d[1][40], 1);
       }},
      {"transforms within transforms: the inner first",
       {moved, doubled, segment, pop, segment, pop, segment},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 3u);
         ExpectPoints(d[0].vertices, {{12, 0, 0}, {14, 0, 0}});
         ExpectPoints(d[1].vertices, {{11, 0, 0}, {12, 0, 0}});
         ExpectPoints(d[2].vertices, {{1, 0, 0}, {2, 0, 0}});
       }},
      {"a circle stretched is an ellipse, drawn as a closed chain",
       {stretched, unit_circle},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         EXPECT_EQ(d[0].type, "POLYLINE");
         EXPECT_TRUE(d[0].Closed());
         EXPECT_GT(d[0].vertices.size(), 16u);
         for (const Point3& p : d[0].vertices) {
           EXPECT_NEAR(std::pow((p[0] - 2) / 2, 2) + p[1] * p[1], 1, 1e-12);
         }
       }},
      {"an arc mirrored stays an arc, seen from below",
       {mirrored, Record(4, Point(0, 0) + Real(1) + Point(0, 0, 1) + Point(1, 0) + Real(kPi / 2))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectArc(d[0], {0, 0, 0}, 1, 0, 90, -1);
       }},
      {"a text turned and scaled with its place",
       {placed, Record(10, Point(1, 0) + Point(0, 0, 1) + Point(1, 0) + Real(1.5) + Real(1) +
                               Real(0) + Padded("T"))},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectPoint(d[0].At(10), {10, 22, 0});
         EXPECT_NEAR(d[0][40], 3, 1e-12);
         EXPECT_NEAR(Turn(d[0][50]), 90, 1e-9);
       }},
      {"the plane of a normal",
       {Record(30, Point(0, 0, -1)), segment},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectPoints(d[0].vertices, {{-1, 0, 0}, {-2, 0, 0}});
       }},
      {"more pops than pushes",
       {pop, pop, moved, pop, pop, segment},
       [](const auto& d) {
         ASSERT_EQ(d.size(), 1u);
         ExpectPoints(d[0].vertices, {{1, 0, 0}, {2, 0, 0}});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.expect(Drawn(Graphics(c.records)));
  }
}

TEST(ProxyGraphics, TransformsBeyondTheDepthDrawNothingUntilPopped) {
  std::vector<std::string> records;
  const std::string segment = Record(6, Points({{1, 0, 0}, {2, 0, 0}}));
  for (std::size_t i = 0; i <= kMaxProxyTransformDepth; ++i) {
    records.push_back(Record(29, Matrix({{{1, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}}})));
  }
  records.push_back(segment);  // one push too deep: not drawn
  records.push_back(Record(31, ""));
  records.push_back(segment);  // moved by every push that was taken
  const auto drawn = Drawn(Graphics(records));
  ASSERT_EQ(drawn.size(), 1u);
  ExpectPoints(drawn[0].vertices,
               {{1.0 + kMaxProxyTransformDepth, 0, 0}, {2.0 + kMaxProxyTransformDepth, 0, 0}});
}

// Fields of bits as a DWG file packs them, most significant bit first.
class BitWriter {
 public:
  void Bits(std::uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (bit_ % 8 == 0) bytes_ += '\0';
      if (value >> i & 1) bytes_.back() = static_cast<char>(bytes_.back() | 0x80 >> (bit_ % 8));
      ++bit_;
    }
  }
  void Bytes(std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) Bits(value >> (8 * i) & 0xFF, 8);
  }
  void RawDouble(double value) { Bytes(std::bit_cast<std::uint64_t>(value), 8); }
  void BitShort(std::uint16_t value) {
    Bits(0, 2);
    Bytes(value, 2);
  }
  void BitLongByte(std::uint8_t value) {
    Bits(1, 2);
    Bytes(value, 1);
  }
  const std::string& Data() const { return bytes_; }

 private:
  std::string bytes_;
  int bit_ = 0;
};

TEST(ProxyGraphics, LightWeightPolylinesWithBulges) {
  // A closed square, (0, 0) to (10, 0) to (10, 10) to (0, 10), the last side bulged out into
  // half a circle.
  BitWriter bits;
  bits.BitShort(512 | 16 | 8);  // closed, bulges, elevation
  bits.Bits(0, 2);              // elevation: a raw double
  bits.RawDouble(5);
  bits.BitLongByte(4);  // points
  bits.BitLongByte(4);  // bulges
  bits.RawDouble(0);
  bits.RawDouble(0);
  bits.Bits(3, 2);  // (10, 0): x in full, y as before
  bits.RawDouble(10);
  bits.Bits(0, 2);
  bits.Bits(0, 2);  // (10, 10): x as before, y in full
  bits.Bits(3, 2);
  bits.RawDouble(10);
  bits.Bits(3, 2);  // (0, 10)
  bits.RawDouble(0);
  bits.Bits(0, 2);
  for (int i = 0; i < 3; ++i) bits.Bits(2, 2);  // bulges 0, 0, 0
  bits.Bits(1, 2);                              // and 1
  for (const std::string& data :
       {bits.Data(), U32(static_cast<std::uint32_t>(bits.Data().size())) + bits.Data()}) {
    std::string record = data;
    while (record.size() % 4) record += '\0';
    const auto drawn = Drawn(Graphics({Record(33, record)}));
    ASSERT_EQ(drawn.size(), 2u);
    ExpectPoints(drawn[0].vertices, {{0, 0, 5}, {10, 0, 5}, {10, 10, 5}, {0, 10, 5}});
    EXPECT_FALSE(drawn[0].Closed());
    ExpectArc(drawn[1], {0, 5, 5}, 5, 90, 270);
  }
}

// Every kind of record once, with a transform: the input the hostile tests cut and spoil.
std::string EveryRecord() {
  return Graphics({
      Record(29, Matrix({{{1, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}}})),
      Record(2, Point(1, 2) + Real(4) + Point(0, 0, 1)),
      Record(3, Point(1, 0) + Point(0, 1) + Point(-1, 0)),
      Record(4, Point(0, 0) + Real(2) + Point(0, 0, 1) + Point(0, 1) + Real(1)),
      Record(5, Point(1, 0) + Point(0, 1) + Point(-1, 0)),
      Record(6, Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}})),
      Record(8, U32(2) + U32(2) + Point(0, 0) + Point(1, 0) + Point(0, 1) + Point(1, 1)),
      Record(9, U32(3) + Point(0, 0) + Point(1, 0) + Point(1, 1) + U32(4) + U32(3) + U32(0) +
                    U32(1) + U32(2)),
      Record(10, Point(1, 2) + Point(0, 0, 1) + Point(0, 1) + Real(2.5) + Real(1) + Real(0) +
                     Padded("AB")),
      Record(38, Point(7, 8) + Point(0, 0, 1) + Point(1, 1) + PaddedUtf16(u"xy") + U32(3) + U32(0) +
                     Real(4)),
      Record(31, ""),
  });
}

TEST(ProxyGraphics, DataCutOffAnywhereDrawsLessAndNeverMore) {
  const std::string data = EveryRecord();
  const std::size_t whole = Drawn(data).size();
  EXPECT_EQ(whole, 12u);
  for (std::size_t size = 0; size < data.size(); ++size) {
    EXPECT_LE(Drawn(data.substr(0, size)).size(), whole) << size;
  }
}

TEST(ProxyGraphics, CountsBeyondTheDataAndSizesThatDoNotFitEndIt) {
  const std::string segment = Record(6, Points({{1, 0, 0}, {2, 0, 0}}));
  const Case cases[] = {
      {"a polyline of more points than its record holds",
       {Record(6, U32(0xFFFFFFFF) + Point(0, 0) + Point(1, 1)), segment},
       [](const auto& d) { EXPECT_EQ(d.size(), 1u); }},
      {"a mesh of 65536 by 65536 vertices",
       {Record(8, U32(0x10000) + U32(0x10000) + Point(0, 0)), segment},
       [](const auto& d) { EXPECT_EQ(d.size(), 1u); }},
      {"a shell of more faces and vertices than it holds",
       {Record(9, U32(2) + Point(0, 0) + Point(1, 1) + U32(0xFFFFFFFF) + U32(0x7FFFFFFF) + U32(0)),
        Record(9, U32(0x7FFFFFFF) + Point(0, 0)), segment},
       [](const auto& d) { EXPECT_EQ(d.size(), 1u); }},
      {"a text without its end, a text of no height",
       {Record(10, Point(0, 0) + Point(0, 0, 1) + Point(1, 0) + Real(1) + Real(1) + Real(0) + "AB"),
        Record(10, Point(0, 0) + Point(0, 0, 1) + Point(1, 0) + Real(0) + Real(1) + Real(0) +
                       Padded("AB")),
        segment},
       [](const auto& d) { EXPECT_EQ(d.size(), 1u); }},
      {"numbers that are not finite",
       {Record(2, Point(NAN, 0) + Real(1) + Point(0, 0, 1)),
        Record(4, Point(0, 0) + Real(INFINITY) + Point(0, 0, 1) + Point(1, 0) + Real(1)),
        Record(6, Points({{0, 0, 0}, {NAN, 1, 0}})), segment},
       [](const auto& d) { EXPECT_EQ(d.size(), 1u); }},
      {"a record of size 0 ends the data",
       {segment, U32(0) + U32(6), segment},
       [](const auto& d) { EXPECT_EQ(d.size(), 1u); }},
      {"a record larger than the rest ends the data",
       {segment, U32(1000) + U32(6) + Points({{0, 0, 0}, {1, 1, 0}})},
       [](const auto& d) { EXPECT_EQ(d.size(), 1u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.expect(Drawn(Graphics(c.records)));
  }
}

TEST(ProxyGraphics, GarbageAndFloodsStayWithinTheBound) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::string good = EveryRecord();
  for (int round = 0; round < 2000; ++round) {
    // The good data with bytes spoiled, or bytes of no sense behind a good header.
    std::string data = good;
    if (round % 2) {
      for (int i = 0; i < 4; ++i)
        data[8 + random() % (data.size() - 8)] = static_cast<char>(byte(random));
    } else {
      data.resize(8 + random() % 400);
      for (std::size_t i = 8; i < data.size(); ++i) data[i] = static_cast<char>(byte(random));
    }
    EntityText out;
    DrawProxyGraphics(data, out);
    EXPECT_LE(out.Groups().size(), EntityText::kMaxBytes);
  }
  // More circles than the bound holds: cut there.
  std::string circles;
  const std::string circle = Record(2, Point(1, 2) + Real(4) + Point(0, 0, 1));
  for (int i = 0; i < 400'000; ++i) circles += circle;
  EntityText out;
  DrawProxyGraphics(U32(0) + U32(0) + circles, out);
  EXPECT_TRUE(out.Cut());
  EXPECT_LE(out.Groups().size(), EntityText::kMaxBytes);
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

// The groups of graphics: the count, then the data in lines of 127 bytes.
std::string GraphicsGroups(const std::string& data, int count_code = 92) {
  std::string groups = std::to_string(count_code) + "\n" + std::to_string(data.size()) + "\n";
  for (std::size_t at = 0; at < data.size(); at += 127) {
    groups += "310\n" + Hex(data.substr(at, 127)) + "\n";
  }
  return groups;
}

std::string ReadFrom(const std::string& groups, std::string* layer = nullptr) {
  auto context = FreshContext();
  auto in = TextInput::FromString(groups + "  0\nEOF\n");
  context.dxf_in = in.get();
  std::string data = ReadProxyGraphics(context);
  EXPECT_EQ(context.group_code, 0);
  if (layer) *layer = context.entity_layer;
  return data;
}

TEST(ProxyGraphics, ReadFromTheCountAndTheBinaryGroupsAfterIt) {
  const std::string data = EveryRecord();
  std::string layer;
  // An ACAD_PROXY_ENTITY: the graphics, then its own data, which is not taken.
  EXPECT_EQ(
      ReadFrom("  8\nPARTS\n 90\n498\n" + GraphicsGroups(data) + " 93\n16\n310\nFFFF\n 94\n0\n",
               &layer),
      data);
  EXPECT_EQ(layer, "PARTS\n");
  EXPECT_EQ(ReadFrom("100\nAcDbEntity\n" + GraphicsGroups(data, 160) + "100\nAcDbWipeout\n"), data);
  // No more than the count; a count that no data follows is something else.
  EXPECT_EQ(ReadFrom("160\n3\n310\n01020304\n310\n05\n"), std::string("\1\2\3"));
  EXPECT_EQ(ReadFrom(" 92\n2\n 70\n1\n160\n1\n310\n0A\n"), std::string("\n"));
  // Binary data without a count, a line that stops being hexadecimal.
  EXPECT_EQ(ReadFrom("310\n0102\n"), "");
  EXPECT_EQ(ReadFrom(" 92\n9\n310\n0102ZZ03\n310\n04 05\n"), std::string("\1\2\4"));
}

std::string Entities(const std::string& entities) {
  return "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}

TEST(ProxyGraphics, EntitiesOfUnknownKindsDrawnFromThemOrCountedAsBefore) {
  const std::string square =
      GraphicsGroups(Graphics({Record(7, Points({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}})),
                               Record(2, Point(5, 5) + Real(2) + Point(0, 0, 1))}));
  auto context = FreshContext();
  testing::ToDin(context, TConversionSettings{},
                 Entities("  0\nACAD_PROXY_ENTITY\n  8\nA\n 90\n498\n" + square +
                          "  0\nMY_CUSTOM_THING\n  8\nA\n" + square +
                          "  0\nMY_CUSTOM_THING\n  8\nA\n 92\n8\n" +
                          "  0\nACAD_PROXY_ENTITY\n 90\n498\n 93\n8\n310\n0102\n" +
                          "  0\nMY_CUSTOM_THING\n 60\n1\n" + square));
  EXPECT_EQ(context.item_count, 4);
  EXPECT_EQ(context.passed_over.size(), 3u);
  EXPECT_EQ(English(context.passed_over)["MY_CUSTOM_THING"], 1);
  EXPECT_EQ(English(context.passed_over)["ACAD_PROXY_ENTITY"], 1);
  EXPECT_EQ(English(context.passed_over)["invisible"], 1);
}

}  // namespace
}  // namespace dxfdin
