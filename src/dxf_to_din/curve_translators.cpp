#include "dxf_to_din/curve_translators.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <vector>

#include "din_format/din_writer.h"
#include "dxf_to_din/curves.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_stream.h"
#include "dxf_to_din/hatch_pattern.h"
#include "dxf_to_din/polyline_items.h"

namespace dxfdin {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
constexpr double kDegree = std::numbers::pi / 180;
// Points a spline may give; its spans share them.
constexpr int kMaxSplinePoints = 20000;
// Control points, knots and weights a spline may have; beyond, it is passed over.
constexpr std::size_t kMaxSplineData = 100000;
// Groups of one hatch kept to read its boundaries; a larger hatch is passed over.
constexpr std::size_t kMaxHatchGroups = 500000;
// Points the curved edges of one hatch may give together; beyond, each further curve is its
// chord. The points are held until their path is written, so a hatch of many knots would
// otherwise take gigabytes.
constexpr std::int64_t kMaxHatchCurvePoints = 200000;

// The steps of a curved hatch edge as ChainSteps gives them from `drawn`, or as many as
// `room` has left (at least one: the curve's chord, without looking at the curve at all);
// taken from the room, and counted as work at `cost` a point.
int TakeCurveSteps(TConversionContext& context, std::int64_t& room, int most, int cost,
                   const std::function<int()>& steps) {
  if (room <= 0) return 1;
  const int taken = static_cast<int>(std::clamp<std::int64_t>(room, 1, std::min(most, steps())));
  room -= taken;
  context.work += std::int64_t{kChainStepProbes + taken} * cost;
  return taken;
}

// The work of finding the curve through `count` fit points: its equations are laid out
// square before they are solved.
std::int64_t FitWork(std::size_t count) {
  return static_cast<std::int64_t>(count * count / 8);
}

// Adds the points of the curve `at` from t0 to t1 to `items`, as many as ChainSteps asks
// (at most `most`), the one at t0 only when `with_first`. Each point looked at or made is
// `cost` work of the file.
void AddCurve(TConversionContext& context, PolylineItems& items, const Placement& placement,
              double t0, double t1, const std::function<Point3(double)>& at, bool with_first,
              int most = kMaxChainSteps, int cost = 1) {
  const int steps = std::min(most, ChainSteps(t0, t1, [&](double t) {
                               const Point3 p = at(t);
                               return placement.ToWorld(p[0], p[1], p[2]);
                             }));
  context.work += std::int64_t{kChainStepProbes + steps} * cost;
  for (int i = with_first ? 0 : 1; i <= steps; ++i) {
    const Point3 p = at(i == steps ? t1 : t0 + (t1 - t0) * i / steps);
    items.AddPoint(p[0], p[1], p[2]);
  }
}

// The sweep from `start` to `end` counter-clockwise, in (0, turn]; 0 for angles that are not
// numbers.
double Sweep(double start, double end, double turn) {
  double sweep = std::fmod(end - start, turn);
  if (!std::isfinite(sweep)) return 0;
  return sweep > 0 ? sweep : sweep + turn;
}

}  // namespace

void AddNurbs(TConversionContext& context, PolylineItems& items, const Placement& placement,
              const Nurbs& curve) {
  std::vector<std::pair<double, double>> spans;
  for (std::size_t k = static_cast<std::size_t>(curve.degree);
       k + 1 + static_cast<std::size_t>(curve.degree) < curve.knots.size(); ++k) {
    if (curve.knots[k] < curve.knots[k + 1]) spans.emplace_back(curve.knots[k], curve.knots[k + 1]);
  }
  const int share =
      std::max(2, kMaxSplinePoints / static_cast<int>(std::max<std::size_t>(1, spans.size())));
  bool first = true;
  for (const auto& [t0, t1] : spans) {
    AddCurve(
        context, items, placement, t0, t1, [&](double t) { return curve.At(t); }, first, share,
        curve.PointCost());
    first = false;
  }
}

namespace {

Point3 Normal(const Extrusion& extrusion) {
  const double length =
      std::sqrt(extrusion.x * extrusion.x + extrusion.y * extrusion.y + extrusion.z * extrusion.z);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 1};
  return {extrusion.x / length, extrusion.y / length, extrusion.z / length};
}

// An integer group's value as read into a real; 0 for one that is not a whole number in range
// (the value of a hostile file).
std::int64_t Whole(double value) {
  return std::isfinite(value) && std::fabs(value) < 1e15 ? static_cast<std::int64_t>(value) : 0;
}

// The numeric groups of a hatch, in their order (its names and handles are not needed).
struct Group {
  std::int32_t code;
  double value;
};

bool IsNumeric(std::int32_t code) {
  return (code >= 10 && code <= 59) || (code >= 70 && code <= 99) || (code >= 210 && code <= 239) ||
         (code >= 450 && code <= 469);
}

// A cursor over the groups of a hatch: each field is taken when the next group has its code.
class HatchReader {
 public:
  explicit HatchReader(const std::vector<Group>& groups) : groups_(groups) {}
  std::optional<double> Take(std::int32_t code) {
    if (at_ < groups_.size() && groups_[at_].code == code) return groups_[at_++].value;
    return std::nullopt;
  }
  // The next group with this code, passing over what comes before it.
  std::optional<double> Seek(std::int32_t code) {
    while (at_ < groups_.size() && groups_[at_].code != code) ++at_;
    return Take(code);
  }
  std::optional<std::array<double, 2>> TakePoint(std::int32_t code) {
    auto x = Take(code);
    if (!x) return std::nullopt;
    auto y = Take(code + 10);
    if (!y) return std::nullopt;
    return std::array<double, 2>{*x, *y};
  }
  // The count of the next group with this code, passing over what comes before it.
  std::size_t SeekCount(std::int32_t code) {
    while (at_ < groups_.size() && groups_[at_].code != code) ++at_;
    return TakeCount(code);
  }
  // A count, bounded by the groups that are left.
  std::size_t TakeCount(std::int32_t code) {
    auto value = Take(code);
    if (!value || !(*value > 0)) return 0;
    return static_cast<std::size_t>(std::min(*value, static_cast<double>(groups_.size())));
  }

 private:
  const std::vector<Group>& groups_;
  std::size_t at_ = 0;
};

// Whether an edge starting at (x, y) goes on from (last_x, last_y).
bool Meets(double last_x, double last_y, double x, double y) {
  const double tolerance = 1e-9 * (std::fabs(x) + std::fabs(y) + 1);
  return std::fabs(x - last_x) <= tolerance && std::fabs(y - last_y) <= tolerance;
}

bool Meets(const LoopVertex& a, const LoopVertex& b) {
  return Meets(a.x, a.y, b.x, b.y);
}

// A chain of a hatch's boundary as it is drawn: the vertices of a polyline path, or edges of
// an edge path that meet end to start, arcs as bulged segments.
struct BoundaryChain {
  std::vector<LoopVertex> vertices;
  bool closed = false;
};

// A boundary path: its flags (group 92) and its chains, [first, end) of the hatch's.
struct BoundaryPathChains {
  std::int64_t flags;
  std::size_t first, end;
};

// The chains of an edge path: consecutive edges that meet make one chain.
class EdgeChains {
 public:
  explicit EdgeChains(std::vector<BoundaryChain>& chains) : chains_(chains) {}
  ~EdgeChains() { Flush(); }
  EdgeChains(const EdgeChains&) = delete;
  EdgeChains& operator=(const EdgeChains&) = delete;

  // Starts an edge at (x, y): a new chain unless it meets the end of the last edge.
  void MoveTo(double x, double y) {
    if (!chain_.empty() && Meets(chain_.back().x, chain_.back().y, x, y)) return;
    Flush();
    chain_.push_back({x, y, 0});
  }
  void LineTo(double x, double y) { chain_.push_back({x, y, 0}); }
  // An arc through (mx, my) to (x, y) whose included angle is `sweep` radians, negative
  // clockwise; more than half a turn goes in two halves.
  void ArcTo(double mx, double my, double x, double y, double sweep) {
    if (std::fabs(sweep) > std::numbers::pi) {
      chain_.back().bulge = std::tan(sweep / 8);
      chain_.push_back({mx, my, std::tan(sweep / 8)});
    } else {
      chain_.back().bulge = std::tan(sweep / 4);
    }
    chain_.push_back({x, y, 0});
  }
  // A chain of a single point draws nothing.
  void Flush() {
    if (chain_.size() >= 2) chains_.push_back({std::move(chain_), false});
    chain_.clear();
  }

 private:
  std::vector<BoundaryChain>& chains_;
  std::vector<LoopVertex> chain_;
};

// The chain run the other way: each bulge goes to the other end of its segment, turned.
std::vector<LoopVertex> Reversed(const std::vector<LoopVertex>& chain) {
  std::vector<LoopVertex> reversed(chain.rbegin(), chain.rend());
  for (std::size_t i = 0; i < reversed.size(); ++i) {
    reversed[i].bulge = i + 1 < reversed.size() ? -reversed[i + 1].bulge : 0;
  }
  return reversed;
}

// The closed loops a path's chains make, as a viewer joins them: a polyline path is one loop;
// the chains of an edge path join where their ends meet, either way round, a gap is bridged
// by a straight segment unless the loop so far is closed, and the last loop closes itself.
void AddLoops(const std::vector<BoundaryChain>& chains, const BoundaryPathChains& path,
              bool polyline, std::vector<Loop>& loops) {
  if (polyline) {
    for (std::size_t c = path.first; c < path.end; ++c) {
      if (chains[c].vertices.size() >= 2) loops.push_back(chains[c].vertices);
    }
    return;
  }
  Loop loop;
  const auto append = [](Loop& to, const std::vector<LoopVertex>& chain) {
    if (!to.empty() && Meets(to.back(), chain.front())) to.pop_back();
    to.insert(to.end(), chain.begin(), chain.end());
  };
  for (std::size_t c = path.first; c < path.end; ++c) {
    const std::vector<LoopVertex>& chain = chains[c].vertices;
    if (loop.empty()) {
      loop = chain;
    } else if (Meets(loop.back(), chain.front())) {
      append(loop, chain);
    } else if (Meets(loop.back(), chain.back())) {
      append(loop, Reversed(chain));
    } else if (Meets(loop.front(), chain.back())) {
      Loop joined = chain;
      append(joined, loop);
      loop = std::move(joined);
    } else if (Meets(loop.front(), chain.front())) {
      loop = Reversed(loop);
      append(loop, chain);
    } else if (Meets(loop.front(), loop.back())) {
      loops.push_back(std::move(loop));
      loop = chain;
    } else {
      loop.back().bulge = 0;
      loop.insert(loop.end(), chain.begin(), chain.end());
    }
  }
  if (loop.size() >= 2) loops.push_back(std::move(loop));
}

// How a hatch is filled: solid (group 70), its island style (75) and the lines of its
// pattern (78, then 53, 43, 44, 45, 46, 79 and its 49s for each line).
struct HatchFill {
  bool solid = true;
  std::int64_t style = 0;
  std::vector<PatternFamily> families;
};

HatchFill FillOf(const std::vector<Group>& groups) {
  HatchFill fill;
  fill.solid = HatchReader(groups).Seek(70).value_or(1) != 0;
  fill.style = Whole(HatchReader(groups).Seek(75).value_or(0));
  HatchReader pattern(groups);
  for (std::size_t count = pattern.SeekCount(78); count > 0; --count) {
    const auto angle = pattern.Take(53);
    const auto base_x = pattern.Take(43);
    const auto base_y = pattern.Take(44);
    const auto offset_x = pattern.Take(45);
    const auto offset_y = pattern.Take(46);
    if (!angle || !base_x || !base_y || !offset_x || !offset_y) break;
    PatternFamily family{*angle, *base_x, *base_y, *offset_x, *offset_y, {}};
    for (std::size_t dashes = pattern.TakeCount(79); dashes > 0; --dashes) {
      const auto dash = pattern.Take(49);
      if (!dash) break;
      family.dashes.push_back(*dash);
    }
    fill.families.push_back(std::move(family));
  }
  return fill;
}

// Whether a viewer fills a path of these flags with the pattern under the island style: text
// boxes never; under style 1 (outermost) only the external and outermost paths, under 2
// (ignore islands, and any other) only the external ones.
bool PatternedPath(std::int64_t flags, std::int64_t style) {
  if (flags & 8) return false;
  if (style == 0) return true;
  return (flags & 1) || (style == 1 && (flags & 16));
}

}  // namespace

void TranslateEllipse(TConversionContext& context, const TConversionSettings& settings,
                      const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  Point3 centre{}, major{1, 0, 0};
  double ratio = 1, start = 0, end = kTurn;
  Extrusion extrusion;
  ReadGeometry(context, {{10, &centre[0]},
                         {20, &centre[1]},
                         {30, &centre[2]},
                         {11, &major[0]},
                         {21, &major[1]},
                         {31, &major[2]},
                         {40, &ratio},
                         {41, &start},
                         {42, &end},
                         {210, &extrusion.x},
                         {220, &extrusion.y},
                         {230, &extrusion.z}});
  if (!AssignClassInFrame(context, settings, frame)) return;
  // The minor axis: square to the major one in the ellipse's plane, `ratio` as long.
  const Point3 n = Normal(extrusion);
  const Point3 minor = {ratio * (n[1] * major[2] - n[2] * major[1]),
                        ratio * (n[2] * major[0] - n[0] * major[2]),
                        ratio * (n[0] * major[1] - n[1] * major[0])};
  auto at = [&](double t) {
    const double c = std::cos(t), s = std::sin(t);
    return Point3{centre[0] + c * major[0] + s * minor[0], centre[1] + c * major[1] + s * minor[1],
                  centre[2] + c * major[2] + s * minor[2]};
  };
  const double sweep = Sweep(start, end, kTurn);
  const bool whole = sweep >= kTurn;
  PolylineItems items(context, ItemHeadOf(context), frame.placement, 0);
  AddCurve(context, items, frame.placement, start, start + sweep, at, true);
  items.Finish(whole);
  context.item_count += items.Items();
}

void TranslateSpline(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  std::int32_t degree = 3;
  Nurbs curve;
  std::vector<Point3> fit;
  std::optional<Point3> start_tangent, end_tangent;
  Point3* point = nullptr;  // the control or fit point being read
  double ignored = 0;
  bool too_large = false;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    double* field = nullptr;
    switch (code) {
      case 40:
      case 41: {
        auto& values = code == 40 ? curve.knots : curve.weights;
        if (values.size() < kMaxSplineData) {
          field = &values.emplace_back(0);
        } else {
          too_large = true;
        }
        break;
      }
      case 10:
      case 11:
        point = nullptr;
        if ((code == 10 ? curve.points.size() : fit.size()) < kMaxSplineData) {
          point = &(code == 10 ? curve.points : fit).emplace_back(Point3{});
        } else {
          too_large = true;
        }
        field = point ? &(*point)[0] : nullptr;
        break;
      case 20:
      case 30:
      case 21:
      case 31:
        field = point ? &(*point)[code / 10 - 1] : nullptr;
        break;
      case 12:
      case 13: {
        auto& tangent = code == 12 ? start_tangent : end_tangent;
        tangent = Point3{};
        point = &*tangent;
        field = &(*point)[0];
        break;
      }
      case 22:
      case 32:
      case 23:
      case 33:
        field = point ? &(*point)[code / 10 - 1] : nullptr;
        break;
      default:
        break;
    }
    if (field) {
      ReadDoubleValue(context, *field);
    } else if (code == 71) {
      ReadIntValue(context, degree);
    } else if (code == 40 || code == 41 || (code >= 10 && code <= 33)) {
      ReadDoubleValue(context, ignored);
    } else {
      ReadGeometryGroup(context, {});
    }
  }
  if (!AssignClassInFrame(context, settings, frame)) return;
  std::optional<Nurbs> drawn;
  if (!curve.points.empty()) {
    curve.degree = degree;
    // Weights that are not there (or not one to a point) are all 1.
    if (curve.weights.size() != curve.points.size()) curve.weights.assign(curve.points.size(), 1);
    if (curve.Valid()) drawn = std::move(curve);
  } else {
    context.work += FitWork(fit.size());
    drawn = CurveThroughFitPoints(fit, start_tangent && end_tangent ? start_tangent : std::nullopt,
                                  start_tangent && end_tangent ? end_tangent : std::nullopt);
  }
  if (!drawn || too_large) {
    CountPassedOver(context, too_large ? MakeMessage(MessageId::kKindTooLarge, {"SPLINE"})
                                       : MakeMessage(MessageId::kSplineNoCurve));
    return;
  }
  PolylineItems items(context, ItemHeadOf(context), frame.placement, 0);
  AddNurbs(context, items, frame.placement, *drawn);
  items.Finish(false);
  context.item_count += items.Items();
}

void TranslateHatch(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  std::vector<Group> groups;
  Extrusion extrusion;
  bool too_large = false;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    if (code == 6 || code == 8 || code == 60 || code == 62) {
      ReadGeometryGroup(context, {});
    } else if (code == 210 || code == 220 || code == 230) {
      ReadDoubleValue(context, code == 210 ? extrusion.x : code == 220 ? extrusion.y : extrusion.z);
    } else if (IsNumeric(code) && groups.size() < kMaxHatchGroups) {
      double value = NAN;
      ReadDoubleValue(context, value);
      groups.push_back({code, value});
    } else {
      too_large = too_large || IsNumeric(code);
      SkipValue(context);
    }
  }
  if (!AssignClassInFrame(context, settings, frame)) return;
  if (too_large) {
    CountPassedOver(context, MakeMessage(MessageId::kKindTooLarge, {"HATCH"}));
    return;
  }
  const Placement placement = frame.placement.Compose(Placement(extrusion));
  // The elevation is the z of the hatch's first point; the paths follow their count (91).
  const double elevation = HatchReader(groups).Seek(30).value_or(0);
  HatchReader boundary(groups);
  std::int64_t curve_room = kMaxHatchCurvePoints;
  const double paths = boundary.Seek(91).value_or(0);
  const auto path_count = static_cast<std::size_t>(
      std::isfinite(paths) ? std::clamp(paths, 0.0, static_cast<double>(groups.size())) : 0.0);
  std::vector<BoundaryChain> chains;
  std::vector<BoundaryPathChains> path_chains;
  for (std::size_t path = 0; path < path_count; ++path) {
    const auto flags = boundary.Take(92);
    if (!flags) break;
    const std::size_t first = chains.size();
    if (Whole(*flags) & 2) {
      // A polyline path: vertices with their bulges; drawn even without a segment.
      BoundaryChain polyline;
      const bool bulges = boundary.Take(72).value_or(0) != 0;
      polyline.closed = boundary.Take(73).value_or(0) != 0;
      const std::size_t count = boundary.TakeCount(93);
      for (std::size_t k = 0; k < count; ++k) {
        const auto p = boundary.TakePoint(10);
        if (!p) break;
        const double bulge = bulges ? boundary.Take(42).value_or(0) : 0;
        polyline.vertices.push_back({(*p)[0], (*p)[1], bulge});
      }
      chains.push_back(std::move(polyline));
    } else {
      EdgeChains chain(chains);
      const std::size_t edges = boundary.TakeCount(93);
      for (std::size_t e = 0; e < edges; ++e) {
        const auto type = boundary.Take(72);
        if (!type) break;
        if (*type == 1) {
          const auto a = boundary.TakePoint(10);
          const auto b = a ? boundary.TakePoint(11) : std::nullopt;
          if (!b) break;
          chain.MoveTo((*a)[0], (*a)[1]);
          chain.LineTo((*b)[0], (*b)[1]);
        } else if (*type == 2 || *type == 3) {
          // Arcs and elliptic arcs: clockwise ones store the complements of their angles.
          const auto c = boundary.TakePoint(10);
          const auto major = c && *type == 3 ? boundary.TakePoint(11) : std::array<double, 2>{};
          const auto size = boundary.Take(40);
          const auto start = boundary.Take(50);
          const auto end = boundary.Take(51);
          const bool ccw = boundary.Take(73).value_or(1) != 0;
          if (!c || !size || !start || !end) break;
          const double a0 = ccw ? *start : 360 - *end;
          const double a1 = ccw ? *end : 360 - *start;
          if (*type == 2) {
            const double r = *size;
            const double sweep = Sweep(a0, a1, 360) * kDegree;
            auto point = [&](double degrees) {
              return std::array<double, 2>{(*c)[0] + r * std::cos(degrees * kDegree),
                                           (*c)[1] + r * std::sin(degrees * kDegree)};
            };
            const auto from = point(ccw ? a0 : a1), to = point(ccw ? a1 : a0);
            const auto middle = point(a0 + sweep / kDegree / 2);
            chain.MoveTo(from[0], from[1]);
            chain.ArcTo(middle[0], middle[1], to[0], to[1], ccw ? sweep : -sweep);
          } else {
            // Angles of the ellipse's points to its parameters.
            const double ratio = *size;
            const auto m = *major;
            auto parameter = [&](double degrees) {
              return std::atan2(std::sin(degrees * kDegree) / ratio, std::cos(degrees * kDegree));
            };
            const double p0 = parameter(a0);
            const double sweep = Sweep(p0, parameter(a1), kTurn);
            auto at = [&](double t) {
              // Traversed from its start to its end, backwards when clockwise.
              const double u = ccw ? p0 + t * sweep : p0 + (1 - t) * sweep;
              const double cs = std::cos(u), sn = std::sin(u);
              return Point3{(*c)[0] + cs * m[0] - sn * ratio * m[1],
                            (*c)[1] + cs * m[1] + sn * ratio * m[0], elevation};
            };
            const Point3 first = at(0);
            chain.MoveTo(first[0], first[1]);
            const int steps = TakeCurveSteps(context, curve_room, kMaxChainSteps, 1, [&] {
              return ChainSteps(0, 1, [&](double t) {
                const Point3 p = at(t);
                return placement.ToWorld(p[0], p[1], p[2]);
              });
            });
            for (int i = 1; i <= steps; ++i) {
              const Point3 p = at(static_cast<double>(i) / steps);
              chain.LineTo(p[0], p[1]);
            }
          }
        } else if (*type == 4) {
          Nurbs spline;
          spline.degree = static_cast<int>(
              std::clamp<std::int64_t>(Whole(boundary.Take(94).value_or(3)), 0, 33));
          const bool rational = boundary.Take(73).value_or(0) != 0;
          boundary.Take(74);
          const std::size_t knots = boundary.TakeCount(95);
          const std::size_t controls = boundary.TakeCount(96);
          for (std::size_t k = 0; k < knots; ++k) {
            const auto knot = boundary.Take(40);
            if (!knot) break;
            spline.knots.push_back(*knot);
          }
          for (std::size_t k = 0; k < controls; ++k) {
            const auto p = boundary.TakePoint(10);
            if (!p) break;
            spline.points.push_back({(*p)[0], (*p)[1], elevation});
            const auto weight = rational ? boundary.Take(42) : std::nullopt;
            spline.weights.push_back(weight.value_or(1));
          }
          std::vector<Point3> fit;
          for (std::size_t k = boundary.TakeCount(97); k > 0; --k) {
            const auto p = boundary.TakePoint(11);
            if (!p) break;
            fit.push_back({(*p)[0], (*p)[1], elevation});
          }
          const auto s = boundary.TakePoint(12);
          const auto t = boundary.TakePoint(13);
          std::optional<Nurbs> drawn;
          if (!spline.points.empty()) {
            if (spline.Valid()) drawn = std::move(spline);
          } else if (s && t) {
            context.work += FitWork(fit.size());
            drawn = CurveThroughFitPoints(fit, Point3{(*s)[0], (*s)[1], 0},
                                          Point3{(*t)[0], (*t)[1], 0});
          } else {
            context.work += FitWork(fit.size());
            drawn = CurveThroughFitPoints(fit, std::nullopt, std::nullopt);
          }
          if (!drawn) continue;
          const Point3 first = drawn->At(drawn->Start());
          chain.MoveTo(first[0], first[1]);
          for (std::size_t k = static_cast<std::size_t>(drawn->degree);
               k + 1 + static_cast<std::size_t>(drawn->degree) < drawn->knots.size(); ++k) {
            const double t0 = drawn->knots[k], t1 = drawn->knots[k + 1];
            if (!(t0 < t1)) continue;
            const int steps =
                TakeCurveSteps(context, curve_room, kMaxSplinePoints, drawn->PointCost(), [&] {
                  return ChainSteps(t0, t1, [&](double u) {
                    const Point3 p = drawn->At(u);
                    return placement.ToWorld(p[0], p[1], p[2]);
                  });
                });
            for (int i = 1; i <= steps; ++i) {
              const Point3 p = drawn->At(i == steps ? t1 : t0 + (t1 - t0) * i / steps);
              chain.LineTo(p[0], p[1]);
            }
          }
        } else {
          break;
        }
      }
    }
    // The objects that made the path (their count; their handles were not kept).
    boundary.Take(97);
    path_chains.push_back({Whole(*flags), first, chains.size()});
  }
  const DinItemHead head = ItemHeadOf(context);
  // A pattern is drawn as its lines within the boundary, without the boundary itself. A
  // pattern too dense to draw whole leaves the boundary to show where the hatch is.
  const HatchFill fill = FillOf(groups);
  if (!fill.solid && !fill.families.empty()) {
    std::vector<Loop> loops;
    for (const BoundaryPathChains& path : path_chains) {
      if (PatternedPath(path.flags, fill.style))
        AddLoops(chains, path, (path.flags & 2) != 0, loops);
    }
    const PatternOutcome outcome =
        DrawPattern(fill.families, loops, context.work, [&](const PatternPiece& piece) {
          if (DrawingStopped(context)) return false;
          PolylineItems items(context, head, placement, elevation);
          // A dot is a line of no length, as viewers draw it.
          items.AddVertex(piece.ax, piece.ay, 0);
          items.AddVertex(piece.bx, piece.by, 0);
          items.Finish(false);
          context.item_count += items.Items();
          return true;
        });
    if (outcome == PatternOutcome::kDrawn || outcome == PatternOutcome::kStopped) return;
    CountPassedOver(context,
                    MakeMessage(outcome == PatternOutcome::kCut ? MessageId::kPatternDrawnInPart
                                                                : MessageId::kPatternTooDense));
  }
  for (const BoundaryChain& chain : chains) {
    PolylineItems items(context, head, placement, elevation);
    for (const LoopVertex& vertex : chain.vertices) {
      items.AddVertex(vertex.x, vertex.y, vertex.bulge);
    }
    items.Finish(chain.closed);
    context.item_count += items.Items();
  }
}

}  // namespace dxfdin
