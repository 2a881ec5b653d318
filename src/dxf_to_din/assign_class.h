// The DIN class number of the current entity, from its layer name or its colour.
#pragma once

#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// The first rule that applies sets context.class_no: a layer-name key that is not empty and
// that the layer name ends with (when lay_class is 1); the pen of the colour (when pen_class
// is 1); the position of the layer in the drawing's layer table. When none applies (a layer
// missing from the table) the class stays as it is.
void AssignClass(TConversionContext& context, const TConversionSettings& settings);

}  // namespace dxfdin
