#include "io/output_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <string>

namespace dxfdin {

namespace {

// The named temporary files being written, for the signal handler: it may read only lock-free
// atomics. One file is written at a time; a few slots leave room for a settings save.
constexpr int kCleanupSlots = 4;
std::atomic<const char*> g_temporaries[kCleanupSlots];
static_assert(std::atomic<const char*>::is_always_lock_free);

std::atomic<bool> g_named_only{false};

// The signals whose default action ends the process. Those that report a fault of the
// program itself (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS) are left to the
// handlers of debuggers and sanitizers.
constexpr int kEndingSignals[] = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,
                                  SIGUSR2,   SIGALRM, SIGPIPE, SIGXFSZ, SIGXCPU,
                                  SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSTKFLT};

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

// Signals wait while a named file comes into being or is renamed into place, so that no
// handler runs before the file is held for cleanup, and none ends the process between a link
// and its rename.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous_);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

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

// The path through which the file open as `fd` can be linked into a directory, or "" when
// /proc does not show it (not mounted).
std::string ProcPath(int fd) {
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  struct stat by_path, by_fd;
  if (::stat(path.c_str(), &by_path) != 0 || ::fstat(fd, &by_fd) != 0) return {};
  if (by_path.st_dev != by_fd.st_dev || by_path.st_ino != by_fd.st_ino) return {};
  return path;
}

// A file without a name in `dir`, or -1 where the file system has none (EOPNOTSUPP, EISDIR
// from kernels that do not know O_TMPFILE) or /proc cannot give it a name later. Any other
// failure (a missing directory, no permission) recurs with the named file and is reported
// from there.
int OpenAnonymous(const std::filesystem::path& dir) {
  if (g_named_only.load()) return -1;
  int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (ProcPath(fd).empty()) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A hidden name for `dir` that is short, so that a target name of the longest legal length
// still works: ".dxfdin-" and six random letters and digits.
std::filesystem::path RandomName(const std::filesystem::path& dir) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != sizeof bits) {
    // No entropy yet (early boot): the clock, the process and a count are unlikely enough
    // to meet a name in use, and a name in use is tried again anyway.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<std::uint64_t>(now.tv_sec) * 1000000007u +
           static_cast<std::uint64_t>(now.tv_nsec) +
           (static_cast<std::uint64_t>(::getpid()) << 40) +
           counter.fetch_add(1) * 0x9E3779B97F4A7C15u;
  }
  std::string name = ".dxfdin-";
  for (int i = 0; i < 6; ++i, bits /= 62) name += kLetters[bits % 62];
  return dir / name;
}

// Links the file at `from` (a /proc path) under a fresh name in `dir`, which it stores in
// `name`; -1 with errno as linkat left it when that fails.
int LinkUnderFreshName(const std::string& from, const std::filesystem::path& dir,
                       std::filesystem::path& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = RandomName(dir);
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != EEXIST) return -1;
  }
  return -1;
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
  directory_ = target_.parent_path();
  if (directory_.empty()) directory_ = ".";
  fd_ = OpenAnonymous(directory_);
  if (fd_ < 0) {
    std::string pattern = (directory_ / ".dxfdin-XXXXXX").string();
    SignalsHeld held;
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) Fail(errno, target_);
    temporary_ = pattern;
    cleanup_slot_ = HoldForCleanup(temporary_.c_str());
  }
  // The file in the target's place is the one replaced: a symbolic link is replaced, not
  // followed, and what it points to (anyone's file) passes nothing on.
  struct stat existing;
  const bool replaces = ::lstat(target_.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode);
  if (replaces && ::geteuid() == 0) {
    // Root replacing someone's file leaves it theirs. Failing to is no reason to stop.
    [[maybe_unused]] int ignored = ::fchown(fd_, existing.st_uid, existing.st_gid);
  }
  // After the owner, whose change may clear the set-user-ID and set-group-ID bits.
  ::fchmod(fd_, NewFileMode(replaces ? &existing : nullptr));
  out_ = std::make_unique<TextOutput>(fd_, false);
  // The data goes to disk while the conversion runs; the fsync of Commit only waits for the
  // last of it.
  out_->StartWriteBack();
}

OutputFile::~OutputFile() {
  out_.reset();
  // A file without a name disappears with its descriptor.
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
  if (temporary_.empty()) {
    CommitAnonymous(mode);
  } else {
    CommitNamed(mode);
  }
  committed_ = true;
  ReleaseCleanup();
}

void OutputFile::CommitAnonymous(CommitMode mode) {
  // The file is linked through its descriptor, which stays open until it has its name; fsync
  // has put every byte on the disk, so its close has nothing left to fail on.
  const std::string from = ProcPath(fd_);
  if (from.empty()) Fail(ENOENT, target_);
  if (mode == CommitMode::kKeepExisting) {
    // Straight to the target's name, which a file there keeps.
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) throw OutputExistsError(target_);
      Fail(errno, target_);
    }
  } else {
    // Linking cannot replace a file: a fresh name first, renamed over the target at once.
    // Only SIGKILL, between the two calls, could leave that name behind.
    SignalsHeld held;
    std::filesystem::path linked;
    if (LinkUnderFreshName(from, directory_, linked) != 0) Fail(errno, target_);
    if (::rename(linked.c_str(), target_.c_str()) != 0) {
      const int error = errno;
      ::unlink(linked.c_str());
      Fail(error, target_);
    }
  }
  ::close(fd_);
  fd_ = -1;
}

void OutputFile::CommitNamed(CommitMode mode) {
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail(errno, target_);
  SignalsHeld held;
  if (mode == CommitMode::kReplace) {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno, target_);
  } else if (RenameWithoutReplacing(temporary_.c_str(), target_.c_str()) != 0) {
    if (errno == EEXIST) throw OutputExistsError(target_);
    Fail(errno, target_);
  }
}

void RemoveTemporaryFilesOnSignals() {
  for (int signal_number : kEndingSignals) {
    struct sigaction current = {};
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if (current.sa_handler == SIG_IGN) continue;
    struct sigaction cleanup = {};
    cleanup.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&cleanup.sa_mask);
    ::sigaction(signal_number, &cleanup, nullptr);
  }
}

void UseNamedTemporaryFiles(bool named) {
  g_named_only.store(named);
}

}  // namespace dxfdin
