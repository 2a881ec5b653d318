#include "din_to_dxf/translate_din_file.h"

#include "batch/text_input.h"
#include "batch/text_output.h"

namespace dxfdin {

void TranslateDinFile(TConversionContext& context, TextInput& dxf_template) {
  context.step_count = 0;
  std::string piece;
  while (dxf_template.ReadPiece(piece, 254)) context.din_out->Write(piece);
  context.din_out->Write("  0\nENDSEC\n  0\nEOF\n");
}

}  // namespace dxfdin
