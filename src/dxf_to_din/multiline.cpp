#include "dxf_to_din/multiline.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/ocs_axes.h"

namespace dxfdin {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The point of element `e` at `vertex`; an element the vertex does not list lies on it.
Point3 ElementPoint(const MlineVertex& vertex, std::size_t e) {
  const double offset = e < vertex.elements ? vertex.offsets[e] : 0;
  return Plus(vertex.at, Times(vertex.miter, offset));
}

// Half a circle from `a` to `b` about their midpoint, in the plane of `axes`, on the side
// `outward` points to.
void HalfCircle(const Point3& a, const Point3& b, const Point3& outward, const OcsAxes& axes,
                EntityText& out) {
  const Point3 centre = Times(Plus(a, b), 0.5);
  const double radius = Length(Minus(a, b)) / 2;
  if (!(radius > 0) || !std::isfinite(radius)) return;
  const Point3 from_a = Minus(a, centre);
  const double start_a = std::atan2(Dot(from_a, axes.y), Dot(from_a, axes.x));
  // Counter-clockwise from a, the arc passes a quarter turn on: there it should stand out.
  const Point3 middle =
      Plus(Times(axes.x, std::cos(start_a + kPi / 2)), Times(axes.y, std::sin(start_a + kPi / 2)));
  const double start = Dot(middle, outward) >= 0 ? start_a : start_a + kPi;
  const double degrees = start * 180 / kPi;
  out.Arc(axes.ToOcs(centre), radius, degrees, degrees + 180, axes.AsExtrusion());
}

// The caps at one end of the multiline: `vertex` is the end's, `outward` points away from
// the multiline, `order` lists the elements from the least offset to the most.
void Caps(const MlineVertex& vertex, const Point3& outward, const std::vector<std::size_t>& order,
          bool square, bool inner_arcs, bool round, const OcsAxes& axes, EntityText& out) {
  const std::size_t n = order.size();
  const Point3 bottom = ElementPoint(vertex, order.front());
  const Point3 top = ElementPoint(vertex, order.back());
  if (square && bottom != top) out.Line(bottom, top);
  if (round) HalfCircle(top, bottom, outward, axes, out);
  // Pairs of inner elements, from the outside in; the middle one of an odd count stays open.
  if (inner_arcs) {
    for (std::size_t k = 1; k + 1 < n - k; ++k) {
      HalfCircle(ElementPoint(vertex, order[n - 1 - k]), ElementPoint(vertex, order[k]), outward,
                 axes, out);
    }
  }
}

// The direction from `from` to `to`, or `fallback` where they coincide.
Point3 Heading(const Point3& from, const Point3& to, const Point3& fallback) {
  const Point3 d = Unit(Minus(to, from));
  return d == Point3{0, 0, 0} ? Unit(fallback) : d;
}

}  // namespace

Mline ReadMline(TConversionContext& context) {
  Mline mline;
  MlineVertex ignored;  // the groups of vertices beyond the bound
  MlineVertex* vertex = &ignored;
  bool offset_next = false;  // the next 41 is the offset of the element just begun
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    if (code == 11) {
      if (mline.vertices.size() < Mline::kMaxVertices) {
        vertex = &mline.vertices.emplace_back();
      } else {
        ignored = {};
        vertex = &ignored;
      }
      offset_next = false;
    }
    switch (code) {
      case 11:
      case 21:
      case 31:
        ReadDoubleValue(context, vertex->at[(code - 11) / 10]);
        break;
      case 12:
      case 22:
      case 32:
        ReadDoubleValue(context, vertex->direction[(code - 12) / 10]);
        break;
      case 13:
      case 23:
      case 33:
        ReadDoubleValue(context, vertex->miter[(code - 13) / 10]);
        break;
      case 74: {
        std::int32_t count = 0;
        ReadIntValue(context, count);
        offset_next = false;
        if (vertex->elements < MlineVertex::kMaxElements) {
          vertex->offsets[vertex->elements++] = 0;
          offset_next = count > 0;
        }
        break;
      }
      case 41:
        if (offset_next) {
          ReadDoubleValue(context, vertex->offsets[vertex->elements - 1]);
          offset_next = false;
        } else {
          SkipValue(context);
        }
        break;
      default:
        ReadGeometryGroup(
            context,
            {{210, &mline.extrusion.x}, {220, &mline.extrusion.y}, {230, &mline.extrusion.z}},
            {{71, &mline.flags}});
        break;
    }
  }
  return mline;
}

void DrawMline(const Mline& mline, std::int32_t style_flags, EntityText& out) {
  const std::vector<MlineVertex>& vertices = mline.vertices;
  const std::size_t count = vertices.size();
  std::size_t elements = 0;
  for (const MlineVertex& vertex : vertices) elements = std::max(elements, vertex.elements);
  if (count < 2 || elements == 0) return;
  const bool closed = mline.flags & kMlineClosed;
  std::vector<Point3> chain(count);
  for (std::size_t e = 0; e < elements && !out.Cut(); ++e) {
    for (std::size_t i = 0; i < count; ++i) chain[i] = ElementPoint(vertices[i], e);
    out.Chain(chain, closed);
  }
  // The elements from the least offset to the most, as at the first vertex.
  std::vector<std::size_t> order(elements);
  std::iota(order.begin(), order.end(), std::size_t{0});
  const MlineVertex& first = vertices.front();
  const auto offset = [&](std::size_t e) {
    const double value = e < first.elements ? first.offsets[e] : 0;
    return std::isnan(value) ? 0 : value;  // a strict order for the sort
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return offset(a) < offset(b); });
  if (style_flags & kMlineMiters && elements > 1) {
    // Across the inner vertices; a closed multiline's first vertex is one of them.
    for (std::size_t i = closed ? 0 : 1; i + (closed ? 0 : 1) < count; ++i) {
      out.Line(ElementPoint(vertices[i], order.front()), ElementPoint(vertices[i], order.back()));
    }
  }
  if (closed) return;
  const OcsAxes axes({mline.extrusion.x, mline.extrusion.y, mline.extrusion.z});
  const MlineVertex& last = vertices.back();
  if (!(mline.flags & kMlineNoStartCaps)) {
    const Point3 outward = Heading(vertices[1].at, first.at, Times(first.direction, -1));
    Caps(first, outward, order, style_flags & kMlineStartSquare, style_flags & kMlineStartInnerArcs,
         style_flags & kMlineStartRound, axes, out);
  }
  if (!(mline.flags & kMlineNoEndCaps)) {
    const Point3 outward = Heading(vertices[count - 2].at, last.at, vertices[count - 2].direction);
    Caps(last, outward, order, style_flags & kMlineEndSquare, style_flags & kMlineEndInnerArcs,
         style_flags & kMlineEndRound, axes, out);
  }
}

}  // namespace dxfdin
