#include "dxf_to_din/drawing_frame.h"

#include "dxf_to_din/assign_class.h"
#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/entity_stream.h"

namespace dxfdin {

void StartEntityStyle(TConversionContext& context) {
  // Layer names are held with their line end.
  context.entity_layer = "0\n";
  context.colour = kColourByLayer;
  context.line_type_name = "BYLAYER";
  context.line_type = kLineContinuous;
  context.invisible = 0;
}

Hidden ResolveEntityStyle(TConversionContext& context, const DrawingFrame& frame) {
  const InsertStyle* insert = frame.insert;
  if (insert && context.entity_layer == "0\n") context.entity_layer = insert->layer;
  const DrawingStyles* styles = context.drawing_styles;
  const LayerStyle* layer = styles ? styles->FindLayer(context.entity_layer) : nullptr;
  if (context.colour == kColourByLayer) {
    context.colour = layer ? layer->colour : kColourDefault;
  } else if (context.colour == kColourByBlock) {
    context.colour = insert ? insert->colour : kColourDefault;
  }
  if (IsByLayer(context.line_type_name)) {
    context.line_type_name = layer ? layer->line_type_name : "CONTINUOUS";
    context.line_type = layer ? layer->line_type : kLineContinuous;
  } else if (IsByBlock(context.line_type_name)) {
    context.line_type_name = insert ? insert->line_type_name : "CONTINUOUS";
    context.line_type = insert ? insert->line_type : kLineContinuous;
  }
  if (context.invisible != 0) return Hidden::kInvisible;
  if (layer && layer->frozen) return Hidden::kLayerFrozen;
  if (layer && layer->off) return Hidden::kLayerOff;
  return Hidden::kNo;
}

bool AssignClassInFrame(TConversionContext& context, const TConversionSettings& settings,
                        const DrawingFrame& frame) {
  const Hidden hidden = ResolveEntityStyle(context, frame);
  AssignClass(context, settings);
  if (hidden == Hidden::kNo || settings.hidden_layers == 1) return true;
  CountHidden(context, hidden);
  return false;
}

void CountHidden(TConversionContext& context, Hidden why) {
  CountPassedOver(context, MakeMessage(why == Hidden::kInvisible ? MessageId::kInvisible
                                                                 : MessageId::kOnHiddenLayers));
}

}  // namespace dxfdin
