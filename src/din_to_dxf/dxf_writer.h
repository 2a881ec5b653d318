// The DXF text of a converted DIN file: the layer table, the ENTITIES section with its LINE,
// CIRCLE, ARC and TEXT entities, and the end of the file. Every line goes through the
// context's output, so it ends in CR LF.
#pragma once

#include <cstdint>
#include <string_view>

#include "din_format/conversion_context.h"

namespace dxfdin {

// x * k * 180 in x87 extended precision, k being the extended value nearest to 1 / (the
// double value of pi); the result rounded to double.
double RadiansToDegrees(double radians);

void WriteLayerTableHead(TConversionContext& context, std::int32_t count);
void WriteLayerEntry(TConversionContext& context, std::string_view name);
// Ends the LAYER table and the TABLES section and opens the ENTITIES section.
void WriteLayerTableEnd(TConversionContext& context);
// A LINE from p1 to p2.
void WriteLine(TConversionContext& context);
// A CIRCLE when the arc record ends where it starts (p1 == p3), otherwise an ARC whose
// angles come from the start point and the signed sweep.
void WriteCircleOrArc(TConversionContext& context);
// Reads the text line of an SR 13 record and the line after it from the input, and writes
// the TEXT. Returns true when the line after the text is a record line of its own, left in
// `next_line` for the caller to act on.
bool WriteText(TConversionContext& context, std::string& next_line);
void WriteDxfEnd(TConversionContext& context);

}  // namespace dxfdin
