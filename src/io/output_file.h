// A new file written beside its target and put in the target's place only when complete, so
// a failure never leaves a half-written file or destroys the one that was there.
#pragma once

#include <filesystem>
#include <memory>
#include <system_error>

#include "io/text_output.h"

namespace dxfdin {

// The target came into being while its replacement was written, and was not to be replaced.
class OutputExistsError : public std::system_error {
 public:
  explicit OutputExistsError(const std::filesystem::path& target)
      : std::system_error(std::make_error_code(std::errc::file_exists), target.string()) {}
};

class OutputFile {
 public:
  enum class CommitMode { kReplace, kKeepExisting };

  // Creates the new file in the target's directory: a file without a name, which nothing can
  // leave behind, or where the file system has no such files, a hidden named one. Throws
  // std::system_error naming the target when neither is possible. A file that is replaced
  // passes its mode (and, for root, its owner) on to the new one; a symbolic link in the
  // target's place passes nothing on: it is replaced by a file of the default mode.
  explicit OutputFile(std::filesystem::path target);
  // Removes the new file unless Commit succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  TextOutput& Out() { return *out_; }

  // Writes everything out and puts the file in the target's place; throws std::system_error
  // naming the target when anything failed (the target is then untouched), and
  // OutputExistsError when the target exists and `mode` keeps it.
  void Commit(CommitMode mode = CommitMode::kReplace);

  const std::filesystem::path& Target() const { return target_; }

 private:
  void CommitAnonymous(CommitMode mode);
  void CommitNamed(CommitMode mode);
  void ReleaseCleanup();

  std::filesystem::path target_;
  std::filesystem::path directory_;
  std::filesystem::path temporary_;  // the named file's path; empty for a file without a name
  int fd_ = -1;
  std::unique_ptr<TextOutput> out_;
  int cleanup_slot_ = -1;
  bool committed_ = false;
};

// From now on every signal whose default action ends the process (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1 ...) first removes the named temporary files being
// written, then ends the process as the signal would have. A signal the process ignores stays
// ignored.
void RemoveTemporaryFilesOnSignals();

// Tests: new files are named temporary files from now on (`named`), as on a file system
// without files that have no name.
void UseNamedTemporaryFiles(bool named);

}  // namespace dxfdin
