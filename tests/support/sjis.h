// Shift-JIS from and to UTF-8, so that tests of Japanese texts can be written and read as
// the characters they are.
#pragma once

#include <iconv.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace dxfdin::testing {

inline std::string Iconv(std::string_view text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string in(text), out(4 * text.size() + 4, '\0');
  char* in_at = in.data();
  char* out_at = out.data();
  std::size_t in_left = in.size(), out_left = out.size();
  const std::size_t result = iconv(cd, &in_at, &in_left, &out_at, &out_left);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible");
  out.resize(out.size() - out_left);
  return out;
}

inline std::string Sjis(std::string_view utf8) {
  return Iconv(utf8, "CP932", "UTF-8");
}
inline std::string Utf8(std::string_view sjis) {
  return Iconv(sjis, "UTF-8", "CP932");
}

}  // namespace dxfdin::testing
