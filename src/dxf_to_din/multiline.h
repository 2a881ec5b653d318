// MLINE: a multiline, its parallel element lines drawn through its vertices. The entity keeps
// the final geometry: per vertex its position, the direction of its segment and of its miter,
// and per element the distance along the miter from the vertex to the element's point (its
// style's offsets, scale and justification applied already). Its caps are its style's
// (MLINESTYLE, in the OBJECTS section after the entities): the flags are given by the caller.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "din_format/conversion_context.h"
#include "dxf_to_din/curves.h"
#include "dxf_to_din/entity_text.h"
#include "dxf_to_din/placement.h"

namespace dxfdin {

// The flags of an MLINESTYLE (its group 70) that draw lines: the miters at the inner
// vertices, and the caps at the start and end (a line across, arcs between the inner pairs of
// elements, an arc round the outer ones). The STANDARD style has none of them.
enum MlineStyleFlag : std::int32_t {
  kMlineMiters = 2,
  kMlineStartSquare = 16,
  kMlineStartInnerArcs = 32,
  kMlineStartRound = 64,
  kMlineEndSquare = 256,
  kMlineEndInnerArcs = 512,
  kMlineEndRound = 1024,
};

// The flags of the MLINE itself (its group 71).
enum MlineFlag : std::int32_t {
  kMlineClosed = 2,
  kMlineNoStartCaps = 4,
  kMlineNoEndCaps = 8,
};

struct MlineVertex {
  // A style has at most 16 elements.
  static constexpr std::size_t kMaxElements = 16;

  Point3 at{0, 0, 0};         // groups 11, 21, 31 (world)
  Point3 direction{1, 0, 0};  // groups 12, 22, 32: of the segment that starts here
  Point3 miter{0, 1, 0};      // groups 13, 23, 33
  // Per element (groups 74, then the first of its 41): the distance along the miter.
  std::array<double, kMaxElements> offsets{};
  std::size_t elements = 0;
};

struct Mline {
  // Vertices beyond this many are not read: no drawing has such a multiline.
  static constexpr std::size_t kMaxVertices = std::size_t{1} << 16;

  std::int32_t flags = 0;  // group 71
  Extrusion extrusion;     // groups 210, 220, 230: the plane of the caps' arcs
  std::vector<MlineVertex> vertices;
};

// Reads the groups of an MLINE up to the group code 0 after it.
Mline ReadMline(TConversionContext& context);

// Writes each element as a chain through its points at the vertices (a closed multiline back
// to its first), then what `style_flags` asks for: miters, and unless the multiline is closed
// or suppresses them, the caps. Nothing for fewer than two vertices or no elements. Elements
// are continuous: their dashes and breaks (the other 41 values) are not drawn.
void DrawMline(const Mline& mline, std::int32_t style_flags, EntityText& out);

}  // namespace dxfdin
