#include "text/line_breaks.h"

#include <algorithm>
#include <cstdint>

#include "text/byte_class.h"
#include "text/byte_string.h"

namespace dxfdin {

namespace {

// Double-byte characters a line does not begin with: 、。，．・：；？！）」』】〕〉》ー
// and the small kana.
constexpr std::uint16_t kNoLineStart[] = {
    0x8141, 0x8142, 0x8143, 0x8144, 0x8145, 0x8146, 0x8147, 0x8148, 0x8149, 0x816A,
    0x8176, 0x8178, 0x817A, 0x816C, 0x8172, 0x8174, 0x815B, 0x829F, 0x82A1, 0x82A3,
    0x82A5, 0x82A7, 0x82C1, 0x82E1, 0x82E3, 0x82E5, 0x82EC, 0x8340, 0x8342, 0x8344,
    0x8346, 0x8348, 0x8362, 0x8383, 0x8385, 0x8387, 0x838E, 0x8395, 0x8396};
// Double-byte characters a line does not end with: （「『【〔〈《.
constexpr std::uint16_t kNoLineEnd[] = {0x8169, 0x8175, 0x8177, 0x8179, 0x816B, 0x8171, 0x8173};

template <std::size_t N>
bool Holds(const std::uint16_t (&set)[N], std::uint16_t code) {
  return std::find(std::begin(set), std::end(set), code) != std::end(set);
}

// The double-byte character at `at`, or 0 for a single byte.
std::uint16_t DoubleByteAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (!IsLeadByte(lead) || at + 1 >= text.size()) return 0;
  return static_cast<std::uint16_t>(lead << 8 | static_cast<unsigned char>(text[at + 1]));
}

// A word and the blanks before it: the paragraph is cut into these at every place a line
// may break.
struct Piece {
  std::string_view blanks;
  std::string_view word;
};

std::vector<Piece> Pieces(std::string_view paragraph) {
  std::vector<Piece> pieces;
  std::size_t at = 0;
  while (at < paragraph.size()) {
    const std::size_t word_start = std::min(paragraph.find_first_not_of(' ', at), paragraph.size());
    std::size_t end = word_start;
    std::uint16_t previous = 0;  // the double-byte character before `end`, or 0
    while (end < paragraph.size() && paragraph[end] != ' ') {
      const std::uint16_t current = DoubleByteAt(paragraph, end);
      // Between two double-byte characters, unless the rules keep them together.
      if (end > word_start && previous != 0 && current != 0 && !Holds(kNoLineStart, current) &&
          !Holds(kNoLineEnd, previous)) {
        break;
      }
      previous = current;
      end += current != 0 ? 2 : 1;
    }
    pieces.push_back(
        {paragraph.substr(at, word_start - at), paragraph.substr(word_start, end - word_start)});
    at = end;
  }
  return pieces;
}

void TrimTrailingBlanks(std::string& line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
}

}  // namespace

std::vector<std::string> BreakLines(std::string_view paragraph, double width,
                                    std::size_t max_bytes) {
  max_bytes = std::max<std::size_t>(max_bytes, 2);
  const auto fits = [&](std::size_t bytes) {
    return bytes <= max_bytes && static_cast<double>(bytes) <= width;
  };
  if (fits(paragraph.size())) return {std::string(paragraph)};
  std::vector<std::string> lines;
  std::string line;
  for (const Piece& piece : Pieces(paragraph)) {
    // Blanks before the first word of the paragraph stay; at a break they go.
    if (!line.empty() && !fits(line.size() + piece.blanks.size() + piece.word.size())) {
      TrimTrailingBlanks(line);
      lines.push_back(std::move(line));
      line.clear();
    }
    if (!line.empty() || lines.empty()) line += piece.blanks;
    line += piece.word;
    // Longer than a DIN text holds: cut, at a character.
    while (line.size() > max_bytes) {
      std::string head = line;
      CutAtCharacter(head, max_bytes);
      line.erase(0, head.size());
      lines.push_back(std::move(head));
    }
  }
  TrimTrailingBlanks(line);
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace dxfdin
