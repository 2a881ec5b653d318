// Any bytes as a DXF file: the translation ends, and what it writes is a well-formed DIN file
// (the header line, then items that each end with SR 31).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "din_format/conversion_context.h"
#include "dxf_to_din/translate_dxf_file.h"
#include "fuzz_support.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "settings/conversion_settings.h"

namespace dxfdin::fuzz {
namespace {

constexpr std::string_view kHeader = "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\r\n";
constexpr std::string_view kItemEnd = "  SR 31 1    0  0  0\r\n";

TConversionSettings MappingSettings() {
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.pen_class = 1;
  settings.ss_l_c[0] = "dim";
  settings.ss_l_c[1] = "fusn";
  settings.n_l_c = {100, 215, 0, 0, 0, 0, 0};
  settings.n_p_c = {53, 65, 58, 54, 16, 22};
  return settings;
}

// Every line that starts an item follows the end of the one before, and the last item ends.
void CheckItems(std::string_view din) {
  Require(StartsWith(din, kHeader), "DIN output begins with its header line");
  std::string_view previous;
  bool open = false;
  for (std::size_t pos = kHeader.size(); pos < din.size();) {
    std::size_t end = din.find('\n', pos);
    Require(end != std::string_view::npos, "every DIN line ends with its line end");
    std::string_view line = din.substr(pos, end + 1 - pos);
    if (StartsWith(line, "ITEM")) {
      Require(!open || previous == kItemEnd, "an item ends with SR 31 before the next");
      open = true;
    }
    previous = line;
    pos = end + 1;
  }
  Require(!open || previous == kItemEnd, "the last item ends with SR 31");
}

}  // namespace
}  // namespace dxfdin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  static const TConversionSettings settings = fuzz::MappingSettings();
  static const TConversionSettings with_hidden_layers = [] {
    TConversionSettings all = fuzz::MappingSettings();
    all.hidden_layers = 1;
    return all;
  }();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // The first byte chooses the scale text and whether hidden layers are converted, so those
  // paths are fuzzed too.
  TConversionContext context;
  ResetConversionContext(context);
  context.text_scale_on = !bytes.empty() && (bytes[0] & 1);
  // The bounds of what a file may draw, lowered to what a fuzzing run holds in memory.
  context.max_block_entities = 20000;
  context.max_output_bytes = 8 << 20;
  context.scale_text = "3";
  auto input = TextInput::FromString(std::move(bytes));
  TextOutput din;
  TextOutput texts;
  context.dxf_in = input.get();
  context.din_out = &din;
  context.text_out = &texts;
  TranslateDxfFile(context, size > 0 && (data[0] & 2) ? with_hidden_layers : settings);
  din.Flush();
  texts.Flush();
  fuzz::CheckItems(din.Bytes() + texts.Bytes());
  return 0;
}
