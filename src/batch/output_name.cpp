#include "batch/output_name.h"

#include "text/byte_class.h"

namespace dxfdin {

namespace {

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    std::size_t extra = 0;
    if (lead >= 0xF5 || (lead >= 0x80 && lead < 0xC2)) return false;
    if (lead >= 0xF0) {
      extra = 3;
    } else if (lead >= 0xE0) {
      extra = 2;
    } else if (lead >= 0xC2) {
      extra = 1;
    }
    if (extra > text.size() - i) return false;
    for (std::size_t end = i + extra; i < end; ++i) {
      if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return false;
    }
  }
  return true;
}

std::string_view Extension(BatchDirection direction, bool of_input) {
  const bool dxf = (direction == BatchDirection::kDxfToDin) == of_input;
  return dxf ? ".dxf" : ".din";
}

}  // namespace

std::string LowerCaseFileName(std::string_view name) {
  std::string lower(name);
  const bool shift_jis = !IsUtf8(name);
  for (std::size_t i = 0; i < lower.size(); ++i) {
    char& c = lower[i];
    if (shift_jis && IsLeadByte(static_cast<unsigned char>(c))) {
      ++i;  // the trail byte stays as it is
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

std::string OutputName(std::string_view entry, BatchDirection direction) {
  std::string name = LowerCaseFileName(entry);
  std::string_view from = Extension(direction, true);
  if (std::size_t at = name.find(from); at != std::string::npos) {
    name.replace(at, from.size(), Extension(direction, false));
  }
  return name;
}

bool HasInputExtension(std::string_view entry, BatchDirection direction) {
  return LowerCaseFileName(entry).find(Extension(direction, true)) != std::string::npos;
}

}  // namespace dxfdin
