#include "din_format/conversion_context.h"

#include <utility>

namespace dxfdin {

void ResetConversionContext(TConversionContext& context) {
  TConversionContext fresh;
  fresh.dxf_in = context.dxf_in;
  fresh.din_out = context.din_out;
  fresh.text_out = context.text_out;
  fresh.progress = std::move(context.progress);
  fresh.scale_text = std::move(context.scale_text);
  fresh.text_scale_on = context.text_scale_on;
  fresh.dxf_text_scale = context.dxf_text_scale;
  fresh.max_block_entities = context.max_block_entities;
  fresh.max_output_bytes = context.max_output_bytes;
  fresh.dxf_text = context.dxf_text;
  fresh.drawing_styles = context.drawing_styles;
  fresh.item_sink = context.item_sink;
  context = std::move(fresh);
}

}  // namespace dxfdin
