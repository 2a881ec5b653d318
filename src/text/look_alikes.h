// Characters Shift-JIS lacks that have a plain look-alike it holds: the diameter signs as φ,
// Latin letters with accents as the letters, bullets, dashes, superscript digits ... What has
// none is written as the geta mark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dxfdin {

// The characters that stand for `character`, or nothing.
std::u32string_view LookAlike(char32_t character);

// The replacements made, for a report: "∅ → φ, é → e" (UTF-8), the first few of them.
std::string LookAlikeExamples(const std::vector<char32_t>& characters);

}  // namespace dxfdin
