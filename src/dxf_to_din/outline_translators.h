// Entities drawn as their outlines: SOLID and TRACE (filled quadrilaterals), 3DFACE and
// LEADER, each as line chains of the context's current item.
#pragma once

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "din_format/conversion_context.h"
#include "dxf_to_din/curves.h"
#include "dxf_to_din/drawing_frame.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// SOLID and TRACE: the closed chain of corners 1, 2, 4, 3 (1, 2, 3 when 4 repeats 3), in
// their own coordinate system; the fill is not drawn.
void TranslateSolid(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame);
// 3DFACE: its visible edges (flag bits 1, 2, 4, 8 hide the edges that start at corners 1 to 4).
void Translate3dFace(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame);
// LEADER: a chain through its vertices; a spline leader (path type 1) the curve through them
// that starts and ends along its first and last segment, with the outline of its arrowhead
// (unless group 71 is 0) as its dimension style and the leader's own overrides of it give.
void TranslateLeader(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame);

// The outline of an arrowhead of `size` at `tip`, pointing away from `next`, as chains and
// whether each is closed: the closed arrows (the default, named "", "_ClosedFilled",
// "_ClosedBlank" and "_Closed") and "_None", which has none; no outline for another arrow
// block.
std::optional<std::vector<std::pair<std::vector<Point3>, bool>>> ArrowheadOutline(
    std::string_view arrow, double size, const Point3& tip, const Point3& next);

}  // namespace dxfdin
