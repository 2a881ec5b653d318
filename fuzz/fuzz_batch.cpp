// Any bytes as a drawing converted by the batch with its real, safe writing: afterwards the
// folder holds the input, unchanged, and at most its one output, and never a temporary file;
// an output that was not written is the older one, or none.
// The first byte chooses the direction and the batch's circumstances:
//   bit 0  DIN to DXF (else DXF to DIN)      bit 4  named temporary files
//   bit 1  an older output is there           bit 5  --partial
//   bits 2-3  stop, skip, replace writable, replace (--force)
//   bit 6  the older output is read-only
#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#include "batch/batch.h"
#include "fuzz_support.h"
#include "io/output_file.h"

namespace dxfdin::fuzz {
namespace {

constexpr std::string_view kOlder = "an older output";

// A folder of this input's own, removed afterwards, on a memory file system where there is
// one: the batch syncs every output to disk.
class Folder {
 public:
  Folder() {
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "dxfdin-fuzz-batch-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "a folder for the batch");
    path_ = pattern;
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Written : BatchObserver {
  bool written = false;
  void FileConverted(const ConvertedFile&) override { written = true; }
};

TConversionSettings MappingSettings() {
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.pen_class = 1;
  settings.ss_l_c[0] = "dim";
  settings.n_l_c = {100, 0, 0, 0, 0, 0, 0};
  settings.n_p_c = {53, 65, 58, 54, 16, 22};
  return settings;
}

}  // namespace
}  // namespace dxfdin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  using fuzz::Require;
  static const TConversionSettings settings = fuzz::MappingSettings();
  const fuzz::Folder scratch;
  const std::filesystem::path& folder = scratch.Path();
  const unsigned choice = size > 0 ? data[0] : 0;
  const std::string_view drawing(reinterpret_cast<const char*>(data) + (size > 0),
                                 size > 0 ? size - 1 : 0);
  const bool to_din = !(choice & 1);
  const std::string input_name = to_din ? "drawing.dxf" : "drawing.din";
  const std::string output_name = to_din ? "drawing.din" : "drawing.dxf";
  const std::filesystem::path input = folder / input_name;
  const std::filesystem::path output = folder / output_name;
  fuzz::WriteBytes(input, drawing);
  const bool older = choice & 2;
  if (older) {
    fuzz::WriteBytes(output, fuzz::kOlder);
    if (choice & 64) ::chmod(output.c_str(), 0444);
  }

  BatchOptions options;
  options.direction = to_din ? BatchDirection::kDxfToDin : BatchDirection::kDinToDxf;
  constexpr ExistingOutput kExisting[] = {ExistingOutput::kStop, ExistingOutput::kSkip,
                                          ExistingOutput::kReplaceWritable,
                                          ExistingOutput::kReplace};
  options.existing = kExisting[(choice >> 2) & 3];
  options.partial = choice & 32;
  options.dxf_template = std::filesystem::path(DXFDIN_SOURCE_DIR) / "data/Dxfhjw.dat";
  UseNamedTemporaryFiles(choice & 16);
  TConversionContext context;
  ResetConversionContext(context);
  // The bounds of what a file may draw, lowered to what a fuzzing run holds in memory.
  context.max_block_entities = 20000;
  context.max_output_bytes = 8 << 20;
  fuzz::Written observer;
  RunBatch(context, settings, {{input, folder}}, options, observer);

  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    Require(name == input_name || name == output_name, "no file but the input and its output");
    ++files;
  }
  Require(files <= 2, "at most one output");
  Require(fuzz::ReadBytes(input) == drawing, "the input is left as it was");
  const bool exists = std::filesystem::exists(output);
  if (!observer.written) {
    Require(exists == older, "an output not written is the older one or none");
    if (older) Require(fuzz::ReadBytes(output) == fuzz::kOlder, "the older output is kept");
    return 0;
  }
  Require(exists, "a written output is there");
  const std::string bytes = fuzz::ReadBytes(output);
  if (to_din) {
    Require(fuzz::StartsWith(bytes, "VERSION 6.0  COMMON DATA FILE"),
            "a written DIN file begins with its header");
  } else {
    Require(fuzz::EndsWith(bytes, "  0\r\nEOF\r\n"), "a written DXF file ends with EOF");
  }
  return 0;
}
