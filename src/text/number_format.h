// Numbers written exactly as C's printf writes them for the conversions the converter uses,
// without printf's cost: "%W.PG", "%W.Pf" and "%d", in the C locale.
#pragma once

#include <cstdint>
#include <string>

namespace dxfdin {

// Room for the longest number text FormatG writes, padding aside.
constexpr int kMaxNumberText = 48;

// "%<width>.<precision>G" of `value` (precision 1 to 17) written at `out`, which has room for
// max(width, kMaxNumberText) bytes; returns the end of the text.
char* FormatG(char* out, double value, int width, int precision);
// The same, appended to `out`.
void AppendG(std::string& out, double value, int width, int precision);
// "%<width>.<precision>f" of `value` (precision 0 to 17).
void AppendFixed(std::string& out, double value, int width, int precision);
// "%<width>d" of `value`.
void AppendInt(std::string& out, std::int64_t value, int width = 0);

}  // namespace dxfdin
