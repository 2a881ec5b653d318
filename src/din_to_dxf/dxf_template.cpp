#include "din_to_dxf/dxf_template.h"

#include <stdexcept>
#include <system_error>

#include "text/message.h"

namespace dxfdin {

std::filesystem::path ProgramDirectory() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path() / "";
  return exe.parent_path() / "";
}

std::vector<std::filesystem::path> DxfTemplateCandidates() {
  std::filesystem::path dir = ProgramDirectory();
  return {dir / kDxfTemplateName,
          (dir / ".." / "share" / "dxfdin" / kDxfTemplateName).lexically_normal()};
}

std::filesystem::path FindDxfTemplate() {
  std::string tried;
  for (const auto& candidate : DxfTemplateCandidates()) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    tried += (tried.empty() ? "" : ", ") + candidate.string();
  }
  throw MessageError(MakeMessage(MessageId::kTemplateNotFound, {kDxfTemplateName, tried}));
}

}  // namespace dxfdin
