#include "io/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace dxfdin {
namespace {

// Every case runs with a file without a name (where the file system has them) and with a
// named temporary file (where it has not).
class OutputFileWritten : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UseNamedTemporaryFiles(Named()); }
  void TearDown() override { UseNamedTemporaryFiles(false); }
  bool Named() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(, OutputFileWritten, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Named" : "Anonymous"; });

mode_t DefaultMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

struct stat LinkStatus(const std::filesystem::path& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status;
}

TEST_P(OutputFileWritten, ReplacesTheTargetOnlyWhenCommitted) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "plan.din", "old");
  {
    OutputFile abandoned(dir / "plan.din");
    abandoned.Out().Write("half\n");
    ASSERT_TRUE(abandoned.Out().Flush());
    // A file without a name is nowhere to be seen while it is written.
    EXPECT_EQ(testing::ListDir(dir.path()).find(".dxfdin-") != std::string::npos, Named());
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

TEST_P(OutputFileWritten, KeepingCommitNeverReplacesAFileThatAppearedMeanwhile) {
  testing::TempDir dir;
  {
    OutputFile output(dir / "plan.din");
    output.Out().Write("new\n");
    testing::WriteBytes(dir / "plan.din", "another program's");
    EXPECT_THROW(output.Commit(OutputFile::CommitMode::kKeepExisting), OutputExistsError);
  }
  EXPECT_EQ(testing::ReadBytes(dir / "plan.din"), "another program's");
  // A symbolic link leading nowhere is a file in the target's place all the same.
  std::filesystem::create_symlink("nowhere", dir / "link.din");
  {
    OutputFile linked(dir / "link.din");
    EXPECT_THROW(linked.Commit(OutputFile::CommitMode::kKeepExisting), OutputExistsError);
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.din"));
  // The longest name a directory entry may have still gets its new file.
  const std::string longest(251, 'n');
  OutputFile named(dir / (longest + ".din"));
  named.Commit(OutputFile::CommitMode::kKeepExisting);
  EXPECT_EQ(testing::ListDir(dir.path()), "link.din " + longest + ".din plan.din");
}

TEST_P(OutputFileWritten, AReplacedFileGivesItsModeButALinkGivesNothingOfWhatItPointsTo) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "plan.din", "old");
  ::chmod((dir / "plan.din").c_str(), 0604);
  testing::WriteBytes(dir / "theirs.din", "theirs");
  ::chmod((dir / "theirs.din").c_str(), 0602);
  std::filesystem::create_symlink(dir / "theirs.din", dir / "link.din");
  for (const char* name : {"plan.din", "link.din"}) {
    OutputFile output(dir / name);
    output.Out().Write("new\n");
    output.Commit(OutputFile::CommitMode::kReplace);
  }
  EXPECT_EQ(LinkStatus(dir / "plan.din").st_mode, S_IFREG | 0604);
  // The link is replaced by a file of its own, of the mode any new file gets.
  EXPECT_EQ(LinkStatus(dir / "link.din").st_mode, S_IFREG | DefaultMode());
  EXPECT_EQ(testing::ReadBytes(dir / "link.din"), "new\r\n");
  EXPECT_EQ(LinkStatus(dir / "theirs.din").st_mode, S_IFREG | 0602);
  EXPECT_EQ(testing::ReadBytes(dir / "theirs.din"), "theirs");
}

TEST_P(OutputFileWritten, RootReplacingALinkToSomeonesFileGetsAFileOfItsOwn) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  testing::TempDir dir;
  // Someone's file, and a link planted at the output's path that points to it.
  testing::WriteBytes(dir / "theirs.din", "theirs");
  ASSERT_EQ(::chown((dir / "theirs.din").c_str(), 12345, 12345), 0);
  ::chmod((dir / "theirs.din").c_str(), 0640);
  std::filesystem::create_symlink(dir / "theirs.din", dir / "plan.din");
  // Someone's own output, replaced, stays theirs.
  testing::WriteBytes(dir / "kept.din", "old");
  ASSERT_EQ(::chown((dir / "kept.din").c_str(), 12345, 12345), 0);
  ::chmod((dir / "kept.din").c_str(), 0640);
  for (const char* name : {"plan.din", "kept.din"}) {
    OutputFile output(dir / name);
    output.Out().Write("root's\n");
    output.Commit(OutputFile::CommitMode::kReplace);
  }
  const struct stat replaced = LinkStatus(dir / "plan.din");
  EXPECT_EQ(replaced.st_mode, S_IFREG | DefaultMode());
  EXPECT_EQ(replaced.st_uid, 0u);
  EXPECT_EQ(replaced.st_gid, ::getegid());
  const struct stat theirs = LinkStatus(dir / "theirs.din");
  EXPECT_EQ(theirs.st_uid, 12345u);
  EXPECT_EQ(theirs.st_mode, S_IFREG | 0640);
  EXPECT_EQ(testing::ReadBytes(dir / "theirs.din"), "theirs");
  const struct stat kept = LinkStatus(dir / "kept.din");
  EXPECT_EQ(kept.st_uid, 12345u);
  EXPECT_EQ(kept.st_gid, 12345u);
  EXPECT_EQ(kept.st_mode, S_IFREG | 0640);
  EXPECT_EQ(testing::ReadBytes(dir / "kept.din"), "root's\r\n");
}

// The process ends by `signal_number` while a file is half written over an older one.
void EndWhileWriting(const testing::TempDir& dir, int signal_number) {
  // Signals that dump core do so nowhere.
  const rlimit no_core = {0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  RemoveTemporaryFilesOnSignals();
  OutputFile output(dir / "plan.din");
  output.Out().Write(std::string(1 << 20, 'x'));
  output.Out().Flush();
  ::raise(signal_number);
}

TEST(OutputFileDeathTest, NoSignalLeavesAFileWithoutANameBehind) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "plan.din", "old");
  for (int signal_number : {SIGKILL, SIGINT, SIGQUIT, SIGUSR1}) {
    EXPECT_EXIT(EndWhileWriting(dir, signal_number), ::testing::KilledBySignal(signal_number), "");
    EXPECT_EQ(testing::ListDir(dir.path()), "plan.din") << signal_number;
    EXPECT_EQ(testing::ReadBytes(dir / "plan.din"), "old");
  }
}

TEST(OutputFileDeathTest, EverySignalThatEndsTheProcessRemovesANamedFile) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "plan.din", "old");
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE,
                            SIGXFSZ, SIGXCPU, SIGVTALRM, SIGPROF}) {
    EXPECT_EXIT(
        {
          UseNamedTemporaryFiles(true);
          EndWhileWriting(dir, signal_number);
        },
        ::testing::KilledBySignal(signal_number), "");
    EXPECT_EQ(testing::ListDir(dir.path()), "plan.din") << signal_number;
    EXPECT_EQ(testing::ReadBytes(dir / "plan.din"), "old");
  }
  // A signal the process ignores stays ignored.
  EXPECT_EXIT(
      {
        ::signal(SIGUSR2, SIG_IGN);
        UseNamedTemporaryFiles(true);
        EndWhileWriting(dir, SIGUSR2);
        ::_exit(3);
      },
      ::testing::ExitedWithCode(3), "");
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
