#include "io/text_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace dxfdin {
namespace {

TEST(TextInput, CrLfIsReadAsLfEvenAcrossReadBoundaries) {
  // A CR LF pair split by the 64 KiB read boundary still arrives as one LF; a lone CR stays.
  std::string bytes(64 * 1024 - 1, 'a');
  bytes += "\r\nb\rc\r\n\r";
  testing::TempDir dir;
  testing::WriteBytes(dir / "in.txt", bytes);
  auto in = TextInput::OpenFile(dir / "in.txt");
  std::string line;
  ASSERT_TRUE(in->ReadLine(line, 1 << 20));
  EXPECT_EQ(line, std::string(64 * 1024 - 1, 'a') + "\n");
  ASSERT_TRUE(in->ReadLine(line, 100));
  EXPECT_EQ(line, "b\rc\n");
  ASSERT_TRUE(in->ReadLine(line, 100));
  EXPECT_EQ(line, "\r");
  EXPECT_FALSE(in->ReadLine(line, 100));
  EXPECT_EQ(line, "");
}

TEST(TextInput, LineEndsOfEveryMixAreTranslatedAsTextModeDoes) {
  // Short and long runs between CRs and LFs, across 16-byte blocks and 64 KiB reads; with a
  // lone CR as a character and as a line end, from memory and from a file.
  std::mt19937 random(3);
  std::string bytes;
  while (bytes.size() < 200 * 1024) {
    int run = random() % 4 == 0 ? static_cast<int>(random() % 40) : static_cast<int>(random() % 6);
    bytes.append(run, 'x');
    const char* ends[] = {"\r\n", "\n", "\r", "\r\r\n", "\n\r"};
    bytes += ends[random() % 5];
  }
  bytes += '\r';
  std::string expected;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) expected += bytes[i];
  }
  std::string lines = expected;
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  testing::TempDir dir;
  testing::WriteBytes(dir / "in.txt", bytes);
  for (bool lone_cr_ends_line : {false, true}) {
    for (bool file : {false, true}) {
      auto in = file ? TextInput::OpenFile(dir / "in.txt") : TextInput::FromString(bytes);
      if (lone_cr_ends_line) in->ReadLoneCrAsLineEnd();
      std::string got;
      for (int c = in->Get(); c >= 0; c = in->Get()) got += static_cast<char>(c);
      EXPECT_EQ(got, lone_cr_ends_line ? lines : expected) << file;
    }
  }
}

TEST(TextInput, ALoneCrEndsALineWhenAskedFromWhereTheInputStands) {
  // The CR that ends the first 64 KiB read is decided by the next; the input is switched
  // after a line was read, with lone CRs waiting in its buffer.
  std::string bytes = "a\rb\n" + std::string(64 * 1024 - 5, 'c') + "\rd\r\r\ne\r";
  testing::TempDir dir;
  testing::WriteBytes(dir / "in.txt", bytes);
  auto in = TextInput::OpenFile(dir / "in.txt");
  std::string line;
  ASSERT_TRUE(in->ReadLine(line, 10));
  EXPECT_EQ(line, "a\rb\n");
  in->ReadLoneCrAsLineEnd();
  ASSERT_TRUE(in->ReadLine(line, 1 << 20));
  EXPECT_EQ(line, std::string(64 * 1024 - 5, 'c') + "\n");
  std::vector<std::string> rest;
  while (in->ReadLine(line, 10)) rest.push_back(line);
  EXPECT_EQ(rest, (std::vector<std::string>{"d\n", "\n", "e\n"}));
  // A rewind keeps the way lines end.
  in->Rewind();
  ASSERT_TRUE(in->ReadLine(line, 10));
  EXPECT_EQ(line, "a\n");
  // Numbers and words stop at a CR alone as they do at a line end.
  auto numbers = TextInput::FromString(" 10\r1.5\rLINE\r");
  numbers->ReadLoneCrAsLineEnd();
  std::int32_t code = 0;
  double value = 0;
  EXPECT_EQ(numbers->ScanInt(code), ScanResult::kOk);
  EXPECT_EQ(numbers->Get(), '\n');
  EXPECT_EQ(numbers->ScanDouble(value), ScanResult::kOk);
  ASSERT_TRUE(numbers->ReadLine(line, 10));
  EXPECT_EQ(line, "\n");
  ASSERT_TRUE(numbers->ReadLine(line, 10));
  EXPECT_EQ(line, "LINE\n");
  EXPECT_EQ(code, 10);
  EXPECT_EQ(value, 1.5);
}

TEST(TextInput, PiecesAndLines) {
  auto in = TextInput::FromString("abcdefgh\nxy\nlast");
  std::string piece;
  ASSERT_TRUE(in->ReadPiece(piece, 5));
  EXPECT_EQ(piece, "abcde");
  ASSERT_TRUE(in->ReadPiece(piece, 5));
  EXPECT_EQ(piece, "fgh\n");
  // A whole line keeps its first characters only; the rest is dropped, not left behind.
  auto lines = TextInput::FromString("LAYERNAME_TOO_LONG\n  2\nlast");
  ASSERT_TRUE(lines->ReadLine(piece, 5));
  EXPECT_EQ(piece, "LAYER");
  ASSERT_TRUE(lines->ReadLine(piece, 80));
  EXPECT_EQ(piece, "  2\n");
  ASSERT_TRUE(lines->ReadLine(piece, 80));
  EXPECT_EQ(piece, "last");
  EXPECT_TRUE(lines->AtEnd());
}

TEST(TextInput, ScansLikeScanf) {
  auto in = TextInput::FromString("  10\n  -3.5e2\n 2.5 word_is_long\n-x 12abc");
  std::int32_t i = 0;
  double d = 0;
  float f = 0;
  std::string w;
  EXPECT_EQ(in->ScanInt(i), ScanResult::kOk);
  EXPECT_EQ(i, 10);
  EXPECT_EQ(in->ScanDouble(d), ScanResult::kOk);
  EXPECT_EQ(d, -350.0);
  EXPECT_EQ(in->ScanFloat(f), ScanResult::kOk);
  EXPECT_EQ(f, 2.5f);
  EXPECT_EQ(in->ScanWord(w, 4), ScanResult::kOk);
  EXPECT_EQ(w, "word");
  // A sign without digits is consumed and nothing is stored.
  i = 7;
  EXPECT_EQ(in->ScanInt(i), ScanResult::kMismatch);
  EXPECT_EQ(i, 7);
  EXPECT_EQ(in->Get(), 'x');
  EXPECT_EQ(in->ScanInt(i), ScanResult::kOk);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(in->ScanDouble(d), ScanResult::kMismatch);
  EXPECT_EQ(in->Get(), 'a');
  in->ReadLine(w, 10);
  EXPECT_EQ(in->ScanInt(i), ScanResult::kEnd);
}

TEST(TextInput, NumbersRoundAsTheCLibraryDoes) {
  // %f rounds the decimal text to single precision directly (not through double).
  auto in =
      TextInput::FromString("0.1 1.00000005960464477539062500000001 99999999999 1e999 1e-400");
  float f;
  ASSERT_EQ(in->ScanFloat(f), ScanResult::kOk);
  EXPECT_EQ(f, 0.1f);
  ASSERT_EQ(in->ScanFloat(f), ScanResult::kOk);
  EXPECT_EQ(f, std::strtof("1.00000005960464477539062500000001", nullptr));
  std::int32_t i;
  ASSERT_EQ(in->ScanInt(i), ScanResult::kOk);
  EXPECT_EQ(i, 2147483647);
  double d;
  ASSERT_EQ(in->ScanDouble(d), ScanResult::kOk);
  EXPECT_TRUE(std::isinf(d));
  ASSERT_EQ(in->ScanDouble(d), ScanResult::kOk);
  EXPECT_EQ(d, 0.0);
}

TEST(TextInput, DecimalsConvertAsStrtodAndStrtof) {
  // Digit counts around the exact limits of both types, the point anywhere, signs.
  std::mt19937_64 random(11);
  std::string text;
  std::vector<std::string> tokens;
  for (int i = 0; i < 20000; ++i) {
    std::string digits = std::to_string(random());
    digits.resize(1 + random() % std::min<std::size_t>(digits.size(), 20));
    std::string token = (random() % 3 == 0 ? "-" : "") + digits;
    token.insert(token.size() - random() % (digits.size() + 1), ".");
    tokens.push_back(token);
    text += token + "\n";
  }
  auto doubles = TextInput::FromString(text);
  auto floats = TextInput::FromString(text);
  for (const std::string& token : tokens) {
    double d;
    float f;
    ASSERT_EQ(doubles->ScanDouble(d), ScanResult::kOk);
    ASSERT_EQ(floats->ScanFloat(f), ScanResult::kOk);
    ASSERT_EQ(d, std::strtod(token.c_str(), nullptr)) << token;
    ASSERT_EQ(f, std::strtof(token.c_str(), nullptr)) << token;
    ASSERT_EQ(std::signbit(d), std::signbit(std::strtod(token.c_str(), nullptr))) << token;
  }
}

TEST(TextInput, RewindStartsAgain) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "in.din", "ITEM 1\r\nSR 3\r\n");
  auto in = TextInput::OpenFile(dir / "in.din");
  std::string line;
  while (in->ReadLine(line, 80)) {
  }
  in->Rewind();
  ASSERT_TRUE(in->ReadLine(line, 80));
  EXPECT_EQ(line, "ITEM 1\n");
  EXPECT_THROW(TextInput::OpenFile(dir / "missing.din"), std::system_error);
}

}  // namespace
}  // namespace dxfdin
