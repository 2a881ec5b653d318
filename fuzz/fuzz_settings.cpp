// Any bytes as the settings file: loading ends with the settings or a conversion error, and a
// save keeps what the file held and adds what was written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "settings/conversion_settings.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"
#include "text/number_text.h"

namespace {

std::filesystem::path ScratchFile(const char* name) {
  return std::filesystem::temp_directory_path() /
         ("dxfdin-fuzz-" + std::to_string(getpid()) + "-" + name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  static const std::filesystem::path path = ScratchFile("kelvor.ini");
  static const std::filesystem::path saved = ScratchFile("saved.ini");
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TConversionSettings settings;
  try {
    LoadConversionSettings(settings, path);
  } catch (const ConversionError&) {
    // A class number that is not an integer stops the load; that is its rule.
  }

  ProfileFile profile = ProfileFile::Load(path);
  std::string before = profile.ReadString("lay_name", "ss_l_c1", "(none)");
  profile.WriteString("Check", "lay_class", "1");
  profile.WriteInteger("Locate", "x2", -17);
  profile.Save(saved);
  ProfileFile reread = ProfileFile::Load(saved);
  fuzz::Require(reread.ReadString("Check", "lay_class", "") == "1", "a written value reads back");
  fuzz::Require(reread.ReadInteger("Locate", "x2", 0) == -17, "a written integer reads back");
  fuzz::Require(reread.ReadString("lay_name", "ss_l_c1", "(none)") == before,
                "a save keeps the values it did not write");
  return 0;
}
