#include "text/message.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <set>
#include <system_error>
#include <vector>

namespace dxfdin {
namespace {

// The "{1}", "{e1}", "{m1}" fields of a format.
std::set<std::string> Placeholders(std::string_view format) {
  std::set<std::string> found;
  for (std::size_t open = format.find('{'); open != std::string_view::npos;
       open = format.find('{', open + 1)) {
    const std::size_t close = format.find('}', open);
    if (close != std::string_view::npos) {
      found.insert(std::string(format.substr(open, close - open + 1)));
    }
  }
  return found;
}

// The runs of two or more Latin letters outside the fields.
std::vector<std::string> LatinWords(std::string_view format) {
  std::vector<std::string> words;
  std::string word;
  bool in_field = false;
  for (char c : std::string(format) + ' ') {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (c == '{') in_field = true;
    if (letter && !in_field) {
      word += c;
      continue;
    }
    if (word.size() >= 2) words.push_back(word);
    word.clear();
    if (c == '}') in_field = false;
  }
  return words;
}

// Every message exists in both languages, speaks of the same arguments in each, and the
// Japanese one has no English in it: only the names of formats, units and kinds of entity.
TEST(Messages, EveryMessageHasBothTextsWithTheSameArgumentsAndTheJapaneseHasNoEnglish) {
  const std::set<std::string> kept{"DXF", "DIN",     "ASCII", "Shift",  "JIS",    "MiB",
                                   "GiB", "SECTION", "HATCH", "SPLINE", "LEADER", "MINSERT",
                                   "dxf", "din",     "PDF",   "mm"};
  for (int i = 0; i < static_cast<int>(MessageId::kCount); ++i) {
    const auto id = static_cast<MessageId>(i);
    const std::string_view english = MessageFormat(id, Language::kEnglish);
    const std::string japanese(MessageFormat(id, Language::kJapanese));
    SCOPED_TRACE(std::string(english));
    EXPECT_FALSE(english.empty());
    EXPECT_FALSE(japanese.empty());
    // Out of memory is said in Japanese words of its own, not with the library's English.
    if (id != MessageId::kOutOfMemory) {
      EXPECT_EQ(Placeholders(english), Placeholders(japanese));
    }
    for (const std::string& word : LatinWords(japanese)) {
      EXPECT_TRUE(kept.contains(word)) << japanese;
    }
  }
}

TEST(Messages, ArgumentsDetailsAndErrorNumbersAreToldInTheLanguage) {
  const Message unread = MakeMessage(MessageId::kFileError, {"/d/a.dxf", std::to_string(ENOENT)});
  EXPECT_EQ(MessageText(unread, Language::kEnglish), "/d/a.dxf: No such file or directory");
  EXPECT_EQ(MessageText(unread, Language::kJapanese),
            "/d/a.dxf: ファイルまたはディレクトリがありません");
  // A number the table does not name still says what it is.
  const Message odd = MakeMessage(MessageId::kFileError, {"x", "123"});
  EXPECT_EQ(MessageText(odd, Language::kJapanese), "x: システムエラー（番号 123）");

  const Message field{MessageId::kLayerClassField, {"3"}, {MakeMessage(MessageId::kClassRange)}};
  EXPECT_EQ(MessageText(field, Language::kJapanese),
            "クラス番号 3: 0〜255 の整数を入れてください（0 は未指定）");
  EXPECT_EQ(MessageText(field, Language::kEnglish),
            "class number 3: enter a whole number from 0 to 255 (0: none)");
  // Arguments are taken as they are, braces included.
  EXPECT_EQ(MessageText(KindMessage("{1}"), Language::kJapanese), "{1}");
}

TEST(Messages, CaughtErrorsKeepTheirMessageOrNameTheirFile) {
  const Message own = MakeMessage(MessageId::kNotInteger, {"abc"});
  EXPECT_EQ(MessageOf(MessageError(own)), own);
  EXPECT_STREQ(MessageError(own).what(), "'abc' is not a valid integer value");

  try {
    (void)std::filesystem::file_size("/nonexistent-dxfdin/plan.dxf");
    FAIL() << "a missing file has a size";
  } catch (const std::filesystem::filesystem_error& error) {
    const Message message = MessageOf(error);
    EXPECT_EQ(message.id, MessageId::kFileError);
    const std::string text = MessageText(message, Language::kJapanese);
    EXPECT_NE(text.find("/nonexistent-dxfdin/plan.dxf"), std::string::npos) << text;
    EXPECT_NE(text.find("ファイルまたはディレクトリがありません"), std::string::npos) << text;
  }
  EXPECT_EQ(MessageOf(std::system_error(EIO, std::generic_category())).id, MessageId::kSystemError);
  EXPECT_EQ(MessageOf(std::bad_alloc()).id, MessageId::kOutOfMemory);
  EXPECT_EQ(MessageOf(std::logic_error("odd")).id, MessageId::kUnexpectedError);
}

// Counts keyed by message merge what is the same and keep apart what differs in a detail.
TEST(Messages, CountsMergeEqualMessages) {
  MessageCounts counts;
  ++counts[KindMessage("HATCH")];
  ++counts[KindMessage("HATCH")];
  ++counts[MakeMessage(MessageId::kKindOfMissingBlock, {"INSERT"})];
  ++counts[Message{MessageId::kKeyField, {"1", "a"}, {MakeMessage(MessageId::kKeyTooLong)}}];
  ++counts[Message{MessageId::kKeyField, {"1", "a"}, {MakeMessage(MessageId::kKeyNotHalfWidth)}}];
  EXPECT_EQ(counts.size(), 4u);
  EXPECT_EQ(counts[KindMessage("HATCH")], 2);
}

}  // namespace
}  // namespace dxfdin
