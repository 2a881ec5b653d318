#include "text/utf8_from_shift_jis.h"

#include <iconv.h>

namespace dxfdin {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

std::string Utf8FromShiftJis(std::string_view sjis) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    // Without a converter only ASCII is certain.
    std::string ascii;
    for (char c : sjis) {
      if (static_cast<unsigned char>(c) < 0x80) {
        ascii += c;
      } else {
        ascii += kReplacement;
      }
    }
    return ascii;
  }
  std::string utf8;
  std::string in(sjis);
  char* in_at = in.data();
  std::size_t in_left = in.size();
  char buffer[256];
  while (in_left > 0) {
    char* out_at = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t result = iconv(converter, &in_at, &in_left, &out_at, &out_left);
    utf8.append(buffer, static_cast<std::size_t>(out_at - buffer));
    if (result == static_cast<std::size_t>(-1) && in_left > 0 && out_at == buffer) {
      // A byte that begins no character (or a lead byte at the end): one replacement.
      utf8 += kReplacement;
      ++in_at;
      --in_left;
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(converter);
  return utf8;
}

}  // namespace dxfdin
