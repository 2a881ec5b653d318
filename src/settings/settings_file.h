// The settings file "kelvor.ini": where it is, loading the conversion settings from it and
// saving what the settings dialog shows.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "settings/conversion_settings.h"
#include "settings/profile_file.h"

namespace dxfdin {

// kelvor.ini in $XDG_CONFIG_HOME, or in ~/.config when that is not set ($HOME, else the
// user's home directory from the password database); empty when there is no home.
std::filesystem::path DefaultSettingsPath();

// Updates `settings` from the file at `path` (a missing file gives the defaults). Throws
// ConversionError naming the key when a class number is not a valid integer; the keys before
// it are loaded, that key and the later ones keep their values.
void LoadConversionSettings(TConversionSettings& settings, const std::filesystem::path& path);
// Whether `profile` is a settings file: blank (the defaults), or holding one of the sections
// the program writes.
bool IsSettingsProfile(const ProfileFile& profile);

// A layer-name key as the record holds it: at most kSettingsKeyBytes bytes, a Shift-JIS
// double-byte character that does not fit whole left out.
std::string CutSettingsKey(std::string_view text);

// What the settings dialog shows when it closes: its position, its checkboxes and the texts
// of its edits as typed.
struct SettingsDialogValues {
  std::int32_t left = 250;
  std::int32_t top = 250;
  bool lay_class = false;
  bool pen_class = false;
  bool hidden_layers = false;
  std::array<std::string, 7> key_texts;    // layer-name keys 1..7
  std::array<std::string, 7> class_texts;  // their class numbers
  std::array<std::string, 6> pen_texts;    // class numbers of pens 1..6
};

// Writes all the values into the file at `path`, keeping everything else it holds.
void SaveConversionSettings(const SettingsDialogValues& values, const std::filesystem::path& path);

}  // namespace dxfdin
