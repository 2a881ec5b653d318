// Any bytes as a DIN file: the translation ends, and the DXF it writes is complete (it begins
// with the template and ends with EOF).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "din_format/conversion_context.h"
#include "din_to_dxf/translate_din_file.h"
#include "fuzz_support.h"
#include "io/text_input.h"
#include "io/text_output.h"

namespace {

std::string ReadTemplate() {
  std::ifstream file(DXFDIN_SOURCE_DIR "/data/Dxfhjw.dat", std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  dxfdin::fuzz::Require(file.good() || file.eof(), "the template can be read");
  return bytes.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  static const std::string template_bytes = ReadTemplate();
  TConversionContext context;
  ResetConversionContext(context);
  auto input = TextInput::FromString(std::string(reinterpret_cast<const char*>(data), size));
  auto dxf_template = TextInput::FromString(template_bytes);
  TextOutput dxf;
  context.dxf_in = input.get();
  context.din_out = &dxf;
  TranslateDinFile(context, *dxf_template);
  dxf.Flush();
  fuzz::Require(fuzz::EndsWith(dxf.Bytes(), "EOF\r\n"), "the DXF output ends with EOF");
  return 0;
}
