// Proxy graphics: the figure a CAD program keeps with an entity of a kind of its own, for the
// programs that do not know the kind. Little-endian binary data: a header (the data's size and
// its number of records), then records, each its size (header included) and type, then what
// it holds: circles, arcs, polylines, polygons, meshes, texts, light-weight polylines, and the
// attributes and model transforms they are drawn with.
#pragma once

#include <string_view>

#include "dxf_to_din/entity_text.h"

namespace dxfdin {

// Model transforms pushed within one another beyond this depth draw nothing until they are
// popped.
inline constexpr std::size_t kMaxProxyTransformDepth = 64;

// Writes the figure of the proxy graphics `data` to `out`, in the coordinates of its records
// (the world's, or the block's that holds the entity) through the model transforms pushed:
// circles and arcs as CIRCLE and ARC (chains where a transform does not keep them circles),
// polylines, polygons and the edges of meshes and shells as chains, texts as TEXT. Fills,
// colours, layers and line types are not taken: the parts have the entity's style. Lines
// without end (xlines, rays), clips and records of other types are passed over. A record that
// is cut off or holds counts beyond its size is left out, and the data ends at a record whose
// size does not fit; nothing is read outside `data`, and `out` bounds what is written.
void DrawProxyGraphics(std::string_view data, EntityText& out);

}  // namespace dxfdin
