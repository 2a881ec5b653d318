#include "din_format/din_writer.h"

#include "batch/text_output.h"

namespace dxfdin {

void WriteDinHeader(TextOutput& out) { out.Write(kDinHeaderLine); }

void WriteItemLine(TextOutput& out, const DinItemHead& head, bool circle) {
  out.Format(circle ? "ITEM  %d   %d  %d  %d  %d  1 0\n" : "ITEM  %d   %d  %d  %d   %d  1 0\n",
             head.item_kind, head.class_no, head.item_attr3, head.line_type, head.item_attr5);
}

void WriteFirstPointRecord(TextOutput& out, std::int32_t record_line_type) {
  out.Format("  SR  3 3    2  %d  0\n", record_line_type);
}

void WriteNextPointRecord(TextOutput& out, std::int32_t record_line_type) {
  out.Format("  SR  4 3    2  %d  0\n", record_line_type);
}

void WriteArcStartRecord(TextOutput& out, std::int32_t record_line_type, bool circle) {
  out.Format(circle ? "  SR  3 %d    2   %d  0\n" : "  SR  3 %d    2  %d  0\n", 3,
             record_line_type);
}

void WriteArcRecord(TextOutput& out, std::int32_t record_line_type, bool circle) {
  out.Format(circle ? "  SR  5 %d    8   %d  0\n" : "  SR  5 %d    8  %d  0\n", 3,
             record_line_type);
}

void WritePointData(TextOutput& out, double x, double y) {
  out.Format("     %23.15G%23.15G\n", x, y);
}

void WriteTextRecords(TextOutput& out, double height, double angle, const double (&frame)[8],
                      std::string_view text) {
  out.Write("  SR  1 1    1  0  0\n");
  out.Write("        768\n");
  out.Write("  SR 11 1    8  0  0\n");
  out.Format("          0%6.0f%6.0f  1040    50    50   769   100\n", height, angle);
  out.Write("  SR 12 2    8  0  0\n");
  out.Format("     %15.7G%15.7G%15.7G%15.7G\n", frame[0], frame[1], frame[2], frame[3]);
  out.Format("     %15.7G%15.7G%15.7G%15.7G\n", frame[4], frame[5], frame[6], frame[7]);
  out.Format("  SR 13 0   %d  0  0\n", static_cast<int>(text.size()));
  out.Write("     ");
  out.Write(text);
}

void WriteItemEnd(TextOutput& out) { out.Write("  SR 31 1    0  0  0\n"); }

}  // namespace dxfdin
