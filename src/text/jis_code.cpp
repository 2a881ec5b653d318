#include "text/jis_code.h"

#include <cstdint>

namespace dxfdin {

void SjisToJis(char* bytes, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    std::uint8_t s1 = static_cast<std::uint8_t>(bytes[i]);
    std::uint8_t s2 = static_cast<std::uint8_t>(bytes[i + 1]);
    std::uint8_t t = s1 <= 0x9F ? std::uint8_t(s1 - 0x71) : std::uint8_t(s1 - 0xB1);
    std::uint8_t j1 = std::uint8_t(2 * t + 1);
    std::uint8_t j2;
    if (s2 > 0x7F) s2 = std::uint8_t(s2 - 1);
    if (s2 >= 0x9E) {
      j2 = std::uint8_t(s2 - 0x7D);
      j1 = std::uint8_t(j1 + 1);
    } else {
      j2 = std::uint8_t(s2 - 0x1F);
    }
    bytes[i] = static_cast<char>(j1);
    bytes[i + 1] = static_cast<char>(j2);
  }
}

void JisToSjis(char* bytes, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    std::uint8_t j1 = static_cast<std::uint8_t>(bytes[i]);
    std::uint8_t j2 = static_cast<std::uint8_t>(bytes[i + 1]);
    std::uint8_t s2 = (j1 & 1) ? std::uint8_t(j2 + 0x1F) : std::uint8_t(j2 + 0x7D);
    if (s2 >= 0x7F) s2 = std::uint8_t(s2 + 1);
    std::uint8_t s1 = std::uint8_t(std::uint8_t(j1 - 0x21) / 2 + 0x81);
    if (s1 > 0x9F) s1 = std::uint8_t(s1 + 0x40);
    bytes[i] = static_cast<char>(s1);
    bytes[i + 1] = static_cast<char>(s2);
  }
}

}  // namespace dxfdin
