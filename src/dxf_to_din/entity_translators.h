// One DXF entity to one DIN item. Each translator is called right after the entity's type
// line, reads the entity's groups up to the group code 0 that ends it (a polyline: up to its
// SEQEND line), assigns the class and writes the item. Fields the entity lacks keep what the
// entity before it left. When the input ends inside an entity, the item is written with what
// was read, so every item of the DIN file is complete.
#pragma once

#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// LINE: a line chain of its two points.
void TranslateLine(TConversionContext& context, const TConversionSettings& settings);
// POLYLINE with its VERTEX entities: a line chain through the vertices.
void TranslatePolyline(TConversionContext& context, const TConversionSettings& settings);
// CIRCLE: an arc over the full turn, from angle 0 through angle pi.
void TranslateCircle(TConversionContext& context, const TConversionSettings& settings);
// ARC: an arc through its start, middle and end points.
void TranslateArc(TConversionContext& context, const TConversionSettings& settings);
// TEXT: a text item with its frame, written to context.text_out.
void TranslateText(TConversionContext& context, const TConversionSettings& settings);

// degrees * (1/180) * pi.
double DegToRad(double degrees);

}  // namespace dxfdin
