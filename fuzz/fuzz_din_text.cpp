// Text conversion: for a Shift-JIS text without half-width kana and without markers of its
// own, decoding what encoding gives returns the text with its ends trimmed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "text/byte_class.h"
#include "text/byte_string.h"
#include "text/din_text.h"
#include "text/jis_code.h"

namespace {

bool IsTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// A text the conversion can carry both ways: well-formed double-byte characters whose JIS
// codes hold no '<' (which could read as a marker), no half-width kana, no '<' of its own.
bool RoundTrips(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b == '<' || b == 0 || dxfdin::IsHalfWidthKana(b)) return false;
    if (!dxfdin::IsLeadByte(b)) continue;
    if (i + 1 >= text.size() || !IsTrailByte(static_cast<unsigned char>(text[i + 1]))) return false;
    std::string pair = text.substr(i, 2);
    dxfdin::SjisToJis(pair);
    if (pair.find('<') != std::string::npos) return false;
    ++i;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  std::string text(reinterpret_cast<const char*>(data), size);

  // Whatever the text, both directions end without fault.
  std::string encoded = text;
  EncodeDinText(encoded);
  std::string decoded = text;
  DecodeDinText(decoded);

  if (!RoundTrips(text)) return 0;
  std::string back = encoded;
  DecodeDinText(back);
  std::string trimmed = text;
  TrimText(trimmed, 4);
  fuzz::Require(back == trimmed, "decoding the encoded text gives the text, trimmed");
  return 0;
}
