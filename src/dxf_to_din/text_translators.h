// The texts of a DXF drawing to DIN text items, written to context.text_out: TEXT, the
// attributes of an insert, the constant attribute definitions of a block, and MTEXT, one item
// per line. Each translator is called right after the entity's type and reads its groups up
// to the group code 0 after it, as the other entity translators do.
#pragma once

#include <cstdint>

#include "din_format/conversion_context.h"
#include "dxf_to_din/drawing_frame.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// TEXT: a text item with its frame; of a vertical style, an item for each character, one
// below the other from the insertion point (the top of the first).
void TranslateText(TConversionContext& context, const TConversionSettings& settings,
                   const DrawingFrame& frame);
// The cells of a MINSERT whose attributes follow it: the attributes are drawn in each, moved
// by the cell's place in the grid, turned by the insert's rotation. One cell, unmoved, for an
// INSERT.
struct AttributeCells {
  std::int32_t columns = 1;
  std::int32_t rows = 1;
  double column_spacing = 0;
  double row_spacing = 0;
  double rotation = 0;  // degrees
};

// ATTRIB (the texts of an insert): as a TEXT, unless it is invisible; in every cell.
void TranslateAttribute(TConversionContext& context, const TConversionSettings& settings,
                        const DrawingFrame& frame, const AttributeCells& cells = {});
// ATTDEF in a block: a constant one (flag 2) is a text of the block, drawn with it; the
// others are forms that the inserts' attributes fill in, and are not drawn.
void TranslateAttributeDefinition(TConversionContext& context, const TConversionSettings& settings,
                                  const DrawingFrame& frame);
// MTEXT: one text item per line, laid out from the insertion point by the attachment point,
// the direction, the character height and the line spacing, as CAD programs draw it.
void TranslateMtext(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame);

}  // namespace dxfdin
