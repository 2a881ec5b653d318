// Writing a text file as a C text-mode stream on the drawings' home platform does: every LF
// goes out as CR LF. Buffered; the first failure (a full disk, say) is kept for the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace dxfdin {

class TextInput;

class TextOutput {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  // Writes to `fd`, which the output closes when `owns_fd` is set.
  TextOutput(int fd, bool owns_fd);
  // Collects the bytes in memory (tests, fuzzing).
  TextOutput();
  // An anonymous temporary file that disappears when the output is destroyed.
  static std::unique_ptr<TextOutput> TemporaryFile();

  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  // Text: LF becomes CR LF.
  void Write(std::string_view text) {
    // Short texts (most are a line or two) byte by byte, straight into the buffer.
    if (!in_memory_ && text.size() <= kShortText && used_ + 2 * kShortText <= kBufferSize) {
      char* out = buffer_.get() + used_;
      for (char c : text) {
        if (c == '\n') *out++ = '\r';
        *out++ = c;
      }
      used_ = static_cast<std::size_t>(out - buffer_.get());
      return;
    }
    WriteLines(text);
  }
  // printf into the text, with the C locale's decimal point whatever the process locale.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Bytes exactly as given.
  void WriteRaw(std::string_view bytes);
  // Numbers as printf's "%<width>.<precision>G", "%<width>.<precision>f" and "%<width>d"
  // write them, without printf's cost. A real that is not finite is written as 0 and noted
  // (TakeNonFinite), so that the writer can take back what it belongs to.
  void WriteG(double value, int width, int precision);
  void WriteFixed(double value, int width, int precision);
  void WriteInt(std::int64_t value, int width = 0);

  // Notes a number that is not finite, written some other way (NoteNonFinite), and whether
  // one was noted since the last call (TakeNonFinite).
  void NoteNonFinite() { non_finite_ = true; }
  bool TakeNonFinite() { return std::exchange(non_finite_, false); }
  // Takes back everything written after the first `size` bytes (a file that was written out
  // is cut back); a failure is kept as any other.
  void TruncateTo(std::uint64_t size);

  // Appends everything written to this temporary file so far to `target`, byte for byte.
  // Throws std::system_error naming this file when it failed to keep or give back its bytes.
  void CopyContentTo(TextOutput& target);

  // A reader of everything written so far, from the first byte, for an output that is not
  // written to any more and outlives the reader (a temporary file read back). Throws
  // std::system_error naming this file when it cannot give its bytes back.
  std::unique_ptr<TextInput> ReadBack();

  // Bytes written so far (CR LF counting two), out or still in the buffer.
  std::uint64_t Size() const { return in_memory_ ? memory_.size() : written_ + used_; }
  // Writes out the buffer; false once anything has failed.
  bool Flush();
  // From now on the disk starts taking what was written every few megabytes, in the
  // background, so that a final fsync has little left to wait for.
  void StartWriteBack() { write_back_ = true; }
  bool Failed() const { return error_.value() != 0; }
  std::error_code Error() const { return error_; }

  // The bytes written, for an output that collects in memory.
  const std::string& Bytes() const { return memory_; }

 private:
  void Put(const char* data, std::size_t size) {
    if (!in_memory_ && used_ + size <= kBufferSize) {
      std::memcpy(buffer_.get() + used_, data, size);
      used_ += size;
    } else {
      PutSlow(data, size);
    }
  }
  void PutSlow(const char* data, std::size_t size);
  // write() of all of it, counted; the first failure is kept.
  void WriteOut(const char* data, std::size_t size);
  static constexpr std::uint64_t kWriteBackStep = 8u << 20;
  void WriteLines(std::string_view text);
  static constexpr std::size_t kShortText = 64;

  int fd_ = -1;
  bool owns_fd_ = false;
  bool in_memory_ = false;
  std::string memory_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::error_code error_;
  std::uint64_t written_ = 0;  // bytes written to the file descriptor
  bool write_back_ = false;
  bool non_finite_ = false;
  std::uint64_t write_back_start_ = 0;   // written_ when write-back was last started
  std::string number_;                   // scratch for one formatted number
  std::string name_ = "temporary file";  // what a failure of a temporary file names
};

}  // namespace dxfdin
