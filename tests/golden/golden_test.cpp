// Every example drawing converted and compared byte for byte with its stored output.
// DXFDIN_UPDATE_GOLDEN=1 rewrites the stored outputs (check the difference before committing).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/batch.h"
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

// The bytes with every line end, CR LF or LF, made a CR alone.
std::string CrAlone(const std::string& bytes) {
  std::string cr;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) {
      cr += bytes[i] == '\n' ? '\r' : bytes[i];
    }
  }
  return cr;
}

// The examples with their lines ending in CR alone, as classic Mac OS wrote them, are taken
// for DXF files and converted by the batch to the very bytes of their stored outputs; so are
// the DIN examples behind a template whose lines end so.
TEST(Golden, DxfExamplesWithLinesEndingInCrAloneGiveTheSameBytes) {
  testing::TempDir dir, out;
  std::vector<BatchJob> jobs;
  for (const fs::path& file : Examples("dxf", ".dxf")) {
    testing::WriteBytes(dir / file.filename().string(), CrAlone(testing::ReadBytes(file)));
    jobs.push_back({dir / file.filename().string(), out.path()});
  }
  TConversionSettings settings;
  LoadConversionSettings(settings, "/nonexistent/kelvor.ini");  // the defaults
  TConversionContext context;
  BatchOptions options;
  options.partial = true;  // the example cut off is written as far as it goes
  BatchObserver observer;
  const BatchResult result = RunBatch(context, settings, jobs, options, observer);
  EXPECT_EQ(result.converted + result.failed, static_cast<int>(jobs.size()));
  EXPECT_EQ(result.failed, 1);
  for (const BatchJob& job : jobs) {
    const fs::path name = job.input.filename().replace_extension(".din");
    EXPECT_TRUE(testing::ReadBytes(out / name.string()) ==
                testing::ReadBytes(kSource / "tests/golden/dxf_to_din" / name))
        << name;
  }

  testing::WriteBytes(dir / "template.dat",
                      CrAlone(testing::ReadBytes(kSource / "data/Dxfhjw.dat")));
  jobs.clear();
  for (const fs::path& file : Examples("din", ".din")) jobs.push_back({file, out.path()});
  options.direction = BatchDirection::kDinToDxf;
  options.dxf_template = dir / "template.dat";
  EXPECT_EQ(RunBatch(context, settings, jobs, options, observer).converted,
            static_cast<int>(jobs.size()));
  for (const BatchJob& job : jobs) {
    const fs::path name = job.input.filename().replace_extension(".dxf");
    EXPECT_TRUE(testing::ReadBytes(out / name.string()) ==
                testing::ReadBytes(kSource / "tests/golden/din_to_dxf" / name))
        << name;
  }
}

}  // namespace
}  // namespace dxfdin
