#include "din_format/conversion_context.h"

namespace dxfdin {

void ResetConversionContext(TConversionContext& context) {
  // Fields without an initial value (points, frame values, the sweep) keep what they hold.
  context.record_no = 3;
  context.value_type = 3;
  context.value_count = 2;
  context.item_pos5 = 1;
  context.item_pos7 = 0;
  context.text_mode = false;
  context.line_type_name = "CONTINUOUS";
  context.line_type = 1;
  context.colour = 1;
  context.item_kind = 2;
  context.class_no = 1;
  context.item_attr3 = 1;
  context.item_attr5 = 1;
  context.record_line_type = 0;
}

}  // namespace dxfdin
