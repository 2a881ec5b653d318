#include "din_to_dxf/dxf_writer.h"

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string>
#include <utility>

#include "din_to_dxf/din_item_sink.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "text/byte_string.h"
#include "text/din_text.h"
#include "text/string_expression.h"

namespace dxfdin {

namespace {

// Text lines are read whole, so that texts of any length that the DIN side writes (its
// markers make them longer than a line piece) come back intact; beyond this a line is cut.
constexpr std::size_t kTextLineKeep = 64 * 1024;

void WriteEntityHead(TConversionContext& context, std::string_view kind) {
  TextOutput& out = *context.din_out;
  out.Write("  0\n");
  out.Write(kind);
  out.Write("\n  8\n");
  out.Write(context.entity_layer);
  out.Write("\n  6\n");
  out.Write(context.line_type_name);
  out.Write("\n 62\n");
  out.WriteInt(context.colour);
  out.Write("\n");
}

// A group code line, then the value with "%<width>.15G".
void WriteReal(TextOutput& out, std::string_view code, double value, int width = 23) {
  out.Write(code);
  out.WriteG(value, width, 15);
  out.Write("\n");
}

// Whether every number is finite; if not, the item is counted as out of range, and neither
// written nor shown: no DXF file holds NAN or INF.
bool InRange(TConversionContext& context, std::initializer_list<double> numbers) {
  for (double number : numbers) {
    if (!std::isfinite(number)) {
      ++context.passed_over[MakeMessage(MessageId::kItemsOutOfRange)];
      return false;
    }
  }
  return true;
}

// A line that is a record of its own rather than the continuation of a text.
bool IsRecordLine(std::string_view line) {
  return line.find("  SR") != std::string_view::npos || line.substr(0, 4) == "ITEM";
}

}  // namespace

double RadiansToDegrees(double radians) {
  constexpr long double k = 1.0L / static_cast<long double>(std::numbers::pi);
  return static_cast<double>(static_cast<long double>(radians) * k * 180.0L);
}

void WriteLayerTableHead(TConversionContext& context, std::int32_t count) {
  context.din_out->Format("  0\nTABLE\n  2\nLAYER\n 70\n    %d\n", count);
}

void WriteLayerEntry(TConversionContext& context, std::string_view name) {
  TextOutput& out = *context.din_out;
  out.Write("  0\nLAYER\n  2\n");
  out.Write(name);
  out.Write("\n 70\n   64\n 62\n   7\n  6\nCONTINUOUS\n");
}

void WriteLayerTableEnd(TConversionContext& context) {
  context.din_out->Write("  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n");
}

void WriteLine(TConversionContext& context) {
  if (!InRange(context, {context.p1_x, context.p1_y, context.p2_x, context.p2_y})) return;
  if (context.item_sink) {
    context.item_sink->Line(context);
    return;
  }
  TextOutput& out = *context.din_out;
  WriteEntityHead(context, "LINE");
  WriteReal(out, " 10\n", context.p1_x);
  WriteReal(out, " 20\n", context.p1_y);
  WriteReal(out, " 11\n", context.p2_x);
  WriteReal(out, " 21\n", context.p2_y, 25);
}

void WriteCircleOrArc(TConversionContext& context) {
  const bool circle = context.p1_x == context.p3_x && context.p1_y == context.p3_y;
  if (!circle) {
    context.start_angle = RadiansToDegrees(
        std::atan2(context.p1_y - context.centre_y, context.p1_x - context.centre_x));
    if (context.start_angle < 0) context.start_angle += 360;
    context.sweep = RadiansToDegrees(context.sweep);
    context.end_angle = context.start_angle + context.sweep;
    // A clockwise sweep becomes the counter-clockwise arc from its end to its start.
    if (context.sweep < 0) std::swap(context.start_angle, context.end_angle);
  }
  // A circle has no angles (those of an arc before it stay as they were).
  const double start = circle ? 0 : context.start_angle, end = circle ? 0 : context.end_angle;
  if (!InRange(context, {context.centre_x, context.centre_y, context.radius, start, end})) {
    return;
  }
  if (context.item_sink) {
    context.item_sink->CircleOrArc(context, circle);
    return;
  }
  TextOutput& out = *context.din_out;
  WriteEntityHead(context, circle ? "CIRCLE" : "ARC");
  WriteReal(out, " 10\n", context.centre_x);
  WriteReal(out, " 20\n", context.centre_y);
  WriteReal(out, " 40\n", context.radius);
  if (!circle) {
    WriteReal(out, " 50\n", context.start_angle);
    WriteReal(out, " 51\n", context.end_angle);
  }
}

bool WriteText(TConversionContext& context, std::string& next_line) {
  TextInput& in = *context.dxf_in;
  std::string text;
  in.ReadLine(text, kTextLineKeep);
  bool record_follows = false;
  if (in.ReadLine(next_line, kTextLineKeep)) {
    if (IsRecordLine(next_line)) {
      record_follows = true;
    } else {
      // A continuation line: its leading blanks go, and it is joined without a blank.
      TrimText(next_line, 2);
      EvalStringOp(text, "+", next_line);
    }
  }
  DecodeDinText(text);
  if (!InRange(context,
               {context.text_x, context.text_y, context.text_height, context.text_angle})) {
    return record_follows;
  }
  if (context.item_sink) {
    const auto& v = context.frame_v;
    if (!InRange(context, {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]})) return record_follows;
    context.item_sink->Text(context, text);
    return record_follows;
  }

  TextOutput& out = *context.din_out;
  out.Write("  0\nTEXT\n  8\n");
  out.Write(context.entity_layer);
  out.Write("\n 10\n");
  out.WriteFixed(context.text_x, 0, 6);
  out.Write("\n 20\n");
  out.WriteFixed(context.text_y, 0, 6);
  out.Write("\n 40\n");
  // The DIN holds a hundred times the height (at text scale 1).
  out.WriteFixed(static_cast<double>(context.text_height) / 100 * context.dxf_text_scale, 0, 6);
  out.Write("\n 41\n1\n 50\n");
  out.WriteFixed(context.text_angle, 0, 6);
  out.Write("\n  1\n");
  // The text is one value line: a line end left inside it would split the entity.
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  out.Write(text);
  out.Write("\n");
  return record_follows;
}

void WriteDxfEnd(TConversionContext& context) {
  context.din_out->Write("  0\nENDSEC\n  0\nEOF\n");
}

}  // namespace dxfdin
