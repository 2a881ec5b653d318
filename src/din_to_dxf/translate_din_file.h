// One DIN file to one DXF file.
#pragma once

#include "din_format/conversion_context.h"

namespace dxfdin {

class TextInput;

// Copies `dxf_template` to context.din_out, then reads context.dxf_in (a DIN file, from its
// first byte) twice: once for the layer table, once for the entities; the output ends with
// "EOF".
void TranslateDinFile(TConversionContext& context, TextInput& dxf_template);

}  // namespace dxfdin
