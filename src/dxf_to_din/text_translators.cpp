#include "dxf_to_din/text_translators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "din_format/din_writer.h"
#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_translators.h"
#include "dxf_to_din/placement.h"
#include "io/text_input.h"
#include "text/byte_class.h"
#include "text/din_text.h"
#include "text/dxf_text.h"
#include "text/line_breaks.h"

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
    ++context.changed[MakeMessage(MessageId::kTextTooLow)];
  }
  EncodeDinText(text);

  const double text_frame[8] = {context.text_x, context.text_y, ox, oy, c1x, c1y, c2x, c2y};
  TextOutput& out = *context.text_out;
  WriteItemLine(out, ItemHeadOf(context), false);
  WriteTextRecords(out, context.text_height, context.text_angle, text_frame, text);
  WriteItemEnd(out);
  ++context.item_count;
}

// How far a text reaches along its direction, per byte of its Shift-JIS: the measure of
// the text frames.
constexpr double kWidthPerByte = 0.625;
// What a byte of a line takes in an MTEXT's box when its lines are broken: a half of the
// height, a little less than what CAD programs' fonts take, so that a line its writer
// measured as fitting (a dimension's value in a box of exactly its width) stays one line.
constexpr double kBoxWidthPerByte = 0.5;
// Characters of a vertical text follow each other this many heights apart, as AutoCAD draws
// them with its Japanese fonts.
constexpr double kVerticalPitch = 1.4;

// Writes `text` (with its line end) at (x, y, z) of `placement`'s plane, turned `angle`
// degrees from its x axis, `height` high. A text in the world's plane is taken exactly as
// it is.
void WriteTextAt(TConversionContext& context, const Placement& placement, float x, float y,
                 double z, float angle, float height, std::string text) {
  context.text_x = x;
  context.text_y = y;
  context.text_angle = angle;
  context.text_height = height;
  // Its place and direction in the world (its glyphs are not mirrored on the DIN side).
  if (placement.kind() != Placement::Kind::kIdentity) {
    const WorldPoint at = placement.ToWorld(x, y, z);
    context.text_x = static_cast<float>(at.x);
    context.text_y = static_cast<float>(at.y);
    context.text_angle = static_cast<float>(placement.WorldAngle(angle));
    if (placement.kind() != Placement::Kind::kMirrored) {
      context.text_height = static_cast<float>(height * placement.HeightScale());
    }
  }
  WriteTextItem(context, std::move(text));
}

// The characters of a line of Shift-JIS text, without its line end.
std::vector<std::string_view> Characters(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  std::vector<std::string_view> characters;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t width =
        IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size() ? 2 : 1;
    characters.push_back(line.substr(i, width));
    i += width;
  }
  return characters;
}

// A column of vertical text: its characters upright, one below the other, each a text item
// centred on the column, the first one's top at (x, y) of the text's own axes, which are
// turned `angle` degrees. Blanks take their place and give no item.
void WriteColumn(TConversionContext& context, const Placement& placement, double x, double y,
                 double z, float angle, float height, std::string_view line) {
  const double a = DegToRad(angle), cos_a = std::cos(a), sin_a = std::sin(a);
  const double pitch = kVerticalPitch * height;
  double top = 0;
  for (std::string_view character : Characters(line)) {
    if (character != " ") {
      const double dx = -kWidthPerByte * height * static_cast<double>(character.size()) / 2;
      const double dy = top - height;
      WriteTextAt(context, placement, static_cast<float>(x + dx * cos_a - dy * sin_a),
                  static_cast<float>(y + dx * sin_a + dy * cos_a), z, angle, height,
                  std::string(character) + "\n");
    }
    top -= pitch;
  }
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
                              const DrawingFrame& frame, TextKind kind,
                              const AttributeCells& cells = {}) {
  context.text_angle = 0;
  context.item_kind = kItemText;
  context.class_no = 100;
  // A text without group 1 is empty; every text ends with its line end.
  std::string text;
  std::string style = "STANDARD";
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
      case 7:
        ReadRecordName(context, style);
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
  const Placement placement = frame.placement.Compose(Placement(extrusion));
  const bool vertical = context.drawing_styles && context.drawing_styles->IsVertical(style);
  const float x = context.text_x, y = context.text_y;
  const float height = context.text_height, angle = context.text_angle;
  // In every cell of a MINSERT, moved in its plane by the cell's place in the turned grid.
  const double turn = DegToRad(cells.rotation), cos_t = std::cos(turn), sin_t = std::sin(turn);
  for (std::int32_t row = 0; row < cells.rows; ++row) {
    for (std::int32_t column = 0; column < cells.columns; ++column) {
      // The cells of a large grid stop with the drawing, as the grid's blocks do.
      if ((row > 0 || column > 0) && DrawingStopped(context)) return;
      const double dx = column * cells.column_spacing, dy = row * cells.row_spacing;
      const bool moved = row > 0 || column > 0;
      const float cell_x = moved ? static_cast<float>(x + dx * cos_t - dy * sin_t) : x;
      const float cell_y = moved ? static_cast<float>(y + dx * sin_t + dy * cos_t) : y;
      if (vertical) {
        WriteColumn(context, placement, cell_x, cell_y, z, angle, height, text);
      } else {
        WriteTextAt(context, placement, cell_x, cell_y, z, angle, height, text);
      }
    }
  }
}

// Appends a text value with the blanks that began its line, without its line end, as far as
// the room for an MTEXT's text goes.
void ReadMtextChunk(TConversionContext& context, std::string& text) {
  const std::size_t room = kMtextBytes - text.size();
  if (context.value_lead_count >= room) {
    SkipValue(context);
    return;
  }
  text += context.value_lead;
  std::string chunk;
  ReadTextValue(context, chunk, room - context.value_lead.size());
  if (!chunk.empty() && chunk.back() == '\n') chunk.pop_back();
  text += chunk;
}

// An MTEXT's lines lie this many heights apart at spacing factor 1.
constexpr double kLinePitch = 5.0 / 3.0;

// The paragraphs of an MTEXT written top to bottom, as Japanese is: each a column of upright
// characters, the columns from right to left, a line pitch apart. The block of columns lies
// on the insertion point (the text frame's origin) by the attachment point: its left edge,
// middle or right edge (`column`), its top, middle or bottom (`row`).
void WriteVerticalMtext(TConversionContext& context, const Placement& placement,
                        const std::vector<std::string>& paragraphs, double height, double spacing,
                        int row, int column) {
  const double line_pitch = kLinePitch * height * spacing;
  const double character_pitch = kVerticalPitch * height;
  if (paragraphs.empty()) return;
  std::size_t longest = 0;
  for (const std::string& paragraph : paragraphs) {
    longest = std::max(longest, Characters(paragraph).size());
  }
  const double block_width = static_cast<double>(paragraphs.size() - 1) * line_pitch + height;
  const double block_height =
      longest > 0 ? static_cast<double>(longest - 1) * character_pitch + height : 0;
  const double left = column == 0 ? 0 : column == 1 ? -block_width / 2 : -block_width;
  const double top = row == 0 ? 0 : row == 1 ? block_height / 2 : block_height;
  for (std::size_t k = 0; k < paragraphs.size(); ++k) {
    const double middle = left + block_width - height / 2 - static_cast<double>(k) * line_pitch;
    WriteColumn(context, placement, middle, top, 0, 0, static_cast<float>(height), paragraphs[k]);
  }
}

}  // namespace

void TranslateText(TConversionContext& context, const TConversionSettings& settings,
                   const DrawingFrame& frame) {
  TranslateTextOrAttribute(context, settings, frame, TextKind::kText);
}

void TranslateAttribute(TConversionContext& context, const TConversionSettings& settings,
                        const DrawingFrame& frame, const AttributeCells& cells) {
  TranslateTextOrAttribute(context, settings, frame, TextKind::kAttribute, cells);
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
  std::int32_t attachment = 1, drawing_direction = 1;
  std::string style = "STANDARD";
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
      case 7:
        ReadRecordName(context, style);
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
                          {{71, &attachment}, {72, &drawing_direction}});
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
  if (!(attachment >= 1 && attachment <= 9)) attachment = 1;
  if (!(spacing > 0) || !std::isfinite(spacing)) spacing = 1;
  const int row = (attachment - 1) / 3, column = (attachment - 1) % 3;
  const Placement placement =
      frame.placement.Compose(Placement::TextFrame(insertion, direction, rotation, extrusion));
  // Written top to bottom (group 72 = 3), or by a vertical style (5).
  constexpr std::int32_t kTopToBottom = 3, kByStyle = 5;
  if (drawing_direction == kTopToBottom ||
      (drawing_direction == kByStyle && context.drawing_styles &&
       context.drawing_styles->IsVertical(style))) {
    WriteVerticalMtext(context, placement, paragraphs, height, spacing, row, column);
    return;
  }
  // Lines break in the box of the reference width, where there is one, and hold at most what
  // a DIN text holds.
  const double per_byte = kWidthPerByte * height;
  const double box = width > 0 && height > 0 ? width / (kBoxWidthPerByte * height)
                                             : std::numeric_limits<double>::infinity();
  std::vector<std::string> lines;
  for (const std::string& paragraph : paragraphs) {
    for (std::string& line : BreakLines(paragraph, box, kTextBytes - 1)) {
      lines.push_back(std::move(line));
    }
  }
  // AutoCAD's lines lie 5/3 of the height apart at spacing factor 1. The top of the first
  // line's capitals, the middle of the block of lines or the last baseline is at the
  // insertion point, by the attachment's row; its column puts the insertion point at the
  // start, the middle or the end of each line.
  const double pitch = kLinePitch * height * spacing;
  const double last = static_cast<double>(lines.size() - 1) * pitch;
  const double first_baseline = row == 0 ? -height : row == 1 ? (last + height) / 2 - height : last;
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
