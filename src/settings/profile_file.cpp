#include "settings/profile_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "io/output_file.h"
#include "io/text_output.h"
#include "text/number_text.h"

namespace dxfdin {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The name of a section line "[name]", or nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = TrimBlanks(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(line.substr(1, close - 1));
}

// The key of a value line "key=value", or nothing for other lines.
std::optional<std::string_view> KeyName(std::string_view line) {
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return TrimBlanks(line.substr(0, equals));
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  try {
    return StrToInt(TrimBlanks(text));
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

}  // namespace

// Where a section's lines are, and where its key is, if it has it.
struct ProfileFile::Location {
  std::size_t section_end = 0;     // the line after the section's last line
  std::optional<std::size_t> key;  // the key's line
  bool section_found = false;
};

ProfileFile::Location ProfileFile::Find(std::string_view section, std::string_view key) const {
  Location location;
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (auto name = SectionName(lines_[i])) {
      // The first section of the name counts; later ones of the same name are ignored.
      if (inside) return location;
      inside = !location.section_found && SameName(*name, section);
      if (inside) {
        location.section_found = true;
        location.section_end = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    if (!TrimBlanks(lines_[i]).empty()) location.section_end = i + 1;
    if (auto name = KeyName(lines_[i]); name && !location.key && SameName(*name, key)) {
      location.key = i;
    }
  }
  return location;
}

bool ProfileFile::HasSection(std::string_view section) const {
  return std::any_of(lines_.begin(), lines_.end(), [section](const std::string& line) {
    const auto name = SectionName(line);
    return name && SameName(*name, section);
  });
}

bool ProfileFile::Blank() const {
  return std::all_of(lines_.begin(), lines_.end(),
                     [](const std::string& line) { return TrimBlanks(line).empty(); });
}

std::optional<Message> ProfileFileProblem(const struct stat& status) {
  if (S_ISDIR(status.st_mode)) return MakeMessage(MessageId::kIsDirectory);
  if (!S_ISREG(status.st_mode)) return MakeMessage(MessageId::kNotRegularFile);
  if (status.st_size > kMaxProfileBytes) return MakeMessage(MessageId::kLargerThanMiB);
  return std::nullopt;
}

namespace {

// Closes the descriptor it holds.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void CannotRead(const std::filesystem::path& path, Message why) {
  throw MessageError(Message{MessageId::kCannotReadSettings, {path.string()}, {std::move(why)}});
}

[[noreturn]] void CannotRead(const std::filesystem::path& path, int error) {
  CannotRead(path, MakeMessage(MessageId::kSystemError, {std::to_string(error)}));
}

bool Missing(int error) {
  return error == ENOENT || error == ENOTDIR;
}

}  // namespace

ProfileFile ProfileFile::Load(const std::filesystem::path& path) {
  ProfileFile profile;
  // Looked at before it is opened, so that no device is opened; then again through the open
  // file, which is the one read whatever took the name meanwhile. Opened without waiting: a
  // FIFO would wait for a writer.
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    if (Missing(errno)) return profile;
    CannotRead(path, errno);
  }
  if (auto problem = ProfileFileProblem(status)) CannotRead(path, *problem);
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Get() < 0) {
    if (Missing(errno)) return profile;
    CannotRead(path, errno);
  }
  if (::fstat(file.Get(), &status) != 0) CannotRead(path, errno);
  if (auto problem = ProfileFileProblem(status)) CannotRead(path, *problem);

  // A file that grows while it is read stops at the limit all the same.
  std::string bytes;
  char chunk[16384];
  for (;;) {
    const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) CannotRead(path, errno);
    if (got == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
    if (static_cast<std::int64_t>(bytes.size()) > kMaxProfileBytes)
      CannotRead(path, MakeMessage(MessageId::kLargerThanMiB));
  }
  // Lines end in LF or CR LF; a last line without a line end counts.
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = std::min(bytes.find('\n', start), bytes.size());
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    profile.lines_.push_back(std::move(line));
    start = end + 1;
  }
  return profile;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
  Location location = Find(section, key);
  if (!location.key) return std::string(fallback);
  const std::string& line = lines_[*location.key];
  return std::string(TrimBlanks(std::string_view(line).substr(line.find('=') + 1)));
}

std::int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t fallback) const {
  Location location = Find(section, key);
  if (!location.key) return fallback;
  const std::string& line = lines_[*location.key];
  return ParseInteger(std::string_view(line).substr(line.find('=') + 1)).value_or(fallback);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  // A value is one line: a line end in it would start a line of its own.
  std::string text = std::string(key) + "=" + std::string(value);
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  Location location = Find(section, key);
  if (location.key) {
    lines_[*location.key] = std::move(text);
  } else if (location.section_found) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(location.section_end),
                  std::move(text));
  } else {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(text));
  }
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void ProfileFile::Save(const std::filesystem::path& path) const {
  if (path.empty()) throw MessageError(MakeMessage(MessageId::kNoHomeDirectory));
  OutputFile output(path);
  for (const std::string& line : lines_) {
    output.Out().Write(line);
    output.Out().Write("\n");
  }
  output.Commit();
}

}  // namespace dxfdin
