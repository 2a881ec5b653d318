#include "io/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>

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

TEST(OutputFile, KeepingCommitNeverReplacesAFileThatAppearedMeanwhile) {
  testing::TempDir dir;
  OutputFile output(dir / "plan.din");
  output.Out().Write("new\n");
  testing::WriteBytes(dir / "plan.din", "another program's");
  EXPECT_THROW(output.Commit(OutputFile::CommitMode::kKeepExisting), OutputExistsError);
  EXPECT_EQ(testing::ReadBytes(dir / "plan.din"), "another program's");
  // The longest name a directory entry may have still gets its temporary file.
  const std::string longest(251, 'n');
  OutputFile named(dir / (longest + ".din"));
  named.Commit(OutputFile::CommitMode::kKeepExisting);
  EXPECT_TRUE(std::filesystem::exists(dir / (longest + ".din")));
}

TEST(OutputFileDeathTest, ASignalRemovesTheTemporaryFileAndEndsTheProcess) {
  testing::TempDir dir;
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    EXPECT_EXIT(
        {
          RemoveTemporaryFilesOnSignals();
          OutputFile output(dir / "plan.din");
          output.Out().Write("half\n");
          ::raise(signal_number);
        },
        ::testing::KilledBySignal(signal_number), "");
    EXPECT_EQ(testing::ListDir(dir.path()), "");
  }
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
  // A full temporary directory is the temporary file's failure, not the target's.
  TextOutput target;
  try {
    out.CopyContentTo(target);
    FAIL();
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code(), std::errc::no_space_on_device);
  }
  EXPECT_FALSE(target.Failed());
}

}  // namespace
}  // namespace dxfdin
