#include "dxf_to_din/tolerance_frame.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "dxf_to_din/dimension_style.h"
#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/ocs_axes.h"

namespace dxfdin {

namespace {

// How far a text reaches per byte of its Shift-JIS, in text heights: as DIN text frames
// measure it.
constexpr double kWidthPerByte = 0.625;
// The bytes of a content that are kept.
constexpr std::size_t kContentKeep = std::size_t{1} << 16;
// Braces nested deeper than this are read as text.
constexpr std::size_t kMaxBraceDepth = 16;

// Whether a \U+XXXX escape starts at `at`.
bool IsEscape(std::string_view text, std::size_t at) {
  if (at + 7 > text.size() || text[at] != '\\' || (text[at + 1] != 'U' && text[at + 1] != 'u') ||
      text[at + 2] != '+') {
    return false;
  }
  for (std::size_t i = at + 3; i < at + 7; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// The bytes the text takes in a DIN text: a \U+XXXX escape two (its characters are all
// double-byte in Shift-JIS), any other byte one.
std::size_t Bytes(std::string_view text) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsEscape(text, i)) {
      bytes += 2;
      i += 6;
    } else {
      ++bytes;
    }
  }
  return bytes;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The text of one field: the GDT font's letters as their symbols, %%c, %%d and %%p as their
// characters, the other formatting codes (fonts, heights, braces) left out.
std::string FieldText(std::string_view field) {
  std::string text;
  bool gdt = false;
  std::vector<bool> fonts;  // the font outside each open brace
  // The first ';' from a position on, searched again only once it lies behind: a field of
  // codes without their end is read in one pass.
  std::size_t semicolon = field.find(';');
  const auto semicolon_from = [&](std::size_t from) {
    if (semicolon != std::string_view::npos && semicolon < from) semicolon = field.find(';', from);
    return semicolon;
  };
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    const char next = i + 1 < field.size() ? field[i + 1] : '\0';
    if (c == '{' && fonts.size() < kMaxBraceDepth) {
      fonts.push_back(gdt);
      continue;
    }
    if (c == '}' && !fonts.empty()) {
      gdt = fonts.back();
      fonts.pop_back();
      continue;
    }
    if (c == '\\' && next != '\0') {
      const std::size_t close = semicolon_from(i);
      if ((next == 'F' || next == 'f') && close != std::string_view::npos) {
        std::string_view font = field.substr(i + 2, close - i - 2);
        font = font.substr(0, font.find('|'));
        gdt = SameLetters(font, "gdt") || SameLetters(font, "aigdt");
        i = close;
        continue;
      }
      if (std::string_view("HhWwQqTtAaCcp").find(next) != std::string_view::npos &&
          close != std::string_view::npos) {
        i = close;
        continue;
      }
      if (std::string_view("LlOoKk").find(next) != std::string_view::npos) {
        ++i;
        continue;
      }
      if (next == '\\' || next == '{' || next == '}') {
        text += next;
        ++i;
        continue;
      }
      if (IsEscape(field, i)) {
        text += field.substr(i, 7);
        i += 6;
        continue;
      }
    }
    if (c == '%' && next == '%' && i + 2 < field.size()) {
      const char code = static_cast<char>(std::tolower(static_cast<unsigned char>(field[i + 2])));
      const char* symbol = code == 'c'   ? "\\U+03C6"
                           : code == 'd' ? "\\U+00B0"
                           : code == 'p' ? "\\U+00B1"
                                         : nullptr;
      if (symbol) {
        text += symbol;
        i += 2;
        continue;
      }
    }
    text += gdt ? GdtSymbol(c) : std::string(1, c);
  }
  return text;
}

// The parts of `text` between the separators, `separator` compared without regard to case;
// at most `max` of them, the last taking the rest.
std::vector<std::string_view> Split(std::string_view text, std::string_view separator,
                                    std::size_t max) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i + separator.size() <= text.size() && parts.size() + 1 < max;) {
    if (SameLetters(text.substr(i, separator.size()), separator)) {
      parts.push_back(text.substr(start, i - start));
      i += separator.size();
      start = i;
    } else {
      ++i;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

std::string GdtSymbol(char letter) {
  switch (letter) {
    case 'a':
      return "\\U+2220";  // angularity: ∠
    case 'b':
      return "\\U+22A5";  // perpendicularity: ⊥
    case 'c':
      return "FLAT";  // flatness
    case 'd':
      return "PROF";  // profile of a surface
    case 'e':
      return "\\U+25CB";  // circularity: ○
    case 'f':
      return "\\U+2225";  // parallelism: ∥
    case 'g':
      return "CYL";  // cylindricity
    case 'h':
      return "RUNOUT";  // circular runout
    case 'i':
      return "SYM";  // symmetry
    case 'j':
      return "POS";  // position
    case 'k':
      return "\\U+2312";  // profile of a line: ⌒
    case 'l':
      return "(L)";  // least material condition
    case 'm':
      return "(M)";  // maximum material condition
    case 'n':
      return "\\U+03C6";  // diameter: φ
    case 'p':
      return "(P)";  // projected tolerance zone
    case 'r':
      return "\\U+25CE";  // concentricity: ◎
    case 's':
      return "(S)";  // regardless of feature size
    case 't':
      return "TRUNOUT";  // total runout
    case 'u':
      return "STRAIGHT";  // straightness
    default:
      return std::string(1, letter);
  }
}

ToleranceFrame LayOutTolerance(std::string_view content, double height, double gap) {
  ToleranceFrame frame;
  std::vector<std::vector<std::string>> rows;
  for (std::string_view row : Split(content, "^J", kMaxToleranceRows)) {
    std::vector<std::string>& fields = rows.emplace_back();
    for (std::string_view field : Split(row, "%%v", kMaxToleranceFields)) {
      fields.push_back(FieldText(field));
    }
  }
  // A composite frame: one symbol for the first two rows.
  const bool composite = rows.size() > 1 && !rows[0][0].empty() && rows[0][0] == rows[1][0];
  const double h = height;
  std::size_t drawn = 0;  // rows with a box
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const double middle = -2 * h * static_cast<double>(drawn);
    std::vector<double> divisions{0};
    for (std::size_t f = 0; f < rows[r].size(); ++f) {
      const std::string& text = rows[r][f];
      if (text.empty()) continue;
      const double left = divisions.back();
      const bool first = divisions.size() == 1;
      divisions.push_back(left + kWidthPerByte * h * static_cast<double>(Bytes(text)) + 2 * gap);
      if (composite && first && r == 1) continue;
      const double lowered = composite && first && r == 0 ? h : 0;
      frame.texts.push_back({left + gap, middle - h / 2 - lowered, text});
    }
    if (divisions.size() == 1) continue;
    ++drawn;
    for (double x : divisions) frame.lines.push_back({x, middle - h, x, middle + h});
    // The line between the two rows of a composite frame stops at the symbol's box.
    const double top = composite && r == 1 ? divisions[1] : 0;
    const double bottom = composite && r == 0 ? divisions[1] : 0;
    if (top < divisions.back())
      frame.lines.push_back({top, middle + h, divisions.back(), middle + h});
    if (bottom < divisions.back()) {
      frame.lines.push_back({bottom, middle - h, divisions.back(), middle - h});
    }
  }
  return frame;
}

void ReadTolerance(TConversionContext& context, EntityText& out) {
  std::string style_name, content;
  Point3 at{0, 0, 0}, direction{1, 0, 0};
  Extrusion extrusion;
  DimensionStyleOverrides overrides;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    if (code == 3) {
      ReadRecordName(context, style_name);
    } else if (code == 1) {
      ReadTextValue(context, content, kContentKeep);
      while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
        content.pop_back();
      }
    } else if (code >= 1000) {
      std::string value;
      ReadTextValue(context, value, 256);
      overrides.Take(code, value);
    } else {
      ReadGeometryGroup(context, {{10, &at[0]},
                                  {20, &at[1]},
                                  {30, &at[2]},
                                  {11, &direction[0]},
                                  {21, &direction[1]},
                                  {31, &direction[2]},
                                  {210, &extrusion.x},
                                  {220, &extrusion.y},
                                  {230, &extrusion.z}});
    }
  }
  DimensionStyle style = context.drawing_styles
                             ? context.drawing_styles->dimensions.Find(style_name)
                             : DimensionStyle();
  overrides.ApplyTo(style);
  const double height = style.Scaled(style.dimtxt), gap = std::fabs(style.Scaled(style.dimgap));
  if (!(height > 0) || !std::isfinite(height) || !std::isfinite(gap)) return;
  // The rows run along the direction laid into the plane; across them, the plane's turn.
  const OcsAxes axes = OcsAxes(Point3{extrusion.x, extrusion.y, extrusion.z});
  Point3 x = Unit(Minus(direction, Times(axes.z, Dot(direction, axes.z))));
  if (x == Point3{0, 0, 0}) x = axes.x;
  const Point3 y = Cross(axes.z, x);
  const auto world = [&](double u, double v) { return Plus(at, Plus(Times(x, u), Times(y, v))); };
  const ToleranceFrame frame = LayOutTolerance(content, height, gap);
  for (const ToleranceFrame::Segment& s : frame.lines)
    out.Line(world(s.x0, s.y0), world(s.x1, s.y1));
  const double rotation = axes.AngleOf(x);
  for (const ToleranceFrame::Label& label : frame.texts) {
    out.Text(axes.ToOcs(world(label.x, label.y)), height, rotation, label.text, extrusion);
  }
}

}  // namespace dxfdin
