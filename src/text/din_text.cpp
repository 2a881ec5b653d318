#include "text/din_text.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "text/byte_class.h"
#include "text/byte_string.h"
#include "text/jis_code.h"

namespace dxfdin {

namespace {

constexpr std::string_view kRunStartView = kRunStart;
constexpr std::string_view kRunEndView = kRunEnd;

// Shift-JIS degree sign and Greek small phi, padded with blanks to the length of the marker
// they replace, so that nothing after them moves.
constexpr std::string_view kDegreeSign = "\x81\x8B   ";
constexpr std::string_view kDiameterSign = "\x83\xD3  ";

// Masks the half-width kana of text that marking did not reach, where double-byte characters
// still stand as Shift-JIS pairs: a trail byte in 0xA1-0xDF is part of its character, not a
// kana, and masking it would turn the character into another one.
void MaskUnmarkedKana(std::string& text, std::size_t from) {
  for (std::size_t pos = from; pos < text.size(); ++pos) {
    unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (IsLeadByte(byte)) {
      if (pos + 1 < text.size() && text[pos + 1] != '\n') ++pos;
    } else if (IsHalfWidthKana(byte)) {
      text[pos] = 'x';
    }
  }
}

}  // namespace

void EncodeDinText(std::string& text) {
  // Marking pass: every run of double-byte characters is put between "<ks>" and "<ke>".
  // The byte ranges of the runs are kept so that the conversion pass converts exactly them.
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  bool inside = false;
  std::size_t run_start = 0;
  std::size_t marked_end = std::string::npos;  // where marking stopped, if it did
  auto close_run = [&](std::size_t at) {
    runs.emplace_back(run_start, at);
    InsertText(text, at, kRunEndView);
    inside = false;
  };
  // The position text.size() stands for the terminating NUL, so a run reaching the end of
  // the text is closed there.
  for (std::size_t pos = 0; pos <= text.size();) {
    unsigned char byte = pos < text.size() ? static_cast<unsigned char>(text[pos]) : 0;
    if (pos < text.size() && IsLeadByte(byte)) {
      if (!inside) {
        InsertText(text, pos, kRunStartView);
        pos += kRunStartView.size();
        run_start = pos;
        inside = true;
      }
      // A lead byte takes the byte after it as its trail byte, except the end of the text or
      // the line feed that ends it: pairing those would swallow the line end of the DIN text
      // line (or read past the end). Such a lone lead byte stays in the run unconverted.
      ++pos;
      if (pos < text.size() && text[pos] != '\n') ++pos;
    } else if (inside) {
      close_run(pos);
      pos += kRunEndView.size() + 1;
    } else {
      ++pos;
    }
    if (text.size() > kMarkingLimit) {
      // Marking ends here; a run still open is closed so every "<ks>" has its "<ke>".
      pos = std::min(pos, text.size());
      if (inside) {
        close_run(pos);
        pos += kRunEndView.size();
      }
      marked_end = pos;
      break;
    }
  }

  // Conversion pass: the bytes of each run become JIS pairs where they stand.
  for (auto [start, end] : runs) SjisToJis(text.data() + start, end - start);

  // In the marked part every double-byte character is a JIS pair by now, so each byte left
  // in 0xA1-0xDF is a half-width kana.
  if (marked_end == std::string::npos) {
    MaskHalfWidthKana(text);
  } else {
    for (std::size_t pos = 0; pos < marked_end; ++pos) {
      if (IsHalfWidthKana(static_cast<unsigned char>(text[pos]))) text[pos] = 'x';
    }
    MaskUnmarkedKana(text, marked_end);
  }
}

void DecodeDinText(std::string& text) {
  TrimText(text, 4);

  if (text.find(kSymbolMarker) != std::string::npos) {
    // The specific codes go first so that they never turn into the diameter sign.
    RemoveText(text, "<mc>D", true);
    RemoveText(text, "<mc>Z", true);
    ReplaceText(text, "<mc>0", kDegreeSign, -1);
    ReplaceText(text, kSymbolMarker, kDiameterSign, -1);
  }

  // Runs are converted one at a time from the left. A "<ke>" with no "<ks>" before it, or a
  // "<ks>" with no "<ke>" after it, stays in the text as it is.
  for (;;) {
    std::size_t start = text.find(kRunStartView);
    if (start == std::string::npos) break;
    std::size_t end = text.find(kRunEndView, start + kRunStartView.size());
    if (end == std::string::npos) break;
    std::size_t bytes = start + kRunStartView.size();
    JisToSjis(text.data() + bytes, end - bytes);
    text.erase(end, kRunEndView.size());
    text.erase(start, kRunStartView.size());
  }
}

}  // namespace dxfdin
