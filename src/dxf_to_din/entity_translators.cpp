#include "dxf_to_din/entity_translators.h"

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string>

#include "din_format/din_writer.h"
#include "dxf_to_din/assign_class.h"
#include "dxf_to_din/dxf_groups.h"
#include "io/text_input.h"
#include "text/din_text.h"

namespace dxfdin {

namespace {

constexpr double kPi = std::numbers::pi;

DinItemHead ItemHead(const TConversionContext& context) {
  return {context.item_kind, context.class_no, context.item_attr3, context.line_type,
          context.item_attr5};
}

// A real-valued group and the field it goes to.
struct RealGroup {
  std::int32_t code;
  double* field;
};

// One group of a line, polyline, vertex, circle or arc: the line type, layer and colour that
// they share, or one of `reals`; any other group is passed over.
void ReadGeometryGroup(TConversionContext& context, std::initializer_list<RealGroup> reals) {
  switch (context.group_code) {
    case 6:
      ReadLineType(context);
      return;
    case 8:
      ReadTextValue(context, context.entity_layer, kLayerNameKeep);
      return;
    case 62:
      ReadIntValue(context, context.colour);
      return;
    default:
      break;
  }
  for (const RealGroup& real : reals) {
    if (real.code == context.group_code) {
      ReadDoubleValue(context, *real.field);
      return;
    }
  }
  SkipValue(context);
}

// The groups of an entity up to the group code 0 that ends it (or the end of the input).
void ReadGeometry(TConversionContext& context, std::initializer_list<RealGroup> reals) {
  while (ReadGroupCode(context) && context.group_code != 0) ReadGeometryGroup(context, reals);
}

}  // namespace

double DegToRad(double degrees) {
  return degrees * (1.0 / 180) * kPi;
}

void TranslateLine(TConversionContext& context, const TConversionSettings& settings) {
  context.item_kind = kItemLineChain;
  ReadGeometry(
      context,
      {{10, &context.p1_x}, {20, &context.p1_y}, {11, &context.p2_x}, {21, &context.p2_y}});
  AssignClass(context, settings);
  TextOutput& out = *context.din_out;
  WriteItemLine(out, ItemHead(context), false);
  WriteFirstPointRecord(out, context.record_line_type);
  WritePointData(out, context.p1_x, context.p1_y);
  WriteNextPointRecord(out, context.record_line_type);
  WritePointData(out, context.p2_x, context.p2_y);
  WriteItemEnd(out);
}

void TranslatePolyline(TConversionContext& context, const TConversionSettings& settings) {
  enum class Phase { kHeader, kFirstPoint, kFurtherPoints, kDone };
  context.item_kind = kItemLineChain;
  TextOutput& out = *context.din_out;
  Phase phase = Phase::kHeader;
  while (phase != Phase::kDone) {
    if (!ReadGroupCode(context)) break;
    if (context.group_code != 0) {
      ReadGeometryGroup(context, {{10, &context.p1_x}, {20, &context.p1_y}});
      continue;
    }
    AssignClass(context, settings);
    switch (phase) {
      case Phase::kHeader:
        // The polyline's own point is a dummy; the vertices carry the points.
        WriteItemLine(out, ItemHead(context), false);
        phase = Phase::kFirstPoint;
        break;
      case Phase::kFirstPoint:
        WriteFirstPointRecord(out, context.record_line_type);
        WritePointData(out, context.p1_x, context.p1_y);
        phase = Phase::kFurtherPoints;
        break;
      case Phase::kFurtherPoints:
        WriteNextPointRecord(out, context.record_line_type);
        WritePointData(out, context.p1_x, context.p1_y);
        break;
      case Phase::kDone:
        break;
    }
    // The type of the entity that follows: VERTEX goes on, SEQEND ends the vertices (its
    // groups are passed over), and any other type is the next entity of a polyline whose
    // SEQEND is missing.
    ReadNameValue(context);
    if (context.line_buf == "VERTEX") continue;
    if (context.line_buf == "SEQEND") {
      SkipToGroupCode0(context);
    } else {
      context.type_read = true;
    }
    phase = Phase::kDone;
  }
  // Input that ends before the polyline's own groups end still gives a whole item.
  if (phase == Phase::kHeader) WriteItemLine(out, ItemHead(context), false);
  WriteItemEnd(out);
}

void TranslateCircle(TConversionContext& context, const TConversionSettings& settings) {
  context.item_kind = kItemArc;
  ReadGeometry(context, {{10, &context.centre_x}, {20, &context.centre_y}, {40, &context.radius}});
  AssignClass(context, settings);
  context.p1_x = context.centre_x + context.radius;
  context.p1_y = context.centre_y;
  context.p2_x = context.centre_x - context.radius;
  context.p2_y = context.centre_y;
  context.p3_x = context.p1_x;
  context.p3_y = context.p1_y;
  TextOutput& out = *context.din_out;
  WriteItemLine(out, ItemHead(context), true);
  WriteArcStartRecord(out, context.record_line_type, true);
  WritePointData(out, context.p1_x, context.p1_y);
  WriteArcRecord(out, context.record_line_type, true);
  WritePointData(out, context.p2_x, context.p2_y);
  WritePointData(out, context.p3_x, context.p3_y);
  WritePointData(out, context.centre_x, context.centre_y);
  WritePointData(out, context.radius, 2 * kPi);
  WriteItemEnd(out);
}

void TranslateArc(TConversionContext& context, const TConversionSettings& settings) {
  context.item_kind = kItemArc;
  ReadGeometry(context, {{10, &context.centre_x},
                         {20, &context.centre_y},
                         {40, &context.radius},
                         {50, &context.start_angle},
                         {51, &context.end_angle}});
  AssignClass(context, settings);
  // Counter-clockwise from start to end: an end below the start lies one turn further.
  if (context.end_angle < context.start_angle) context.start_angle -= 360;
  context.start_angle = DegToRad(context.start_angle);
  context.end_angle = DegToRad(context.end_angle);
  // The middle angle is held in single precision.
  const float middle = static_cast<float>((context.start_angle + context.end_angle) * 0.5);
  const double cx = context.centre_x, cy = context.centre_y, r = context.radius;
  context.p1_x = cx + r * std::cos(context.start_angle);
  context.p1_y = cy + r * std::sin(context.start_angle);
  context.p2_x = cx + r * std::cos(static_cast<double>(middle));
  context.p2_y = cy + r * std::sin(static_cast<double>(middle));
  context.p3_x = cx + r * std::cos(context.end_angle);
  context.p3_y = cy + r * std::sin(context.end_angle);
  TextOutput& out = *context.din_out;
  WriteItemLine(out, ItemHead(context), false);
  WriteArcStartRecord(out, context.record_line_type, false);
  WritePointData(out, context.p1_x, context.p1_y);
  WriteArcRecord(out, context.record_line_type, false);
  WritePointData(out, context.p2_x, context.p2_y);
  WritePointData(out, context.p3_x, context.p3_y);
  WritePointData(out, cx, cy);
  WritePointData(out, r, std::fabs(context.end_angle - context.start_angle));
  WriteItemEnd(out);
}

void TranslateText(TConversionContext& context, const TConversionSettings& settings) {
  context.text_angle = 0;
  context.item_kind = kItemText;
  context.class_no = 100;
  // A text without group 1 is empty; every text ends with its line end.
  std::string text;
  while (ReadGroupCode(context) && context.group_code != 0) {
    switch (context.group_code) {
      case 1:
        ReadTextValue(context, text, kTextBytes);
        break;
      case 8:
        ReadTextValue(context, context.entity_layer, kLayerNameKeep);
        break;
      case 10:
        ReadFloatValue(context, context.text_x);
        break;
      case 20:
        ReadFloatValue(context, context.text_y);
        break;
      case 40:
        ReadFloatValue(context, context.text_height);
        break;
      case 41: {
        float unused = 0;
        ReadFloatValue(context, unused);
        break;
      }
      case 50:
        ReadFloatValue(context, context.text_angle);
        break;
      case 51: {
        float more = 0;
        ReadFloatValue(context, more);
        context.text_angle = context.text_angle + more;
        break;
      }
      default:
        SkipValue(context);
        break;
    }
  }
  // Cut to its bytes, or at the end of the input, the text still ends its line.
  if (text.empty() || text.back() != '\n') text += '\n';
  AssignClass(context, settings);

  const float a = static_cast<float>(DegToRad(context.text_angle));
  const auto n = static_cast<double>(text.size());
  // The frame, from the height as read: half a unit around the text's box.
  const float h = context.text_height;
  const float frame_h = h + 1;
  const float frame_w = static_cast<float>(0.625 * h * n + 1);
  const double d = std::sqrt(2.0) * 0.5;
  const float ox = static_cast<float>(context.text_x - std::cos(a + kPi / 4) * d);
  const float oy = static_cast<float>(context.text_y - std::sin(a + kPi / 4) * d);
  const float c1x = static_cast<float>(ox + frame_w * std::cos(static_cast<double>(a)));
  const float c1y = static_cast<float>(oy + frame_w * std::sin(static_cast<double>(a)));
  const float c2x = static_cast<float>(ox + frame_h * std::cos(a + kPi / 2));
  const float c2y = static_cast<float>(oy + frame_h * std::sin(a + kPi / 2));

  context.text_height = static_cast<float>(
      std::floor(static_cast<double>(h) * static_cast<double>(context.text_scale) * 10) * 10);
  EncodeDinText(text);

  const double frame[8] = {context.text_x, context.text_y, ox, oy, c1x, c1y, c2x, c2y};
  TextOutput& out = *context.text_out;
  WriteItemLine(out, ItemHead(context), false);
  WriteTextRecords(out, context.text_height, context.text_angle, frame, text);
  WriteItemEnd(out);
}

}  // namespace dxfdin
