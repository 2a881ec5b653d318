#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "settings/profile_file.h"
#include "support/temp_dir.h"
#include "text/number_text.h"

namespace dxfdin {
namespace {

using testing::ListDir;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(LoadConversionSettings, WithoutAFileEveryKeyTakesItsDefault) {
  TempDir dir;
  TConversionSettings settings;
  LoadConversionSettings(settings, dir / "kelvor.ini");
  EXPECT_EQ(settings.lay_class, 1);
  EXPECT_EQ(settings.pen_class, 0);
  EXPECT_EQ(settings.ss_l_c, (std::array<std::string, 7>{"dim", "fusn", "", "", "", "", ""}));
  EXPECT_EQ(settings.n_l_c, (std::array<std::int32_t, 7>{100, 215, 0, 0, 0, 0, 0}));
  EXPECT_EQ(settings.n_p_c, (std::array<std::int32_t, 6>{53, 65, 58, 54, 16, 22}));
  EXPECT_EQ(settings.hidden_layers, 0);
}

TEST(LoadConversionSettings, FlagsReadOffLeaveTheRecordAsItIs) {
  TempDir dir;
  WriteBytes(dir / "kelvor.ini", "[Check]\r\nlay_class=0\r\npen_class=0\r\n");
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.pen_class = 1;
  LoadConversionSettings(settings, dir / "kelvor.ini");
  EXPECT_EQ(settings.lay_class, 1);
  EXPECT_EQ(settings.pen_class, 1);
  TConversionSettings fresh;
  LoadConversionSettings(fresh, dir / "kelvor.ini");
  EXPECT_EQ(fresh.lay_class, 0);
  // A word is no integer: the default (true) holds. Names compare without case.
  WriteBytes(dir / "kelvor.ini", "[CHECK]\nLay_Class=yes\n");
  LoadConversionSettings(fresh, dir / "kelvor.ini");
  EXPECT_EQ(fresh.lay_class, 1);
  // Whether hidden layers are converted is read as it stands, on or off.
  WriteBytes(dir / "kelvor.ini", "[Check]\nhidden_layers=1\n");
  LoadConversionSettings(fresh, dir / "kelvor.ini");
  EXPECT_EQ(fresh.hidden_layers, 1);
  WriteBytes(dir / "kelvor.ini", "[Check]\nhidden_layers=0\n");
  LoadConversionSettings(fresh, dir / "kelvor.ini");
  EXPECT_EQ(fresh.hidden_layers, 0);
}

TEST(LoadConversionSettings, ClassNumbers) {
  TempDir dir;
  WriteBytes(dir / "kelvor.ini",
             "[class_no]\nn_l_c1=-5\nn_l_c2=\nn_l_c3=1000\n[pen_no]\nn_p_c1=7\n");
  TConversionSettings settings;
  settings.n_l_c[1] = 42;
  LoadConversionSettings(settings, dir / "kelvor.ini");
  EXPECT_EQ(settings.n_l_c[0], -5);
  EXPECT_EQ(settings.n_l_c[1], 42);  // present but empty: unchanged, not the default 215
  EXPECT_EQ(settings.n_l_c[2], 1000);
  EXPECT_EQ(settings.n_p_c[0], 7);
  EXPECT_EQ(settings.n_p_c[2], 58);  // missing: its default
}

TEST(LoadConversionSettings, ABadClassNumberStopsTheLoadAtItsKey) {
  TempDir dir;
  WriteBytes(dir / "kelvor.ini",
             "[lay_name]\nss_l_c7=last\n[class_no]\nn_l_c3=9\nn_l_c4=abc\nn_l_c5=11\n"
             "[pen_no]\nn_p_c1=1\n");
  TConversionSettings settings;
  settings.n_l_c[4] = -1;
  try {
    LoadConversionSettings(settings, dir / "kelvor.ini");
    FAIL() << "no error";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "n_l_c4: 'abc' is not a valid integer value");
  }
  EXPECT_EQ(settings.ss_l_c[6], "last");
  EXPECT_EQ(settings.n_l_c[2], 9);
  EXPECT_EQ(settings.n_l_c[3], 0);
  EXPECT_EQ(settings.n_l_c[4], -1);
  EXPECT_EQ(settings.n_p_c[0], 0);
  // Beyond the 32-bit range is an error too.
  WriteBytes(dir / "kelvor.ini", "[class_no]\nn_l_c1=2147483648\n");
  EXPECT_THROW(LoadConversionSettings(settings, dir / "kelvor.ini"), ConversionError);
  // A NUL byte does not end the message, nor does an escape reach the terminal.
  WriteBytes(dir / "kelvor.ini", "[class_no]\nn_l_c2=1" + std::string(1, '\0') + "2\x1b[31m\r\n");
  try {
    LoadConversionSettings(settings, dir / "kelvor.ini");
    FAIL() << "no error";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "n_l_c2: '1\\x002\\x1b[31m' is not a valid integer value");
  }
}

TEST(LoadConversionSettings, KeysAreCutToNineBytesWithoutSplittingACharacter) {
  TempDir dir;
  // Four double-byte characters and "ab": the ninth byte would be the lead byte of nothing.
  WriteBytes(dir / "kelvor.ini",
             "[lay_name]\nss_l_c1=abcdefghijkl\nss_l_c2=a\x95\x94\x95\x94\x95\x94\x95\x94\n");
  TConversionSettings settings;
  LoadConversionSettings(settings, dir / "kelvor.ini");
  EXPECT_EQ(settings.ss_l_c[0], "abcdefghi");
  EXPECT_EQ(settings.ss_l_c[1], "a\x95\x94\x95\x94\x95\x94\x95\x94");
  WriteBytes(dir / "kelvor.ini", "[lay_name]\nss_l_c1=ab\x95\x94\x95\x94\x95\x94\x95\x94\n");
  LoadConversionSettings(settings, dir / "kelvor.ini");
  EXPECT_EQ(settings.ss_l_c[0], "ab\x95\x94\x95\x94\x95\x94");
}

TEST(ProfileFile, WritesInPlaceAtTheEndOfItsSectionOrInANewSection) {
  TempDir dir;
  WriteBytes(dir / "kelvor.ini", "; notes stay\r\n[Locate]\r\nx=1\r\n\r\n[Other]\r\nk=v\r\n");
  ProfileFile profile = ProfileFile::Load(dir / "kelvor.ini");
  profile.WriteInteger("locate", "X", 5);
  profile.WriteInteger("Locate", "y", 6);
  profile.WriteBool("Check", "lay_class", true);
  profile.Save(dir / "kelvor.ini");
  EXPECT_EQ(ReadBytes(dir / "kelvor.ini"),
            "; notes stay\r\n[Locate]\r\nX=5\r\ny=6\r\n\r\n[Other]\r\nk=v\r\n[Check]\r\n"
            "lay_class=1\r\n");
  EXPECT_EQ(ListDir(dir.path()), "kelvor.ini");
  ProfileFile reread = ProfileFile::Load(dir / "kelvor.ini");
  EXPECT_EQ(reread.ReadInteger("LOCATE", "x", 0), 5);
  EXPECT_EQ(reread.ReadString("Other", "missing", "fallback"), "fallback");
}

// Loads the profile in a child process that an alarm ends should it wait or read without
// end; the child exits 0 when the load fails with `message`.
void ExpectRefused(const std::filesystem::path& path, const std::string& message) {
  EXPECT_EXIT(
      {
        ::alarm(10);
        try {
          ProfileFile::Load(path);
        } catch (const std::exception& error) {
          ::_exit(error.what() == "cannot read " + path.string() + ": " + message ? 0 : 1);
        }
        ::_exit(2);
      },
      ::testing::ExitedWithCode(0), "")
      << path;
}

TEST(ProfileFileDeathTest, OnlyARegularFileOfAtMostOneMebibyteIsRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder.ini");
  // Sparse: 89 MB at no cost on disk.
  WriteBytes(dir / "huge.ini", "[Check]\nlay_class=1\n");
  std::filesystem::resize_file(dir / "huge.ini", 89'000'000);
  ExpectRefused(dir / "pipe.ini", "is not a regular file");
  for (const char* device : {"/dev/zero", "/dev/urandom", "/dev/null"}) {
    if (std::filesystem::exists(device)) ExpectRefused(device, "is not a regular file");
  }
  ExpectRefused(dir / "folder.ini", "is a directory");
  ExpectRefused(dir / "huge.ini", "is larger than 1 MiB");
  // Saving reads the file first: none of them is replaced.
  EXPECT_THROW(SaveConversionSettings({}, dir / "pipe.ini"), std::runtime_error);
  EXPECT_THROW(SaveConversionSettings({}, dir / "huge.ini"), std::runtime_error);
  EXPECT_EQ(ListDir(dir.path()), "folder.ini huge.ini pipe.ini");
  EXPECT_EQ(std::filesystem::status(dir / "pipe.ini").type(), std::filesystem::file_type::fifo);

  // 1 MiB exactly is read, its last line too.
  const std::string head = "[Check]\r\nlay_class=0\r\npen_class=1\r\n";
  const std::string tail = "\n[pen_no]\nx=7";
  WriteBytes(dir / "full.ini",
             head + std::string((1 << 20) - head.size() - tail.size(), ';') + tail);
  ProfileFile full = ProfileFile::Load(dir / "full.ini");
  EXPECT_EQ(full.ReadInteger("Check", "pen_class", 0), 1);
  EXPECT_EQ(full.ReadInteger("pen_no", "x", 0), 7);
}

TEST(SaveConversionSettings, WritesEveryValueAsShown) {
  TempDir dir;
  WriteBytes(dir / "kelvor.ini", "[Dir]\r\ndxf=/home/u/dxf/\r\n");
  SettingsDialogValues values;
  values.left = 12;
  values.top = 34;
  values.lay_class = false;
  values.pen_class = true;
  values.hidden_layers = true;
  values.key_texts = {"dim", "", "\x95\x94", "", "", "", "k7"};
  values.class_texts = {"100", "abc", "", "", "", "", ""};
  values.pen_texts = {"1", "2", "3", "4", "5", "6"};
  SaveConversionSettings(values, dir / "kelvor.ini");
  std::string saved = ReadBytes(dir / "kelvor.ini");
  EXPECT_EQ(saved.substr(0, 58),
            "[Dir]\r\ndxf=/home/u/dxf/\r\n[Locate]\r\nx2=12\r\ny2=34\r\n[Check]\r\n");
  EXPECT_NE(saved.find("lay_class=0\r\npen_class=1\r\nhidden_layers=1\r\n[lay_name]\r\n"
                       "ss_l_c1=dim\r\nss_l_c2=\r\nss_l_c3=\x95\x94\r\n"),
            std::string::npos);
  EXPECT_NE(saved.find("[class_no]\r\nn_l_c1=100\r\nn_l_c2=abc\r\nn_l_c3=\r\n"), std::string::npos);
  EXPECT_NE(saved.find("[pen_no]\r\nn_p_c1=1\r\n"), std::string::npos);
  EXPECT_EQ(saved.substr(saved.size() - 10), "n_p_c6=6\r\n");
}

TEST(SaveConversionSettings, AFailedSaveReportsAndLeavesNothingBehind) {
  TempDir dir;
  // The settings path is taken by a directory: the new file cannot replace it.
  std::filesystem::create_directory(dir / "kelvor.ini");
  WriteBytes(dir / "kelvor.ini" / "keep", "x");
  EXPECT_THROW(SaveConversionSettings({}, dir / "kelvor.ini"), std::runtime_error);
  EXPECT_EQ(ListDir(dir.path()), "kelvor.ini");
  EXPECT_EQ(ReadBytes(dir / "kelvor.ini" / "keep"), "x");
}

TEST(DefaultSettingsPath, NeverTheCurrentDirectory) {
  const std::string xdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("HOME");
  std::filesystem::path path = DefaultSettingsPath();
  EXPECT_TRUE(path.empty() || path.is_absolute()) << path;
  if (!xdg.empty()) ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
  if (!home.empty()) ::setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace dxfdin
