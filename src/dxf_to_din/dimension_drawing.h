// A dimension drawn from its definition points and its dimension style, as CAD programs draw
// one whose drawing holds no block of it (files written by QCAD and other programs): extension
// lines, the dimension line (an arc for an angle), arrowheads as their outlines or the blocks
// the style names, and the measurement as a centred text. The figure is worked out in the
// dimension's own plane (its OCS) and written there as simple entities.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "dxf_to_din/curves.h"
#include "dxf_to_din/dimension_style.h"
#include "dxf_to_din/entity_text.h"
#include "dxf_to_din/placement.h"

namespace dxfdin {

// What a DIMENSION entity holds that its drawing depends on. A point that the entity does
// not give has an x that is NaN. Points 10, 13, 14 and 15 are world points, 11 and 16 are in
// the dimension's OCS.
struct DimensionRecord {
  static constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();

  // Group 70: the kind in its low bits (0 linear, 1 aligned, 2 angle of two lines, 3
  // diameter, 4 radius, 5 angle of three points, 6 ordinate), 64 an ordinate's x, 128 the
  // text moved to point 11.
  std::int32_t type = 0;
  std::string block;                  // 2
  std::string text;                   // 1: the dimension's own text, in the file's encoding
  std::string style;                  // 3
  Point3 definition{kAbsent, 0, 0};   // 10
  Point3 text_middle{kAbsent, 0, 0};  // 11
  Point3 first{kAbsent, 0, 0};        // 13
  Point3 second{kAbsent, 0, 0};       // 14
  Point3 third{kAbsent, 0, 0};        // 15
  Point3 arc{kAbsent, 0, 0};          // 16
  double angle = 0;                   // 50: the dimension line's direction (linear)
  double horizontal_direction = 0;    // 51
  double oblique = kAbsent;           // 52: the extension lines' angle to the dimension line
  double text_rotation = kAbsent;     // 53
  Extrusion extrusion;
};

// The style a dimension is drawn in: its variables, its arrow blocks by name ("" the closed
// filled arrow), its text style's fixed height (0: none, DIMTXT holds) and width factor, and
// which blocks the drawing holds: an arrow whose block the drawing holds ("_ClosedBlank" for
// "CLOSEDBLANK") is drawn as that block, a standard one without it as CAD programs draw it.
struct DimensionLook {
  DimensionStyle style;
  std::string first_arrow, second_arrow;
  double text_style_height = 0;
  double width_factor = 1;
  std::function<bool(std::string_view)> holds_block;
};

// The look of a dimension of the style `style_name` with the entity's own overrides.
DimensionLook DimensionLookOf(const DimensionStyles& styles, std::string_view style_name,
                              const DimensionStyleOverrides& overrides);

struct PlanePoint {
  double x = 0;
  double y = 0;
};

// A dimension's figure in its own plane; each part with its colour (0 the dimension's).
struct DimensionFigure {
  struct Line {
    PlanePoint a, b;
    std::int32_t colour;
  };
  struct Arc {  // counter-clockwise, degrees
    PlanePoint centre;
    double radius, start, end;
    std::int32_t colour;
  };
  struct Circle {
    PlanePoint centre;
    double radius;
    std::int32_t colour;
  };
  struct Outline {  // a closed chain
    std::vector<PlanePoint> points;
    std::int32_t colour;
  };
  struct Block {  // an arrow block, its x axis along `rotation` degrees
    std::string name;
    PlanePoint at;
    double scale, rotation;
    std::int32_t colour;
  };
  struct Text {  // centred on `at`
    PlanePoint at;
    double height, rotation;
    std::string text;
    std::int32_t colour;
  };
  std::vector<Line> lines;
  std::vector<Arc> arcs;
  std::vector<Circle> circles;
  std::vector<Outline> outlines;
  std::vector<Block> blocks;
  std::vector<Text> texts;

  bool Empty() const {
    return lines.empty() && arcs.empty() && circles.empty() && outlines.empty() && blocks.empty() &&
           texts.empty();
  }
};

// The figure of the dimension; empty when it lacks a point its kind needs, a point or size is
// not finite, or it is of a kind not drawn.
DimensionFigure DrawDimension(const DimensionRecord& record, const DimensionLook& look);

// Writes the figure as simple entities, in the plane of the dimension's extrusion at the
// height of its text point.
void WriteDimension(const DimensionFigure& figure, const DimensionRecord& record, EntityText& out);

}  // namespace dxfdin
