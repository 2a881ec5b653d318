#include "dxf_to_din/translate_dxf_file.h"

#include "batch/text_output.h"

namespace dxfdin {

void TranslateDxfFile(TConversionContext& context, const TConversionSettings&) {
  context.step_count = 0;
  context.din_out->Write("VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\n");
}

}  // namespace dxfdin
