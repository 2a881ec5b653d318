#include "dxf_to_din/proxy_graphics.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "dxf_to_din/curves.h"
#include "dxf_to_din/ocs_axes.h"

namespace dxfdin {

namespace {

constexpr double kPi = 3.14159265358979323846;

enum RecordType : std::uint32_t {
  kCircle = 2,
  kCircleThroughPoints = 3,
  kArc = 4,
  kArcThroughPoints = 5,
  kPolyline = 6,
  kPolygon = 7,
  kMesh = 8,
  kShell = 9,
  kText = 10,
  kText2 = 11,
  kXline = 12,
  kRay = 13,
  kFill = 20,
  kPushTransform = 29,
  kPushPlane = 30,
  kPopTransform = 31,
  kPolylineWithNormal = 32,
  kLwPolyline = 33,
  kUnicodeText = 36,
  kUnicodeText2 = 38,
};

// A text is kept to what a TEXT holds, in whole characters.
constexpr std::size_t kTextBytes = 254;
// The most points a chain of an EntityText can hold: longer ones are not read.
constexpr std::size_t kMaxChainPoints = EntityText::kMaxBytes / 96;

std::uint32_t U32At(std::string_view data, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i]));
  };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// The data of one record, read in order. A read beyond its end gives 0 and fails the record.
class Fields {
 public:
  explicit Fields(std::string_view data) : data_(data) {}

  bool Ok() const { return ok_; }
  std::size_t Left() const { return data_.size() - at_; }
  // Whether `count` items of `bytes` each are still there.
  bool Holds(std::uint64_t count, std::size_t bytes) const { return count <= Left() / bytes; }

  std::uint32_t U32() {
    if (Left() < 4) return Fail();
    const std::uint32_t value = U32At(data_, at_);
    at_ += 4;
    return value;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  double Real() {
    if (Left() < 8) return Fail();
    const std::uint64_t bits = U32At(data_, at_) | std::uint64_t{U32At(data_, at_ + 4)} << 32;
    at_ += 8;
    return std::bit_cast<double>(bits);
  }
  Point3 Point() {
    const double x = Real(), y = Real(), z = Real();
    return {x, y, z};
  }
  void Skip(std::size_t bytes) {
    if (Left() < bytes) Fail();
    at_ += std::min(bytes, Left());
  }

  // A string of bytes ended by a zero byte, then the data from the next multiple of 4; its
  // bytes as they are (the drawing's encoding).
  std::string Bytes() {
    const std::size_t end = data_.find('\0', at_);
    if (end == std::string_view::npos) {
      Fail();
      return {};
    }
    std::string text(data_.substr(at_, std::min(end - at_, kTextBytes)));
    AlignAfter(end + 1);
    return text;
  }

  // A string of UTF-16 code units ended by a zero unit, as ASCII with \U+XXXX for the rest
  // (characters beyond the basic plane as "?").
  std::string Utf16() {
    std::string text;
    std::uint32_t high = 0;  // a high surrogate waiting for its pair
    for (std::size_t i = at_; i + 2 <= data_.size(); i += 2) {
      const std::uint32_t unit =
          static_cast<unsigned char>(data_[i]) | static_cast<unsigned char>(data_[i + 1]) << 8;
      if (unit == 0) {
        AlignAfter(i + 2);
        return text;
      }
      std::string character;
      if (unit >= 0xD800 && unit < 0xDC00) {
        high = unit;
        continue;
      }
      if (unit >= 0xDC00 && unit < 0xE000) {
        character = high ? "?" : "";
      } else if (unit < 0x20 || unit == 0x7F) {
        character = " ";
      } else if (unit < 0x80) {
        character = static_cast<char>(unit);
      } else {
        char escape[16];
        std::snprintf(escape, sizeof escape, "\\U+%04X", static_cast<unsigned>(unit));
        character = escape;
      }
      high = 0;
      if (text.size() + character.size() <= kTextBytes) text += character;
    }
    Fail();
    return {};
  }

 private:
  std::uint32_t Fail() {
    ok_ = false;
    at_ = data_.size();
    return 0;
  }
  void AlignAfter(std::size_t end) { at_ = std::min(data_.size(), (end + 3) / 4 * 4); }

  std::string_view data_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

// The packed data of a light-weight polyline, as a DWG file holds an entity: fields of bits,
// most significant bit first. A read beyond the end gives 0 and fails.
class BitFields {
 public:
  explicit BitFields(std::string_view data) : data_(data) {}

  bool Ok() const { return ok_; }
  std::uint64_t BitsLeft() const { return std::uint64_t{data_.size()} * 8 - bit_; }

  std::uint32_t Bits(int count) {
    if (static_cast<std::uint64_t>(count) > BitsLeft()) {
      ok_ = false;
      bit_ = std::uint64_t{data_.size()} * 8;
      return 0;
    }
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bit_) {
      const auto byte = static_cast<unsigned char>(data_[bit_ >> 3]);
      value = value << 1 | ((byte >> (7 - (bit_ & 7))) & 1);
    }
    return value;
  }
  // `bytes` bytes, the least significant first.
  std::uint64_t Bytes(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint64_t{Bits(8)} << (8 * i);
    return value;
  }
  double RawDouble() { return std::bit_cast<double>(Bytes(8)); }
  std::int32_t BitShort() {
    switch (Bits(2)) {
      case 0:
        return static_cast<std::int16_t>(Bytes(2));
      case 1:
        return static_cast<std::int32_t>(Bits(8));
      case 2:
        return 0;
      default:
        return 256;
    }
  }
  std::int32_t BitLong() {
    switch (Bits(2)) {
      case 0:
        return static_cast<std::int32_t>(Bytes(4));
      case 1:
        return static_cast<std::int32_t>(Bits(8));
      case 2:
        return 0;
      default:
        ok_ = false;
        return 0;
    }
  }
  double BitDouble() {
    switch (Bits(2)) {
      case 0:
        return RawDouble();
      case 1:
        return 1;
      case 2:
        return 0;
      default:
        ok_ = false;
        return 0;
    }
  }
  // A double that patches the bytes of `previous` it differs in.
  double BitDoubleAfter(double previous) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(previous);
    switch (Bits(2)) {
      case 0:
        return previous;
      case 1:
        bits = (bits & 0xFFFFFFFF00000000u) | Bytes(4);
        return std::bit_cast<double>(bits);
      case 2: {
        const std::uint64_t middle = Bytes(2);
        bits = (bits & 0xFFFF000000000000u) | middle << 32 | Bytes(4);
        return std::bit_cast<double>(bits);
      }
      default:
        return RawDouble();
    }
  }

 private:
  std::string_view data_;
  std::uint64_t bit_ = 0;
  bool ok_ = true;
};

// A model transform: p' = m * (p, 1), the rows of the record's matrix (its last row, of no
// use to a drawing, left out).
struct Transform {
  std::array<std::array<double, 4>, 3> m{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};

  Point3 Turn(const Point3& v) const {
    Point3 r;
    for (int i = 0; i < 3; ++i) r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
  }
  Point3 Apply(const Point3& p) const {
    const Point3 r = Turn(p);
    return {r[0] + m[0][3], r[1] + m[1][3], r[2] + m[2][3]};
  }
  // This transform after `inner`.
  Transform After(const Transform& inner) const {
    Transform t;
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 4; ++j) {
        t.m[i][j] = m[i][0] * inner.m[0][j] + m[i][1] * inner.m[1][j] + m[i][2] * inner.m[2][j] +
                    (j == 3 ? m[i][3] : 0);
      }
    }
    return t;
  }
};

// What the records draw, through the model transforms pushed.
class Figure {
 public:
  explicit Figure(EntityText& out) : out_(out) {}

  void Push(const Transform& transform) {
    if (ignored_ > 0 || stack_.size() >= kMaxProxyTransformDepth) {
      ++ignored_;
      return;
    }
    stack_.push_back(Current().After(transform));
  }
  void Pop() {
    if (ignored_ > 0) {
      --ignored_;
    } else if (!stack_.empty()) {
      stack_.pop_back();
    }
  }
  bool Drawing() const { return ignored_ == 0 && !out_.Cut(); }

  // A chain through the points; a single point or points all in one place draw nothing.
  void Chain(const std::vector<Point3>& points, bool closed) {
    if (!Drawing()) return;
    std::vector<Point3> placed;
    placed.reserve(points.size());
    bool apart = false;
    for (const Point3& p : points) {
      placed.push_back(Current().Apply(p));
      if (!Finite(placed.back())) return;
      apart = apart || placed.back() != placed.front();
    }
    if (apart) out_.Chain(placed, closed);
  }

  // The arc of `radius` about `centre` in the plane of `normal`, from the direction `start`
  // counter-clockwise about the normal by `sweep` radians (clockwise when negative; a whole
  // turn or more is the circle).
  void Curve(const Point3& centre, double radius, const Point3& normal, const Point3& start,
             double sweep) {
    if (!Drawing()) return;
    const Point3 n = Unit(normal);
    radius = std::abs(radius);
    if (n == Point3{0, 0, 0} || !(radius > 0) || !std::isfinite(radius) || !Finite(centre) ||
        !std::isfinite(sweep) || sweep == 0) {
      return;
    }
    Point3 u = Unit(Minus(start, Times(n, Dot(start, n))));
    if (u == Point3{0, 0, 0}) u = OcsAxes(n).x;
    Point3 v = Cross(n, u);
    const bool whole = std::abs(sweep) >= 2 * kPi;
    if (whole) {
      sweep = 2 * kPi;
    } else if (sweep < 0) {
      // The same arc counter-clockwise from its other end.
      const Point3 end = Plus(Times(u, std::cos(sweep)), Times(v, std::sin(sweep)));
      u = end;
      v = Cross(n, u);
      sweep = -sweep;
    }
    const Transform& t = Current();
    const Point3 c = t.Apply(centre);
    const Point3 a = t.Turn(Times(u, radius)), b = t.Turn(Times(v, radius));
    const double la = Length(a), lb = Length(b);
    if (!Finite(c) || !(la > 0) || !(lb > 0) || !std::isfinite(la) || !std::isfinite(lb)) return;
    // A circle stays one where two radii at right angles stay so, and equally long.
    if (std::abs(la - lb) <= 1e-9 * la && std::abs(Dot(a, b)) <= 1e-9 * la * lb) {
      const OcsAxes axes(Cross(a, b));
      const Point3 at = axes.ToOcs(c);
      if (whole) {
        out_.Circle(at, la, axes.AsExtrusion());
      } else {
        const double from = std::atan2(Dot(a, axes.y), Dot(a, axes.x)) * 180 / kPi;
        out_.Arc(at, la, from, from + sweep * 180 / kPi, axes.AsExtrusion());
      }
      return;
    }
    // Otherwise an ellipse, drawn as a chain.
    const auto point = [&](double angle) {
      return Plus(c, Plus(Times(a, std::cos(angle)), Times(b, std::sin(angle))));
    };
    const int steps = ChainSteps(0, sweep, [&](double angle) {
      const Point3 p = point(angle);
      return WorldPoint{p[0], p[1]};
    });
    std::vector<Point3> points;
    points.reserve(static_cast<std::size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i) points.push_back(point(sweep * i / steps));
    if (whole) points.pop_back();
    out_.Chain(points, whole);
  }

  // A text from `at` along `direction`, upright in the plane of `normal`.
  void Text(const Point3& at, const Point3& normal, const Point3& direction, double height,
            const std::string& text) {
    if (!Drawing() || text.empty()) return;
    Point3 n = Unit(normal);
    if (n == Point3{0, 0, 0}) n = {0, 0, 1};
    Point3 d = Unit(Minus(direction, Times(n, Dot(direction, n))));
    if (d == Point3{0, 0, 0}) d = OcsAxes(n).x;
    const Transform& t = Current();
    const Point3 placed = t.Apply(at);
    const Point3 along = t.Turn(d), up = t.Turn(Times(Cross(n, d), height));
    const Point3 plane = Unit(Cross(along, up));
    const double placed_height = Length(up);
    if (!Finite(placed) || !(placed_height > 0) || !std::isfinite(placed_height) ||
        plane == Point3{0, 0, 0}) {
      return;
    }
    const OcsAxes axes(plane);
    const double rotation = std::atan2(Dot(along, axes.y), Dot(along, axes.x)) * 180 / kPi;
    out_.Text(axes.ToOcs(placed), placed_height, rotation, text, axes.AsExtrusion());
  }

 private:
  const Transform& Current() const {
    static const Transform kIdentity;
    return stack_.empty() ? kIdentity : stack_.back();
  }

  EntityText& out_;
  std::vector<Transform> stack_;
  std::size_t ignored_ = 0;  // pushes beyond the depth, still to be popped
};

std::vector<Point3> ReadPoints(Fields& fields, std::uint32_t count) {
  std::vector<Point3> points;
  if (count > kMaxChainPoints || !fields.Holds(count, 24)) return points;
  points.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) points.push_back(fields.Point());
  return points;
}

// The centre of the circle through three points, or none where they lie on a line.
bool CircleCentre(const Point3& p1, const Point3& p2, const Point3& p3, Point3& centre) {
  const Point3 a = Minus(p1, p3), b = Minus(p2, p3);
  const Point3 axb = Cross(a, b);
  const double denominator = 2 * Dot(axb, axb);
  if (!(denominator > 0) || !std::isfinite(denominator)) return false;
  const Point3 towards = Minus(Times(b, Dot(a, a)), Times(a, Dot(b, b)));
  centre = Plus(p3, Times(Cross(towards, axb), 1 / denominator));
  return Finite(centre);
}

void ArcThroughPoints(Fields& fields, Figure& figure, bool whole) {
  const Point3 p1 = fields.Point(), p2 = fields.Point(), p3 = fields.Point();
  Point3 centre;
  if (!fields.Ok() || !CircleCentre(p1, p2, p3, centre)) return;
  const Point3 start = Minus(p1, centre);
  // From the first point through the second to the third: counter-clockwise about this.
  const Point3 normal = Unit(Cross(Minus(p2, p1), Minus(p3, p2)));
  double sweep = 2 * kPi;
  if (!whole) {
    const Point3 end = Minus(p3, centre);
    const Point3 u = Unit(start), v = Cross(normal, u);
    sweep = std::atan2(Dot(end, v), Dot(end, u));
    if (sweep <= 0) sweep += 2 * kPi;
  }
  figure.Curve(centre, Length(start), normal, start, sweep);
}

// Rows and columns of vertices: the lines along both.
void Mesh(Fields& fields, Figure& figure) {
  const std::uint32_t rows = fields.U32(), columns = fields.U32();
  const std::uint64_t count = std::uint64_t{rows} * columns;
  if (!fields.Ok() || count < 2 || !fields.Holds(count, 24)) return;
  const std::vector<Point3> vertices = ReadPoints(fields, static_cast<std::uint32_t>(count));
  if (vertices.size() != count) return;
  std::vector<Point3> line;
  for (std::uint32_t r = 0; r < rows && columns > 1 && figure.Drawing(); ++r) {
    line.assign(vertices.begin() + std::ptrdiff_t{r} * columns,
                vertices.begin() + std::ptrdiff_t{r + 1} * columns);
    figure.Chain(line, false);
  }
  for (std::uint32_t c = 0; c < columns && rows > 1 && figure.Drawing(); ++c) {
    line.clear();
    for (std::uint32_t r = 0; r < rows; ++r) line.push_back(vertices[std::size_t{r} * columns + c]);
    figure.Chain(line, false);
  }
}

// Vertices, then faces as lists of vertex numbers (a negative count: a hole): the edges of
// every face.
void Shell(Fields& fields, Figure& figure) {
  const std::uint32_t vertex_count = fields.U32();
  const std::vector<Point3> vertices = ReadPoints(fields, vertex_count);
  const std::uint32_t entries = fields.U32();
  if (!fields.Ok() || vertices.size() != vertex_count) return;
  std::vector<Point3> face;
  for (std::uint64_t read = 0; read < entries && fields.Ok() && figure.Drawing();) {
    const std::int64_t signed_count = fields.I32();
    const std::uint64_t count = static_cast<std::uint64_t>(std::abs(signed_count));
    read += 1 + count;
    if (!fields.Holds(count, 4)) return;
    if (count > kMaxChainPoints) {
      fields.Skip(count * 4);
      continue;
    }
    face.clear();
    bool known = true;
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint32_t index = fields.U32();
      if (index < vertex_count) {
        face.push_back(vertices[index]);
      } else {
        known = false;
      }
    }
    if (known) figure.Chain(face, true);
  }
}

// The polyline of a light-weight polyline's packed data: its points in the plane of its
// normal at its elevation, bulged segments as arcs.
void LwPolyline(std::string_view data, Figure& figure) {
  // Some writers put the byte count of the packed data first.
  if (data.size() >= 4) {
    const std::uint32_t bytes = U32At(data, 0);
    if (bytes <= data.size() - 4 && data.size() - 4 - bytes < 4) data.remove_prefix(4);
  }
  BitFields bits(data);
  const std::int32_t flag = bits.BitShort();
  if (flag & 4) bits.BitDouble();  // constant width
  const double elevation = flag & 8 ? bits.BitDouble() : 0;
  if (flag & 2) bits.BitDouble();  // thickness
  Point3 normal{0, 0, 1};
  if (flag & 1) {
    const double x = bits.BitDouble(), y = bits.BitDouble(), z = bits.BitDouble();
    normal = {x, y, z};
  }
  const std::int64_t count = bits.BitLong();
  const std::int64_t bulge_count = flag & 16 ? bits.BitLong() : 0;
  const std::int64_t id_count = flag & 1024 ? bits.BitLong() : 0;
  const std::int64_t width_count = flag & 32 ? bits.BitLong() : 0;
  if (!bits.Ok() || count < 1 || count > std::int64_t{kMaxChainPoints} || bulge_count < 0 ||
      bulge_count > count || id_count < 0 || width_count < 0) {
    return;
  }
  // The fewest bits each takes: the first point 128, each other 4, a bulge or number 2.
  const std::uint64_t least = 128 + 4 * std::uint64_t(count - 1) + 2 * std::uint64_t(bulge_count) +
                              2 * std::uint64_t(id_count);
  if (least > bits.BitsLeft()) return;
  std::vector<Point3> points;
  points.reserve(static_cast<std::size_t>(count));
  double x = bits.RawDouble(), y = bits.RawDouble();
  points.push_back({x, y, elevation});
  for (std::int64_t i = 1; i < count; ++i) {
    x = bits.BitDoubleAfter(x);
    y = bits.BitDoubleAfter(y);
    points.push_back({x, y, elevation});
  }
  std::vector<double> bulges;
  bulges.reserve(static_cast<std::size_t>(bulge_count));
  for (std::int64_t i = 0; i < bulge_count; ++i) bulges.push_back(bits.BitDouble());
  if (!bits.Ok()) return;
  const bool closed = flag & 512;
  const OcsAxes axes(normal);
  // Straight runs as chains, bulged segments as arcs between them.
  std::vector<Point3> run{axes.ToWorld(points[0])};
  const std::size_t segments = points.size() - (closed ? 0 : 1);
  for (std::size_t i = 0; i < segments && figure.Drawing(); ++i) {
    const Point3& a = points[i];
    const Point3& b = points[(i + 1) % points.size()];
    const double bulge = i < bulges.size() ? bulges[i] : 0;
    const double chord = std::hypot(b[0] - a[0], b[1] - a[1]);
    if (bulge == 0 || !std::isfinite(bulge) || !(chord > 0)) {
      run.push_back(axes.ToWorld(b));
      continue;
    }
    if (run.size() > 1) figure.Chain(run, false);
    const double sweep = 4 * std::atan(bulge);
    // The centre stands off the chord's middle to its left (right when clockwise).
    const double off = chord / 2 / std::tan(sweep / 2);
    const Point3 centre{(a[0] + b[0]) / 2 - (b[1] - a[1]) / chord * off,
                        (a[1] + b[1]) / 2 + (b[0] - a[0]) / chord * off, elevation};
    const double radius = std::abs(chord / 2 / std::sin(sweep / 2));
    figure.Curve(axes.ToWorld(centre), radius, axes.z,
                 axes.ToWorld(Minus(a, {centre[0], centre[1], a[2]})), sweep);
    run.assign(1, axes.ToWorld(b));
  }
  if (run.size() > 1) figure.Chain(run, false);
}

void Text(Fields& fields, Figure& figure, bool unicode, bool second_form) {
  const Point3 at = fields.Point(), normal = fields.Point(), direction = fields.Point();
  double height = 0;
  std::string text;
  if (second_form) {
    // The text, its length and raw flag, then the height.
    text = unicode ? fields.Utf16() : fields.Bytes();
    fields.Skip(8);
    height = fields.Real();
  } else {
    height = fields.Real();
    fields.Skip(16);  // width factor, oblique angle
    text = unicode ? fields.Utf16() : fields.Bytes();
  }
  if (fields.Ok()) figure.Text(at, normal, direction, height, text);
}

// One record: draws it, or changes the state the next are drawn in. True for the records
// that draw (a fill holds for the next one only).
bool Record(std::uint32_t type, std::string_view data, Figure& figure, bool fill) {
  Fields fields(data);
  switch (type) {
    case kCircle: {
      const Point3 centre = fields.Point();
      const double radius = fields.Real();
      const Point3 normal = fields.Point();
      if (fields.Ok()) figure.Curve(centre, radius, normal, OcsAxes(normal).x, 2 * kPi);
      return true;
    }
    case kCircleThroughPoints:
    case kArcThroughPoints:
      ArcThroughPoints(fields, figure, type == kCircleThroughPoints);
      return true;
    case kArc: {
      const Point3 centre = fields.Point();
      const double radius = fields.Real();
      const Point3 normal = fields.Point(), start = fields.Point();
      const double sweep = fields.Real();
      if (fields.Ok()) figure.Curve(centre, radius, normal, start, sweep);
      return true;
    }
    case kPolyline:
    case kPolygon:
    case kPolylineWithNormal: {
      const std::vector<Point3> points = ReadPoints(fields, fields.U32());
      // A filled polyline is the outline of its area.
      figure.Chain(points, type == kPolygon || (fill && points.size() > 2));
      return true;
    }
    case kMesh:
      Mesh(fields, figure);
      return true;
    case kShell:
      Shell(fields, figure);
      return true;
    case kText:
    case kUnicodeText:
    case kText2:
    case kUnicodeText2:
      Text(fields, figure, type == kUnicodeText || type == kUnicodeText2,
           type == kText2 || type == kUnicodeText2);
      return true;
    case kXline:
    case kRay:
      return true;
    case kLwPolyline:
      LwPolyline(data, figure);
      return true;
    case kPushTransform: {
      Transform transform;
      for (auto& row : transform.m) {
        for (double& value : row) value = fields.Real();
      }
      figure.Push(transform);
      return false;
    }
    case kPushPlane: {
      // From the coordinates of the plane of a normal to the world's.
      const OcsAxes axes(fields.Point());
      Transform transform;
      for (int i = 0; i < 3; ++i) transform.m[i] = {axes.x[i], axes.y[i], axes.z[i], 0};
      figure.Push(transform);
      return false;
    }
    case kPopTransform:
      figure.Pop();
      return false;
    default:
      return false;
  }
}

}  // namespace

void DrawProxyGraphics(std::string_view data, EntityText& out) {
  Figure figure(out);
  bool fill = false;
  // After the header, records to the end of the data or the first that does not fit.
  for (std::size_t at = 8; at <= data.size() && data.size() - at >= 8 && !out.Cut();) {
    const std::uint32_t size = U32At(data, at), type = U32At(data, at + 4);
    if (size < 8 || size > data.size() - at) break;
    const std::string_view record = data.substr(at + 8, size - 8);
    if (type == kFill) {
      Fields fields(record);
      fill = fields.U32() != 0;
    } else if (Record(type, record, figure, fill)) {
      fill = false;
    }
    at += size;
  }
}

}  // namespace dxfdin
