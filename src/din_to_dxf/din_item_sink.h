// What a DIN file draws, item by item, for a viewer: the lines, circles, arcs and texts that
// its conversion to DXF writes, handed over instead of written. The item's class, line type
// name and colour are in the context as the DXF writer would use them.
#pragma once

#include <string_view>

#include "din_format/conversion_context.h"

namespace dxfdin {

class DinItemSink {
 public:
  virtual ~DinItemSink() = default;
  // An ITEM line: the item's kind (item_kind) and class (class_no) are in the context; what
  // it draws follows.
  virtual void Item(const TConversionContext& /*context*/) {}
  // A line from (p1_x, p1_y) to (p2_x, p2_y).
  virtual void Line(const TConversionContext& context) = 0;
  // A circle (`circle`) or a counter-clockwise arc from start_angle to end_angle (degrees),
  // around (centre_x, centre_y) with `radius`.
  virtual void CircleOrArc(const TConversionContext& context, bool circle) = 0;
  // A text at (text_x, text_y), turned text_angle degrees, text_height (the DIN's height
  // field), in its frame (frame_v: the point, the frame's corner, its ends along the text
  // and across it); `text` in Shift-JIS.
  virtual void Text(const TConversionContext& context, std::string_view text) = 0;
};

}  // namespace dxfdin
