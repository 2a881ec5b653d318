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

// Removes every `pattern` from `text` as removing the first one again and again would (a
// removal may join two halves into another one), in one pass: a pattern that cannot overlap
// itself comes out the same whatever order its matches go in.
void RemoveEvery(std::string& text, std::string_view pattern) {
  std::size_t kept = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    text[kept++] = text[pos];
    if (kept >= pattern.size() &&
        std::string_view(text).substr(kept - pattern.size(), pattern.size()) == pattern) {
      kept -= pattern.size();
    }
  }
  text.resize(kept);
}

// Converts the runs between "<ks>" and "<ke>" one at a time from the left, each time looking
// again from the first, as if the text were searched from its start after every run; a run's
// markers once taken out may join what is around them into a new marker. The text is taken
// from `text` into `done` only as far as the search has looked, so that taking out a marker
// moves no more than what was looked at, and the whole takes time in proportion to the text.
void ConvertRuns(std::string& text) {
  std::string done;
  done.reserve(text.size());
  std::string_view rest = text;
  // Whether `done` reaches `end`, taking more of the text as needed.
  auto reaches = [&](std::size_t end) {
    if (done.size() < end && !rest.empty()) {
      const std::size_t take = std::min(end - done.size(), rest.size());
      done.append(rest.substr(0, take));
      rest.remove_prefix(take);
    }
    return done.size() >= end;
  };
  auto find = [&](std::string_view marker, std::size_t from) {
    for (std::size_t at = from; reaches(at + marker.size()); ++at) {
      if (std::string_view(done).substr(at, marker.size()) == marker) return at;
    }
    return std::string::npos;
  };
  std::size_t from = 0;
  for (;;) {
    const std::size_t start = find(kRunStartView, from);
    if (start == std::string::npos) break;
    const std::size_t end = find(kRunEndView, start + kRunStartView.size());
    if (end == std::string::npos) break;
    const std::size_t bytes = start + kRunStartView.size();
    JisToSjis(done.data() + bytes, end - bytes);
    done.erase(end, kRunEndView.size());
    done.erase(start, kRunStartView.size());
    // Before the run's start there was no "<ks>": a new one begins at most three bytes before.
    from = start >= kRunStartView.size() - 1 ? start - (kRunStartView.size() - 1) : 0;
  }
  done.append(rest);
  text = std::move(done);
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
    RemoveEvery(text, "<mc>D");
    RemoveEvery(text, "<mc>Z");
    ReplaceText(text, "<mc>0", kDegreeSign, -1);
    ReplaceText(text, kSymbolMarker, kDiameterSign, -1);
  }

  // A "<ke>" with no "<ks>" before it, or a "<ks>" with no "<ke>" after it, stays in the
  // text as it is.
  ConvertRuns(text);
}

}  // namespace dxfdin
