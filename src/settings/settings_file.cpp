#include "settings/settings_file.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "settings/profile_file.h"
#include "text/byte_class.h"
#include "text/number_text.h"

namespace dxfdin {

namespace {

constexpr const char* kLayerKeyDefaults[kLayerKeyCount] = {"dim", "fusn", "", "", "", "", ""};
constexpr const char* kLayerClassDefaults[kLayerKeyCount] = {"100", "215", "", "", "", "", ""};
constexpr const char* kPenClassDefaults[kPenCount] = {"53", "65", "58", "54", "16", "22"};

std::string Numbered(const char* stem, int n) {
  return stem + std::to_string(n);
}

}  // namespace

std::string CutSettingsKey(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t width = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + width > kSettingsKeyBytes) break;
    end += width;
  }
  return std::string(text.substr(0, std::min(end, text.size())));
}

namespace {

// An empty text leaves the class number as it is; text that is not an integer stops the load.
void LoadClassNumber(const ProfileFile& profile, const char* section, const std::string& key,
                     const char* fallback, std::int32_t& field) {
  std::string text = profile.ReadString(section, key, fallback);
  if (text.empty()) return;
  try {
    field = StrToInt(text);
  } catch (const ConversionError& error) {
    throw ConversionError(Message{MessageId::kSettingsKey, {key}, {error.message()}});
  }
}

}  // namespace

std::filesystem::path DefaultSettingsPath() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
    return std::filesystem::path(config) / "kelvor.ini";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    // Never the current directory: a settings file found there would be someone else's.
    const passwd* user = ::getpwuid(::getuid());
    home = user && user->pw_dir && *user->pw_dir ? user->pw_dir : nullptr;
  }
  if (!home) return {};
  return std::filesystem::path(home) / ".config" / "kelvor.ini";
}

bool IsSettingsProfile(const ProfileFile& profile) {
  if (profile.Blank()) return true;
  for (const char* section : {"Check", "lay_name", "class_no", "pen_no", "Dir", "Locate"}) {
    if (profile.HasSection(section)) return true;
  }
  return false;
}

void LoadConversionSettings(TConversionSettings& settings, const std::filesystem::path& path) {
  const ProfileFile profile = ProfileFile::Load(path);
  // A flag read as off leaves the record's flag as it is: only the dialog clears it.
  if (profile.ReadBool("Check", "lay_class", true)) settings.lay_class = 1;
  if (profile.ReadBool("Check", "pen_class", false)) settings.pen_class = 1;
  settings.hidden_layers = profile.ReadBool("Check", "hidden_layers", false) ? 1 : 0;
  settings.dxf_encoding = profile.ReadString("Check", "dxf_encoding", "");
  for (int n = 1; n <= kLayerKeyCount; ++n) {
    settings.ss_l_c[n - 1] = CutSettingsKey(
        profile.ReadString("lay_name", Numbered("ss_l_c", n), kLayerKeyDefaults[n - 1]));
  }
  for (int n = 1; n <= kLayerKeyCount; ++n) {
    LoadClassNumber(profile, "class_no", Numbered("n_l_c", n), kLayerClassDefaults[n - 1],
                    settings.n_l_c[n - 1]);
  }
  for (int n = 1; n <= kPenCount; ++n) {
    LoadClassNumber(profile, "pen_no", Numbered("n_p_c", n), kPenClassDefaults[n - 1],
                    settings.n_p_c[n - 1]);
  }
}

void SaveConversionSettings(const SettingsDialogValues& values, const std::filesystem::path& path) {
  ProfileFile profile = ProfileFile::Load(path);
  profile.WriteInteger("Locate", "x2", values.left);
  profile.WriteInteger("Locate", "y2", values.top);
  profile.WriteBool("Check", "lay_class", values.lay_class);
  profile.WriteBool("Check", "pen_class", values.pen_class);
  profile.WriteBool("Check", "hidden_layers", values.hidden_layers);
  for (int n = 1; n <= kLayerKeyCount; ++n) {
    profile.WriteString("lay_name", Numbered("ss_l_c", n), values.key_texts[n - 1]);
  }
  for (int n = 1; n <= kLayerKeyCount; ++n) {
    profile.WriteString("class_no", Numbered("n_l_c", n), values.class_texts[n - 1]);
  }
  for (int n = 1; n <= kPenCount; ++n) {
    profile.WriteString("pen_no", Numbered("n_p_c", n), values.pen_texts[n - 1]);
  }
  // The directory may not exist yet on a first save.
  std::error_code error;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  profile.Save(path);
}

}  // namespace dxfdin
