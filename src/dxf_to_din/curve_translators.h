// Curves DIN has no item for, drawn as line chains of the context's current item that keep
// within 1/10000 of the curve's extent: ELLIPSE, SPLINE, and the boundaries and patterns of
// HATCH (a solid fill is drawn as its boundary).
#pragma once

#include "din_format/conversion_context.h"
#include "dxf_to_din/curves.h"
#include "dxf_to_din/drawing_frame.h"
#include "dxf_to_din/polyline_items.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// The points of a NURBS curve added to a chain, span by span: each span between distinct
// knots gets its share of the points a spline may give, as many as keep within 1/10000 of it.
void AddNurbs(TConversionContext& context, PolylineItems& items, const Placement& placement,
              const Nurbs& curve);

// ELLIPSE, whole or from its start to its end parameter.
void TranslateEllipse(TConversionContext& context, const TConversionSettings& settings,
                      const DrawingFrame& frame);
// SPLINE: the NURBS curve of its control points, knots and weights; from its fit points when
// it has no control points. Passed over (and counted) when its data make no curve.
void TranslateSpline(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame);
// HATCH: a pattern (group 70 is 0) as the lines of its definition within the boundary paths
// its island style fills, each piece a line chain, a dot one of no length; a solid fill,
// or a pattern without lines, as each boundary path: polyline paths with their bulges and
// edge paths of lines, arcs, elliptic arcs and splines; arcs stay arcs where the placement
// allows. A pattern too dense to draw whole is drawn with its boundary and counted.
void TranslateHatch(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame);

}  // namespace dxfdin
