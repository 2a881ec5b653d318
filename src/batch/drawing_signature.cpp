#include "batch/drawing_signature.h"

#include <string>
#include <string_view>

#include "io/text_input.h"

namespace dxfdin {

namespace {

// Long enough for every line these tests compare; the rest of a line is passed over.
constexpr std::size_t kLineKeep = 80;

std::string_view Trimmed(std::string_view line) {
  constexpr std::string_view kBlanks = " \t\r\n";
  std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

DxfForm DxfFormOf(TextInput& in) {
  // Lines end in CR LF, LF or CR alone; the input reads them so from now on.
  in.ReadLoneCrAsLineEnd();
  in.SkipByteOrderMark();
  std::string line;
  bool after_code_0 = false;
  for (bool first = true; in.ReadLine(line, kLineKeep); first = false) {
    if (first && line.starts_with("AutoCAD Binary DXF")) return DxfForm::kBinary;
    std::string_view value = Trimmed(line);
    if (after_code_0 && value == "SECTION") return DxfForm::kAscii;
    after_code_0 = value == "0";
  }
  return DxfForm::kNone;
}

bool IsDinFile(TextInput& in) {
  std::string line;
  while (in.ReadLine(line, kLineKeep)) {
    if (line.starts_with("ITEM") || line.find("COMMON DATA FILE") != std::string::npos) return true;
  }
  return false;
}

}  // namespace dxfdin
