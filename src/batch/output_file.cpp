#include "batch/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace dxfdin {

namespace {

[[noreturn]] void Fail(int error, const std::filesystem::path& target) {
  throw std::system_error(error, std::generic_category(), target.string());
}

mode_t NewFileMode(const std::filesystem::path& target) {
  struct stat existing;
  if (::stat(target.c_str(), &existing) == 0) return existing.st_mode & 07777;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {
  std::filesystem::path dir = target_.parent_path();
  if (dir.empty()) dir = ".";
  std::string pattern = (dir / ("." + target_.filename().string() + ".XXXXXX")).string();
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) Fail(errno, target_);
  temporary_ = pattern;
  ::fchmod(fd_, NewFileMode(target_));
  out_ = std::make_unique<TextOutput>(fd_, false);
}

OutputFile::~OutputFile() {
  out_.reset();
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void OutputFile::Commit() {
  if (!out_->Flush()) Fail(out_->Error().value(), target_);
  if (::fsync(fd_) != 0) Fail(errno, target_);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail(errno, target_);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno, target_);
  committed_ = true;
}

}  // namespace dxfdin
