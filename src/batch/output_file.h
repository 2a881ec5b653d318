// A new file written beside its target and put in the target's place only when complete, so
// a failure never leaves a half-written file or destroys the one that was there.
#pragma once

#include <filesystem>
#include <memory>

#include "batch/text_output.h"

namespace dxfdin {

class OutputFile {
 public:
  // Creates the temporary file in the target's directory; throws std::system_error naming
  // the target when that is not possible.
  explicit OutputFile(std::filesystem::path target);
  // Removes the temporary file unless Commit succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  TextOutput& Out() { return *out_; }

  // Writes everything out and renames the temporary file over the target; throws
  // std::system_error naming the target when anything failed (the target is then untouched).
  void Commit();

  const std::filesystem::path& Target() const { return target_; }

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  std::unique_ptr<TextOutput> out_;
  bool committed_ = false;
};

}  // namespace dxfdin
