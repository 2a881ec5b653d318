// One DXF entity to DIN items: one item, or for a polyline one per straight run and bulged
// segment. Each translator is called right after the entity's type (the value of its group
// code 0), reads the entity's groups up to the group code 0 after it (a polyline: after its
// SEQEND), assigns the class, writes the items and adds them to context.item_count. Points of
// an entity with an extrusion direction go from its own coordinate system to the world's.
// Fields the entity lacks keep what the entity before it left. When the input ends inside an
// entity, the item is written with what was read, so every item of the DIN file is complete.
#pragma once

#include "din_format/conversion_context.h"
#include "dxf_to_din/drawing_frame.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// LINE: a line chain of its two points.
void TranslateLine(TConversionContext& context, const TConversionSettings& settings,
                   const DrawingFrame& frame);
// POLYLINE with its VERTEX entities: a line chain through the vertices, bulged segments as
// arcs, a closed one back to its first vertex; a mesh as the edges of its faces.
void TranslatePolyline(TConversionContext& context, const TConversionSettings& settings,
                       const DrawingFrame& frame);
// LWPOLYLINE: what the equivalent POLYLINE gives.
void TranslateLwPolyline(TConversionContext& context, const TConversionSettings& settings,
                         const DrawingFrame& frame);
// CIRCLE: an arc over the full turn, from angle 0 through angle pi.
void TranslateCircle(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame);
// ARC: an arc through its start, middle and end points.
void TranslateArc(TConversionContext& context, const TConversionSettings& settings,
                  const DrawingFrame& frame);

// degrees * (1/180) * pi.
double DegToRad(double degrees);

}  // namespace dxfdin
