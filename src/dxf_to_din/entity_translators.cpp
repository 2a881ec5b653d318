#include "dxf_to_din/entity_translators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string>
#include <vector>

#include "din_format/din_writer.h"
#include "dxf_to_din/assign_class.h"
#include "dxf_to_din/curves.h"
#include "dxf_to_din/drawing_frame.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/placement.h"
#include "dxf_to_din/polyline_items.h"
#include "io/text_input.h"
#include "text/din_text.h"

namespace dxfdin {

namespace {

constexpr double kPi = std::numbers::pi;

// A radius in the world: as read, unless an insert scales it.
double WorldRadius(const Placement& placement, double radius) {
  switch (placement.kind()) {
    case Placement::Kind::kIdentity:
    case Placement::Kind::kMirrored:
      return radius;
    default:
      return radius * placement.Scale();
  }
}

// Polyline flags (group 70).
constexpr std::int32_t kClosed = 1;
constexpr std::int32_t kSplineFit = 4;
constexpr std::int32_t k3dPolyline = 8;
constexpr std::int32_t kPolygonMesh = 16;
constexpr std::int32_t kMeshClosedN = 32;
constexpr std::int32_t kPolyfaceMesh = 64;
// Vertex flags.
constexpr std::int32_t kSplineFrame = 16;
constexpr std::int32_t kPolyfaceVertex = 64;
constexpr std::int32_t kPolyfaceRecord = 128;

// Vertices kept in memory at once (a light-weight polyline, whose extrusion comes after its
// vertices, or a mesh, whose faces refer back to them); beyond, vertices are passed over.
constexpr std::size_t kMaxKeptVertices = std::size_t{1} << 20;

struct Vertex {
  double x;
  double y;
  double bulge;
};

// The chain of points of an arc from `start` to `end` degrees counter-clockwise, for a circle
// or arc whose placement makes it an ellipse (a tilted plane, an insert scaled unequally).
void WriteArcChain(TConversionContext& context, const Placement& placement, double z, double start,
                   double end, bool closed) {
  DinItemHead head = ItemHeadOf(context);
  head.item_kind = kItemLineChain;
  PolylineItems items(context, head, placement, z);
  // Angles are taken modulo a turn, so the number of points stays bounded whatever they are.
  double sweep = closed ? 360 : std::fmod(end - start, 360.0);
  if (!closed && !(sweep > 0)) sweep = std::isfinite(sweep) ? sweep + 360 : 0;
  const double cx = context.centre_x, cy = context.centre_y, r = context.radius;
  auto at = [&](double degrees) {
    return placement.ToWorld(cx + r * std::cos(DegToRad(degrees)),
                             cy + r * std::sin(DegToRad(degrees)), z);
  };
  const int steps = ChainSteps(start, start + sweep, at);
  for (int i = 0; i <= steps - (closed ? 1 : 0); ++i) {
    const double angle = DegToRad(start + sweep * i / steps);
    items.AddVertex(cx + r * std::cos(angle), cy + r * std::sin(angle), 0);
  }
  items.Finish(closed);
  context.item_count += items.Items();
}

// The polyline's chain, arcs and closing segment through `vertices`.
std::int32_t WriteVertices(TConversionContext& context, const DinItemHead& head,
                           const Placement& placement, double elevation,
                           const std::vector<Vertex>& vertices, bool closed) {
  PolylineItems items(context, head, placement, elevation);
  for (const Vertex& vertex : vertices) items.AddVertex(vertex.x, vertex.y, vertex.bulge);
  items.Finish(closed);
  return items.Items();
}

// A polyface mesh: every visible edge of its faces. Faces name their vertices by number
// from 1; a negative number hides the edge that starts there.
std::int32_t WritePolyfaceEdges(TConversionContext& context, const DinItemHead& head,
                                const Placement& world, const std::vector<Vertex>& vertices,
                                const std::vector<std::array<std::int32_t, 4>>& faces) {
  // The vertex a face names, or none when the number is out of range.
  const auto vertex_at = [&](std::int32_t index) -> const Vertex* {
    const std::int64_t n = index < 0 ? -std::int64_t{index} : std::int64_t{index};
    return n >= 1 && n <= static_cast<std::int64_t>(vertices.size()) ? &vertices[n - 1] : nullptr;
  };
  std::int32_t count = 0;
  std::vector<Vertex> run;
  for (const auto& face : faces) {
    std::vector<std::int32_t> corners;
    for (std::int32_t index : face) {
      if (index != 0) corners.push_back(index);
    }
    auto flush = [&] {
      if (run.size() >= 2) count += WriteVertices(context, head, world, 0, run, false);
      run.clear();
    };
    // Consecutive visible edges make one chain.
    for (std::size_t i = 0; corners.size() >= 2 && i < corners.size(); ++i) {
      const std::int32_t from = corners[i];
      const Vertex* a = vertex_at(from);
      const Vertex* b = vertex_at(corners[(i + 1) % corners.size()]);
      if (from < 0 || !a || !b) {
        flush();
        continue;
      }
      if (run.empty()) run.push_back(*a);
      run.push_back(*b);
    }
    flush();
  }
  return count;
}

// A polygon mesh of m rows of n vertices: its rows and its columns as chains.
std::int32_t WriteMeshEdges(TConversionContext& context, const DinItemHead& head,
                            const Placement& world, const std::vector<Vertex>& vertices,
                            std::int32_t flags, std::int32_t m, std::int32_t n) {
  if (m <= 0 || n <= 0) return 0;
  const auto rows = static_cast<std::size_t>(m), columns = static_cast<std::size_t>(n);
  std::int32_t count = 0;
  // Only chains of two vertices or more; counts larger than the vertices there are (a
  // hostile file's) end with the vertices.
  auto write = [&](const std::vector<Vertex>& chain, bool closed) {
    if (chain.size() >= 2) count += WriteVertices(context, head, world, 0, chain, closed);
  };
  std::vector<Vertex> chain;
  for (std::size_t row = 0; row < rows && row * columns < vertices.size(); ++row) {
    chain.assign(vertices.begin() + static_cast<std::ptrdiff_t>(row * columns),
                 vertices.begin() +
                     static_cast<std::ptrdiff_t>(std::min(vertices.size(), (row + 1) * columns)));
    write(chain, (flags & kMeshClosedN) != 0);
  }
  for (std::size_t column = 0; column < std::min(columns, vertices.size()); ++column) {
    chain.clear();
    for (std::size_t row = 0; row < rows && row * columns + column < vertices.size(); ++row) {
      chain.push_back(vertices[row * columns + column]);
    }
    write(chain, (flags & kClosed) != 0);
  }
  return count;
}

}  // namespace

double DegToRad(double degrees) {
  return degrees * (1.0 / 180) * kPi;
}

void TranslateLine(TConversionContext& context, const TConversionSettings& settings,
                   const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  double z1 = 0, z2 = 0;
  ReadGeometry(context, {{10, &context.p1_x},
                         {20, &context.p1_y},
                         {30, &z1},
                         {11, &context.p2_x},
                         {21, &context.p2_y},
                         {31, &z2}});
  if (!AssignClassInFrame(context, settings, frame)) return;
  // A line's points are the block's (or the world's) own: only an insert moves them.
  const WorldPoint a = frame.placement.ToWorld(context.p1_x, context.p1_y, z1);
  const WorldPoint b = frame.placement.ToWorld(context.p2_x, context.p2_y, z2);
  TextOutput& out = *context.din_out;
  WriteItemLine(out, ItemHeadOf(context), false);
  WriteFirstPointRecord(out, context.record_line_type);
  WritePointData(out, a.x, a.y);
  WriteNextPointRecord(out, context.record_line_type);
  WritePointData(out, b.x, b.y);
  WriteItemEnd(out);
  ++context.item_count;
}

void TranslatePolyline(TConversionContext& context, const TConversionSettings& settings,
                       const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  Extrusion extrusion;
  double elevation = 0;
  std::int32_t flags = 0, mesh_m = 0, mesh_n = 0;
  // The polyline's own point is a dummy (its z is the elevation); the vertices carry the points.
  while (ReadGroupCode(context) && context.group_code != 0) {
    ReadGeometryGroup(context,
                      {{10, &context.p1_x},
                       {20, &context.p1_y},
                       {30, &elevation},
                       {210, &extrusion.x},
                       {220, &extrusion.y},
                       {230, &extrusion.z}},
                      {{70, &flags}, {71, &mesh_m}, {72, &mesh_n}});
  }
  // A hidden polyline's vertices are read all the same.
  const bool shown = AssignClassInFrame(context, settings, frame);
  // The item carries the class and line type of the polyline itself.
  const DinItemHead head = ItemHeadOf(context);
  const bool mesh = (flags & (kPolygonMesh | kPolyfaceMesh)) != 0;
  // 3-D polylines and meshes hold world points; 2-D polylines points of their own plane.
  const Placement placement = flags & (k3dPolyline | kPolygonMesh | kPolyfaceMesh)
                                  ? frame.placement
                                  : frame.placement.Compose(Placement(extrusion));
  PolylineItems items(context, head, placement, elevation);
  std::vector<Vertex> kept;
  std::vector<std::array<std::int32_t, 4>> faces;
  while (context.group_code == 0) {
    // The type of the entity that follows: VERTEX goes on, SEQEND ends the vertices (its
    // groups are passed over), and any other type is the next entity of a polyline whose
    // SEQEND is missing.
    ReadNameValue(context);
    if (context.line_buf != "VERTEX") {
      if (context.line_buf == "SEQEND") {
        SkipToGroupCode0(context);
      } else {
        context.type_read = true;
      }
      break;
    }
    double bulge = 0;
    std::int32_t vertex_flags = 0;
    std::array<std::int32_t, 4> face{};
    while (ReadGroupCode(context) && context.group_code != 0) {
      ReadGeometryGroup(
          context, {{10, &context.p1_x}, {20, &context.p1_y}, {42, &bulge}},
          {{70, &vertex_flags}, {71, &face[0]}, {72, &face[1]}, {73, &face[2]}, {74, &face[3]}});
    }
    // The vertices' own layers and colours change only what carries over to what follows.
    ResolveEntityStyle(context, frame);
    AssignClass(context, settings);
    if (!shown) continue;
    if (mesh) {
      const bool face_record = (flags & kPolyfaceMesh) && (vertex_flags & kPolyfaceRecord) &&
                               !(vertex_flags & kPolyfaceVertex);
      if (kept.size() + faces.size() >= kMaxKeptVertices) {
        ++context.passed_over[MakeMessage(MessageId::kMeshVerticesBeyondLimit, {"1048576"})];
      } else if (face_record) {
        faces.push_back(face);
      } else {
        kept.push_back({context.p1_x, context.p1_y, 0});
      }
      continue;
    }
    // The frame of a spline-fit polyline is not part of the curve a viewer draws.
    if ((flags & kSplineFit) && (vertex_flags & kSplineFrame)) continue;
    items.AddVertex(context.p1_x, context.p1_y, bulge);
  }
  if (!shown) return;
  if (flags & kPolyfaceMesh) {
    context.item_count += WritePolyfaceEdges(context, head, frame.placement, kept, faces);
  } else if (flags & kPolygonMesh) {
    context.item_count +=
        WriteMeshEdges(context, head, frame.placement, kept, flags, mesh_m, mesh_n);
  } else {
    items.Finish((flags & kClosed) != 0);
    context.item_count += items.Items();
  }
}

void TranslateLwPolyline(TConversionContext& context, const TConversionSettings& settings,
                         const DrawingFrame& frame) {
  context.item_kind = kItemLineChain;
  Extrusion extrusion;
  double elevation = 0;
  std::int32_t flags = 0;
  // Each group 10 starts a vertex; its extrusion comes after the vertices, so they are kept.
  std::vector<Vertex> vertices;
  bool passing_over = false;  // the vertex being read is beyond those kept
  double ignored = 0;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 10) {
      passing_over = vertices.size() >= kMaxKeptVertices;
      if (passing_over) {
        ++context
              .passed_over[MakeMessage(MessageId::kVerticesBeyondLimit, {"LWPOLYLINE", "1048576"})];
      } else {
        vertices.push_back({0, 0, 0});
      }
    }
    Vertex* vertex = passing_over || vertices.empty() ? nullptr : &vertices.back();
    ReadGeometryGroup(context,
                      {{10, vertex ? &vertex->x : &ignored},
                       {20, vertex ? &vertex->y : &ignored},
                       {42, vertex ? &vertex->bulge : &ignored},
                       {38, &elevation},
                       {210, &extrusion.x},
                       {220, &extrusion.y},
                       {230, &extrusion.z}},
                      {{70, &flags}});
  }
  if (!vertices.empty()) {
    // As after a polyline, the last vertex carries over.
    context.p1_x = vertices.back().x;
    context.p1_y = vertices.back().y;
  }
  if (!AssignClassInFrame(context, settings, frame)) return;
  context.item_count +=
      WriteVertices(context, ItemHeadOf(context), frame.placement.Compose(Placement(extrusion)),
                    elevation, vertices, (flags & kClosed) != 0);
}

void TranslateCircle(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame) {
  context.item_kind = kItemArc;
  Extrusion extrusion;
  double z = 0;
  ReadGeometry(context, {{10, &context.centre_x},
                         {20, &context.centre_y},
                         {30, &z},
                         {40, &context.radius},
                         {210, &extrusion.x},
                         {220, &extrusion.y},
                         {230, &extrusion.z}});
  if (!AssignClassInFrame(context, settings, frame)) return;
  const Placement placement = frame.placement.Compose(Placement(extrusion));
  if (placement.kind() == Placement::Kind::kAffine) {
    WriteArcChain(context, placement, z, 0, 360, true);
    return;
  }
  const WorldPoint centre = placement.ToWorld(context.centre_x, context.centre_y, z);
  const double radius = WorldRadius(placement, context.radius);
  context.p1_x = centre.x + radius;
  context.p1_y = centre.y;
  context.p2_x = centre.x - radius;
  context.p2_y = centre.y;
  context.p3_x = context.p1_x;
  context.p3_y = context.p1_y;
  TextOutput& out = *context.din_out;
  WriteItemLine(out, ItemHeadOf(context), true);
  WriteArcStartRecord(out, context.record_line_type, true);
  WritePointData(out, context.p1_x, context.p1_y);
  WriteArcRecord(out, context.record_line_type, true);
  WritePointData(out, context.p2_x, context.p2_y);
  WritePointData(out, context.p3_x, context.p3_y);
  WritePointData(out, centre.x, centre.y);
  WritePointData(out, radius, 2 * kPi);
  WriteItemEnd(out);
  ++context.item_count;
}

void TranslateArc(TConversionContext& context, const TConversionSettings& settings,
                  const DrawingFrame& frame) {
  context.item_kind = kItemArc;
  Extrusion extrusion;
  double z = 0;
  ReadGeometry(context, {{10, &context.centre_x},
                         {20, &context.centre_y},
                         {30, &z},
                         {40, &context.radius},
                         {50, &context.start_angle},
                         {51, &context.end_angle},
                         {210, &extrusion.x},
                         {220, &extrusion.y},
                         {230, &extrusion.z}});
  if (!AssignClassInFrame(context, settings, frame)) return;
  const Placement placement = frame.placement.Compose(Placement(extrusion));
  if (placement.kind() == Placement::Kind::kAffine) {
    WriteArcChain(context, placement, z, context.start_angle, context.end_angle, false);
    return;
  }
  if (placement.kind() != Placement::Kind::kIdentity) {
    // The arc's ends in the world; mirrored (seen from below, or an insert scaled by a
    // negative factor) it runs from the image of its end to the image of its start.
    const double start = placement.WorldAngle(context.start_angle);
    const double end = placement.WorldAngle(context.end_angle);
    const bool reverses = placement.Reverses();
    context.start_angle = reverses ? end : start;
    context.end_angle = reverses ? start : end;
  }
  // Counter-clockwise from start to end: an end below the start lies one turn further.
  if (context.end_angle < context.start_angle) context.start_angle -= 360;
  context.start_angle = DegToRad(context.start_angle);
  context.end_angle = DegToRad(context.end_angle);
  // The middle angle is held in single precision.
  const float middle = static_cast<float>((context.start_angle + context.end_angle) * 0.5);
  const WorldPoint centre = placement.ToWorld(context.centre_x, context.centre_y, z);
  const double cx = centre.x, cy = centre.y, r = WorldRadius(placement, context.radius);
  context.p1_x = cx + r * std::cos(context.start_angle);
  context.p1_y = cy + r * std::sin(context.start_angle);
  context.p2_x = cx + r * std::cos(static_cast<double>(middle));
  context.p2_y = cy + r * std::sin(static_cast<double>(middle));
  context.p3_x = cx + r * std::cos(context.end_angle);
  context.p3_y = cy + r * std::sin(context.end_angle);
  TextOutput& out = *context.din_out;
  WriteItemLine(out, ItemHeadOf(context), false);
  WriteArcStartRecord(out, context.record_line_type, false);
  WritePointData(out, context.p1_x, context.p1_y);
  WriteArcRecord(out, context.record_line_type, false);
  WritePointData(out, context.p2_x, context.p2_y);
  WritePointData(out, context.p3_x, context.p3_y);
  WritePointData(out, cx, cy);
  WritePointData(out, r, std::fabs(context.end_angle - context.start_angle));
  WriteItemEnd(out);
  ++context.item_count;
}

}  // namespace dxfdin
