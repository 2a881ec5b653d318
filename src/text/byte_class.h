// Byte classes of Shift-JIS text as every scan over DXF and DIN texts tests them.
#pragma once

namespace dxfdin {

// First byte of a double-byte character; the byte after it is its trail byte.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Half-width katakana and half-width punctuation: single bytes that DIN texts cannot carry.
constexpr bool IsHalfWidthKana(unsigned char b) {
  return b >= 0xA1 && b <= 0xDF;
}

// The white space that trimming removes: space, tab and line feed (carriage return is not).
constexpr bool IsTrimSpace(unsigned char b) {
  return b == ' ' || b == '\t' || b == '\n';
}

}  // namespace dxfdin
