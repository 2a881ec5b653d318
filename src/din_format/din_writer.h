// The lines of a DIN file, byte for byte as the format lays them out (every blank counts).
// Every line is written through a TextOutput, so it ends in CR LF.
#pragma once

#include <cstdint>
#include <string_view>

#include "din_format/conversion_context.h"

namespace dxfdin {

class TextOutput;

inline constexpr std::string_view kDinHeaderLine =
    "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\n";

// Item kinds (ITEM position 1).
inline constexpr std::int32_t kItemLineChain = 2;
inline constexpr std::int32_t kItemArc = 3;
inline constexpr std::int32_t kItemText = 11;

// The values of an ITEM line.
struct DinItemHead {
  std::int32_t item_kind;
  std::int32_t class_no;
  std::int32_t item_attr3;
  std::int32_t line_type;
  std::int32_t item_attr5;
};

// The ITEM line of the context's current item.
DinItemHead ItemHeadOf(const TConversionContext& context);

void WriteDinHeader(TextOutput& out);
// The ITEM line; a circle's has one blank less before the fifth number.
void WriteItemLine(TextOutput& out, const DinItemHead& head, bool circle);
// SR 3 (first point) and SR 4 (next point) of a line chain.
void WriteFirstPointRecord(TextOutput& out, std::int32_t record_line_type);
void WriteNextPointRecord(TextOutput& out, std::int32_t record_line_type);
// SR 3 and SR 5 of an arc; a circle's have one blank more before the line type.
void WriteArcStartRecord(TextOutput& out, std::int32_t record_line_type, bool circle);
void WriteArcRecord(TextOutput& out, std::int32_t record_line_type, bool circle);
// A data line of two reals with 15 significant digits.
void WritePointData(TextOutput& out, double x, double y);
// SR 1, SR 11 and SR 12 of a text with their data lines, then SR 13 and the text itself,
// which must end with its LF.
void WriteTextRecords(TextOutput& out, double height, double angle, const double (&frame)[8],
                      std::string_view text);
// SR 31, the end of every item.
void WriteItemEnd(TextOutput& out);

}  // namespace dxfdin
