// Every example drawing converted and compared byte for byte with its stored output.
// DXFDIN_UPDATE_GOLDEN=1 rewrites the stored outputs (check the difference before committing).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "din_format/conversion_context.h"
#include "din_to_dxf/translate_din_file.h"
#include "dxf_to_din/translate_dxf_file.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace dxfdin {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = DXFDIN_SOURCE_DIR;

std::vector<fs::path> Examples(const char* folder, const char* extension) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kSource / "examples" / folder)) {
    if (entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void Compare(const fs::path& golden, const std::string& output) {
  if (std::getenv("DXFDIN_UPDATE_GOLDEN")) {
    testing::WriteBytes(golden, output);
    return;
  }
  ASSERT_TRUE(fs::exists(golden)) << golden;
  EXPECT_TRUE(testing::ReadBytes(golden) == output) << "output differs from " << golden;
}

TEST(Golden, DxfExamplesToDin) {
  TConversionSettings settings;
  LoadConversionSettings(settings, "/nonexistent/kelvor.ini");  // the defaults
  auto files = Examples("dxf", ".dxf");
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    TConversionContext context;
    ResetConversionContext(context);
    auto in = TextInput::OpenFile(file);
    TextOutput din;
    TextOutput texts;
    context.dxf_in = in.get();
    context.din_out = &din;
    context.text_out = &texts;
    TranslateDxfFile(context, settings);
    din.Flush();
    texts.Flush();
    Compare(kSource / "tests/golden/dxf_to_din" / file.filename().replace_extension(".din"),
            din.Bytes() + texts.Bytes());
  }
}

TEST(Golden, DinExamplesToDxf) {
  auto files = Examples("din", ".din");
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    TConversionContext context;
    ResetConversionContext(context);
    auto in = TextInput::OpenFile(file);
    auto dxf_template = TextInput::OpenFile(kSource / "data/Dxfhjw.dat");
    TextOutput dxf;
    context.dxf_in = in.get();
    context.din_out = &dxf;
    TranslateDinFile(context, *dxf_template);
    dxf.Flush();
    Compare(kSource / "tests/golden/din_to_dxf" / file.filename().replace_extension(".dxf"),
            dxf.Bytes());
  }
}

}  // namespace
}  // namespace dxfdin
