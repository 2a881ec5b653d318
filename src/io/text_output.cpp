#include "io/text_output.h"

#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "io/number_format.h"
#include "io/text_input.h"

namespace dxfdin {

namespace {

// Formats in the "C" locale for the duration of one call.
class CLocaleScope {
 public:
  CLocaleScope() : previous_(uselocale(CLocale())) {}
  ~CLocaleScope() { uselocale(previous_); }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  static locale_t CLocale() {
    static locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return c_locale;
  }
  locale_t previous_;
};

}  // namespace

TextOutput::TextOutput(int fd, bool owns_fd)
    : fd_(fd), owns_fd_(owns_fd), buffer_(new char[kBufferSize]) {}

TextOutput::TextOutput() : in_memory_(true) {}

std::unique_ptr<TextOutput> TextOutput::TemporaryFile() {
  std::string dir = "/tmp";
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir) dir = tmpdir;
  int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    // File systems without O_TMPFILE: a named file, removed at once.
    std::string name = dir + "/dxfdin-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "temporary file in " + dir);
    ::unlink(name.c_str());
  }
  auto output = std::make_unique<TextOutput>(fd, true);
  output->name_ = "temporary file in " + dir;
  return output;
}

TextOutput::~TextOutput() {
  Flush();
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

void TextOutput::PutSlow(const char* data, std::size_t size) {
  if (in_memory_) {
    memory_.append(data, size);
    return;
  }
  if (used_ + size > kBufferSize) {
    Flush();
    if (size > kBufferSize) {
      // Large blocks go straight out.
      WriteOut(data, size);
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, data, size);
  used_ += size;
}

void TextOutput::WriteLines(std::string_view text) {
  while (!text.empty()) {
    const void* lf = std::memchr(text.data(), '\n', text.size());
    if (!lf) {
      Put(text.data(), text.size());
      return;
    }
    std::size_t line = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
    Put(text.data(), line);
    Put("\r\n", 2);
    text.remove_prefix(line + 1);
  }
}

void TextOutput::Format(const char* format, ...) {
  char small[512];
  va_list args;
  va_start(args, format);
  int length;
  {
    CLocaleScope c_locale;
    length = std::vsnprintf(small, sizeof small, format, args);
  }
  va_end(args);
  if (length < 0) return;
  if (static_cast<std::size_t>(length) < sizeof small) {
    Write(std::string_view(small, static_cast<std::size_t>(length)));
    return;
  }
  std::vector<char> large(static_cast<std::size_t>(length) + 1);
  va_start(args, format);
  {
    CLocaleScope c_locale;
    std::vsnprintf(large.data(), large.size(), format, args);
  }
  va_end(args);
  Write(std::string_view(large.data(), static_cast<std::size_t>(length)));
}

void TextOutput::WriteRaw(std::string_view bytes) {
  Put(bytes.data(), bytes.size());
}

void TextOutput::WriteG(double value, int width, int precision) {
  if (!std::isfinite(value)) [[unlikely]] {
    NoteNonFinite();
    value = 0;
  }
  // Straight into the buffer when it has room: numbers are most of what is written.
  if (!in_memory_ && width <= kMaxNumberText &&
      used_ + static_cast<std::size_t>(kMaxNumberText) <= kBufferSize) {
    used_ = static_cast<std::size_t>(FormatG(buffer_.get() + used_, value, width, precision) -
                                     buffer_.get());
    return;
  }
  number_.clear();
  AppendG(number_, value, width, precision);
  Put(number_.data(), number_.size());
}

void TextOutput::WriteFixed(double value, int width, int precision) {
  if (!std::isfinite(value)) [[unlikely]] {
    NoteNonFinite();
    value = 0;
  }
  number_.clear();
  AppendFixed(number_, value, width, precision);
  Put(number_.data(), number_.size());
}

void TextOutput::WriteInt(std::int64_t value, int width) {
  number_.clear();
  AppendInt(number_, value, width);
  Put(number_.data(), number_.size());
}

void TextOutput::TruncateTo(std::uint64_t size) {
  if (in_memory_) {
    if (size < memory_.size()) memory_.resize(size);
    return;
  }
  if (size >= written_) {
    used_ = std::min<std::size_t>(used_, size - written_);
    return;
  }
  used_ = 0;
  if (Failed()) return;
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
      ::lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) {
    error_ = std::error_code(errno, std::generic_category());
    return;
  }
  written_ = size;
  write_back_start_ = std::min(write_back_start_, written_);
}

void TextOutput::CopyContentTo(TextOutput& target) {
  if (in_memory_) {
    target.WriteRaw(memory_);
    return;
  }
  // A failure here is this file's (a full temporary directory), not the target's.
  auto fail = [this](std::error_code error) { throw std::system_error(error, name_); };
  if (!Flush()) fail(error_);
  if (::lseek(fd_, 0, SEEK_SET) < 0) fail(std::error_code(errno, std::generic_category()));
  std::unique_ptr<char[]> chunk(new char[kBufferSize]);
  for (;;) {
    ssize_t n = ::read(fd_, chunk.get(), kBufferSize);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(std::error_code(errno, std::generic_category()));
    if (n == 0) break;
    target.WriteRaw(std::string_view(chunk.get(), static_cast<std::size_t>(n)));
  }
  ::lseek(fd_, 0, SEEK_END);
}

std::unique_ptr<TextInput> TextOutput::ReadBack() {
  if (in_memory_) return TextInput::FromView(memory_);
  auto fail = [this](int error) { throw std::system_error(error, std::generic_category(), name_); };
  if (!Flush()) throw std::system_error(error_, name_);
  const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) fail(errno);
  if (::lseek(fd, 0, SEEK_SET) < 0) {
    const int error = errno;
    ::close(fd);
    fail(error);
  }
  return TextInput::FromDescriptor(fd);
}

bool TextOutput::Flush() {
  if (in_memory_) return true;
  const std::size_t size = used_;
  used_ = 0;
  WriteOut(buffer_.get(), size);
  return !Failed();
}

void TextOutput::WriteOut(const char* data, std::size_t size) {
  while (size > 0 && !Failed()) {
    ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::error_code(errno, std::generic_category());
      return;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    written_ += static_cast<std::uint64_t>(n);
  }
  if (write_back_ && written_ - write_back_start_ >= kWriteBackStep) {
    // Only a request: a file system that cannot take it leaves the work to the final sync.
    ::sync_file_range(fd_, static_cast<off64_t>(write_back_start_),
                      static_cast<off64_t>(written_ - write_back_start_), SYNC_FILE_RANGE_WRITE);
    write_back_start_ = written_;
  }
}

}  // namespace dxfdin
