#include "batch/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dxfdin {
namespace {

TEST(OutputFile, ReplacesTheTargetOnlyWhenCommitted) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "plan.din", "old");
  {
    OutputFile abandoned(dir / "plan.din");
    abandoned.Out().Write("half\n");
  }
  EXPECT_EQ(testing::ReadBytes(dir / "plan.din"), "old");
  EXPECT_EQ(testing::ListDir(dir.path()), "plan.din");
  {
    OutputFile output(dir / "plan.din");
    output.Out().Write("new\n");
    output.Commit();
  }
  EXPECT_EQ(testing::ReadBytes(dir / "plan.din"), "new\r\n");
  EXPECT_EQ(testing::ListDir(dir.path()), "plan.din");
}

TEST(OutputFile, UnwritableDirectoryIsReportedWithTheTarget) {
  try {
    OutputFile output("/nonexistent-dir/plan.din");
    FAIL();
  } catch (const std::system_error& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent-dir/plan.din"), std::string::npos);
  }
}

TEST(OutputFile, FullDiskLeavesTheOldFile) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
  // Writing to /dev/full fails like a full disk; the commit must report it.
  TextOutput out(::open("/dev/full", O_WRONLY), true);
  out.Write(std::string(100000, 'x'));
  EXPECT_FALSE(out.Flush());
  EXPECT_EQ(out.Error(), std::errc::no_space_on_device);
}

}  // namespace
}  // namespace dxfdin
