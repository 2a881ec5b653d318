// Sequential reading of a text file as a C text-mode stream reads it: CR LF arrives as LF
// (a lone CR stays a CR unless asked otherwise), lines and pieces of lines as fgets gives
// them, and numbers and words with the white-space skipping of scanf. Memory stays bounded
// whatever the input. A read error ends the input as its end does, and is kept: the reader
// of a whole file asks Error() afterwards, so that a file cut short by a failing disk is
// never taken as complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace dxfdin {

enum class ScanResult {
  kOk,        // a value was converted and stored
  kMismatch,  // the next characters do not form a value; nothing was stored
  kEnd,       // the input ended before a value began
};

class TextInput {
 public:
  // Opens `path` for reading; throws std::system_error naming the file when it cannot.
  static std::unique_ptr<TextInput> OpenFile(const std::filesystem::path& path);
  // Reads from the bytes given (tests, fuzzing).
  static std::unique_ptr<TextInput> FromString(std::string bytes);
  // Reads from bytes that outlive the input, without a copy (the blocks of a drawing).
  static std::unique_ptr<TextInput> FromView(std::string_view bytes);
  // Reads from an open file descriptor, from its offset on; the input closes it.
  static std::unique_ptr<TextInput> FromDescriptor(int fd);

  ~TextInput();
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;

  // Next character (0..255) or -1 at the end of the input.
  int Peek() {
    if (begin_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[begin_]);
  }
  int Get() {
    int c = Peek();
    if (c >= 0) ++begin_;
    return c;
  }
  bool AtEnd() { return Peek() < 0; }

  // fgets with a buffer of max_bytes + 1: reads up to and including the next LF, but at most
  // max_bytes characters; the rest of a longer line is left for the next read. False when the
  // input had ended, with `piece` empty.
  bool ReadPiece(std::string& piece, std::size_t max_bytes);
  // Passes over the piece ReadPiece would read, without keeping it.
  void SkipPiece(std::size_t max_bytes);

  // Reads a whole line up to and including its LF; keeps its first `keep` characters in
  // `line` and drops the rest. False when the input had ended, with `line` empty.
  bool ReadLine(std::string& line, std::size_t keep);

  // Skips characters that isspace() accepts (space, \t, \n, \v, \f, \r).
  void SkipSpace() {
    const char* buffer = buffer_.get();
    while (begin_ < end_ && IsSpaceByte(buffer[begin_])) ++begin_;
    if (begin_ == end_) SkipSpaceInNextBuffers();
  }

  // scanf conversions, each skipping white space first (they do not skip after the value:
  // call SkipSpace for a format ending in "\n"). Decimal forms only; an integer outside the
  // 32-bit range saturates. A mismatch leaves the characters that were taken consumed, as
  // scanf does, but stores nothing.
  ScanResult ScanInt(std::int32_t& value);
  ScanResult ScanDouble(double& value);
  ScanResult ScanFloat(float& value);
  // "%s": a word of non-space characters; keeps its first `keep` characters.
  ScanResult ScanWord(std::string& word, std::size_t keep);

  // Back to the first byte (the second pass over a DIN file). A read error stays.
  void Rewind();

  // From now on, what is still to be read included, a CR that no LF follows arrives as LF: a
  // DXF file's lines may end in CR alone (classic Mac OS) as well as in CR LF or LF. A DIN
  // file's lone CR stays a character, as the C stream gave it.
  void ReadLoneCrAsLineEnd();

  // Before anything is read: passes over a UTF-8 byte-order mark, and says whether there was
  // one.
  bool SkipByteOrderMark();

  // The first read error, or none.
  std::error_code Error() const { return error_; }
  // Bytes taken from the file or string since the start or the last rewind.
  std::uint64_t Offset() const { return offset_; }
  // Makes every read beyond the first `bytes` bytes fail as a failing disk does (tests).
  void FailReadsAfter(std::uint64_t bytes) { fail_after_ = bytes; }

 private:
  TextInput(int fd, std::string bytes, std::string_view view);
  bool Fill();
  void SkipSpaceInNextBuffers();
  // Consumes the next piece (as ReadPiece reads it), handing each buffered part to `take`.
  template <typename Take>
  void TakePiece(std::size_t max_bytes, Take take);
  static bool IsSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  }
  // Collects the characters of a decimal real number; false when they do not form one.
  bool TakeRealToken(std::string& token);
  template <typename Real>
  ScanResult ScanReal(Real& value);

  int fd_;                   // -1 when reading from memory
  std::string owned_;        // the bytes, when reading from a string of its own
  std::string_view source_;  // the bytes, when reading from memory
  std::size_t chunk_ = 0;    // bytes taken from the source at a time
  std::size_t source_pos_ = 0;
  std::unique_ptr<char[]> raw_;
  std::unique_ptr<char[]> buffer_;  // translated characters
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool carry_cr_ = false;  // a CR at the end of a raw read, waiting for the next byte
  char lone_cr_ = '\r';    // what a CR that no LF follows arrives as
  bool eof_ = false;
  std::error_code error_;
  std::uint64_t offset_ = 0;
  std::uint64_t fail_after_ = UINT64_MAX;
};

}  // namespace dxfdin
