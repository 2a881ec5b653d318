// One DXF file to one DIN file.
#pragma once

#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// Reads context.dxf_in from its start and writes the DIN header and every non-text item to
// context.din_out and every text item to context.text_out. Throws ConversionError, before
// anything is read or written, when the text scale is on and context.scale_text is not a
// number.
void TranslateDxfFile(TConversionContext& context, const TConversionSettings& settings);

}  // namespace dxfdin
