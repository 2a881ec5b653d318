// Any bytes as proxy graphics: drawing them ends within the bound of the simple entities they
// are written as, those are whole groups whose coordinates, sizes and angles are finite, and
// an ACAD_PROXY_ENTITY that carries the bytes converts to a DIN file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "din_format/conversion_context.h"
#include "dxf_to_din/entity_text.h"
#include "dxf_to_din/proxy_graphics.h"
#include "dxf_to_din/translate_dxf_file.h"
#include "fuzz_support.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "settings/conversion_settings.h"

namespace dxfdin::fuzz {
namespace {

// Group code and value lines in pairs; the reals (codes 10 to 59, 210 to 230) finite.
void CheckGroups(std::string_view groups) {
  Require(groups.empty() || groups.back() == '\n', "the groups end with a line end");
  while (!groups.empty()) {
    const std::size_t code_end = groups.find('\n');
    const std::size_t value_end = groups.find('\n', code_end + 1);
    Require(value_end != std::string_view::npos, "every group code has its value");
    const std::string code(groups.substr(0, code_end));
    const std::string value(groups.substr(code_end + 1, value_end - code_end - 1));
    char* end = nullptr;
    const long number = std::strtol(code.c_str(), &end, 10);
    Require(!code.empty() && *end == '\0', "a group code is a number");
    if ((number >= 10 && number < 60) || (number >= 210 && number <= 230)) {
      Require(std::isfinite(std::strtod(value.c_str(), nullptr)), "a real is finite");
    }
    groups.remove_prefix(value_end + 1);
  }
}

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

// A drawing of one ACAD_PROXY_ENTITY with the bytes as its graphics.
std::string ProxyEntityDrawing(std::string_view bytes) {
  std::string dxf = "  0\nSECTION\n  2\nENTITIES\n  0\nACAD_PROXY_ENTITY\n  8\nP\n 90\n498\n 92\n" +
                    std::to_string(bytes.size()) + "\n";
  for (std::size_t at = 0; at < bytes.size(); at += 127) {
    dxf += "310\n" + Hex(bytes.substr(at, 127)) + "\n";
  }
  return dxf + "  0\nENDSEC\n  0\nEOF\n";
}

}  // namespace
}  // namespace dxfdin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  EntityText out;
  DrawProxyGraphics(bytes, out);
  fuzz::Require(out.Groups().size() <= EntityText::kMaxBytes, "the groups within their bound");
  fuzz::CheckGroups(out.Groups());

  TConversionContext context;
  ResetConversionContext(context);
  context.max_output_bytes = 8 << 20;
  auto input = TextInput::FromString(fuzz::ProxyEntityDrawing(bytes));
  TextOutput din;
  TextOutput texts;
  context.dxf_in = input.get();
  context.din_out = &din;
  context.text_out = &texts;
  TranslateDxfFile(context, TConversionSettings{});
  din.Flush();
  fuzz::Require(fuzz::StartsWith(din.Bytes(), "VERSION"), "the DIN file begins with its header");
  fuzz::Require(out.Empty() || context.item_count > 0 || !context.passed_over.empty(),
                "what the graphics draw is drawn or counted");
  return 0;
}
