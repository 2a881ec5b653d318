// One DIN file to one DXF file.
#pragma once

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

// The DXF layer name ("%x-%x" of (n + 1) / 16 and n mod 16) and colour ((n - 1) mod 5 + 1) of
// class number n = context.class_no.
void ApplyItemLayer(TConversionContext& context);

// The line-type name (and for two of them the colour) from the last SR line's line-type code,
// or from the item's when that is 0.
void SelectLineType(TConversionContext& context);

}  // namespace dxfdin
