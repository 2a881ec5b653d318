// Where a paragraph of Shift-JIS text breaks into lines, as CAD programs break the lines of
// an MTEXT: at a blank, or between two double-byte characters that the basic Japanese rules
// let part (no line begins with 、。，．・：；？！）」』】〕〉》ー or a small kana, none ends
// with （「『【〔〈《); never inside a word of single-byte characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dxfdin {

// The lines of `paragraph` in a box `width` bytes wide (infinity: no box), greedily filled;
// the blanks at a break are dropped. A word wider than the box stands alone on its line.
// No line holds more than `max_bytes`: only a word longer than that is cut, at a character.
std::vector<std::string> BreakLines(std::string_view paragraph, double width,
                                    std::size_t max_bytes);

}  // namespace dxfdin
