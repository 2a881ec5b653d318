// A profile file: section lines "[name]" followed by "key=value" lines, as the settings file
// "kelvor.ini" is stored. Section and key names compare without regard to ASCII case; values
// are bytes (Shift-JIS), kept untouched.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/message.h"

namespace dxfdin {

// The largest profile read: a settings file holds a few dozen short lines.
inline constexpr std::int64_t kMaxProfileBytes = 1 << 20;

// Why a file of this status is no profile to read, or nothing: "is a directory", "is not a
// regular file" (a FIFO that would wait for a writer, a device without end), "is larger than
// 1 MiB".
std::optional<Message> ProfileFileProblem(const struct stat& status);

class ProfileFile {
 public:
  // The profile stored at `path`; a file that does not exist is an empty profile. Throws
  // std::runtime_error "cannot read <path>: <why>" when the file exists but cannot be read or
  // is no profile (ProfileFileProblem); never waits for a FIFO nor reads a device.
  static ProfileFile Load(const std::filesystem::path& path);

  // A missing key gives `fallback`; a key present with an empty value gives "".
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // A missing key, or a value that is not a decimal integer, gives `fallback`.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t fallback) const;
  // True when the value is an integer other than 0; otherwise as ReadInteger.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Whether a section of this name is there (names compare without regard to case).
  bool HasSection(std::string_view section) const;
  // Whether the file holds nothing but blanks.
  bool Blank() const;

  // Replaces the value in place; a new key goes at the end of its section, a new section at
  // the end of the file.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"

  // Writes the whole profile to `path` through a new file beside it renamed over the old one,
  // so a failure never leaves a truncated file. Throws std::system_error naming the path.
  void Save(const std::filesystem::path& path) const;

 private:
  struct Location;
  Location Find(std::string_view section, std::string_view key) const;

  std::vector<std::string> lines_;  // the file's lines, without line ends
};

}  // namespace dxfdin
