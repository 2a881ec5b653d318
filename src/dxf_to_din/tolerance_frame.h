// TOLERANCE: a feature control frame of geometric tolerancing, drawn as the rows of boxes
// CAD programs draw, with their texts; the GD&T symbols as characters a DIN text holds.
//
// The entity holds its content (group 1): rows separated by "^J", fields by "%%v", symbols
// written in the GDT font ("{\Fgdt;j}": the letter picks the symbol); its insertion point
// (10, 20, 30, world), the direction of its rows (11, 21, 31, world), its plane (210) and its
// dimension style (3), whose text height and gap size it (overridden by its own DSTYLE list).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "din_format/conversion_context.h"
#include "dxf_to_din/entity_text.h"

namespace dxfdin {

// Rows and fields of one frame that are drawn; the rest is passed over.
inline constexpr std::size_t kMaxToleranceRows = 64;
inline constexpr std::size_t kMaxToleranceFields = 64;

// What the letter of the GDT font stands for, as text a DIN file holds: the symbol where
// Shift-JIS has it (φ, ⊥, ∠, ○, ∥, ⌒, ◎ as \U+XXXX escapes), a short word where it has none
// ("POS", "FLAT", "(M)" ...); a letter the font has no symbol for stands as itself.
std::string GdtSymbol(char letter);

// The frame of a tolerance in its own units: x along its rows from the insertion point, y
// across them. Row k (of those that have a field) is 2 text heights high, its middle k times
// that below the insertion point, which is the middle of the first row's left side. Each
// field that is not empty is a box: its text, a gap on either side; boxes follow each other
// from x = 0. A field's text is taken as 0.625 text heights wide for each byte (a symbol
// two), as DIN text frames measure it. When the first fields of the first two rows are the
// same symbol (a composite frame), it is written once, in one box over both rows.
struct ToleranceFrame {
  struct Segment {
    double x0, y0, x1, y1;
  };
  struct Label {
    double x, y;  // the left end of its base line
    std::string text;
  };
  std::vector<Segment> lines;
  std::vector<Label> texts;
};
ToleranceFrame LayOutTolerance(std::string_view content, double height, double gap);

// Reads the entity's groups up to the group code 0 after it and writes its frame: the boxes
// as lines, the fields as texts, with the height of the dimension style's texts (DIMTXT times
// DIMSCALE) and its gap (DIMGAP) between texts and boxes.
void ReadTolerance(TConversionContext& context, EntityText& out);

}  // namespace dxfdin
