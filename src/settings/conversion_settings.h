// The user's mapping of DXF layers and pens to DIN class numbers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace dxfdin {

// Keys hold at most this many bytes of Shift-JIS text.
inline constexpr std::size_t kSettingsKeyBytes = 9;
inline constexpr int kLayerKeyCount = 7;
inline constexpr int kPenCount = 6;

// All zero before the first load: flags off, keys empty, class numbers 0.
struct TConversionSettings {
  std::int32_t lay_class = 0;  // 1: layer names are first tried against the keys
  std::int32_t pen_class = 0;  // 1: an entity no key matched takes the class of its pen
  std::array<std::string, kLayerKeyCount> ss_l_c;    // layer-name keys 1 to 7
  std::array<std::int32_t, kLayerKeyCount> n_l_c{};  // class numbers of keys 1 to 7
  std::array<std::int32_t, kPenCount> n_p_c{};       // class numbers of pens 1 to 6
  // 1: entities on frozen or switched-off layers and invisible ones are converted too.
  std::int32_t hidden_layers = 0;
  // The encoding of DXF texts when a drawing's header must not decide it (an iconv or DXF
  // code page name); empty: the header decides.
  std::string dxf_encoding;
};

}  // namespace dxfdin
