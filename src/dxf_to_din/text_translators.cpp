#include "dxf_to_din/text_translators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "din_format/din_writer.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_translators.h"
#include "dxf_to_din/placement.h"
#include "io/text_input.h"
#include "text/byte_class.h"
#include "text/din_text.h"
#include "text/dxf_text.h"

namespace dxfdin {

namespace {

constexpr double kPi = std::numbers::pi;

// An MTEXT's text is read up to this many bytes (its chunks together).
constexpr std::size_t kMtextBytes = 64 * 1024;

// The DIN height field holds tenths of a unit (times ten); a text lower than that would be
// written with height 0 and not be seen, so it is given the smallest height instead.
constexpr float kSmallestDinHeight = 10;

// Writes a text item of `text` (Shift-JIS, with its line end) at context.text_x and text_y,
// turned context.text_angle degrees, context.text_height high (drawing units), in the class
// assigned already.
void WriteTextItem(TConversionContext& context, std::string text) {
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
  if (context.text_height == 0 && h > 0 && context.text_scale > 0) {
    context.text_height = kSmallestDinHeight;
    ++context.changed["text too low for the DIN height field, given its smallest height"];
  }
  EncodeDinText(text);

  const double text_frame[8] = {context.text_x, context.text_y, ox, oy, c1x, c1y, c2x, c2y};
  TextOutput& out = *context.text_out;
  WriteItemLine(out, ItemHeadOf(context), false);
  WriteTextRecords(out, context.text_height, context.text_angle, text_frame, text);
  WriteItemEnd(out);
  ++context.item_count;
}

enum class TextKind { kText, kAttribute, kDefinition };

// Group 101 starts the data of an embedded object (an MTEXT's columns, a multiline
// attribute's MTEXT), whose groups 10, 11, 40 ... mean other things than the entity's own:
// the rest of the entity is passed over.
constexpr std::int32_t kEmbeddedObject = 101;

// Attribute flags (group 70).
constexpr std::int32_t kInvisible = 1;
constexpr std::int32_t kConstant = 2;

void TranslateTextOrAttribute(TConversionContext& context, const TConversionSettings& settings,
                              const DrawingFrame& frame, TextKind kind) {
  context.text_angle = 0;
  context.item_kind = kItemText;
  context.class_no = 100;
  // A text without group 1 is empty; every text ends with its line end.
  std::string text;
  Extrusion extrusion;
  double z = 0;
  std::int32_t attribute_flags = 0;
  bool embedded = false;
  while (!embedded && ReadGroupCode(context) && context.group_code != 0) {
    switch (context.group_code) {
      case kEmbeddedObject:
        SkipValue(context);
        SkipToGroupCode0(context);
        embedded = true;
        break;
      case 30:
        ReadDoubleValue(context, z);
        break;
      case 210:
        ReadDoubleValue(context, extrusion.x);
        break;
      case 220:
        ReadDoubleValue(context, extrusion.y);
        break;
      case 230:
        ReadDoubleValue(context, extrusion.z);
        break;
      case 1:
        ReadText(context, text, kTextBytes);
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
      case 70:
        if (kind != TextKind::kText) {
          ReadIntValue(context, attribute_flags);
        } else {
          SkipValue(context);
        }
        break;
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
        // Its layer, colour, line type and visibility, or a group not used.
        ReadGeometryGroup(context, {});
        break;
    }
  }
  // Cut to its bytes, or at the end of the input, the text still ends its line.
  if (text.empty() || text.back() != '\n') text += '\n';
  if (!AssignClassInFrame(context, settings, frame)) return;
  // An invisible attribute is not shown; of the definitions only the constant ones are.
  if (kind != TextKind::kText && (attribute_flags & kInvisible)) return;
  if (kind == TextKind::kDefinition && !(attribute_flags & kConstant)) return;
  // Its place and direction in the world (its glyphs are not mirrored on the DIN side).
  if (const Placement placement = frame.placement.Compose(Placement(extrusion));
      placement.kind() != Placement::Kind::kIdentity) {
    const WorldPoint at = placement.ToWorld(context.text_x, context.text_y, z);
    context.text_x = static_cast<float>(at.x);
    context.text_y = static_cast<float>(at.y);
    context.text_angle = static_cast<float>(placement.WorldAngle(context.text_angle));
    if (placement.kind() != Placement::Kind::kMirrored) {
      context.text_height = static_cast<float>(context.text_height * placement.HeightScale());
    }
  }
  WriteTextItem(context, std::move(text));
}

// Appends a text value with the blanks that began its line, without its line end, as far as
// the room for an MTEXT's text goes.
void ReadMtextChunk(TConversionContext& context, std::string& text) {
  const std::size_t room = kMtextBytes - text.size();
  if (context.value_lead.size() >= room) {
    SkipValue(context);
    return;
  }
  text += context.value_lead;
  std::string chunk;
  ReadTextValue(context, chunk, room - context.value_lead.size());
  if (!chunk.empty() && chunk.back() == '\n') chunk.pop_back();
  text += chunk;
}

// How far a text reaches along its direction, per byte of its Shift-JIS: the measure of
// the text frames.
constexpr double kWidthPerByte = 0.625;

// A paragraph of an MTEXT as the lines it is drawn in, each at most `max_bytes` long (and at
// most what a DIN text holds): broken before the word or double-byte character that would
// make it longer, a word longer than a line broken where the line is full. The blanks at a
// break are dropped.
std::vector<std::string> WrapParagraph(const std::string& paragraph, std::size_t max_bytes) {
  max_bytes = std::clamp<std::size_t>(max_bytes, 1, kTextBytes - 1);
  if (paragraph.size() <= max_bytes) return {paragraph};
  std::vector<std::string> lines;
  std::string line;
  auto break_line = [&] {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(std::move(line));
    line.clear();
  };
  std::size_t i = 0;
  while (i < paragraph.size()) {
    const auto b = static_cast<unsigned char>(paragraph[i]);
    std::size_t end = i + 1;
    if (IsLeadByte(b) && end < paragraph.size()) {
      ++end;
    } else if (b != ' ') {
      while (end < paragraph.size() && paragraph[end] != ' ' &&
             !IsLeadByte(static_cast<unsigned char>(paragraph[end]))) {
        ++end;
      }
    }
    std::string_view unit(paragraph.data() + i, end - i);
    i = end;
    if (unit == " ") {
      if (line.size() + 1 > max_bytes) {
        break_line();
      } else if (!line.empty() || lines.empty()) {
        line += ' ';
      }
      continue;
    }
    if (!line.empty() && line.size() + unit.size() > max_bytes) break_line();
    while (unit.size() > max_bytes) {
      line.append(unit.substr(0, max_bytes));
      unit.remove_prefix(max_bytes);
      break_line();
    }
    line.append(unit);
  }
  if (!line.empty()) break_line();
  return lines;
}

}  // namespace

void TranslateText(TConversionContext& context, const TConversionSettings& settings,
                   const DrawingFrame& frame) {
  TranslateTextOrAttribute(context, settings, frame, TextKind::kText);
}

void TranslateAttribute(TConversionContext& context, const TConversionSettings& settings,
                        const DrawingFrame& frame) {
  TranslateTextOrAttribute(context, settings, frame, TextKind::kAttribute);
}

void TranslateAttributeDefinition(TConversionContext& context, const TConversionSettings& settings,
                                  const DrawingFrame& frame) {
  TranslateTextOrAttribute(context, settings, frame, TextKind::kDefinition);
}

void TranslateMtext(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame) {
  context.item_kind = kItemText;
  context.class_no = 100;
  std::string value;
  std::array<double, 3> insertion{0, 0, 0};
  std::array<double, 3> direction{0, 0, 0};
  Extrusion extrusion;
  double height = 2.5, spacing = 1, rotation = 0, width = 0;
  std::int32_t attachment = 1;
  bool embedded = false;
  while (!embedded && ReadGroupCode(context) && context.group_code != 0) {
    switch (context.group_code) {
      case kEmbeddedObject:
        SkipValue(context);
        SkipToGroupCode0(context);
        embedded = true;
        break;
      case 1:
      case 3:
        ReadMtextChunk(context, value);
        break;
      default:
        ReadGeometryGroup(context,
                          {{10, &insertion[0]},
                           {20, &insertion[1]},
                           {30, &insertion[2]},
                           {11, &direction[0]},
                           {21, &direction[1]},
                           {31, &direction[2]},
                           {40, &height},
                           {41, &width},
                           {44, &spacing},
                           {50, &rotation},
                           {210, &extrusion.x},
                           {220, &extrusion.y},
                           {230, &extrusion.z}},
                          {{71, &attachment}});
        break;
    }
  }
  if (!AssignClassInFrame(context, settings, frame)) return;
  std::vector<std::string> paragraphs;
  if (context.dxf_text) {
    paragraphs = context.dxf_text->MtextLines(value);
  } else {
    DxfTextDecoder shift_jis("");
    paragraphs = shift_jis.MtextLines(value);
  }
  // Lines wrap at the reference width, where there is one.
  const double per_byte = kWidthPerByte * height;
  const double line_bytes = width > 0 && per_byte > 0 ? width / per_byte : kTextBytes;
  std::vector<std::string> lines;
  for (const std::string& paragraph : paragraphs) {
    for (std::string& line :
         WrapParagraph(paragraph, line_bytes < kTextBytes ? static_cast<std::size_t>(line_bytes)
                                                          : kTextBytes)) {
      lines.push_back(std::move(line));
    }
  }
  if (!(attachment >= 1 && attachment <= 9)) attachment = 1;
  if (!(spacing > 0) || !std::isfinite(spacing)) spacing = 1;
  // AutoCAD's lines lie 5/3 of the height apart at spacing factor 1. The top of the first
  // line's capitals, the middle of the block of lines or the last baseline is at the
  // insertion point, by the attachment's row; its column puts the insertion point at the
  // start, the middle or the end of each line.
  const double pitch = 5.0 / 3.0 * height * spacing;
  const double last = static_cast<double>(lines.size() - 1) * pitch;
  const int row = (attachment - 1) / 3, column = (attachment - 1) % 3;
  const double first_baseline = row == 0 ? -height : row == 1 ? (last + height) / 2 - height : last;
  const Placement placement =
      frame.placement.Compose(Placement::TextFrame(insertion, direction, rotation, extrusion));
  const double angle = placement.WorldAngle(0);
  const double world_height = height * placement.HeightScale();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string& line = lines[i];
    if (line.empty()) continue;
    // (Adding 0 makes a -0 0, which a DIN file would show as "-0".)
    const double y = first_baseline - static_cast<double>(i) * pitch + 0.0;
    const double x = -per_byte * static_cast<double>(line.size()) * column / 2 + 0.0;
    const WorldPoint at = placement.ToWorld(x, y, 0);
    context.text_x = static_cast<float>(at.x);
    context.text_y = static_cast<float>(at.y);
    context.text_angle = static_cast<float>(angle);
    context.text_height = static_cast<float>(world_height);
    line += '\n';
    WriteTextItem(context, std::move(line));
  }
}

}  // namespace dxfdin
