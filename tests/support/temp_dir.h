// A fresh directory for one test, removed with everything in it afterwards, and small file
// helpers that read and write bytes exactly.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dxfdin::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dxfdin-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The files in `dir`, names only, sorted.
inline std::string ListDir(const std::filesystem::path& dir) {
  std::string names;
  std::vector<std::string> sorted;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    sorted.push_back(entry.path().filename().string());
  std::sort(sorted.begin(), sorted.end());
  for (const auto& name : sorted) names += (names.empty() ? "" : " ") + name;
  return names;
}

}  // namespace dxfdin::testing
