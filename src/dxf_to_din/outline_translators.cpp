#include "dxf_to_din/outline_translators.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "din_format/din_writer.h"
#include "dxf_to_din/curve_translators.h"
#include "dxf_to_din/curves.h"
#include "dxf_to_din/dimension_style.h"
#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_stream.h"
#include "dxf_to_din/polyline_items.h"

namespace dxfdin {

namespace {

// Vertices a leader may have; beyond, they are passed over.
constexpr std::size_t kMaxLeaderVertices = std::size_t{1} << 16;

// The four corners of a SOLID, TRACE or 3DFACE: groups 10 to 13, 20 to 23, 30 to 33.
struct Corners {
  std::array<Point3, 4> at{};
  std::array<bool, 4> given{};
};

std::int32_t WriteChain(TConversionContext& context, const Placement& placement,
                        const std::vector<Point3>& points, bool closed) {
  PolylineItems items(context, ItemHeadOf(context), placement, 0);
  for (const Point3& p : points) items.AddPoint(p[0], p[1], p[2]);
  items.Finish(closed);
  return items.Items();
}

// Reads the corners, and the groups in `reals` and `ints`.
Corners ReadCorners(TConversionContext& context, std::initializer_list<RealGroup> reals,
                    std::initializer_list<IntGroup> ints) {
  Corners corners;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    if (code >= 10 && code <= 33 && code % 10 <= 3) {
      const int corner = code % 10;
      ReadDoubleValue(context, corners.at[corner][code / 10 - 1]);
      corners.given[corner] = true;
    } else {
      ReadGeometryGroup(context, reals, ints);
    }
  }
  return corners;
}

Point3 Minus(const Point3& a, const Point3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

// Whether two arrow-block names are the same, compared without regard to ASCII case.
bool SameArrow(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::optional<std::vector<std::pair<std::vector<Point3>, bool>>> ArrowheadOutline(
    std::string_view arrow, double size, const Point3& tip, const Point3& next) {
  std::vector<std::pair<std::vector<Point3>, bool>> outline;
  const bool closed = arrow.empty() || SameArrow(arrow, "_CLOSEDFILLED") ||
                      SameArrow(arrow, "_CLOSEDBLANK") || SameArrow(arrow, "_CLOSED");
  if (SameArrow(arrow, "_NONE")) return outline;
  if (!closed) return std::nullopt;
  // Pointing from the next vertex to the tip, in the plane of the tip: its back corners a
  // size behind the tip, enclosing 18.924644 degrees.
  const double angle = std::atan2(tip[1] - next[1], tip[0] - next[0]);
  const double c = std::cos(angle), s = std::sin(angle);
  const double half = size * std::sin(18.924644 / 2 * std::numbers::pi / 180);
  const auto place = [&](double x, double y) {
    return Point3{tip[0] + x * c - y * s, tip[1] + x * s + y * c, tip[2]};
  };
  outline.push_back({{place(-size, half), tip, place(-size, -half)}, true});
  // The closed arrow has a line from its tip to the middle of its back.
  if (SameArrow(arrow, "_CLOSED")) outline.push_back({{tip, place(-size, 0)}, false});
  return outline;
}

void TranslateSolid(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  Extrusion extrusion;
  const Corners corners =
      ReadCorners(context, {{210, &extrusion.x}, {220, &extrusion.y}, {230, &extrusion.z}}, {});
  if (!AssignClassInFrame(context, settings, frame)) return;
  // Corners 3 and 4 are the far side's, in the order of the near side: the outline runs
  // 1, 2, 4, 3. A fourth corner that is missing or repeats the third makes a triangle.
  const auto& c = corners.at;
  std::vector<Point3> outline = {c[0], c[1]};
  if (corners.given[3] && c[3] != c[2]) outline.push_back(c[3]);
  outline.push_back(c[2]);
  context.item_count +=
      WriteChain(context, frame.placement.Compose(Placement(extrusion)), outline, true);
}

void Translate3dFace(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  std::int32_t hidden = 0;
  const Corners corners = ReadCorners(context, {}, {{70, &hidden}});
  if (!AssignClassInFrame(context, settings, frame)) return;
  const auto& c = corners.at;
  const int count = corners.given[3] && c[3] != c[2] ? 4 : 3;
  // Runs of visible edges, each a chain; a face with every edge visible is one closed chain.
  if ((hidden & ((1 << count) - 1)) == 0) {
    context.item_count += WriteChain(context, frame.placement,
                                     std::vector<Point3>(c.begin(), c.begin() + count), true);
    return;
  }
  std::vector<Point3> run;
  // Start after a hidden edge, so that no run is split at the first corner.
  int first = 0;
  while (!(hidden & (1 << ((first + count - 1) % count)))) ++first;
  for (int k = 0; k < count; ++k) {
    const int corner = (first + k) % count;
    if (hidden & (1 << corner)) {
      if (run.size() >= 2) context.item_count += WriteChain(context, frame.placement, run, false);
      run.clear();
      continue;
    }
    if (run.empty()) run.push_back(c[corner]);
    run.push_back(c[(corner + 1) % count]);
  }
  if (run.size() >= 2) context.item_count += WriteChain(context, frame.placement, run, false);
}

void TranslateLeader(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  std::vector<Point3> vertices;
  bool taking = false;  // the vertex being read is one of those kept
  std::int32_t arrowhead = 1, path_type = 0;
  std::string style_name, value;
  DimensionStyleOverrides overrides;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    // Each group 10 is a vertex; its 20 and 30 follow.
    if (code == 10) {
      taking = vertices.size() < kMaxLeaderVertices;
      if (taking) vertices.push_back({0, 0, 0});
    }
    if (code == 10 || code == 20 || code == 30) {
      if (taking) {
        ReadDoubleValue(context, vertices.back()[code / 10 - 1]);
      } else {
        SkipValue(context);
      }
    } else if (code == 3) {
      ReadRecordName(context, style_name);
    } else if (code >= 1000) {
      ReadTextValue(context, value, 256);
      overrides.Take(code, value);
    } else {
      ReadGeometryGroup(context, {}, {{71, &arrowhead}, {72, &path_type}});
    }
  }
  if (!AssignClassInFrame(context, settings, frame)) return;
  if (vertices.size() < 2) return;
  if (path_type != 1) {
    context.item_count += WriteChain(context, frame.placement, vertices, false);
    return;
  }
  // A spline leader: the curve through its vertices, leaving the first along the first
  // segment and reaching the last along the last; straight when no such curve can be made.
  const std::size_t n = vertices.size();
  context.work += static_cast<std::int64_t>(n * n / 8);
  const auto curve = CurveThroughFitPoints(vertices, Minus(vertices[1], vertices[0]),
                                           Minus(vertices[n - 1], vertices[n - 2]));
  if (curve) {
    PolylineItems items(context, ItemHeadOf(context), frame.placement, 0);
    AddNurbs(context, items, frame.placement, *curve);
    items.Finish(false);
    context.item_count += items.Items();
  } else {
    context.item_count += WriteChain(context, frame.placement, vertices, false);
  }
  if (arrowhead != 1 || !context.drawing_styles) return;
  DimensionStyle style = context.drawing_styles->dimensions.Find(style_name);
  overrides.ApplyTo(style);
  const std::string arrow =
      context.drawing_styles->dimensions.ArrowBlock("", style.dimldrblk_handle);
  const auto outline =
      ArrowheadOutline(arrow, style.Scaled(style.dimasz), vertices[0], vertices[1]);
  if (!outline) {
    CountPassedOver(context, MakeMessage(MessageId::kLeaderBlockArrowhead));
    return;
  }
  for (const auto& [points, closed] : *outline) {
    context.item_count += WriteChain(context, frame.placement, points, closed);
  }
}

}  // namespace dxfdin
