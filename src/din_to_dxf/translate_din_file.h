// One DIN file to one DXF file.
#pragma once

#include <cstdint>
#include <string_view>

#include "din_format/conversion_context.h"

namespace dxfdin {

class TextInput;

// Copies `dxf_template` to context.din_out, then reads context.dxf_in (a DIN file, from its
// first byte) twice: once for the layer table, once for the entities; the output ends with
// "EOF". step_count is the number of ITEM lines of the entity pass.
void TranslateDinFile(TConversionContext& context, TextInput& dxf_template);

// The items of a DIN file (context.dxf_in, from where it stands) to context.item_sink, as
// the entity pass of TranslateDinFile reads them; step_count and item_count count its ITEM
// lines.
void ReadDinItems(TConversionContext& context);

// The first pass: the class numbers of all ITEM lines, written as the LAYER table.
void CollectLayers(TConversionContext& context);

// The DXF layer name ("%x-%x" of (n + 1) / 16 and n mod 16) of class number
// n = context.class_no.
void ApplyItemLayer(TConversionContext& context);

// The line-type name from the last SR line's line-type code, or from the item's when that is
// 0, and the colour that goes with it.
void SelectLineType(TConversionContext& context);

// The colour of an entity of that line type: CENTER 6, PHANTOM 7, the others BYLAYER (256),
// so that they show in their class layer's colour.
std::int32_t LineTypeColour(std::string_view line_type_name);

}  // namespace dxfdin
