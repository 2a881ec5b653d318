// The settings file "kelvor.ini": where it is, and loading the conversion settings from it.
#pragma once

#include <filesystem>

#include "settings/conversion_settings.h"

namespace dxfdin {

// kelvor.ini in $XDG_CONFIG_HOME, or in ~/.config when that is not set.
std::filesystem::path DefaultSettingsPath();

// Updates `settings` from the file at `path` (a missing file gives the defaults). Throws
// ConversionError naming the key when a class number is not a valid integer; the keys before
// it are loaded, that key and the later ones keep their values.
void LoadConversionSettings(TConversionSettings& settings, const std::filesystem::path& path);

}  // namespace dxfdin
