#include "dxf_to_din/dimension_drawing.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "text/dimension_text.h"

namespace dxfdin {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTau = 2 * kPi;

using P = PlanePoint;

P operator+(P a, P b) {
  return {a.x + b.x, a.y + b.y};
}
P operator-(P a, P b) {
  return {a.x - b.x, a.y - b.y};
}
P operator*(P a, double f) {
  return {a.x * f, a.y * f};
}
bool operator==(P a, P b) {
  return a.x == b.x && a.y == b.y;
}
double Dot(P a, P b) {
  return a.x * b.x + a.y * b.y;
}
double Cross(P a, P b) {
  return a.x * b.y - a.y * b.x;
}
double Length(P a) {
  return std::hypot(a.x, a.y);
}
double Distance(P a, P b) {
  return Length(b - a);
}
P Lerp(P a, P b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}
// Square to `a`, turned counter-clockwise.
P Left(P a) {
  return {-a.y, a.x};
}
// `a` of length 1; a point without length stays as it is.
P Unit(P a) {
  const double length = Length(a);
  return length > 0 ? a * (1 / length) : a;
}
double AngleOf(P a) {
  return std::atan2(a.y, a.x);
}
double Degrees(double radians) {
  return radians * 180 / kPi;
}
double Radians(double degrees) {
  return degrees * kPi / 180;
}
P FromRadians(double radians) {
  return {std::cos(radians), std::sin(radians)};
}
// The direction of `degrees`, exact where it is a multiple of a right angle.
P FromDegrees(double degrees) {
  const double turns = degrees / 90;
  if (std::isfinite(turns) && turns == std::floor(turns) && std::abs(turns) < 1e9) {
    switch (static_cast<std::int64_t>(std::fmod(turns, 4) + 4) % 4) {
      case 0:
        return {1, 0};
      case 1:
        return {0, 1};
      case 2:
        return {-1, 0};
      default:
        return {0, -1};
    }
  }
  return FromRadians(Radians(degrees));
}
P Turned(P a, P direction) {
  return {a.x * direction.x - a.y * direction.y, a.x * direction.y + a.y * direction.x};
}
// Where the line through `p` along `d` meets the line through `q` along `e`; `p` when they
// are parallel.
P Meet(P p, P d, P q, P e) {
  const double across = Cross(d, e);
  if (across == 0) return p;
  return p + d * (Cross(q - p, e) / across);
}
// Counter-clockwise from `start` to `end` radians, 0 to 2 pi.
double Span(double start, double end) {
  double span = std::fmod(end - start, kTau);
  if (span < 0) span += kTau;
  return std::abs(span) < 1e-15 || std::abs(span - kTau) < 1e-15 ? 0 : span;
}
double Modulo(double a, double m) {
  const double r = std::fmod(a, m);
  return r < 0 ? r + m : r;
}

// The axes of an extrusion's coordinate system in the world, by DXF's arbitrary-axis rule.
struct Axes {
  Point3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
};

Point3 Cross3(const Point3& a, const Point3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Point3 Unit3(const Point3& v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0};
  return {v[0] / length, v[1] / length, v[2] / length};
}
double Dot3(const Point3& a, const Point3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Axes AxesOf(const Extrusion& extrusion) {
  const Point3 z = Unit3({extrusion.x, extrusion.y, extrusion.z});
  if (z == Point3{0, 0, 0} || z == Point3{0, 0, 1}) return {};
  const bool near_z = std::abs(z[0]) < 1.0 / 64 && std::abs(z[1]) < 1.0 / 64;
  const Point3 x = Unit3(Cross3(near_z ? Point3{0, 1, 0} : Point3{0, 0, 1}, z));
  return {x, Cross3(z, x), z};
}

bool Given(const Point3& p) {
  return !std::isnan(p[0]);
}
bool Finite(P p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// Arrowheads by the names CAD programs give them (a leading "_" and the case aside), and
// blocks of the drawing's own.
enum class ArrowKind {
  kClosedFilled,
  kClosedBlank,
  kClosed,
  kDot,
  kDotSmall,
  kDotBlank,
  kSmall,
  kOrigin,
  kOrigin2,
  kOpen,
  kOpen30,
  kOpen90,
  kNone,
  kOblique,
  kArchTick,
  kBoxFilled,
  kBox,
  kDatumFilled,
  kDatum,
  kIntegral,
  kBlock,
};

struct Arrow {
  ArrowKind kind = ArrowKind::kClosedFilled;
  std::string block;  // the drawing's block drawn for it, if any
};

// The arrow of that name; drawn through the drawing's block of its name where it holds one.
Arrow ArrowNamed(std::string_view name, const std::function<bool(std::string_view)>& holds_block) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string key(name.substr(!name.empty() && name[0] == '_' ? 1 : 0));
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  static constexpr std::pair<std::string_view, ArrowKind> kNames[] = {
      {"", ArrowKind::kClosedFilled},
      {"CLOSEDFILLED", ArrowKind::kClosedFilled},
      {"CLOSEDBLANK", ArrowKind::kClosedBlank},
      {"CLOSED", ArrowKind::kClosed},
      {"DOT", ArrowKind::kDot},
      {"DOTSMALL", ArrowKind::kDotSmall},
      {"DOTBLANK", ArrowKind::kDotBlank},
      {"SMALL", ArrowKind::kSmall},
      {"ORIGIN", ArrowKind::kOrigin},
      {"ORIGIN2", ArrowKind::kOrigin2},
      {"OPEN", ArrowKind::kOpen},
      {"OPEN30", ArrowKind::kOpen30},
      {"OPEN90", ArrowKind::kOpen90},
      {"NONE", ArrowKind::kNone},
      {"OBLIQUE", ArrowKind::kOblique},
      {"ARCHTICK", ArrowKind::kArchTick},
      {"BOXFILLED", ArrowKind::kBoxFilled},
      {"BOXBLANK", ArrowKind::kBox},
      {"DATUMFILLED", ArrowKind::kDatumFilled},
      {"DATUMBLANK", ArrowKind::kDatum},
      {"INTEGRAL", ArrowKind::kIntegral},
  };
  const auto held = [&](const std::string& block) {
    return holds_block && holds_block(block) ? block : std::string();
  };
  for (const auto& [known, kind] : kNames) {
    if (key == known) return {kind, held(key.empty() ? "_CLOSEDFILLED" : "_" + key)};
  }
  return {ArrowKind::kBlock, held(std::string(name))};
}

// Arrows whose figure ends at the dimension line's end, so the line runs to it (and may run
// on beyond it by DIMDLE).
bool EndsAtTip(const Arrow& arrow) {
  switch (arrow.kind) {
    case ArrowKind::kArchTick:
    case ArrowKind::kOblique:
    case ArrowKind::kDotSmall:
    case ArrowKind::kSmall:
    case ArrowKind::kIntegral:
    case ArrowKind::kNone:
      return true;
    default:
      return false;
  }
}

// Where the dimension line meets an arrow of `size` whose tip is `at`, pointing along
// `rotation` degrees.
P ConnectionPoint(const Arrow& arrow, P at, double size, double rotation) {
  return EndsAtTip(arrow) ? at : at - FromDegrees(rotation) * size;
}

double ArrowLength(const Arrow& arrow, double size) {
  return EndsAtTip(arrow) ? 0 : size;
}

// The box a text takes, through which the dimension line does not run.
struct TextBox {
  P centre;
  double width = 0, height = 0, angle = 0;  // degrees

  bool Valid() const { return width > 0 && height > 0; }
  std::array<P, 4> Corners() const {
    const P w = FromDegrees(angle) * (width / 2);
    const P h = FromDegrees(angle + 90) * (height / 2);
    return {centre - w - h, centre + w - h, centre + w + h, centre - w + h};
  }
  bool Inside(P p) const {
    const P delta = centre - p;
    if (std::abs(angle) < 1e-12) {
      return std::abs(delta.x) <= width / 2 && std::abs(delta.y) <= height / 2;
    }
    const double distance = Length(delta);
    if (distance > std::hypot(width, height) / 2) return false;
    if (distance <= std::min(width, height) / 2) return true;
    const auto corners = Corners();
    for (int i = 0; i < 4; ++i) {
      const P a = corners[i], b = corners[(i + 1) % 4];
      if (Cross(b - a, p - a) < -1e-9) return false;
    }
    return true;
  }
  // Where the segment crosses the box's sides, in the order of x, then y.
  std::vector<P> Crossings(P s1, P s2) const {
    std::vector<P> found;
    const auto corners = Corners();
    for (int i = 0; i < 4; ++i) {
      const P c1 = corners[i], c2 = corners[(i + 1) % 4];
      const double den = (c2.y - c1.y) * (s2.x - s1.x) - (c2.x - c1.x) * (s2.y - s1.y);
      if (std::abs(den) <= 1e-9) continue;
      const double us = ((c2.x - c1.x) * (s1.y - c1.y) - (c2.y - c1.y) * (s1.x - c1.x)) / den;
      const double uc = ((s2.x - s1.x) * (s1.y - c1.y) - (s2.y - s1.y) * (s1.x - c1.x)) / den;
      if (us < 0 || us > 1 || uc < 0 || uc > 1) continue;
      const P point = s1 + (s2 - s1) * us;
      if (std::none_of(found.begin(), found.end(), [&](P p) { return p == point; })) {
        found.push_back(point);
      }
    }
    std::sort(found.begin(), found.end(),
              [](P a, P b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    return found;
  }
};

// A style's sizes and switches, ready to draw with.
struct Setting {
  explicit Setting(const DimensionStyle& variables) : style(variables) {}

  const DimensionStyle& style;
  double text_height = 0, width_factor = 1, gap = 0, arrow_size = 0, tick_size = 0;
  double extension_above = 0, offset = 0, dimension_line_extension = 0;
  std::int32_t valign = 0, halign = 0, movement = 0;
  Arrow first, second, tick;
  std::int32_t line_colour = 0, extension_colour = 0, text_colour = 0;

  double VerticalPlacement() const { return valign == 0 ? 0 : valign == 4 ? -1 : 1; }
  // From the dimension line to the middle of its text, square to it.
  double TextVerticalDistance() const {
    if (valign == 0) return text_height * style.dimtvp;
    return (text_height / 2 + gap) * VerticalPlacement();
  }
  double TextWidth(const std::string& text) const {
    return static_cast<double>(ShownLength(text)) * text_height * width_factor;
  }
  MeasurementFormat Format(std::int32_t decimals, std::int32_t zeros,
                           const std::string& post) const {
    MeasurementFormat format;
    format.round = style.dimrnd;
    format.decimals = decimals;
    format.zeros = zeros;
    format.separator =
        style.dimdsep > ' ' && style.dimdsep < 127 ? static_cast<char>(style.dimdsep) : '.';
    format.post = post;
    return format;
  }
};

std::int32_t Colour(std::int32_t colour) {
  return colour >= 0 && colour <= 256 ? colour : 0;
}

// Builds a figure: lines (some broken where the text's box lies over them), arcs, arrows.
class Figure {
 public:
  explicit Figure(const Setting& setting) : s_(setting) {}

  DimensionFigure& Result() { return figure_; }
  void SetTextBox(const TextBox& box) { box_ = box; }

  void Line(P a, P b, std::int32_t colour, bool around_text = false) {
    if (!around_text || !box_.Valid()) {
      figure_.lines.push_back({a, b, colour});
      return;
    }
    const bool a_inside = box_.Inside(a), b_inside = box_.Inside(b);
    if (a_inside && b_inside) return;
    const std::vector<P> crossings = box_.Crossings(a, b);
    // The crossing nearer the line's start first.
    const auto ordered = [&](P p, P q) {
      return Distance(a, p) < Distance(a, q) ? std::pair{p, q} : std::pair{q, p};
    };
    if (a_inside || b_inside) {
      if (crossings.empty()) {
        figure_.lines.push_back({a, b, colour});
        return;
      }
      const P cut =
          crossings.size() == 1 ? crossings[0] : ordered(crossings[0], crossings[1]).first;
      figure_.lines.push_back({cut, b_inside ? a : b, colour});
      return;
    }
    if (crossings.size() == 2) {
      const auto [near, far] = ordered(crossings[0], crossings[1]);
      figure_.lines.push_back({a, near, colour});
      figure_.lines.push_back({far, b, colour});
      return;
    }
    figure_.lines.push_back({a, b, colour});
  }

  // Counter-clockwise from `start` to `end` radians.
  void Arc(P centre, double radius, double start, double end, std::int32_t colour,
           bool around_text = false) {
    if (around_text && box_.Valid()) {
      for (const auto& [from, to] : VisibleParts(centre, radius, start, end)) {
        figure_.arcs.push_back({centre, radius, Degrees(from), Degrees(to), colour});
      }
      return;
    }
    figure_.arcs.push_back({centre, radius, Degrees(start), Degrees(end), colour});
  }

  // An arrowhead (or a block) of `size` with its tip at `at`, pointing along `rotation`.
  void ArrowHead(const Arrow& arrow, P at, double size, double rotation) {
    const std::int32_t colour = s_.line_colour;
    const P along = FromDegrees(rotation);
    const auto place = [&](double u, double v) { return at + Turned(P{u, v} * size, along); };
    const auto outline = [&](std::vector<P> points) {
      figure_.outlines.push_back({std::move(points), colour});
    };
    const auto circle = [&](double u, double radius) {
      figure_.circles.push_back({place(u, 0), radius * size, colour});
    };
    const auto line = [&](double u1, double v1, double u2, double v2) {
      figure_.lines.push_back({place(u1, v1), place(u2, v2), colour});
    };
    if (!arrow.block.empty()) {
      figure_.blocks.push_back({arrow.block, at, size, rotation, colour});
      return;
    }
    // The closed arrow's half width: its sides 18.92 degrees apart.
    const double half = std::sin(Radians(18.924644 / 2));
    switch (arrow.kind) {
      case ArrowKind::kClosedFilled:
      case ArrowKind::kClosedBlank:
        outline({place(-1, half), place(0, 0), place(-1, -half)});
        break;
      case ArrowKind::kClosed:
        outline({place(-1, half), place(0, 0), place(-1, -half)});
        line(0, 0, -1, 0);
        break;
      case ArrowKind::kOpen:
      case ArrowKind::kOpen30:
      case ArrowKind::kOpen90: {
        const double h = arrow.kind == ArrowKind::kOpen     ? half
                         : arrow.kind == ArrowKind::kOpen30 ? std::sin(Radians(15))
                                                            : std::sin(Radians(45));
        line(-1, h, 0, 0);
        line(0, 0, -1, -h);
        line(0, 0, -1, 0);
        break;
      }
      case ArrowKind::kDot:  // a filled dot: its middle line, and the line to it
        circle(0, 0.25);
        line(-0.5, 0, -1, 0);
        break;
      case ArrowKind::kDotSmall:
        circle(0, 0.0625);
        break;
      case ArrowKind::kDotBlank:
        circle(0, 0.5);
        line(-0.5, 0, -1, 0);
        break;
      case ArrowKind::kSmall:
        circle(0, 0.25);
        break;
      case ArrowKind::kOrigin:
        circle(0, 0.5);
        line(0, 0, -1, 0);
        break;
      case ArrowKind::kOrigin2:
        circle(0, 0.5);
        circle(0, 0.25);
        line(-0.5, 0, -1, 0);
        break;
      case ArrowKind::kOblique:
      case ArrowKind::kArchTick:
        line(-0.5, -0.5, 0.5, 0.5);
        break;
      case ArrowKind::kBoxFilled:
      case ArrowKind::kBox:
        outline({place(-0.5, -0.5), place(0.5, -0.5), place(0.5, 0.5), place(-0.5, 0.5)});
        line(-0.5, 0, -1, 0);
        break;
      case ArrowKind::kDatumFilled:
      case ArrowKind::kDatum: {
        const double d = 0.577350269;  // tan 30 degrees
        outline({place(0, d), place(0, -d), place(-1, 0)});
        break;
      }
      case ArrowKind::kIntegral: {
        const double r = 0.3535534;
        figure_.arcs.push_back({place(-r, 0), r * size, rotation - 90, rotation, colour});
        figure_.arcs.push_back({place(r, 0), r * size, rotation + 90, rotation + 180, colour});
        break;
      }
      case ArrowKind::kBlock:  // a block the drawing does not hold
      case ArrowKind::kNone:
        break;
    }
  }

  // DIMTSZ's tick: a stroke twice its size, turned 45 degrees from `rotation`.
  void Tick(P at, double rotation) { ArrowHead(s_.tick, at, s_.tick_size * 2, rotation); }

  void Text(const std::string& text, P at, double rotation) {
    figure_.texts.push_back({at, s_.text_height, rotation, text, s_.text_colour});
  }

 private:
  // The parts of an arc the text's box leaves: when it crosses the box's sides twice, the
  // arc up to the first crossing and from the second.
  std::vector<std::pair<double, double>> VisibleParts(P centre, double radius, double start,
                                                      double end) const {
    start = Modulo(start, kTau);
    end = Modulo(end, kTau);
    const double start_degrees = Modulo(Degrees(start), 360),
                 end_degrees = Modulo(Degrees(end), 360);
    const auto on_arc = [&](P p) {
      const double angle = Modulo(Degrees(AngleOf(p - centre)), 360);
      if (start_degrees > end_degrees) return angle >= start_degrees || angle <= end_degrees;
      return start_degrees <= angle && angle <= end_degrees;
    };
    std::vector<double> angles;
    const auto corners = box_.Corners();
    for (int i = 0; i < 4; ++i) {
      const P a = corners[i], b = corners[(i + 1) % 4];
      const double length = Distance(a, b);
      if (!(length > 0)) continue;
      const P d = (b - a) * (1 / length);
      const P foot = a + d * Dot(centre - a, d);
      const double distance = Distance(centre, foot);
      std::vector<P> points;
      if (distance < radius) {
        const double base = distance <= 1e-10 ? AngleOf(d) - kPi / 2 : AngleOf(foot - centre);
        const double alpha = distance <= 1e-10 ? kPi / 2 : std::acos(distance / radius);
        points = {centre + FromRadians(base + alpha) * radius,
                  centre + FromRadians(base - alpha) * radius};
      } else if (std::abs(distance - radius) <= 1e-10) {
        points = {foot};
      }
      for (const P& p : points) {
        if (Distance(p, a) > length || Distance(p, b) > length || !on_arc(p)) continue;
        const double angle = Modulo(AngleOf(p - centre), kTau);
        if (angles.empty() || std::abs(angles.back() - angle) >
                                  1e-9 * std::max(std::abs(angle), std::abs(angles.back()))) {
          angles.push_back(angle);
        }
      }
    }
    if (angles.size() != 2) return {{start, end}};
    if (start > end) {
      for (double& angle : angles) {
        if (angle < start) angle += kTau;
      }
    }
    std::sort(angles.begin(), angles.end());
    return {{start, angles[0]}, {angles[1], end}};
  }

  const Setting& s_;
  DimensionFigure figure_;
  TextBox box_;
};

// The measurement of a length, the dimension's own text in its place.
std::string LengthText(const DimensionRecord& record, const Setting& s, double raw,
                       std::string_view prefix = {}) {
  const DimensionStyle& style = s.style;
  std::string measured = LengthMeasurementText(raw * style.dimlfac,
                                               s.Format(style.dimdec, style.dimzin, style.dimpost));
  if (!measured.empty()) measured.insert(0, prefix);
  return DimensionText(record.text, measured);
}

std::optional<P> TextMoved(const DimensionRecord& record) {
  if (!(record.type & 128) || !Given(record.text_middle)) return std::nullopt;
  return P{record.text_middle[0], record.text_middle[1]};
}

// Linear dimensions: horizontal, vertical, turned (group 50) and aligned with the points
// they measure.
void DrawLinear(const DimensionRecord& record, P definition, P first, P second, Setting s,
                Figure& figure) {
  double angle = record.angle;
  if ((record.type & 15) == 1 && !(first == second)) angle = Degrees(AngleOf(second - first));
  double oblique = std::isnan(record.oblique) ? 90 : record.oblique;
  if (std::abs(std::sin(Radians(oblique))) < 1e-9) oblique = 90;
  const double extension_angle = angle + oblique;
  const P along = FromDegrees(angle), across = FromDegrees(extension_angle);
  const P start = Meet(definition, along, first, across);
  const P end = Meet(definition, along, second, across);
  const P centre = Lerp(start, end);
  const double raw = Distance(start, end);
  const P direction = start == end ? along : Unit(end - start);
  // Arrows point out along the line as it runs from the first point to the second; the
  // text stands above it as its direction reads.
  const double line_angle = Dot(direction, along) >= 0 ? angle : angle + 180;
  const P up = Left(along);

  const std::string text = LengthText(record, s, raw);
  const bool arrows_outside = 2 * s.arrow_size + s.gap > raw;
  double width = 0, rotation = angle;
  bool outside = false, leader = false;
  P location = centre, leader1, leader2;
  if (!text.empty()) {
    width = s.TextWidth(text);
    if (s.halign == 3 || s.halign == 4) rotation = extension_angle;
    const double required =
        s.valign == 0 && std::abs(s.style.dimtvp) < 0.7 ? width + 2 * s.arrow_size : width;
    const bool wide = required > raw;
    if (!s.style.dimtix) {
      outside = wide;
    } else if (wide && s.halign < 3) {
      s.halign = 0;
    }
    if (const auto moved = TextMoved(record)) {
      location = *moved;
      outside = true;
      leader = s.movement == 1;
    } else if (s.halign == 3 || s.halign == 4) {
      // Above the extension line as the text, turned along it, reads.
      location = (s.halign == 3 ? start : end) - along * (s.gap + s.text_height / 2) +
                 across * (s.extension_above + width / 2);
    } else {
      const std::int32_t halign = outside ? 0 : s.halign;
      const double shift = width / 2 + s.arrow_size + s.gap;
      location = halign == 1   ? start + direction * shift
                 : halign == 2 ? end - direction * shift
                               : centre;
      const double rise =
          outside ? s.extension_above + s.gap + s.text_height / 2 : s.TextVerticalDistance();
      location = location + up * rise;
    }
    if (!std::isnan(record.text_rotation)) {
      rotation = record.text_rotation;
    } else if ((outside && s.style.dimtoh) || (!outside && s.style.dimtih)) {
      rotation = 0;
    }
    const TextBox box{location, width, s.text_height + 1.5 * s.gap, rotation};
    figure.SetTextBox(box);
    if (leader) {
      const auto corners = box.Corners();
      const bool swap = Distance(centre, corners[0]) > Distance(centre, corners[1]);
      leader1 = swap ? corners[1] : corners[0];
      leader2 = swap ? corners[0] : corners[1];
    }
  }

  // Extension lines from their gap off the points to beyond the dimension line.
  const auto extension = [&](P from, P to, bool text_above) {
    const P d = from == to ? across : Unit(to - from);
    figure.Line(from + d * s.offset, to + d * (s.extension_above + (text_above ? width : 0)),
                s.extension_colour);
  };
  if (!s.style.dimse1) extension(first, start, s.halign == 3);
  if (!s.style.dimse2) extension(second, end, s.halign == 4);

  P line_start = start, line_end = end;
  if (s.tick_size > 0) {
    figure.Tick(start, angle);
    figure.Tick(end, angle);
  } else {
    double start_angle = line_angle + 180, end_angle = line_angle;
    if (arrows_outside) std::swap(start_angle, end_angle);
    figure.ArrowHead(s.first, start, s.arrow_size, start_angle);
    figure.ArrowHead(s.second, end, s.arrow_size, end_angle);
    if (!arrows_outside) {
      line_start = ConnectionPoint(s.first, start, s.arrow_size, start_angle);
      line_end = ConnectionPoint(s.second, end, s.arrow_size, end_angle);
    } else {
      // Arrows outside the extension lines have a line of their own behind them.
      if (!EndsAtTip(s.first) && s.first.kind != ArrowKind::kBlock) {
        figure.Line(start - direction * s.arrow_size, start - direction * (2 * s.arrow_size),
                    s.line_colour);
      }
      if (!EndsAtTip(s.second) && s.second.kind != ArrowKind::kBlock) {
        figure.Line(end + direction * s.arrow_size, end + direction * (2 * s.arrow_size),
                    s.line_colour);
      }
    }
  }
  const P beyond = direction * s.dimension_line_extension;
  if (s.tick_size > 0 || EndsAtTip(s.first)) line_start = line_start - beyond;
  if (s.tick_size > 0 || EndsAtTip(s.second)) line_end = line_end + beyond;
  if (s.style.dimsd1 || s.style.dimsd2) {
    const P middle = Lerp(line_start, line_end);
    if (!s.style.dimsd1) figure.Line(line_start, middle, s.line_colour, true);
    if (!s.style.dimsd2) figure.Line(middle, line_end, s.line_colour, true);
  } else {
    figure.Line(line_start, line_end, s.line_colour, true);
  }
  if (!text.empty()) {
    figure.Text(text, location, rotation);
    if (leader) {
      figure.Line(centre, leader1, s.line_colour);
      figure.Line(leader1, leader2, s.line_colour);
    }
  }
}

// A text turned so that it does not read upside down.
double Upright(double angle) {
  angle = Modulo(angle, 360);
  if (angle > 90 && angle <= 270) angle = Modulo(angle - 180, 360);
  return angle;
}

// Radius and diameter dimensions: a line from the centre (or across the circle) to the
// point on it, the text inside or outside it.
void DrawRadial(const DimensionRecord& record, P definition, P on_circle, bool diameter, Setting s,
                Figure& figure) {
  const P centre = diameter ? Lerp(definition, on_circle) : definition;
  const P other_side = definition;
  std::optional<P> user = TextMoved(record);
  if (!user && s.style.dimtih && s.movement == 1) {
    user = Lerp(centre, on_circle);
    s.valign = 0;
  }
  const P direction = Unit(on_circle - centre);
  const double line_angle = Degrees(AngleOf(direction));
  const double radius = Distance(centre, on_circle);
  const double raw = Distance(definition, on_circle);
  const double outside_distance = radius + 2 * s.arrow_size;
  const P outside_point = centre + direction * outside_distance;
  const bool force_line = s.style.dimtofl;
  const std::string text = LengthText(record, s, raw, diameter ? "%%c" : "R");

  bool outside = !s.style.dimtix;
  if (user) outside = Distance(*user, centre) > radius;
  const double width = text.empty() ? 0 : s.TextWidth(text);
  double rotation = line_angle;
  if ((outside && s.style.dimtoh) || (!outside && s.style.dimtih)) rotation = 0;
  rotation = Upright(rotation);
  const bool horizontal = (outside && s.style.dimtoh) || (!outside && s.style.dimtih);
  const double angle_360 = Modulo(line_angle, 360);
  const bool leftwards = angle_360 > 90 && angle_360 <= 270;

  P location;
  if (user) {
    if (horizontal) {
      double shift = width / 2 + (s.VerticalPlacement() == 0 ? s.arrow_size : 0);
      if (user->x <= on_circle.x) shift = -shift;
      location = *user + P{shift, s.TextVerticalDistance()};
    } else {
      location = *user + Left(FromDegrees(rotation)) * s.TextVerticalDistance();
    }
  } else if (outside && s.style.dimtoh) {
    double shift = width / 2 + (s.VerticalPlacement() == 0 ? s.arrow_size : 0);
    if (leftwards) shift = -shift;
    location = outside_point + P{shift, s.TextVerticalDistance()};
  } else {
    const P middle = !outside
                         ? (diameter ? centre : centre + direction * ((radius - s.arrow_size) / 2))
                         : on_circle + direction * (width / 2 + s.arrow_size + s.gap);
    location = middle + Left(FromDegrees(rotation)) * s.TextVerticalDistance();
  }
  if (!text.empty()) figure.SetTextBox({location, width, s.text_height + 1.5 * s.gap, rotation});

  const auto arrow = [&](P at, bool turned) {
    if (s.tick_size > 0) {
      figure.Tick(at, line_angle);
      return at;
    }
    const double angle = line_angle + (turned ? 180 : 0);
    figure.ArrowHead(s.first, at, s.arrow_size, angle);
    return ConnectionPoint(s.first, at, s.arrow_size, angle);
  };
  const auto centre_mark = [&] {
    double size = s.style.Scaled(s.style.dimcen);
    if (size == 0 || !std::isfinite(size)) return;
    const bool centre_lines = size < 0;
    size = std::abs(size);
    const P x{size, 0}, y{0, size};
    figure.Line(centre - x, centre + x, s.line_colour);
    figure.Line(centre - y, centre + y, s.line_colour);
    const double reach = size + (diameter ? raw / 2 : raw);
    if (!centre_lines || reach < 2 * size) return;
    for (const P& axis : {P{1, 0}, P{0, 1}}) {
      figure.Line(centre + axis * (2 * size), centre + axis * reach, s.line_colour);
      figure.Line(centre - axis * (2 * size), centre - axis * reach, s.line_colour);
    }
  };
  // The line from the point on the circle out to the text, and under it.
  const auto horizontal_leg = [&](P from, P to, bool left) {
    figure.Line(from, to, s.line_colour);
    double length = s.VerticalPlacement() == 0 ? s.arrow_size : width;
    if (left) length = -length;
    figure.Line(to, to + P{length, 0}, s.line_colour);
  };
  const auto from_text = [&](P from, P to) {
    double shift = width / 2;
    if (s.VerticalPlacement() != 0) shift = -shift;
    figure.Line(from + direction * shift, to, s.line_colour);
  };

  if (!s.style.dimsd1) {
    if (user) {
      const bool leader = s.movement != 2;
      const bool outside_now = leader && outside;
      const P connection = arrow(on_circle, outside_now);
      if (outside_now) {
        if (force_line) {
          figure.Line(centre, on_circle, s.line_colour, true);
        } else {
          centre_mark();
        }
        if (s.style.dimtoh) {
          horizontal_leg(connection, *user, user->x <= on_circle.x);
        } else {
          double length = width / 2;
          if (s.VerticalPlacement() == 0) length = -length;
          figure.Line(connection, *user + direction * length, s.line_colour);
        }
      } else if (s.style.dimtih) {
        horizontal_leg(connection, *user, user->x <= on_circle.x);
      } else if (s.movement == 2) {
        if (diameter) {
          figure.Line(connection, arrow(other_side, true), s.line_colour, true);
        } else {
          figure.Line(centre, connection, s.line_colour, true);
        }
      } else {
        from_text(*user, connection);
        centre_mark();
      }
    } else if (outside) {
      const P connection = arrow(on_circle, true);
      if (force_line) {
        if (diameter) {
          figure.Line(connection, arrow(other_side, true), s.line_colour, true);
        } else {
          figure.Line(centre, on_circle, s.line_colour, true);
        }
      } else {
        centre_mark();
      }
      if (s.style.dimtoh) {
        horizontal_leg(connection, outside_point, leftwards);
      } else {
        figure.Line(connection, connection + direction * (s.gap + width), s.line_colour, true);
      }
    } else {
      const P connection = arrow(on_circle, false);
      if (s.movement == 1) {
        from_text(diameter ? centre : Lerp(centre, on_circle), connection);
        centre_mark();
      } else if (diameter) {
        figure.Line(connection, arrow(other_side, true), s.line_colour, true);
      } else {
        figure.Line(centre, connection, s.line_colour, true);
      }
    }
  }
  if (!text.empty()) figure.Text(text, location, rotation);
}

// Angle dimensions, of two lines or of three points: an arc about the angle's vertex
// between its extension lines, the text along it.
void DrawAngle(const DimensionRecord& record, P vertex, P first_leg, P second_leg, P ext1_start,
               P ext2_start, double radius, Setting s, Figure& figure) {
  const P ext1 = Unit(first_leg), ext2 = Unit(second_leg);
  const double start_angle = AngleOf(ext1), end_angle = AngleOf(ext2);
  const double span = Span(start_angle, end_angle);
  const double middle_angle = start_angle + span / 2;

  MeasurementFormat format = s.Format(s.style.dimadec < 0 ? s.style.dimdec : s.style.dimadec,
                                      s.style.dimazin, s.style.dimapost);
  format.round = 0;
  const std::string text =
      DimensionText(record.text, AngleMeasurementText(span, s.style.dimaunit, format));
  const double width = text.empty() ? 0 : s.TextWidth(text);
  const std::optional<P> user = TextMoved(record);

  bool remove_hidden = true, arrows_outside = false, outside = false;
  const auto fit = [&] {
    const double required = width + 2 * s.arrow_size;
    const bool wide = !(span > width / radius);
    arrows_outside = !(span > required / radius);
    outside = !(span > required * 1.1 / radius);
    if (outside && std::isnan(record.text_rotation)) remove_hidden = false;
    return wide;
  };
  const bool wide = fit();
  P location;
  P radial;
  double rotation = record.text_rotation;
  if (!user) {
    radial = FromRadians(middle_angle);
    double shift = 0;
    if (outside) {
      s.valign = 1;
      if (wide) shift = s.extension_above;
    }
    location = vertex + radial * (radius + s.TextVerticalDistance() + shift);
    if (s.valign > 0) remove_hidden = false;
  } else {
    location = *user;
    if (s.movement == 0) {
      radius = Distance(vertex, *user);
      fit();
    } else {
      if (s.movement == 1 && std::isnan(rotation)) rotation = 0;
      outside = true;
    }
    radial = Unit(location - vertex);
  }
  if (std::isnan(rotation)) rotation = Degrees(AngleOf(P{radial.y, -radial.x}));
  bool upside_down = false;
  if (const double a = Modulo(rotation, 360); a > 93 && a < 267) {
    upside_down = true;
    rotation += 180;
  }
  const TextBox box{location, width, s.text_height + 1.5 * s.gap, rotation};
  if (!text.empty()) figure.SetTextBox(box);

  // Extension lines: from their gap off the points to beyond the arc.
  const auto extension = [&](P from, P d) {
    double above = s.extension_above, offset = s.offset;
    if (Distance(from, vertex) > radius) {
      above = -above;
      offset = -offset;
    }
    figure.Line(from + d * offset, vertex + d * (radius + above), s.extension_colour);
  };
  if (!s.style.dimse1) extension(ext1_start, ext1);
  if (!s.style.dimse2) extension(ext2_start, ext2);

  double start_offset = 0, end_offset = 0;
  if (std::abs(radius) >= 1e-12) {
    const P start = vertex + ext1 * radius, end = vertex + ext2 * radius;
    const double angle1 = Degrees(AngleOf(Left(ext1))), angle2 = Degrees(AngleOf(Left(ext2)));
    if (s.tick_size > 0) {
      figure.Tick(start, angle1);
      figure.Tick(end, angle2);
    } else {
      // The heads turn by half the arc their length spans, to meet it.
      double tilt = s.arrow_size / radius * 0.5 * 180 / kPi;
      double first_angle = angle1 + 180, second_angle = angle2;
      if (arrows_outside) {
        first_angle += 180;
        second_angle += 180;
        tilt = -tilt;
      }
      figure.ArrowHead(s.first, start, s.arrow_size, first_angle + tilt);
      figure.ArrowHead(s.second, end, s.arrow_size, second_angle - tilt);
      if (!arrows_outside) {
        start_offset = ArrowLength(s.first, s.arrow_size) / radius;
        end_offset = ArrowLength(s.second, s.arrow_size) / radius;
      }
    }
  }
  if (!text.empty()) {
    figure.Text(text, location, rotation);
    if (user && s.movement == 1) {
      const P middle = vertex + FromRadians(middle_angle) * radius;
      const auto corners = box.Corners();
      P p1, p2;
      if (s.valign == 0) {
        // To the nearer middle of the box's ends, with a leg of an arrow's length.
        const P left = Lerp(corners[0], corners[3]), right = Lerp(corners[1], corners[2]);
        P leg = Unit(corners[0] - corners[1]) * s.arrow_size;
        P connection = left;
        if (Distance(middle, left) > Distance(middle, right)) {
          connection = right;
          leg = leg * -1;
        }
        p1 = connection + leg;
        p2 = connection;
      } else {
        P a = upside_down ? corners[2] : corners[0], b = upside_down ? corners[3] : corners[1];
        if (Distance(middle, a) > Distance(middle, b)) std::swap(a, b);
        p1 = a;
        p2 = b;
      }
      figure.Line(middle, p1, s.line_colour);
      figure.Line(p1, p2, s.line_colour);
    }
  }
  const double most = std::abs(span) / 2;
  if (start_offset > most) start_offset = 0;
  if (end_offset > most) end_offset = 0;
  figure.Arc(vertex, radius, start_angle + start_offset, end_angle - end_offset, s.line_colour,
             remove_hidden);
  if (arrows_outside && s.tick_size <= 0 && std::abs(radius) >= 1e-12) {
    const double length = ArrowLength(s.first, s.arrow_size);
    const double near = length > 0 ? length / radius : 0;
    const double far = s.arrow_size / radius * (length > 0 ? 2 : 1);
    figure.Arc(vertex, radius, start_angle - far, start_angle - near, s.line_colour);
    figure.Arc(vertex, radius, end_angle + near, end_angle + far, s.line_colour);
  }
}

// Ordinate dimensions: a leader from the feature to its text, which gives the feature's x
// or y from the origin (point 10) along the directions group 51 turns.
void DrawOrdinate(const DimensionRecord& record, P origin, P feature, P leader_end, Setting s,
                  Figure& figure) {
  const double horizontal = -record.horizontal_direction;
  const P x_axis = FromDegrees(horizontal), y_axis = Left(x_axis);
  const bool x_type = record.type & 64;
  const P leader = leader_end - feature;
  P measured = x_axis * Dot(x_axis, leader), square = y_axis * Dot(y_axis, leader);
  measured = Length(measured) > 0 ? Unit(measured) : P{1, 0};
  square = Length(square) > 0 ? Unit(square) : P{0, 1};
  if (!x_type) std::swap(measured, square);
  const P offset = feature - origin;
  const double raw = std::abs(Dot(x_type ? x_axis : y_axis, offset));
  const std::string text = LengthText(record, s, raw);
  const double width = text.empty() ? 0 : s.TextWidth(text);
  const P shift_direction = x_type ? x_axis * -1 : y_axis;
  const P location =
      leader_end + square * (width * 0.5) + shift_direction * s.TextVerticalDistance();
  const double rotation = (x_type ? 90.0 : 0.0) + horizontal;

  const double leg = s.arrow_size * 2;
  const double along = std::abs(Dot(square, leader)) - 2 * leg;
  const P start0 = feature + square * s.offset;
  const P end0 = feature + square * std::max(leg, along);
  const P start1 = leader_end - square * leg;
  P end1 = leader_end;
  if (s.VerticalPlacement() != 0) end1 = end1 + square * width;
  figure.Line(start0, end0, s.extension_colour);
  figure.Line(end0, start1, s.extension_colour);
  figure.Line(start1, end1, s.extension_colour);
  if (!text.empty()) figure.Text(text, location, rotation);
}

bool FiniteFigure(const DimensionFigure& figure) {
  const auto finite = [](std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
  };
  for (const auto& line : figure.lines) {
    if (!finite({line.a.x, line.a.y, line.b.x, line.b.y})) return false;
  }
  for (const auto& arc : figure.arcs) {
    if (!finite({arc.centre.x, arc.centre.y, arc.radius, arc.start, arc.end})) return false;
  }
  for (const auto& circle : figure.circles) {
    if (!finite({circle.centre.x, circle.centre.y, circle.radius})) return false;
  }
  for (const auto& outline : figure.outlines) {
    for (const P& p : outline.points) {
      if (!Finite(p)) return false;
    }
  }
  for (const auto& block : figure.blocks) {
    if (!finite({block.at.x, block.at.y, block.scale, block.rotation})) return false;
  }
  for (const auto& text : figure.texts) {
    if (!finite({text.at.x, text.at.y, text.height, text.rotation})) return false;
  }
  return true;
}

}  // namespace

DimensionLook DimensionLookOf(const DimensionStyles& styles, std::string_view style_name,
                              const DimensionStyleOverrides& overrides) {
  DimensionLook look;
  look.style = styles.Find(style_name);
  overrides.ApplyTo(look.style);
  const DimensionStyle& style = look.style;
  if (style.dimsah) {
    look.first_arrow = styles.ArrowBlock(style.dimblk1, style.dimblk1_handle);
    look.second_arrow = styles.ArrowBlock(style.dimblk2, style.dimblk2_handle);
  } else {
    look.first_arrow = look.second_arrow = styles.ArrowBlock(style.dimblk, style.dimblk_handle);
  }
  const DimensionStyles::TextStyle text_style = styles.TextStyleOf(style.dimtxsty_handle);
  look.text_style_height = text_style.height;
  look.width_factor = text_style.width;
  return look;
}

DimensionFigure DrawDimension(const DimensionRecord& record, const DimensionLook& look) {
  const DimensionStyle& style = look.style;
  Setting s{style};
  // A text style's fixed height is the text's height, whatever the scale.
  s.text_height = look.text_style_height > 0 ? look.text_style_height : style.Scaled(style.dimtxt);
  s.width_factor = look.width_factor > 0 ? look.width_factor : 1;
  s.gap = style.Scaled(style.dimgap);
  s.tick_size = style.Scaled(style.dimtsz);
  s.arrow_size = s.tick_size > 0 ? s.tick_size * 2 : style.Scaled(style.dimasz);
  s.extension_above = style.Scaled(style.dimexe);
  s.offset = style.Scaled(style.dimexo);
  s.dimension_line_extension = style.Scaled(style.dimdle);
  s.valign = style.dimtad;
  s.halign = style.dimjust;
  s.movement = style.dimtmove;
  if (s.tick_size <= 0) {
    s.first = ArrowNamed(look.first_arrow, look.holds_block);
    s.second = ArrowNamed(look.second_arrow, look.holds_block);
  }
  s.tick = ArrowNamed("OBLIQUE", look.holds_block);
  s.line_colour = Colour(style.dimclrd);
  s.extension_colour = Colour(style.dimclre);
  s.text_colour = Colour(style.dimclrt);
  for (double size : {s.text_height, s.gap, s.arrow_size, s.extension_above, s.offset,
                      s.dimension_line_extension, style.dimlfac, style.dimtvp}) {
    if (!std::isfinite(size)) return {};
  }

  // The points in the dimension's plane: world ones through its OCS, OCS ones as they are.
  const Axes axes = AxesOf(record.extrusion);
  const auto world = [&](const Point3& p) { return P{Dot3(p, axes.x), Dot3(p, axes.y)}; };
  const auto plane = [&](const Point3& p) { return P{p[0], p[1]}; };
  const auto need = [&](std::initializer_list<const Point3*> points) {
    for (const Point3* p : points) {
      if (!Given(*p) || !std::isfinite((*p)[0]) || !std::isfinite((*p)[1]) ||
          !std::isfinite((*p)[2])) {
        return false;
      }
    }
    return true;
  };
  for (double value : {record.angle, record.horizontal_direction}) {
    if (!std::isfinite(value)) return {};
  }

  Figure figure(s);
  switch (record.type & 15) {
    case 0:
    case 1:
      if (!need({&record.definition, &record.first, &record.second})) return {};
      DrawLinear(record, world(record.definition), world(record.first), world(record.second), s,
                 figure);
      break;
    case 3:
    case 4:
      if (!need({&record.definition, &record.third})) return {};
      DrawRadial(record, world(record.definition), world(record.third), (record.type & 15) == 3, s,
                 figure);
      break;
    case 2: {
      if (!need({&record.definition, &record.first, &record.second, &record.third, &record.arc})) {
        return {};
      }
      // The lines: from point 13 to 14 and from 15 to 10, meeting at the vertex (halfway
      // between their first points where they are parallel). The angle is the one between
      // them in which the arc's point 16 lies.
      const std::array<std::array<P, 2>, 2> lines{
          {{world(record.first), world(record.second)},
           {world(record.third), world(record.definition)}}};
      const P location = plane(record.arc);
      const P u1 = Unit(lines[0][1] - lines[0][0]), u2 = Unit(lines[1][1] - lines[1][0]);
      if (Length(u1) == 0 || Length(u2) == 0) return {};
      P vertex = Lerp(lines[0][0], lines[1][0]);
      if (std::abs(Cross(u1, u2)) > 1e-9) {
        vertex = lines[0][0] + u1 * (Cross(lines[1][0] - lines[0][0], u2) / Cross(u1, u2));
      }
      const std::array<std::pair<P, int>, 4> rays{{{u1, 0}, {u1 * -1, 0}, {u2, 1}, {u2 * -1, 1}}};
      const double at = AngleOf(location - vertex);
      std::optional<std::pair<int, int>> sector, first_sector;
      for (int i = 0; i < 4 && !sector; ++i) {
        for (int j = 0; j < 4; ++j) {
          if (rays[i].second == rays[j].second) continue;
          const double from = AngleOf(rays[i].first);
          const double span = Span(from, AngleOf(rays[j].first));
          if (!(span > 0 && span < kPi)) continue;
          if (!first_sector) first_sector = {i, j};
          if (Span(from, at) <= span) {
            sector = {i, j};
            break;
          }
        }
      }
      if (!sector) sector = first_sector;
      if (!sector) return {};
      // Each extension line starts at the point of its line nearer the arc.
      const auto nearer = [&](P d, const std::array<P, 2>& line) {
        return std::abs(Dot(d, line[0]) - Dot(d, location)) <=
                       std::abs(Dot(d, line[1]) - Dot(d, location))
                   ? line[0]
                   : line[1];
      };
      const auto& [start_ray, start_line] = rays[sector->first];
      const auto& [end_ray, end_line] = rays[sector->second];
      DrawAngle(record, vertex, start_ray, end_ray, nearer(start_ray, lines[start_line]),
                nearer(end_ray, lines[end_line]), Distance(location, vertex), s, figure);
      break;
    }
    case 5: {
      if (!need({&record.definition, &record.first, &record.second, &record.third})) return {};
      const P vertex = world(record.third);
      const P first = world(record.first), second = world(record.second);
      DrawAngle(record, vertex, first - vertex, second - vertex, first, second,
                Distance(world(record.definition), vertex), s, figure);
      break;
    }
    case 6:
      if (!need({&record.definition, &record.first, &record.second})) return {};
      DrawOrdinate(record, world(record.definition), world(record.first), world(record.second), s,
                   figure);
      break;
    default:
      return {};
  }
  DimensionFigure result = std::move(figure.Result());
  if (!FiniteFigure(result)) return {};
  return result;
}

void WriteDimension(const DimensionFigure& figure, const DimensionRecord& record, EntityText& out) {
  const Axes axes = AxesOf(record.extrusion);
  const double elevation = Given(record.text_middle) && std::isfinite(record.text_middle[2])
                               ? record.text_middle[2]
                           : Given(record.definition) ? Dot3(record.definition, axes.z)
                                                      : 0;
  const bool plain = axes.z == Point3{0, 0, 1};
  const auto world = [&](P p) -> Point3 {
    if (plain) return {p.x, p.y, elevation};
    Point3 w;
    for (int i = 0; i < 3; ++i) w[i] = p.x * axes.x[i] + p.y * axes.y[i] + elevation * axes.z[i];
    return w;
  };
  const auto ocs = [&](P p) { return Point3{p.x, p.y, elevation}; };
  const Extrusion extrusion = plain ? Extrusion{} : record.extrusion;
  for (const auto& line : figure.lines) {
    out.SetColour(line.colour);
    out.Line(world(line.a), world(line.b));
  }
  for (const auto& arc : figure.arcs) {
    out.SetColour(arc.colour);
    out.Arc(ocs(arc.centre), arc.radius, arc.start, arc.end, extrusion);
  }
  for (const auto& circle : figure.circles) {
    out.SetColour(circle.colour);
    out.Circle(ocs(circle.centre), circle.radius, extrusion);
  }
  for (const auto& outline : figure.outlines) {
    out.SetColour(outline.colour);
    std::vector<Point3> points;
    for (const P& p : outline.points) points.push_back(world(p));
    out.Chain(points, true);
  }
  for (const auto& block : figure.blocks) {
    out.SetColour(block.colour);
    out.Insert(block.name, ocs(block.at), {block.scale, block.scale, 1}, block.rotation, extrusion);
  }
  for (const auto& text : figure.texts) {
    out.SetColour(text.colour);
    const P d = FromDegrees(text.rotation);
    const Point3 direction =
        plain ? Point3{d.x, d.y, 0}
              : Point3{d.x * axes.x[0] + d.y * axes.y[0], d.x * axes.x[1] + d.y * axes.y[1],
                       d.x * axes.x[2] + d.y * axes.y[2]};
    out.Mtext(world(text.at), text.height, direction, 5, text.text, 0, 1, extrusion);
  }
  out.SetColour(0);
}

}  // namespace dxfdin
