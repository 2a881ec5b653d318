// The arithmetic conversions between Shift-JIS and JIS X 0208 code pairs.
#pragma once

#include <cstddef>
#include <string>

namespace dxfdin {

// Both work in place on pairs of bytes from the start, while at least two bytes remain;
// an odd last byte is left as it is. Nothing is checked: any byte values are converted
// with 8-bit arithmetic.
void SjisToJis(char* bytes, std::size_t length);
void JisToSjis(char* bytes, std::size_t length);

inline void SjisToJis(std::string& bytes) {
  SjisToJis(bytes.data(), bytes.size());
}
inline void JisToSjis(std::string& bytes) {
  JisToSjis(bytes.data(), bytes.size());
}

}  // namespace dxfdin
