#include "dxf_to_din/entity_text.h"

#include <cmath>
#include <cstdio>

namespace dxfdin {

namespace {

// Room kept for the groups of one entity, beyond which none is begun.
constexpr std::size_t kEntityRoom = 4096;

// A text value stays on its line: its line ends become blanks, and it keeps to the bytes a
// text group holds.
std::string OneLine(std::string_view text, std::size_t max_bytes) {
  std::string line(text.substr(0, max_bytes));
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

}  // namespace

bool EntityText::Begin(std::string_view type) {
  if (cut_ || groups_.size() + kEntityRoom > kMaxBytes) {
    cut_ = true;
    return false;
  }
  ++entities_;
  Group(0, type);
  Group(8, std::string_view("0"));
  Group(6, std::string_view("BYBLOCK"));
  Group(62, std::int64_t{colour_});
  return true;
}

void EntityText::Group(int code, double value) {
  // Every double read back as written; what is not finite is written so too, and taken
  // back with the entity by the reader.
  char buf[40];
  std::snprintf(buf, sizeof buf, "%d\n%.17g\n", code, value);
  groups_ += buf;
}

void EntityText::Group(int code, std::int64_t value) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%d\n%lld\n", code, static_cast<long long>(value));
  groups_ += buf;
}

void EntityText::Group(int code, std::string_view value) {
  groups_ += std::to_string(code);
  groups_ += '\n';
  groups_ += value;
  groups_ += '\n';
}

void EntityText::Point(int code, const Point3& p) {
  Group(code, p[0]);
  Group(code + 10, p[1]);
  Group(code + 20, p[2]);
}

void EntityText::ExtrusionGroups(const Extrusion& extrusion) {
  Group(210, extrusion.x);
  Group(220, extrusion.y);
  Group(230, extrusion.z);
}

void EntityText::Line(const Point3& a, const Point3& b) {
  if (!Begin("LINE")) return;
  Point(10, a);
  Point(11, b);
}

void EntityText::Chain(const std::vector<Point3>& points, bool closed) {
  if (points.size() < 2) {
    if (points.size() == 1) Line(points[0], points[0]);
    return;
  }
  // A 3-D polyline: its vertices in world coordinates, each as its own VERTEX.
  if (groups_.size() + kEntityRoom + points.size() * 96 > kMaxBytes || !Begin("POLYLINE")) {
    cut_ = true;
    return;
  }
  Group(66, std::int64_t{1});
  Group(70, std::int64_t{8 | (closed ? 1 : 0)});
  Point(10, {0, 0, 0});
  for (const Point3& p : points) {
    Group(0, std::string_view("VERTEX"));
    Group(8, std::string_view("0"));
    Point(10, p);
    Group(70, std::int64_t{32});
  }
  Group(0, std::string_view("SEQEND"));
}

void EntityText::Circle(const Point3& centre, double radius, const Extrusion& extrusion) {
  if (!Begin("CIRCLE")) return;
  Point(10, centre);
  Group(40, radius);
  ExtrusionGroups(extrusion);
}

void EntityText::Arc(const Point3& centre, double radius, double start, double end,
                     const Extrusion& extrusion) {
  if (!Begin("ARC")) return;
  Point(10, centre);
  Group(40, radius);
  Group(50, start);
  Group(51, end);
  ExtrusionGroups(extrusion);
}

void EntityText::Spline(const std::vector<Point3>& fit, const Point3& start_tangent,
                        const Point3& end_tangent) {
  if (groups_.size() + kEntityRoom + fit.size() * 80 > kMaxBytes || !Begin("SPLINE")) {
    cut_ = true;
    return;
  }
  Group(70, std::int64_t{8});
  Group(71, std::int64_t{3});
  Group(74, static_cast<std::int64_t>(fit.size()));
  for (const Point3& p : fit) Point(11, p);
  Point(12, start_tangent);
  Point(13, end_tangent);
}

void EntityText::Text(const Point3& at, double height, double rotation, std::string_view text,
                      const Extrusion& extrusion) {
  if (!Begin("TEXT")) return;
  Point(10, at);
  Group(40, height);
  Group(50, rotation);
  Group(7, std::string_view("STANDARD"));
  Group(1, OneLine(text, 254));
  ExtrusionGroups(extrusion);
}

void EntityText::Mtext(const Point3& at, double height, const Point3& direction,
                       std::int32_t attachment, std::string_view text, double width,
                       double line_spacing, const Extrusion& extrusion) {
  if (!Begin("MTEXT")) return;
  Point(10, at);
  Group(40, height);
  Group(41, width);
  Group(44, line_spacing);
  Group(71, std::int64_t{attachment});
  Group(72, std::int64_t{1});
  Group(7, std::string_view("STANDARD"));
  // Long texts in pieces of 250 bytes (group 3), the last as group 1, as MTEXT holds them.
  std::string rest = OneLine(text, kMaxBytes / 4);
  while (rest.size() > 250) {
    Group(3, std::string_view(rest).substr(0, 250));
    rest.erase(0, 250);
  }
  Group(1, rest);
  Point(11, direction);
  ExtrusionGroups(extrusion);
}

void EntityText::Insert(std::string_view block, const Point3& at, const Point3& scale,
                        double rotation, const Extrusion& extrusion, bool with_attributes) {
  if (!Begin("INSERT")) return;
  if (with_attributes) Group(66, std::int64_t{1});
  Group(2, OneLine(block, 255));
  Point(10, at);
  Group(41, scale[0]);
  Group(42, scale[1]);
  Group(43, scale[2]);
  Group(50, rotation);
  ExtrusionGroups(extrusion);
}

void EntityText::Attribute(const Point3& at, double height, double rotation, std::string_view text,
                           const Extrusion& extrusion) {
  if (!Begin("ATTRIB")) return;
  Point(10, at);
  Group(40, height);
  Group(50, rotation);
  Group(70, std::int64_t{0});
  Group(7, std::string_view("STANDARD"));
  Group(1, OneLine(text, 254));
  ExtrusionGroups(extrusion);
}

void EntityText::EndAttributes() {
  if (cut_) return;
  Group(0, std::string_view("SEQEND"));
}

}  // namespace dxfdin
