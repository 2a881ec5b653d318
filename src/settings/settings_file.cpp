#include "settings/settings_file.h"

#include <cstdlib>

namespace dxfdin {

std::filesystem::path DefaultSettingsPath() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
    return std::filesystem::path(config) / "kelvor.ini";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".config" / "kelvor.ini";
}

void LoadConversionSettings(TConversionSettings&, const std::filesystem::path&) {}

void SaveConversionSettings(const SettingsDialogValues&, const std::filesystem::path&) {}

}  // namespace dxfdin
