// Entities drawn as their outlines: SOLID and TRACE (filled quadrilaterals), 3DFACE and
// LEADER, each as line chains of the context's current item.
#pragma once

#include "din_format/conversion_context.h"
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
// LEADER: a chain through its vertices.
void TranslateLeader(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame);

}  // namespace dxfdin
