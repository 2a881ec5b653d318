#include "din_format/din_writer.h"

#include <cmath>
#include <string>

#include "io/number_format.h"
#include "io/text_output.h"

namespace dxfdin {

DinItemHead ItemHeadOf(const TConversionContext& context) {
  return {context.item_kind, context.class_no, context.item_attr3, context.line_type,
          context.item_attr5};
}

void WriteDinHeader(TextOutput& out) {
  out.Write(kDinHeaderLine);
}

// These lines are written for every item; they go through the number writers, which give
// exactly what printf gives for "%d" and "%23.15G", at a fraction of the cost.

void WriteItemLine(TextOutput& out, const DinItemHead& head, bool circle) {
  // "ITEM  %d   %d  %d  %d   %d  1 0\n"; a circle's has two blanks before the fifth number.
  out.WriteRaw("ITEM  ");
  out.WriteInt(head.item_kind);
  out.WriteRaw("   ");
  out.WriteInt(head.class_no);
  out.WriteRaw("  ");
  out.WriteInt(head.item_attr3);
  out.WriteRaw("  ");
  out.WriteInt(head.line_type);
  out.WriteRaw(circle ? "  " : "   ");
  out.WriteInt(head.item_attr5);
  out.Write("  1 0\n");
}

namespace {

// An SR line that ends with the record's line type: `head`, the number, "  0".
void WriteRecordLine(TextOutput& out, std::string_view head, std::int32_t record_line_type) {
  out.WriteRaw(head);
  out.WriteInt(record_line_type);
  out.Write("  0\n");
}

// "%6.0f" for a field that follows another on its line. A number that fills the field would
// run into the one before it, and DIN readers split the line at blanks: it gets a blank.
void WriteSeparatedField(TextOutput& out, double value) {
  if (!std::isfinite(value)) {
    out.NoteNonFinite();
    value = 0;
  }
  std::string number;
  AppendFixed(number, value, 6, 0);
  if (number.front() != ' ') out.WriteRaw(" ");
  out.WriteRaw(number);
}

}  // namespace

void WriteFirstPointRecord(TextOutput& out, std::int32_t record_line_type) {
  WriteRecordLine(out, "  SR  3 3    2  ", record_line_type);
}

void WriteNextPointRecord(TextOutput& out, std::int32_t record_line_type) {
  WriteRecordLine(out, "  SR  4 3    2  ", record_line_type);
}

void WriteArcStartRecord(TextOutput& out, std::int32_t record_line_type, bool circle) {
  WriteRecordLine(out, circle ? "  SR  3 3    2   " : "  SR  3 3    2  ", record_line_type);
}

void WriteArcRecord(TextOutput& out, std::int32_t record_line_type, bool circle) {
  WriteRecordLine(out, circle ? "  SR  5 3    8   " : "  SR  5 3    8  ", record_line_type);
}

void WritePointData(TextOutput& out, double x, double y) {
  out.WriteRaw("     ");
  out.WriteG(x, 23, 15);
  out.WriteG(y, 23, 15);
  out.Write("\n");
}

void WriteTextRecords(TextOutput& out, double height, double angle, const double (&frame)[8],
                      std::string_view text) {
  out.Write("  SR  1 1    1  0  0\n");
  out.Write("        768\n");
  out.Write("  SR 11 1    8  0  0\n");
  out.WriteRaw("          0");
  WriteSeparatedField(out, height);
  WriteSeparatedField(out, angle);
  out.Write("  1040    50    50   769   100\n");
  out.Write("  SR 12 2    8  0  0\n");
  for (int line = 0; line < 2; ++line) {
    out.WriteRaw("     ");
    for (int i = 0; i < 4; ++i) out.WriteG(frame[4 * line + i], 15, 7);
    out.Write("\n");
  }
  out.WriteRaw("  SR 13 0   ");
  out.WriteInt(static_cast<std::int64_t>(text.size()));
  out.Write("  0  0\n");
  out.Write("     ");
  out.Write(text);
}

void WriteItemEnd(TextOutput& out) {
  out.Write("  SR 31 1    0  0  0\n");
}

}  // namespace dxfdin
