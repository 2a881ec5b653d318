#include "dxf_to_din/multileader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/ocs_axes.h"
#include "text/dxf_text.h"
#include "text/number_text.h"

namespace dxfdin {

namespace {

// The bytes of an MTEXT content that are kept.
constexpr std::size_t kTextKeep = std::size_t{1} << 16;
// Arrowheads named per leader line.
constexpr std::size_t kMaxArrowHeads = 256;

// Colours as the entity holds them: 32 bits, the top byte the method (0xC0 BYLAYER, 0xC1
// BYBLOCK, 0xC2 a true colour, 0xC3 an index in the low byte). What EntityText takes: 256
// the layer's, 1 to 255 the index, 0 the entity's own (true colours too, which a DIN class
// does not follow).
constexpr std::int32_t kRawByBlock = static_cast<std::int32_t>(0xC1000000u);

std::int32_t ColourOf(std::int32_t raw) {
  const auto bits = static_cast<std::uint32_t>(raw);
  if (bits >> 24 == 0xC0) return 256;
  if (bits >> 24 == 0xC3) {
    const std::int32_t index = static_cast<std::int32_t>(bits & 0xFF);
    return index >= 1 && index <= 255 ? index : 0;
  }
  return 0;
}

struct LeaderLine {
  std::vector<Point3> vertices;
  std::int32_t index = 0;
  std::int32_t colour = kRawByBlock;
};

struct Leader {
  std::vector<LeaderLine> lines;
  Point3 last{0, 0, 0};  // where the lines end and the landing begins
  Point3 dogleg{1, 0, 0};
  std::int32_t has_dogleg_vector = 0;
  double dogleg_length = 1;
  std::int32_t attachment = 0;  // 0 the content's side (a landing), 1 its top or bottom
};

struct AttributeValue {
  std::string handle;  // of the block's ATTDEF
  std::string text;
};

struct Multileader {
  // The context data.
  double scale = 1;
  double text_height = 4;
  double arrow_size = 4;
  double landing_gap = 2;
  std::int32_t has_text = 0;
  std::int32_t has_block = 0;
  std::string text;
  Point3 text_at{0, 0, 0};
  Point3 text_direction{1, 0, 0};
  Extrusion text_extrusion;
  double text_width = 0;
  double line_spacing = 1;
  std::int32_t alignment = 1;
  std::int32_t text_colour = kRawByBlock;
  std::string block_handle;
  Point3 block_at{0, 0, 0};
  Point3 block_scale{1, 1, 1};
  double block_rotation = 0;  // radians
  Extrusion block_extrusion;
  std::int32_t block_colour = kRawByBlock;
  std::vector<Leader> leaders;
  // The entity's own groups.
  std::int32_t leader_type = 1;  // 0 none, 1 straight, 2 spline
  std::int32_t leader_colour = kRawByBlock;
  std::int32_t has_dogleg = 1;
  std::string arrow_handle;
  std::vector<std::pair<std::int32_t, std::string>> arrow_heads;  // by leader line index
  std::int32_t left_attachment = 1, right_attachment = 1;
  std::int32_t top_attachment = 9, bottom_attachment = 9;
  std::vector<AttributeValue> attributes;
};

std::string TextValue(TConversionContext& context, std::size_t keep) {
  std::string value;
  ReadTextValue(context, value, keep);
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  return value;
}

std::string HandleValue(TConversionContext& context) {
  std::string handle;
  ReadRecordName(context, handle);
  return handle;
}

// A coordinate of a point whose groups are code, code + 10, code + 20.
bool ReadPointGroup(TConversionContext& context, std::int32_t code, Point3& point) {
  const std::int32_t axis = (context.group_code - code) / 10;
  if (context.group_code < code || (context.group_code - code) % 10 != 0 || axis > 2) {
    return false;
  }
  ReadDoubleValue(context, point[static_cast<std::size_t>(axis)]);
  return true;
}

bool ReadExtrusionGroup(TConversionContext& context, std::int32_t code, Extrusion& extrusion) {
  Point3 p{extrusion.x, extrusion.y, extrusion.z};
  if (!ReadPointGroup(context, code, p)) return false;
  extrusion = {p[0], p[1], p[2]};
  return true;
}

void ReadContextGroup(TConversionContext& context, Multileader& m) {
  const std::int32_t code = context.group_code;
  if (ReadPointGroup(context, 12, m.text_at) || ReadPointGroup(context, 13, m.text_direction) ||
      ReadExtrusionGroup(context, 11, m.text_extrusion) ||
      ReadPointGroup(context, 15, m.block_at) || ReadPointGroup(context, 16, m.block_scale) ||
      ReadExtrusionGroup(context, 14, m.block_extrusion)) {
    return;
  }
  switch (code) {
    case 40:
      ReadDoubleValue(context, m.scale);
      return;
    case 41:
      ReadDoubleValue(context, m.text_height);
      return;
    case 140:
      ReadDoubleValue(context, m.arrow_size);
      return;
    case 145:
      ReadDoubleValue(context, m.landing_gap);
      return;
    case 290:
      ReadIntValue(context, m.has_text);
      return;
    case 296:
      ReadIntValue(context, m.has_block);
      return;
    case 304:
      m.text = TextValue(context, kTextKeep);
      return;
    case 43:
      ReadDoubleValue(context, m.text_width);
      return;
    case 45:
      ReadDoubleValue(context, m.line_spacing);
      return;
    case 171:
      ReadIntValue(context, m.alignment);
      return;
    case 90:
      ReadIntValue(context, m.text_colour);
      return;
    case 341:
      m.block_handle = HandleValue(context);
      return;
    case 46:
      ReadDoubleValue(context, m.block_rotation);
      return;
    case 93:
      ReadIntValue(context, m.block_colour);
      return;
    default:
      SkipValue(context);
  }
}

void ReadLeaderGroup(TConversionContext& context, Leader& leader) {
  if (ReadPointGroup(context, 10, leader.last) || ReadPointGroup(context, 11, leader.dogleg)) {
    return;
  }
  switch (context.group_code) {
    case 291:
      ReadIntValue(context, leader.has_dogleg_vector);
      return;
    case 40:
      ReadDoubleValue(context, leader.dogleg_length);
      return;
    case 271:
      ReadIntValue(context, leader.attachment);
      return;
    default:
      SkipValue(context);
  }
}

// After the context data: the entity's own groups.
void ReadEntityGroup(TConversionContext& context, Multileader& m, std::int32_t& arrow_index) {
  switch (context.group_code) {
    case 170:
      ReadIntValue(context, m.leader_type);
      return;
    case 91:
      ReadIntValue(context, m.leader_colour);
      return;
    case 291:
      ReadIntValue(context, m.has_dogleg);
      return;
    case 342:
      m.arrow_handle = HandleValue(context);
      return;
    case 173:
      ReadIntValue(context, m.left_attachment);
      return;
    case 95:
      ReadIntValue(context, m.right_attachment);
      return;
    case 272:
      ReadIntValue(context, m.bottom_attachment);
      return;
    case 273:
      ReadIntValue(context, m.top_attachment);
      return;
    case 94:
      ReadIntValue(context, arrow_index);
      return;
    case 345:
      if (m.arrow_heads.size() < kMaxArrowHeads) {
        m.arrow_heads.emplace_back(arrow_index, HandleValue(context));
      } else {
        SkipValue(context);
      }
      return;
    case 330:
      if (m.attributes.size() < kMaxMultileaderAttributes) {
        m.attributes.push_back({HandleValue(context), {}});
      } else {
        SkipValue(context);
      }
      return;
    case 302:
      if (!m.attributes.empty()) {
        m.attributes.back().text = TextValue(context, kTextKeep);
      } else {
        SkipValue(context);
      }
      return;
    default:
      ReadGeometryGroup(context, {});
  }
}

Multileader ReadGroups(TConversionContext& context) {
  Multileader m;
  enum class Section { kEntity, kContext, kLeader, kLine };
  Section section = Section::kEntity;
  bool context_read = false;
  std::size_t lines = 0, vertices = 0;
  Leader* leader = nullptr;    // the leader being read, none past the bound
  LeaderLine* line = nullptr;  // likewise its line
  bool taking = false;         // the vertex being read is kept
  std::int32_t arrow_index = 0;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    switch (section) {
      case Section::kEntity:
        if (code == 300 && !context_read) {
          SkipValue(context);
          section = Section::kContext;
        } else if (context_read) {
          ReadEntityGroup(context, m, arrow_index);
        } else {
          ReadGeometryGroup(context, {});
        }
        break;
      case Section::kContext:
        if (code == 301) {
          SkipValue(context);
          section = Section::kEntity;
          context_read = true;
        } else if (code == 302) {
          SkipValue(context);
          section = Section::kLeader;
          leader = nullptr;
          if (m.leaders.size() < kMaxMultileaderLeaders) leader = &m.leaders.emplace_back();
        } else {
          ReadContextGroup(context, m);
        }
        break;
      case Section::kLeader:
        if (code == 303) {
          SkipValue(context);
          section = Section::kContext;
        } else if (code == 304) {
          SkipValue(context);
          section = Section::kLine;
          line = nullptr;
          taking = false;
          if (leader && lines < kMaxMultileaderLines) {
            ++lines;
            line = &leader->lines.emplace_back();
          }
        } else if (leader) {
          ReadLeaderGroup(context, *leader);
        } else {
          SkipValue(context);
        }
        break;
      case Section::kLine:
        if (code == 305) {
          SkipValue(context);
          section = Section::kLeader;
        } else if (code == 10) {
          taking = line && vertices < kMaxMultileaderVertices;
          if (taking) {
            ++vertices;
            line->vertices.push_back({0, 0, 0});
            ReadDoubleValue(context, line->vertices.back()[0]);
          } else {
            SkipValue(context);
          }
        } else if ((code == 20 || code == 30) && taking) {
          ReadDoubleValue(context, line->vertices.back()[static_cast<std::size_t>(code / 10 - 1)]);
        } else if (code == 91 && line) {
          ReadIntValue(context, line->index);
        } else if (code == 92 && line) {
          ReadIntValue(context, line->colour);
        } else {
          SkipValue(context);
        }
        break;
    }
  }
  return m;
}

// The landing of a leader: along its dog-leg direction, its length long.
Point3 Landing(const Leader& leader) {
  Point3 direction = leader.has_dogleg_vector ? Unit(leader.dogleg) : Point3{0, 0, 0};
  if (direction == Point3{0, 0, 0}) direction = {1, 0, 0};
  return Times(direction, leader.dogleg_length);
}

// Arrow blocks drawn from their tip: the leader line starts there, not an arrow's length on.
bool StartsAtTip(std::string_view block) {
  std::string name(block);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (!name.empty() && name.front() == '_') name.erase(0, 1);
  return name == "NONE" || name == "OBLIQUE" || name == "ARCHTICK" || name == "DOTSMALL" ||
         name == "SMALL" || name == "INTEGRAL";
}

// The characters of the longest line of an MTEXT content, without its formatting codes:
// \P and ^J end a line; \N, \\, \{, \} and \U+XXXX are a character; the other codes, up to
// their ";", none but a stack's text; %%c, %%d and %%p one character. Bytes as the drawing's
// encoding holds them: a Shift-JIS character in two, a UTF-8 one in a lead byte and the
// bytes 0x80 to 0xBF after it.
std::size_t LongestLine(std::string_view text, bool shift_jis) {
  std::size_t longest = 0, count = 0;
  const auto end_line = [&]() {
    longest = std::max(longest, count);
    count = 0;
  };
  // The first ';' from a position on, searched again only once it lies behind.
  std::size_t semicolon = text.find(';');
  const auto semicolon_from = [&](std::size_t from) {
    if (semicolon != std::string_view::npos && semicolon < from) semicolon = text.find(';', from);
    return semicolon;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '\\' && next != '\0') {
      ++i;
      if (next == 'P') {
        end_line();
      } else if (next == 'N' || next == '\\' || next == '{' || next == '}') {
        ++count;
      } else if ((next == 'U' || next == 'u') && text.substr(i + 1, 1) == "+") {
        ++count;
        i = std::min(i + 5, text.size() - 1);
      } else if (std::string_view("LlOoKkX").find(next) == std::string_view::npos) {
        const std::size_t close = semicolon_from(i);
        if (close == std::string_view::npos) {
          count += 2;
        } else {
          if (next == 'S') count += close - i - 1;
          i = close;
        }
      }
    } else if (c == '^' && next != '\0') {
      ++i;
      if (next == 'J') {
        end_line();
      } else {
        ++count;
      }
    } else if (c == '%' && next == '%' && i + 2 < text.size()) {
      const char code = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
      count += code == 'c' || code == 'd' || code == 'p' ? 1 : 3;
      i += 2;
    } else if (c == '{' || c == '}') {
      continue;  // a group of formatting, no character
    } else if (shift_jis && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC))) {
      ++count;
      ++i;
    } else if (!shift_jis && byte >= 0xC0) {
      ++count;
      while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) ++i;
    } else {
      ++count;
    }
  }
  end_line();
  return longest;
}

class Drawer {
 public:
  Drawer(TConversionContext& context, const BlockTable& blocks, const Multileader& m,
         EntityText& out)
      : context_(context), blocks_(blocks), m_(m), out_(out) {
    const bool text = m.has_text == 1, block = m.has_block == 1 && !text;
    const Extrusion plane = text ? m.text_extrusion : block ? m.block_extrusion : Extrusion{};
    plane_ = plane;
    axes_ = OcsAxes(Point3{plane.x, plane.y, plane.z});
  }

  void Content() {
    if (m_.has_text == 1) {
      out_.SetColour(ColourOf(m_.text_colour));
      const std::int32_t attachment = m_.alignment >= 1 && m_.alignment <= 9 ? m_.alignment : 1;
      out_.Mtext(m_.text_at, m_.text_height, m_.text_direction, attachment, m_.text,
                 m_.text_width * m_.scale, m_.line_spacing, plane_);
    } else if (m_.has_block == 1) {
      BlockContent();
    }
  }

  void Leaders() {
    if (m_.leader_type == 0) return;
    for (const Leader& leader : m_.leaders) {
      for (const LeaderLine& line : leader.lines) LeaderLineOf(leader, line);
      if (m_.has_text != 1) continue;
      if (leader.attachment == 0) {
        Underline(leader);
      } else {
        Overline(leader);
      }
    }
  }

 private:
  // An attribute definition of the block that a value of the entity fills in.
  struct Definition {
    Point3 at{0, 0, 0};
    double height = 1;
    double rotation = 0;
    std::string text;
  };

  // The block of the content, in its plane, with the values of its attributes.
  void BlockContent() {
    if (!context_.drawing_styles) return;
    const std::string name = context_.drawing_styles->dimensions.BlockName(m_.block_handle);
    if (name.empty()) return;
    out_.SetColour(ColourOf(m_.block_colour));
    const Point3 at = axes_.ToOcs(m_.block_at);
    const double rotation = m_.block_rotation * 180 / 3.14159265358979323846;
    std::vector<std::pair<Point3, Definition>> attributes;
    if (const BlockDefinition* block = blocks_.Find(name); block && !m_.attributes.empty()) {
      attributes = Attributes(*block, at, rotation);
    }
    out_.Insert(name, at, m_.block_scale, rotation, plane_, !attributes.empty());
    if (attributes.empty()) return;
    for (const auto& [where, definition] : attributes) {
      out_.Attribute(where, definition.height, definition.rotation, definition.text, plane_);
    }
    out_.EndAttributes();
  }

  // The attributes of the block's definitions, with the values the entity gives them (by
  // the definition's handle; none is empty), placed as the insert at `at` turned `rotation`
  // degrees places them: moved with the block's base to `at`, scaled, turned. Invisible and
  // constant definitions show no value.
  std::vector<std::pair<Point3, Definition>> Attributes(const BlockDefinition& block,
                                                        const Point3& at, double rotation) {
    context_.work += block.groups + 1;
    std::vector<std::pair<Point3, Definition>> placed;
    const double turn = rotation * 3.14159265358979323846 / 180;
    const double c = std::cos(turn), s = std::sin(turn);
    const Point3& scale = m_.block_scale;
    for (Definition& d : Definitions(block.entities)) {
      const double u = scale[0] * (d.at[0] - block.base[0]);
      const double v = scale[1] * (d.at[1] - block.base[1]);
      const Point3 where{at[0] + u * c - v * s, at[1] + u * s + v * c,
                         at[2] + scale[2] * (d.at[2] - block.base[2])};
      d.height *= std::fabs(scale[1]);
      d.rotation += rotation;
      placed.emplace_back(where, std::move(d));
    }
    return placed;
  }

  // The ATTDEFs of the block's groups that take a value, in the block's order.
  std::vector<Definition> Definitions(std::string_view groups) const {
    std::vector<Definition> found;
    std::optional<Definition> current;
    std::string handle;
    std::int32_t flags = 0;
    bool embedded = false;
    const auto finish = [&]() {
      if (!current) return;
      if (!(flags & 3) && found.size() < kMaxMultileaderAttributes) {
        for (const AttributeValue& value : m_.attributes) {
          if (!handle.empty() && SameHandle(value.handle, handle)) current->text = value.text;
        }
        found.push_back(*current);
      }
      current.reset();
    };
    std::size_t at = 0;
    while (at < groups.size()) {
      const std::string_view code = Line(groups, at);
      const std::string_view value = Line(groups, at);
      if (code == "0") {
        finish();
        if (value == "ATTDEF") {
          current.emplace();
          handle.clear();
          flags = 0;
          embedded = false;
        }
        continue;
      }
      // The groups of a multiline definition's embedded text (after group 101) are its own.
      if (!current || embedded) continue;
      if (code == "101") {
        embedded = true;
      } else if (code == "5") {
        handle = std::string(value);
      } else if (code == "70") {
        const double read = Number(value, 0);
        flags = std::fabs(read) < 1e9 ? static_cast<std::int32_t>(read) : 0;
      } else if (code == "10" || code == "20" || code == "30") {
        current->at[static_cast<std::size_t>(code[0] - '1')] = Number(value, 0);
      } else if (code == "40") {
        current->height = Number(value, current->height);
      } else if (code == "50") {
        current->rotation = Number(value, current->rotation);
      }
    }
    finish();
    return found;
  }

  static std::string_view Line(std::string_view text, std::size_t& at) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    return line;
  }

  static double Number(std::string_view value, double otherwise) {
    try {
      const double read = StrToFloat(value.substr(0, 64));
      return std::isfinite(read) && std::fabs(read) < 1e15 ? read : otherwise;
    } catch (const ConversionError&) {
      return otherwise;
    }
  }

  static bool SameHandle(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::toupper(static_cast<unsigned char>(x)) ==
                    std::toupper(static_cast<unsigned char>(y));
           });
  }

  // One leader line: its vertices, then the leader's end and landing; the arrowhead at its
  // first vertex, the line starting where the arrowhead ends.
  void LeaderLineOf(const Leader& leader, const LeaderLine& line) {
    const bool spline = m_.leader_type == 2;
    std::vector<Point3> points = line.vertices;
    if (leader.attachment == 0) {
      // Curves end in the landing's direction, without a landing of their own.
      if (m_.has_dogleg != 0 && !spline) points.push_back(leader.last);
      points.push_back(Plus(leader.last, Landing(leader)));
    } else {
      points.push_back(leader.last);
    }
    if (points.size() < 2) return;
    const std::int32_t own = ColourOf(line.colour);
    out_.SetColour(own != 0 ? own : ColourOf(m_.leader_colour));
    const Point3 direction = Unit(Minus(points[1], points[0]));
    if (direction != Point3{0, 0, 0}) {
      points[0] = Plus(points[0], Times(direction, Arrowhead(line, points[0], direction)));
    }
    if (spline) {
      const Point3 end = leader.attachment == 0
                             ? Landing(leader)
                             : Minus(points[points.size() - 1], points[points.size() - 2]);
      if (direction != Point3{0, 0, 0} && Unit(end) != Point3{0, 0, 0}) {
        out_.Spline(points, direction, end);
        return;
      }
    }
    out_.Chain(points, false);
  }

  // Draws the arrowhead of `line` with its tip at `tip`, pointing against `direction`;
  // gives the length the line leaves to it.
  double Arrowhead(const LeaderLine& line, const Point3& tip, const Point3& direction) {
    const double size = m_.arrow_size;
    if (!(size > 0) || !std::isfinite(size)) return 0;
    std::string handle = m_.arrow_handle;
    for (const auto& [index, named] : m_.arrow_heads) {
      if (index == line.index) handle = named;
    }
    std::string name;
    if (context_.drawing_styles && !handle.empty() && handle != "0") {
      name = context_.drawing_styles->dimensions.BlockName(handle);
    }
    if (!name.empty() && blocks_.Find(name)) {
      out_.Insert(name, axes_.ToOcs(tip), {size, size, size}, axes_.AngleOf(direction) + 180,
                  plane_);
      return StartsAtTip(name) ? 0 : size;
    }
    if (!name.empty() && StartsAtTip(name)) return 0;
    // The closed filled arrowhead: a triangle its size long, a third of that wide.
    const Point3 across = Times(Unit(Cross(axes_.z, direction)), size / 6);
    const Point3 back = Plus(tip, Times(direction, size));
    out_.Chain({tip, Plus(back, across), Minus(back, across)}, true);
    return size;
  }

  // How wide the content's text is taken to be: its longest line, a character height for
  // each character, within the text's width when it has one (the text is not measured
  // before a viewer draws it: this is what ezdxf takes without a font's metrics).
  double TextWidth() const {
    const bool shift_jis = !context_.dxf_text || context_.dxf_text->IsShiftJis();
    double width = static_cast<double>(LongestLine(m_.text, shift_jis)) * m_.text_height;
    const double column = m_.text_width * m_.scale;
    if (column > 0) width = std::min(width, column);
    return std::isfinite(width) ? width : 0;
  }

  // Whether `point` lies left of the line from `start` along `direction`, in the plane.
  bool LeftOf(const Point3& point, const Point3& start, const Point3& direction) const {
    const Point3 p = axes_.ToOcs(Minus(point, start)), d = axes_.ToOcs(direction);
    return d[0] * p[1] - d[1] * p[0] > 1e-12;
  }

  // A text attached at its side may be underlined from the landing's end along the text
  // (attachments 5, 6 and 8 of the side the landing comes from), the text's width and the
  // landing gap long.
  void Underline(const Leader& leader) {
    const auto underlined = [](std::int32_t attachment) {
      return attachment == 5 || attachment == 6 || attachment == 8;
    };
    const Point3 from = Plus(leader.last, Landing(leader));
    const Point3 along = Unit(m_.text_direction);
    if (along == Point3{0, 0, 0}) return;
    // Left of the text: the landing comes from the left of the line up through its point.
    const Point3 up = Cross(axes_.z, along);
    const bool left = LeftOf(from, m_.text_at, up);
    if (!underlined(left ? m_.left_attachment : m_.right_attachment)) return;
    const double length = TextWidth() + m_.landing_gap;
    if (!(length > 1e-9)) return;
    out_.Line(from, Plus(from, Times(along, left ? length : -length)));
  }

  // A text attached at its top or bottom may have a line across that side (attachment 10),
  // centred on the leader's end, the text's width long.
  void Overline(const Leader& leader) {
    const Point3 along = Unit(m_.text_direction);
    const double length = TextWidth();
    if (along == Point3{0, 0, 0} || !(length > 1e-9)) return;
    const Point3 start = Minus(leader.last, Times(along, length / 2));
    const Point3 end = Plus(leader.last, Times(along, length / 2));
    const bool bottom = LeftOf(m_.text_at, start, along);
    if ((bottom ? m_.bottom_attachment : m_.top_attachment) == 10) out_.Line(start, end);
  }

  TConversionContext& context_;
  const BlockTable& blocks_;
  const Multileader& m_;
  EntityText& out_;
  Extrusion plane_;
  OcsAxes axes_;
};

}  // namespace

void ReadMultileader(TConversionContext& context, const BlockTable& blocks, EntityText& out) {
  const Multileader m = ReadGroups(context);
  // A scale of nothing draws nothing.
  if (!(std::fabs(m.scale) > 1e-9)) return;
  Drawer drawer(context, blocks, m, out);
  drawer.Content();
  drawer.Leaders();
}

}  // namespace dxfdin
