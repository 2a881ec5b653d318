#include "dxf_to_din/drawing_frame.h"

#include "dxf_to_din/assign_class.h"

namespace dxfdin {

void TakeInsertStyle(TConversionContext& context, const DrawingFrame& frame) {
  if (!frame.insert) return;
  // Layer names are held with their line end.
  if (context.entity_layer == "0\n") context.entity_layer = frame.insert->layer;
  if (context.colour == 0) context.colour = frame.insert->colour;
  if (context.line_type_name == "BYBLOCK") {
    context.line_type = frame.insert->line_type;
    context.line_type_name = frame.insert->line_type_name;
  }
}

void AssignClassInFrame(TConversionContext& context, const TConversionSettings& settings,
                        const DrawingFrame& frame) {
  TakeInsertStyle(context, frame);
  AssignClass(context, settings);
}

}  // namespace dxfdin
