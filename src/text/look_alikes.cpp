#include "text/look_alikes.h"

#include <algorithm>
#include <array>

namespace dxfdin {

namespace {

// The Latin letters with accents from U+00C0 to U+017F, each as its letter; "*" where it is
// written with two letters (below), "-" where it is no letter.
constexpr std::u32string_view kLatinFrom = U"\u00C0";
constexpr std::u32string_view kLatinLetters =
    U"AAAAAA*CEEEEIIIIDNOOOOO--UUUUY**aaaaaa*ceeeeiiiidnooooo--uuuuy*y"
    U"AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi**JjKkkLlLlLlLlLl"
    U"NnNnNnnNnOoOoOo**RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

static_assert(kLatinLetters.size() == 0x180 - 0xC0);

struct Pair {
  char32_t from;
  std::u32string_view to;
};

constexpr std::array<Pair, 25> kOthers = {{
    {U'\u00A0', U" "},  // no-break space
    {U'\u00B2', U"2"},  // superscripts
    {U'\u00B3', U"3"},
    {U'\u00B5', U"\u03BC"},  // micro sign: μ
    {U'\u00B9', U"1"},
    {U'\u00C6', U"AE"},
    // Ø and ø as the diameter: φ
    {U'\u00D8', U"\u03C6"},
    {U'\u00DE', U"TH"},
    {U'\u00DF', U"ss"},
    {U'\u00E6', U"ae"},
    {U'\u00F8', U"\u03C6"},
    {U'\u00FE', U"th"},
    {U'\u0132', U"IJ"},
    {U'\u0133', U"ij"},
    {U'\u0152', U"OE"},
    {U'\u0153', U"oe"},
    {U'\u2011', U"-"},  // non-breaking hyphen, figure dash, en dash
    {U'\u2012', U"-"},
    {U'\u2013', U"-"},
    {U'\u2014', U"\u2015"},  // em dash: ―
    {U'\u2022', U"\u30FB"},  // bullet: ・
    {U'\u2126', U"\u03A9"},  // ohm sign: Ω
    {U'\u2205', U"\u03C6"},  // empty set, AutoCAD's diameter: φ
    {U'\u2248', U"\u2252"},  // almost equal: ≒
    {U'\u2300', U"\u03C6"},  // diameter sign: φ
}};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u32string_view LookAlike(char32_t character) {
  const auto other = std::find_if(kOthers.begin(), kOthers.end(),
                                  [&](const Pair& pair) { return pair.from == character; });
  if (other != kOthers.end()) return other->to;
  const char32_t first = kLatinFrom[0];
  if (character >= first && character - first < kLatinLetters.size()) {
    const std::u32string_view letter = kLatinLetters.substr(character - first, 1);
    if (letter != U"*" && letter != U"-") return letter;
  }
  return {};
}

std::string LookAlikeExamples(const std::vector<char32_t>& characters) {
  constexpr std::size_t kShown = 3;
  std::string text;
  for (std::size_t i = 0; i < characters.size() && i < kShown; ++i) {
    if (i > 0) text += ", ";
    AppendUtf8(text, characters[i]);
    text += " \xE2\x86\x92 ";  // →
    for (char32_t c : LookAlike(characters[i])) AppendUtf8(text, c);
  }
  if (characters.size() > kShown) text += ", ...";
  return text;
}

}  // namespace dxfdin
