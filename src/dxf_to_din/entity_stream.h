// The entities of an ENTITIES section or of a block, one after the other: each to its
// translator, inserts and dimensions drawn through the blocks they refer to, anything else
// counted in the file's report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "din_format/conversion_context.h"
#include "dxf_to_din/block_table.h"
#include "dxf_to_din/drawing_frame.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// The inserts being drawn, and the bounds that keep a hostile file of blocks from running
// without end: no block inside itself, at most kMaxDepth inserts within each other, at most
// max_entities entities read from blocks in a file (the context's max_block_entities).
struct BlockExpansion {
  static constexpr std::size_t kMaxDepth = 64;

  BlockExpansion(const BlockTable& blocks, std::int64_t limit)
      : table(blocks), max_entities(limit) {}

  const BlockTable& table;
  std::int64_t max_entities;
  std::vector<std::string> open;   // keys of the blocks being drawn, outermost first
  std::int64_t entities_read = 0;  // entities read from blocks so far
  bool cut_reported = false;       // the grid the drawing stopped in is named in the report
};

// Translates the entities that follow a group code 0 just read (or whose type is in
// context.line_buf with context.type_read set), up to ENDSEC, ENDBLK or EOF, whose type is
// left in context.line_buf with context.type_read set, or to the end of the input.
void TranslateEntityStream(TConversionContext& context, const TConversionSettings& settings,
                           const DrawingFrame& frame, BlockExpansion& blocks);

// Draws the entities written as DXF groups in `groups` (an EntityText's) as the file's own,
// in `frame`; then goes back to the stream that was being read, which stands after the group
// code 0 that ended the entity they draw.
void DrawEntityText(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame, BlockExpansion& blocks, std::string_view groups);

// Counts an entity that is not drawn, by kind, in the file's report.
void CountPassedOver(TConversionContext& context, const std::string& kind);
void CountPassedOver(TConversionContext& context, Message what);

}  // namespace dxfdin
