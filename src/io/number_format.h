// Numbers written exactly as C's printf writes them for the conversions the converter uses,
// without printf's cost: "%W.PG", "%W.Pf" and "%d", in the C locale.
#pragma once

#include <cstdint>
#include <string>

namespace dxfdin {

// Room that FormatG needs at its output, for any width up to this.
constexpr int kMaxNumberText = 64;

// "%<width>.<precision>G" of `value` (precision 1 to 17) written at `out`, which has room for
// max(width, kMaxNumberText) bytes; returns the end of the text. Bytes beyond it may have
// been overwritten.
char* FormatG(char* out, double value, int width, int precision);
// The same, appended to `out`.
void AppendG(std::string& out, double value, int width, int precision);
// "%<width>.<precision>f" of `value` (precision 0 to 17).
void AppendFixed(std::string& out, double value, int width, int precision);
// "%<width>d" of `value`.
void AppendInt(std::string& out, std::int64_t value, int width = 0);

}  // namespace dxfdin
