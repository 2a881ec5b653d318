#include "batch/batch.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dxfdin {
namespace {

using testing::ListDir;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Recorder : BatchObserver {
  std::vector<std::string> events;
  void Status(std::string_view text) override { events.push_back("status " + std::string(text)); }
  void Problem(std::string_view message) override {
    events.push_back("problem " + std::string(message));
  }
  void StoppedAtExisting(const std::filesystem::path& output) override {
    events.push_back("stopped " + output.filename().string());
  }
  void FileConverted(const std::filesystem::path& output) override {
    events.push_back("converted " + output.filename().string());
  }
};

constexpr char kEmptyDxf[] = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

TEST(OutputName, LowerCasesAndReplacesTheFirstExtension) {
  EXPECT_EQ(OutputName("PLAN.DXF", BatchDirection::kDxfToDin), "plan.din");
  EXPECT_EQ(OutputName("a.dxf.dxf", BatchDirection::kDxfToDin), "a.din.dxf");
  EXPECT_EQ(OutputName("Plan.Din", BatchDirection::kDinToDxf), "plan.dxf");
  EXPECT_EQ(OutputName("notes.txt", BatchDirection::kDxfToDin), "notes.txt");
  // Only ASCII letters change: the UTF-8 bytes of a Japanese name stay as they are.
  EXPECT_EQ(OutputName("図面A.DXF", BatchDirection::kDxfToDin), "図面a.din");
}

TEST(RunBatch, ConvertsIntoTheTargetDirectoryAndCounts) {
  TempDir dxf, din;
  WriteBytes(dxf / "PLAN.DXF", kEmptyDxf);
  WriteBytes(dxf / "b.dxf", kEmptyDxf);
  TConversionContext context;
  Recorder recorder;
  BatchResult result = RunBatch(context, {}, {{dxf / "PLAN.DXF", din.path()}, {dxf / "b.dxf", din.path()}},
                                {}, recorder);
  EXPECT_EQ(result.converted, 2);
  EXPECT_EQ(ListDir(din.path()), "b.din plan.din");
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"converted plan.din", "converted b.din",
                                                       "status 2 Fileを変換\n"}));
  EXPECT_EQ(ReadBytes(din / "plan.din").substr(0, 7), "VERSION");
  EXPECT_EQ(context.dxf_in, nullptr);  // no stream outlives its file
}

TEST(RunBatch, ExistingOutputWithOverwritingOffEndsTheBatch) {
  TempDir dxf, din;
  for (const char* name : {"a.dxf", "b.dxf", "c.dxf"}) WriteBytes(dxf / name, kEmptyDxf);
  WriteBytes(din / "b.din", "mine");
  TConversionContext context;
  Recorder recorder;
  BatchOptions options;
  options.overwrite = false;
  BatchResult result = RunBatch(
      context, {}, {{dxf / "a.dxf", din.path()}, {dxf / "b.dxf", din.path()}, {dxf / "c.dxf", din.path()}},
      options, recorder);
  EXPECT_EQ(result.converted, 1);
  EXPECT_TRUE(result.stopped_at_existing);
  EXPECT_EQ(ReadBytes(din / "b.din"), "mine");
  EXPECT_EQ(ListDir(din.path()), "a.din b.din");
  EXPECT_EQ(recorder.events.back(), "status 1 Fileを変換\n");
}

TEST(RunBatch, UnreadableInputIsReportedAndTheBatchGoesOn) {
  TempDir dxf, din;
  WriteBytes(dxf / "b.dxf", kEmptyDxf);
  TConversionContext context;
  Recorder recorder;
  BatchResult result =
      RunBatch(context, {}, {{dxf / "gone.dxf", din.path()}, {dxf / "b.dxf", din.path()}}, {}, recorder);
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(result.failed, 1);
  ASSERT_EQ(recorder.events.size(), 3u);
  EXPECT_EQ(recorder.events[0].find("problem " + (dxf / "gone.dxf").string()), 0u);
  EXPECT_EQ(ListDir(din.path()), "b.din");
}

TEST(RunBatch, BadScaleTextConvertsNothing) {
  TempDir dxf, din;
  WriteBytes(dxf / "a.dxf", kEmptyDxf);
  TConversionContext context;
  context.text_scale_on = 1;
  context.scale_text = "abc";
  Recorder recorder;
  BatchResult result = RunBatch(context, {}, {{dxf / "a.dxf", din.path()}}, {}, recorder);
  EXPECT_TRUE(result.refused);
  EXPECT_EQ(ListDir(din.path()), "");
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"problem text scale: 'abc' is not a valid floating point value"}));
}

TEST(RunBatch, OutputNeverReplacesItsInput) {
  TempDir dir;
  WriteBytes(dir / "notes.txt", "precious");
  TConversionContext context;
  Recorder recorder;
  BatchResult result = RunBatch(context, {}, {{dir / "notes.txt", dir.path()}}, {}, recorder);
  EXPECT_EQ(result.failed, 1);
  EXPECT_EQ(ReadBytes(dir / "notes.txt"), "precious");
}

TEST(RunBatch, DinToDxfNeedsItsTemplateBeforeAnythingIsCreated) {
  TempDir din, dxf;
  WriteBytes(din / "a.din", "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\r\n");
  TConversionContext context;
  Recorder recorder;
  BatchOptions options;
  options.direction = BatchDirection::kDinToDxf;
  options.dxf_template = din / "missing.dat";
  BatchResult result = RunBatch(context, {}, {{din / "a.din", dxf.path()}}, options, recorder);
  EXPECT_TRUE(result.refused);
  EXPECT_EQ(ListDir(dxf.path()), "");
  EXPECT_EQ(recorder.events.front(), "status 変換中");
}

}  // namespace
}  // namespace dxfdin
