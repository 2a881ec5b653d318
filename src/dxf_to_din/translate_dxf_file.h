// One DXF file to one DIN file.
#pragma once

#include <string_view>

#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// The factor 1/N for the scale text N, in single precision. Throws ConversionError when the
// text is not a number, or N or 1/N is not a positive finite number.
float TextScaleFromText(std::string_view scale_text);

// Reads context.dxf_in from its start (its lines ending in CR LF, LF or CR alone) and writes
// the DIN header and every non-text item to context.din_out and every text item to
// context.text_out. Throws ConversionError, before anything is read or written, when the
// text scale is on and context.scale_text is not a usable number.
void TranslateDxfFile(TConversionContext& context, const TConversionSettings& settings);

}  // namespace dxfdin
