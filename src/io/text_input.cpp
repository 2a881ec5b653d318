#include "io/text_input.h"

#include <fcntl.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>
#include <type_traits>

#include "io/powers_of_ten.h"

namespace dxfdin {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
// Longest real-number token kept for conversion; longer digit strings are still consumed.
constexpr std::size_t kMaxNumberToken = 512;

bool IsDigit(int c) {
  return c >= '0' && c <= '9';
}

// The C library's conversion of a decimal token, independent of the process locale (the
// window sets the user's locale, whose decimal point may be a comma). from_chars rounds
// directly to the target type, as scanf does; values beyond its range go to strtod/strtof,
// which give infinity or the underflowed value as scanf would.
template <typename Real>
Real ConvertReal(const char* first, const char* last) {
  const char* digits = *first == '+' ? first + 1 : first;
  Real value{};
  auto [end, error] = std::from_chars(digits, last, value);
  (void)end;
  if (error == std::errc()) return value;
  static locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  std::string token(first, last);
  if constexpr (std::is_same_v<Real, float>) {
    return strtof_l(token.c_str(), nullptr, c_locale);
  } else {
    return strtod_l(token.c_str(), nullptr, c_locale);
  }
}

// The decimal real number at `start` (sign, digits with an optional point, optional
// exponent): stores its value and returns its end, or returns nullptr when the characters
// there do not form one. `last` must not cut the number: the caller makes sure a character
// that is not part of it follows within range.
// Numbers of up to 19 digits without an exponent whose digits as an integer m are exact in
// Real convert as m / 10^k in Real: both exact, one correctly rounded division gives the
// nearest value, which is what the C library gives. Most numbers in a drawing are such.
template <typename Real>
const char* ParseReal(const char* start, const char* last, Real& value) {
  constexpr bool kFloat = std::is_same_v<Real, float>;
  constexpr std::uint64_t kMaxExact = kFloat ? (1u << 24) : (std::uint64_t{1} << 53);
  constexpr std::ptrdiff_t kMaxPower = kFloat ? 10 : 22;
  const char* p = start;
  bool negative = false;
  if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint64_t digits = 0;
  const char* integer = p;
  for (; p < last && IsDigit(*p); ++p) digits = digits * 10 + (*p - '0');
  std::ptrdiff_t count = p - integer;
  std::ptrdiff_t decimals = 0;
  if (p < last && *p == '.') {
    const char* fraction = ++p;
    for (; p < last && IsDigit(*p); ++p) digits = digits * 10 + (*p - '0');
    decimals = p - fraction;
    count += decimals;
  }
  if (count == 0) return nullptr;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p < last && (*p == '+' || *p == '-')) ++p;
    if (!(p < last && IsDigit(*p))) return nullptr;
    while (p < last && IsDigit(*p)) ++p;
  } else if (count <= 19 && digits <= kMaxExact && decimals <= kMaxPower) {
    Real magnitude = static_cast<Real>(digits) / static_cast<Real>(kPowersOfTen[decimals]);
    value = negative ? -magnitude : magnitude;
    return p;
  }
  value = ConvertReal<Real>(start, p);
  return p;
}

}  // namespace

std::unique_ptr<TextInput> TextInput::OpenFile(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw std::system_error(errno, std::generic_category(), path.string());
  }
  return std::unique_ptr<TextInput>(new TextInput(fd, {}, {}));
}

std::unique_ptr<TextInput> TextInput::FromDescriptor(int fd) {
  return std::unique_ptr<TextInput>(new TextInput(fd, {}, {}));
}

std::unique_ptr<TextInput> TextInput::FromString(std::string bytes) {
  return std::unique_ptr<TextInput>(new TextInput(-1, std::move(bytes), {}));
}

std::unique_ptr<TextInput> TextInput::FromView(std::string_view bytes) {
  return std::unique_ptr<TextInput>(new TextInput(-1, {}, bytes));
}

TextInput::TextInput(int fd, std::string bytes, std::string_view view)
    : fd_(fd), owned_(std::move(bytes)), source_(view.data() ? view : owned_) {
  // Text in memory needs buffers no larger than itself (a block drawn many times).
  chunk_ = fd_ >= 0 ? kChunk : std::max<std::size_t>(1, std::min(kChunk, source_.size()));
  raw_.reset(new char[chunk_]);
  buffer_.reset(new char[chunk_ + 1]);
}

TextInput::~TextInput() {
  if (fd_ >= 0) ::close(fd_);
}

bool TextInput::Fill() {
  begin_ = end_ = 0;
  while (end_ == 0 && !eof_) {
    std::size_t got = 0;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunk_, fail_after_ - offset_));
    if (want == 0) {
      error_ = std::make_error_code(std::errc::io_error);
    } else if (fd_ >= 0) {
      ssize_t n;
      do {
        n = ::read(fd_, raw_.get(), want);
      } while (n < 0 && errno == EINTR);
      if (n < 0) error_ = std::error_code(errno, std::generic_category());
      got = n > 0 ? static_cast<std::size_t>(n) : 0;
    } else {
      got = std::min(want, source_.size() - source_pos_);
      std::memcpy(raw_.get(), source_.data() + source_pos_, got);
      source_pos_ += got;
    }
    offset_ += got;
    if (got == 0) {
      eof_ = true;
      if (carry_cr_) buffer_[end_++] = lone_cr_;
      carry_cr_ = false;
      break;
    }
    const char* raw = raw_.get();
    char* out = buffer_.get();
    std::size_t i = 0;
    if (carry_cr_) {
      carry_cr_ = false;
      if (raw[0] == '\n') {
        out[end_++] = '\n';
        i = 1;
      } else {
        out[end_++] = lone_cr_;
      }
    }
    std::size_t j = end_;
#ifdef __SSE2__
    // Sixteen bytes at a time up to the next CR: each block is stored whole (the output
    // never runs ahead of the input, and has room for the block), then the write position
    // moves on to the CR, which is dropped when an LF follows it (the next block's LF takes
    // its place) and otherwise stays, as itself or as a line end. A file without CR never
    // gets there.
    const __m128i cr_bytes = _mm_set1_epi8('\r');
    while (i + 16 <= got) {
      __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), block);
      auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr_bytes)));
      if (mask == 0) {
        i += 16;
        j += 16;
        continue;
      }
      unsigned before = static_cast<unsigned>(__builtin_ctz(mask));
      i += before;
      j += before;
      if (i + 1 == got) break;  // a CR ending the read: left to the loop below
      out[j] = lone_cr_;
      j += raw[i + 1] != '\n';  // the CR stays unless an LF follows
      ++i;
    }
#endif
    // CR LF becomes LF: every byte is copied, and the write position moves on past it
    // unless it is a CR that an LF follows.
    for (; i + 1 < got; ++i) {
      char c = raw[i];
      out[j] = c == '\r' ? lone_cr_ : c;
      j += !(c == '\r' && raw[i + 1] == '\n');
    }
    end_ = j;
    if (i < got) {
      if (raw[i] == '\r') {
        carry_cr_ = true;  // decided by the next read
      } else {
        out[end_++] = raw[i];
      }
    }
  }
  return end_ > 0;
}

template <typename Real>
ScanResult TextInput::ScanReal(Real& value) {
  SkipSpace();
  if (Peek() < 0) return ScanResult::kEnd;
  // Fast path: the number and the character after it stand in the buffer already.
  const char* start = buffer_.get() + begin_;
  const char* window = start + std::min<std::size_t>(end_ - begin_, kMaxNumberToken);
  if (window < buffer_.get() + end_) {
    Real parsed{};
    const char* stop = ParseReal(start, window, parsed);
    if (stop && stop < window) {
      value = parsed;
      begin_ += static_cast<std::size_t>(stop - start);
      return ScanResult::kOk;
    }
  }
  std::string token;
  if (!TakeRealToken(token)) return ScanResult::kMismatch;
  value = ConvertReal<Real>(token.data(), token.data() + token.size());
  return ScanResult::kOk;
}

// Both take the piece a chunk of the buffer at a time: up to the LF or the piece's size.
template <typename Take>
void TextInput::TakePiece(std::size_t max_bytes, Take take) {
  while (max_bytes > 0) {
    if (begin_ == end_ && !Fill()) return;
    std::size_t want = std::min(end_ - begin_, max_bytes);
    const char* start = buffer_.get() + begin_;
    const void* lf = std::memchr(start, '\n', want);
    std::size_t size =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1 : want;
    take(start, size);
    begin_ += size;
    max_bytes -= size;
    if (lf) return;
  }
}

bool TextInput::ReadPiece(std::string& piece, std::size_t max_bytes) {
  piece.clear();
  TakePiece(max_bytes, [&](const char* data, std::size_t size) { piece.append(data, size); });
  return !piece.empty();
}

void TextInput::SkipPiece(std::size_t max_bytes) {
  TakePiece(max_bytes, [](const char*, std::size_t) {});
}

bool TextInput::ReadLine(std::string& line, std::size_t keep) {
  line.clear();
  bool any = false;
  for (;;) {
    if (begin_ == end_ && !Fill()) break;
    any = true;
    const char* start = buffer_.get() + begin_;
    std::size_t avail = end_ - begin_;
    const void* lf = std::memchr(start, '\n', avail);
    std::size_t take =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1 : avail;
    if (line.size() < keep) line.append(start, std::min(take, keep - line.size()));
    begin_ += take;
    if (lf) break;
  }
  return any;
}

void TextInput::SkipSpaceInNextBuffers() {
  for (;;) {
    if (begin_ == end_ && !Fill()) return;
    const char* p = buffer_.get() + begin_;
    const char* end = buffer_.get() + end_;
    while (p < end && IsSpaceByte(*p)) ++p;
    begin_ = static_cast<std::size_t>(p - buffer_.get());
    if (p < end) return;
  }
}

ScanResult TextInput::ScanInt(std::int32_t& value) {
  SkipSpace();
  int c = Peek();
  if (c < 0) return ScanResult::kEnd;
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    Get();
    c = Peek();
  }
  if (!IsDigit(c)) return ScanResult::kMismatch;
  std::int64_t magnitude = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  // The digits in the buffer, then in the next ones while they run on to a buffer's end.
  do {
    const char* p = buffer_.get() + begin_;
    const char* end = buffer_.get() + end_;
    for (; p < end && IsDigit(*p); ++p) {
      if (magnitude <= kLimit) magnitude = magnitude * 10 + (*p - '0');
    }
    begin_ = static_cast<std::size_t>(p - buffer_.get());
  } while (begin_ == end_ && Fill());
  if (negative) magnitude = -magnitude;
  if (magnitude > std::numeric_limits<std::int32_t>::max())
    magnitude = std::numeric_limits<std::int32_t>::max();
  if (magnitude < std::numeric_limits<std::int32_t>::min())
    magnitude = std::numeric_limits<std::int32_t>::min();
  value = static_cast<std::int32_t>(magnitude);
  return ScanResult::kOk;
}

bool TextInput::TakeRealToken(std::string& token) {
  token.clear();
  auto take = [&] {
    int c = Get();
    if (token.size() < kMaxNumberToken) token.push_back(static_cast<char>(c));
  };
  int c = Peek();
  if (c == '+' || c == '-') {
    take();
    c = Peek();
  }
  bool digits = false;
  while (IsDigit(Peek())) {
    take();
    digits = true;
  }
  if (Peek() == '.') {
    take();
    while (IsDigit(Peek())) {
      take();
      digits = true;
    }
  }
  if (!digits) return false;
  c = Peek();
  if (c == 'e' || c == 'E') {
    take();
    c = Peek();
    if (c == '+' || c == '-') take();
    bool exponent_digits = false;
    while (IsDigit(Peek())) {
      take();
      exponent_digits = true;
    }
    if (!exponent_digits) return false;
  }
  return true;
}

ScanResult TextInput::ScanDouble(double& value) {
  return ScanReal(value);
}

ScanResult TextInput::ScanFloat(float& value) {
  return ScanReal(value);
}

ScanResult TextInput::ScanWord(std::string& word, std::size_t keep) {
  SkipSpace();
  if (Peek() < 0) return ScanResult::kEnd;
  word.clear();
  for (int c = Peek(); c >= 0 && !IsSpaceByte(static_cast<char>(c)); c = Peek()) {
    if (word.size() < keep) word.push_back(static_cast<char>(c));
    ++begin_;
  }
  return ScanResult::kOk;
}

void TextInput::Rewind() {
  if (fd_ >= 0 && ::lseek(fd_, 0, SEEK_SET) < 0 && !error_) {
    error_ = std::error_code(errno, std::generic_category());
  }
  source_pos_ = 0;
  offset_ = 0;
  begin_ = end_ = 0;
  carry_cr_ = false;
  eof_ = static_cast<bool>(error_);  // nothing more is read after an error
}

void TextInput::ReadLoneCrAsLineEnd() {
  lone_cr_ = '\n';
  // Every CR still in the buffer is a lone one: those an LF followed were dropped, and a CR
  // that ended a read waits for the next.
  std::replace(buffer_.get() + begin_, buffer_.get() + end_, '\r', '\n');
}

bool TextInput::SkipByteOrderMark() {
  // Only before anything is read: the first buffer then begins with the mark.
  if (Peek() != 0xEF || begin_ != 0 || end_ < 3) return false;
  if (buffer_[1] != '\xBB' || buffer_[2] != '\xBF') return false;
  begin_ = 3;
  return true;
}

}  // namespace dxfdin
