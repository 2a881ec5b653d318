// MULTILEADER (written MLEADER by some programs): leader lines with arrowheads, each leader's
// landing (dog-leg), and the content they point from, an MTEXT or a block with the values of
// its attributes, drawn as a viewer draws them.
//
// The entity holds what draws it: its context data (between groups 300 "CONTEXT_DATA{" and
// 301 "}") the scale, text height, arrowhead size, the content, and the leaders (302
// "LEADER{" ... 303 "}") with their lines (304 "LEADER_LINE{" ... 305 "}"), in world
// coordinates; its own groups after that the leader type, landing, arrowheads and the
// attribute values. Its MLEADERSTYLE comes in the OBJECTS section, after the entities, and is
// not known while they are drawn: what the entity does not hold is the style's default.
#pragma once

#include "din_format/conversion_context.h"
#include "dxf_to_din/block_table.h"
#include "dxf_to_din/entity_text.h"

namespace dxfdin {

// Bounds on what one entity may hold; the rest is passed over.
inline constexpr std::size_t kMaxMultileaderLeaders = 1024;
inline constexpr std::size_t kMaxMultileaderLines = 4096;
inline constexpr std::size_t kMaxMultileaderVertices = std::size_t{1} << 16;
inline constexpr std::size_t kMaxMultileaderAttributes = 256;

// Reads the entity's groups up to the group code 0 after it and writes its parts: the
// content first, then for each leader line its arrowhead, the line (straight segments, or a
// curve for a spline leader) through its vertices to the landing, and the landing. A block
// named by the content is looked up in `blocks` for the attribute definitions its values
// fill in.
void ReadMultileader(TConversionContext& context, const BlockTable& blocks, EntityText& out);

}  // namespace dxfdin
