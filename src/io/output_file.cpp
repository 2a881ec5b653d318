#include "io/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace dxfdin {

namespace {

// The temporary files being written, for the signal handler: it may read only lock-free
// atomics. One file is written at a time; a few slots leave room for a settings save.
constexpr int kCleanupSlots = 4;
std::atomic<const char*> g_temporaries[kCleanupSlots];
static_assert(std::atomic<const char*>::is_always_lock_free);

int HoldForCleanup(const char* path) {
  for (int i = 0; i < kCleanupSlots; ++i) {
    const char* empty = nullptr;
    if (g_temporaries[i].compare_exchange_strong(empty, path)) return i;
  }
  return -1;
}

extern "C" void RemoveTemporariesAndEnd(int signal_number) {
  for (auto& slot : g_temporaries) {
    if (const char* path = slot.load()) ::unlink(path);
  }
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal_number, &fallback, nullptr);
  // Delivered when the handler returns, with the default action: the process ends as the
  // signal means, and its parent sees which signal it was.
  ::raise(signal_number);
}

[[noreturn]] void Fail(int error, const std::filesystem::path& target) {
  throw std::system_error(error, std::generic_category(), target.string());
}

// The mode of the file to be replaced, or the mode a new file gets.
mode_t NewFileMode(const struct stat* existing) {
  if (existing) return existing->st_mode & 07777;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// rename() that fails with EEXIST instead of replacing. File systems without
// RENAME_NOREPLACE get a hard link, which fails the same way, and the temporary name removed.
int RenameWithoutReplacing(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
  if (::link(from, to) != 0) return -1;
  ::unlink(from);
  return 0;
}

}  // namespace

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {
  std::filesystem::path dir = target_.parent_path();
  if (dir.empty()) dir = ".";
  // A short name of its own, so that a target name of the longest legal length still works.
  std::string pattern = (dir / ".dxfdin-XXXXXX").string();
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) Fail(errno, target_);
  temporary_ = pattern;
  cleanup_slot_ = HoldForCleanup(temporary_.c_str());
  struct stat existing;
  const bool replaces = ::stat(target_.c_str(), &existing) == 0;
  ::fchmod(fd_, NewFileMode(replaces ? &existing : nullptr));
  if (replaces && ::geteuid() == 0) {
    // Root replacing someone's file leaves it theirs. Failing to is no reason to stop.
    [[maybe_unused]] int ignored = ::fchown(fd_, existing.st_uid, existing.st_gid);
  }
  out_ = std::make_unique<TextOutput>(fd_, false);
  // The data goes to disk while the conversion runs; the fsync of Commit only waits for the
  // last of it.
  out_->StartWriteBack();
}

OutputFile::~OutputFile() {
  out_.reset();
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  ReleaseCleanup();
}

void OutputFile::ReleaseCleanup() {
  if (cleanup_slot_ >= 0) g_temporaries[cleanup_slot_].store(nullptr);
  cleanup_slot_ = -1;
}

void OutputFile::Commit(CommitMode mode) {
  if (!out_->Flush()) Fail(out_->Error().value(), target_);
  if (::fsync(fd_) != 0) Fail(errno, target_);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail(errno, target_);
  if (mode == CommitMode::kReplace) {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno, target_);
  } else if (RenameWithoutReplacing(temporary_.c_str(), target_.c_str()) != 0) {
    if (errno == EEXIST) throw OutputExistsError(target_);
    Fail(errno, target_);
  }
  committed_ = true;
  ReleaseCleanup();
}

void RemoveTemporaryFilesOnSignals() {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current = {};
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if (current.sa_handler == SIG_IGN) continue;
    struct sigaction cleanup = {};
    cleanup.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&cleanup.sa_mask);
    ::sigaction(signal_number, &cleanup, nullptr);
  }
}

}  // namespace dxfdin
