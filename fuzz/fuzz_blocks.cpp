// Any bytes as the entities of a block, drawn again and again: by a grid of a million cells
// of a block that inserts it at twice its size, and once on its own. Within bounds lowered
// to a fuzzing run's size, the drawing ends whatever the block holds: the DIN file grows no
// more than an item beyond its limit, and no number in it is NAN or INF.
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

constexpr std::uint64_t kMaxOutput = 1 << 20;
// What one item may add after the limit was found reached: a chain looks at it every 1024
// points, a text is at most an MTEXT's 64 KiB.
constexpr std::uint64_t kItemSlack = 256 << 10;

std::string Drawing(std::string_view block) {
  return "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n" + std::string(block) +
         "\n  0\nENDBLK\n  0\nBLOCK\n  2\nG\n 10\n0\n 20\n0\n"
         "  0\nINSERT\n  2\nB\n 41\n2\n 42\n2\n 70\n3\n 71\n3\n 44\n1\n 45\n1\n"
         "  0\nENDBLK\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
         "  0\nINSERT\n  2\nG\n 70\n1000\n 71\n1000\n 44\n5\n 45\n5\n"
         "  0\nINSERT\n  2\nB\n  0\nENDSEC\n  0\nEOF\n";
}

// No field of a record is a number that is not finite; the line after "SR 13" is a text,
// which may say anything.
void CheckNumbers(std::string_view din) {
  bool text_follows = false;
  for (std::size_t pos = 0; pos < din.size();) {
    std::size_t end = din.find('\n', pos);
    if (end == std::string_view::npos) end = din.size();
    const std::string_view line = din.substr(pos, end - pos);
    if (!text_follows) {
      Require(line.find("NAN") == std::string_view::npos &&
                  line.find("INF") == std::string_view::npos &&
                  line.find("nan") == std::string_view::npos &&
                  line.find("inf") == std::string_view::npos,
              "no number in the DIN file is NAN or INF");
    }
    text_follows = StartsWith(line, "  SR 13");
    pos = end + 1;
  }
}

}  // namespace
}  // namespace dxfdin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  static const TConversionSettings settings;
  TConversionContext context;
  ResetConversionContext(context);
  context.max_output_bytes = fuzz::kMaxOutput;
  context.max_work = 20'000;
  auto input = TextInput::FromString(fuzz::Drawing({reinterpret_cast<const char*>(data), size}));
  TextOutput din;
  TextOutput texts;
  context.dxf_in = input.get();
  context.din_out = &din;
  context.text_out = &texts;
  TranslateDxfFile(context, settings);
  din.Flush();
  texts.Flush();
  fuzz::Require(din.Size() + texts.Size() <= fuzz::kMaxOutput + fuzz::kItemSlack,
                "the DIN file grows no more than an item beyond its limit");
  fuzz::CheckNumbers(din.Bytes());
  fuzz::CheckNumbers(texts.Bytes());
  return 0;
}
