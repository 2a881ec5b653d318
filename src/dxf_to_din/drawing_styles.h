// What a drawing's LAYER, LTYPE and STYLE tables say about how its entities are drawn: each
// layer's colour and line type and whether it is shown, which DIN line type a line-type name
// stands for, which text styles are vertical. Entities whose colour or line type is BYLAYER
// take their layer's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "dxf_to_din/dimension_style.h"

namespace dxfdin {

// DIN line-type codes (ITEM position 4). Dots and short dashes ("hidden") are drawn with the
// DASHED code: DIN files never hold 5.
inline constexpr std::int32_t kLineContinuous = 1;
inline constexpr std::int32_t kLineDashed = 2;
inline constexpr std::int32_t kLineCenter = 3;
inline constexpr std::int32_t kLinePhantom = 4;

// DXF colour numbers that are no colour of their own.
inline constexpr std::int32_t kColourByBlock = 0;
inline constexpr std::int32_t kColourByLayer = 256;
// What an entity without a colour of its own is drawn in: black on white, white on black.
inline constexpr std::int32_t kColourDefault = 7;

struct LayerStyle {
  std::int32_t colour = kColourDefault;  // 1..255
  std::string line_type_name = "CONTINUOUS";
  bool frozen = false;  // flag 1 of group 70
  bool off = false;     // a negative colour
  // The DIN line type of line_type_name, once the LTYPE table is known.
  std::int32_t line_type = kLineContinuous;
};

class DrawingStyles {
 public:
  // A table this large is hostile; the records beyond are passed over, and entities on such
  // layers drawn as on a layer missing from the table.
  static constexpr std::size_t kMaxRecords = std::size_t{1} << 16;
  // Elements of a line-type pattern that are looked at.
  static constexpr std::size_t kMaxPatternElements = 64;

  // A LAYER record: its name (group 2), flags (70), colour (62) and line type (6).
  void AddLayer(std::string_view name, std::int32_t flags, std::int32_t colour,
                std::string_view line_type_name);
  // An LTYPE record: its name and the lengths of its pattern (group 49: a dash, a gap when
  // negative, a dot when 0).
  void AddLineType(std::string_view name, std::span<const double> pattern);

  // The layer of that name (compared as CAD programs compare names; a line end after the
  // name is no part of it), or none. Its line_type is that of its line_type_name.
  const LayerStyle* FindLayer(std::string_view name) const;
  // The DIN line type of a line-type name: the five names DIN files know keep their codes
  // ("hidden" is dashed); another name is placed by its pattern in the LTYPE table; a name
  // that is not there is continuous.
  std::int32_t LineTypeCode(std::string_view name) const;

  // A STYLE record: its name and flags (4: vertical text).
  void AddTextStyle(std::string_view name, std::int32_t flags);
  // Whether texts of that style are written top to bottom.
  bool IsVertical(std::string_view style) const;

  // How POINTs are drawn, from the header's $PDMODE and $PDSIZE: the figure (0 and 1 show
  // nothing; 2 a plus, 3 an x, 4 a tick; 32 adds a circle, 64 a square) and its size in
  // drawing units.
  struct PointStyle {
    std::int32_t mode = 0;
    double size = 1;
  };
  PointStyle points;

  // The dimension styles, for what the drawing holds no block of.
  DimensionStyles dimensions;

 private:
  // Names as CAD programs compare them, looked up without a copy.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const;
  };
  struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  template <typename T>
  using ByName = std::unordered_map<std::string, T, NameHash, NameEqual>;

  mutable ByName<LayerStyle> layers_;
  ByName<std::int32_t> line_types_;
  ByName<bool> vertical_styles_;
  // The layers' line types are worked out again after the LTYPE table changed.
  mutable bool line_types_stale_ = false;
};

// The code of one of the five line types DIN files know by name ("CONTINUOUS", "DASHED",
// "CENTER", "PHANTOM", "hidden"), compared without regard to case; 0 for any other name.
std::int32_t KnownLineType(std::string_view name);

// The DIN line type a draughtsman would draw a dash pattern with: no gap, continuous; dashes
// of one kind (long, or short dashes and dots), dashed; long dashes each followed by one short
// dash or dot, center; by two or more, phantom.
std::int32_t LineTypeOfPattern(std::span<const double> pattern);

// Whether a line-type name defers to the layer or to the insert.
bool IsByLayer(std::string_view line_type_name);
bool IsByBlock(std::string_view line_type_name);

}  // namespace dxfdin
