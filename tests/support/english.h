// A report's counts and reasons as the command line writes them, for tests that check the
// words the user reads.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "text/message.h"

namespace dxfdin {

inline std::map<std::string, std::int64_t> English(const MessageCounts& counts) {
  std::map<std::string, std::int64_t> english;
  for (const auto& [what, count] : counts) {
    english[MessageText(what, Language::kEnglish)] += count;
  }
  return english;
}

inline std::string English(const std::vector<Message>& parts) {
  std::string english;
  for (const Message& part : parts) english += MessageText(part, Language::kEnglish);
  return english;
}

}  // namespace dxfdin
