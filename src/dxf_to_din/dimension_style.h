// The dimension-style variables that decide how a dimension, a leader or a tolerance frame is
// drawn when the drawing holds no block of it: from a DIMSTYLE record of the TABLES section,
// overridden by the entity's own list (XDATA "ACAD", "DSTYLE"). Each variable is known by the
// group code DXF gives it in a DIMSTYLE record; the defaults are those of a drawing that sets
// none (AutoCAD's imperial "Standard").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace dxfdin {

struct DimensionStyle {
  // Sizes (drawing units before DIMSCALE).
  double dimscale = 1;     // 40: overall scale of the sizes below (0: 1)
  double dimasz = 0.18;    // 41: arrow size
  double dimexo = 0.0625;  // 42: gap between a definition point and its extension line
  double dimexe = 0.18;    // 44: extension line beyond the dimension line
  double dimrnd = 0;       // 45: measurements rounded to this
  double dimdle = 0;       // 46: dimension line beyond the extension lines (ticks)
  double dimtxt = 0.18;    // 140: text height
  double dimcen = 0.09;    // 141: centre mark size (negative: with centre lines)
  double dimtsz = 0;       // 142: tick size; above 0, ticks instead of arrows
  double dimlfac = 1;      // 144: measurements multiplied by this
  double dimtvp = 0;       // 145: text above the line by this many text heights (DIMTAD 0)
  double dimgap = 0.09;    // 147: gap around the text
  // Switches.
  std::int32_t dimtih = 1;     // 73: text inside horizontal
  std::int32_t dimtoh = 1;     // 74: text outside horizontal
  std::int32_t dimse1 = 0;     // 75: first extension line suppressed
  std::int32_t dimse2 = 0;     // 76: second extension line suppressed
  std::int32_t dimtad = 0;     // 77: text vertical place: 0 centred, 1 above, 4 below ...
  std::int32_t dimzin = 0;     // 78: zeros suppressed (4 leading, 8 trailing; 0-3 feet/inches)
  std::int32_t dimazin = 0;    // 79: zeros of angles suppressed
  std::int32_t dimsah = 0;     // 173: arrows from DIMBLK1 and DIMBLK2
  std::int32_t dimtix = 0;     // 174: text forced between the extension lines
  std::int32_t dimsoxd = 0;    // 175: no dimension line outside the extension lines
  std::int32_t dimadec = 0;    // 179: decimal places of angles
  std::int32_t dimaunit = 0;   // 275: angle units (0 decimal degrees)
  std::int32_t dimdec = 4;     // 271: decimal places
  std::int32_t dimdsep = '.';  // 278: decimal separator (a character code)
  std::int32_t dimjust = 0;    // 280: text horizontal place: 0 centred, 1 by the first line ...
  std::int32_t dimsd1 = 0;     // 281: first dimension line suppressed
  std::int32_t dimsd2 = 0;     // 282: second dimension line suppressed
  std::int32_t dimtofl = 0;    // 172: dimension line drawn between lines with the text outside
  std::int32_t dimclrd = 0;    // 176: colour of dimension lines and arrows (0 BYBLOCK)
  std::int32_t dimclre = 0;    // 177: colour of extension lines
  std::int32_t dimclrt = 0;    // 178: colour of the text
  std::int32_t dimtmove = 0;   // 279: moved text: 0 moves the line, 1 with a leader, 2 free
  // Texts and arrow blocks: the arrow blocks by name (R12: groups 5, 6, 7) or by the handle of
  // their block record (groups 342, 343, 344), resolved through the drawing's block records.
  std::string dimpost;   // 3: the text around the measurement, "<>" standing for it
  std::string dimapost;  // 4: the same around an angle
  std::string dimblk, dimblk1, dimblk2;
  std::string dimblk_handle, dimblk1_handle, dimblk2_handle, dimldrblk_handle;  // 342-344, 341
  std::string dimtxsty_handle;  // 340: the text style's record

  // Sets the variable of `code` from a group's value text; false for a code not followed.
  bool Set(std::int32_t code, std::string_view value);
  // Sizes scaled by DIMSCALE (0 counts as 1).
  double Scaled(double size) const { return size * (dimscale > 0 ? dimscale : 1); }
};

// The dimension styles of a drawing by name (compared without regard to ASCII case), and the
// names of its block records by handle, for arrow blocks named by handle.
class DimensionStyles {
 public:
  static constexpr std::size_t kMaxRecords = std::size_t{1} << 12;

  void Add(std::string_view name, const DimensionStyle& style);
  void AddBlockRecord(std::string_view handle, std::string_view name);
  // The style of that name; else "STANDARD"; else the defaults, metric ones ("ISO-25": text
  // and arrows 2.5, gaps 0.625, 1.25) for a drawing whose $MEASUREMENT is 1.
  DimensionStyle Find(std::string_view name) const;
  // The name of an arrow block: by name when the style names it, else by its record's handle;
  // "" for the closed filled arrow of a style that names none.
  std::string ArrowBlock(std::string_view name, std::string_view handle) const;
  // The name of the block whose record has that handle; "" for a handle not in the table.
  std::string BlockName(std::string_view handle) const;

  // A text style (STYLE record): its fixed height (0 none) and width factor.
  struct TextStyle {
    double height = 0;
    double width = 1;
  };
  void AddTextStyle(std::string_view handle, std::string_view name, const TextStyle& style);
  // The text style of the record of that handle; else "STANDARD"; else no fixed height.
  TextStyle TextStyleOf(std::string_view handle) const;

  bool metric = false;

 private:
  std::unordered_map<std::string, DimensionStyle> styles_;    // by upper-case name
  std::unordered_map<std::string, std::string> block_names_;  // by upper-case handle
  std::unordered_map<std::string, TextStyle> text_styles_;    // by upper-case handle
  std::optional<TextStyle> standard_text_;
};

// The entity's own style variables: XDATA of the application "ACAD" holding "DSTYLE", "{",
// then pairs of a group 1070 (the variable's code) and its value (1000, 1005, 1040 or 1070),
// then "}". Given every XDATA group (code 1000 and above) of an entity in turn.
class DimensionStyleOverrides {
 public:
  static constexpr std::size_t kMaxOverrides = 256;

  void Take(std::int32_t code, std::string_view value);
  void ApplyTo(DimensionStyle& style) const;

 private:
  enum class State { kOther, kAcad, kDstyle, kList };
  State state_ = State::kOther;
  std::int32_t variable_ = -1;  // the code of the variable whose value comes next
  std::unordered_map<std::int32_t, std::string> values_;
};

}  // namespace dxfdin
