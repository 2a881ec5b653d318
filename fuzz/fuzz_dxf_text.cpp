// DXF texts to Shift-JIS: whatever the bytes, in every kind of encoding, the decoder ends
// without fault, and what a drawing of another encoding gives is well-formed Shift-JIS with
// no half-width katakana once widened.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "text/byte_class.h"
#include "text/dxf_text.h"

namespace {

bool WellFormedWithoutHalfWidthKana(const std::string& sjis) {
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (dxfdin::IsHalfWidthKana(b)) return false;
    if (dxfdin::IsLeadByte(b) && ++i >= sjis.size()) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  const std::string value(reinterpret_cast<const char*>(data), size);
  for (const char* encoding : {"", "UTF-8", "CP1252", "CP936"}) {
    DxfTextDecoder decoder(encoding);
    std::string text = decoder.Text(value);
    WidenHalfWidthKana(text);
    decoder.Name(value);
    for (std::string& line : decoder.MtextLines(value)) {
      if (*encoding)
        fuzz::Require(WellFormedWithoutHalfWidthKana(line), "an MTEXT line is Shift-JIS");
    }
    if (*encoding) fuzz::Require(WellFormedWithoutHalfWidthKana(text), "a text is Shift-JIS");
  }
  return 0;
}
