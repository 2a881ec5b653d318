// Entities a viewer draws as figures of lines and circles that the drawing itself does not
// hold: a POINT as the drawing's point style asks.
#pragma once

#include <cstdint>

#include "din_format/conversion_context.h"
#include "dxf_to_din/entity_text.h"

namespace dxfdin {

// The size of a point's figure from $PDSIZE: positive, in drawing units; 0, 5% of the
// drawing's height; negative, that percentage of the view's height. A height that is not
// known (not finite, or not above 0) gives way to the other, then to 1, as does a $PDSIZE
// that is not finite.
double PointFigureSize(double pdsize, double drawing_height, double view_height);

// POINT: reads its groups; writes its figure (lines and a circle about its location, in the
// plane of its extrusion, turned clockwise by its angle) as the drawing's point style asks.
// Nothing for a style that shows only a dot, or for a point on the layer "DEFPOINTS", which
// holds a dimension's definition points and is not plotted.
void ReadPoint(TConversionContext& context, EntityText& out);

}  // namespace dxfdin
