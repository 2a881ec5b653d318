#include "text/byte_string.h"

#include "text/byte_class.h"

namespace dxfdin {

void InsertText(std::string& s, std::size_t position, std::string_view text) {
  s.insert(position < s.size() ? position : s.size(), text);
}

void RemoveText(std::string& s, std::string_view pattern, bool all) {
  if (pattern.empty()) return;
  for (std::size_t at = s.find(pattern); at != std::string::npos; at = s.find(pattern)) {
    s.erase(at, pattern.size());
    if (!all) return;
  }
}

std::string ExtractRun(std::string_view s, std::string_view open, std::string_view close, int n) {
  std::size_t from = 0;
  for (int i = 1; i < n; ++i) {
    std::size_t at = s.find(close, from);
    if (at == std::string_view::npos) return {};
    from = at + 1;
  }
  std::size_t start = s.find(open, from);
  if (start == std::string_view::npos) return {};
  std::size_t end = s.find(close, start + open.size());
  end = end == std::string_view::npos ? s.size() : end + close.size();
  return std::string(s.substr(start, end - start));
}

int ReplaceText(std::string& s, std::string_view pattern, std::string_view replacement, int count) {
  if (count < 0 || count > kMaxReplacements) count = kMaxReplacements;
  if (pattern.empty()) return 0;
  int replaced = 0;
  std::size_t at = 0;
  while (replaced < count && at + pattern.size() <= s.size()) {
    if (s.compare(at, pattern.size(), pattern) == 0) {
      s.replace(at, pattern.size(), replacement);
      at += replacement.size();
      ++replaced;
    } else {
      at += IsLeadByte(static_cast<unsigned char>(s[at])) ? 2 : 1;
    }
  }
  return replaced;
}

namespace {

bool IsSpaceAt(const std::string& s, std::size_t i) {
  return IsTrimSpace(static_cast<unsigned char>(s[i]));
}

void TrimLeading(std::string& s) {
  std::size_t first = 0;
  while (first < s.size() && IsSpaceAt(s, first)) ++first;
  s.erase(0, first);
}

void TrimTrailing(std::string& s) {
  std::size_t end = s.size();
  while (end > 0 && IsSpaceAt(s, end - 1)) --end;
  s.erase(end);
}

void CollapseSpaceOutsideQuotes(std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == '"') {
      std::size_t close = s.find('"', i + 1);
      std::size_t end = close == std::string::npos ? s.size() : close + 1;
      out.append(s, i, end - i);
      i = end;
    } else if (IsSpaceAt(s, i)) {
      out.push_back(s[i]);
      while (i < s.size() && IsSpaceAt(s, i)) ++i;
    } else {
      out.push_back(s[i++]);
    }
  }
  s = std::move(out);
}

}  // namespace

void TrimText(std::string& s, int mode) {
  switch (mode) {
    case 0:
      std::erase_if(s, [](char c) { return IsTrimSpace(static_cast<unsigned char>(c)); });
      break;
    case 1:
      CollapseSpaceOutsideQuotes(s);
      break;
    case 2:
      TrimLeading(s);
      break;
    case 3:
      TrimTrailing(s);
      break;
    case 4:
      TrimTrailing(s);
      TrimLeading(s);
      break;
    case 5:
      if (!s.empty() && s.back() == '\n') s.pop_back();
      break;
    default:
      break;
  }
}

void MaskHalfWidthKana(std::string& s) {
  for (char& c : s) {
    if (IsHalfWidthKana(static_cast<unsigned char>(c))) c = 'x';
  }
}

void CutAtCharacter(std::string& s, std::size_t keep) {
  if (s.size() <= keep) return;
  std::size_t end = 0;
  while (end < s.size()) {
    const std::size_t width = IsLeadByte(static_cast<unsigned char>(s[end])) ? 2 : 1;
    if (end + width > keep) break;
    end += width;
  }
  s.resize(end);
}

namespace {

// The byte of a name's key at `i`, where `trail` says whether it is a trail byte.
char KeyByte(char c, bool trail) {
  return !trail && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string NameKey(std::string_view name) {
  std::string key(name);
  bool trail = false;
  for (char& c : key) {
    c = KeyByte(c, trail);
    trail = !trail && IsLeadByte(static_cast<unsigned char>(c));
  }
  return key;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;
  bool trail = false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (KeyByte(a[i], trail) != KeyByte(b[i], trail)) return false;
    trail = !trail && IsLeadByte(static_cast<unsigned char>(a[i]));
  }
  return true;
}

}  // namespace dxfdin
