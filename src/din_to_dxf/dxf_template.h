// Where the DXF header template "Dxfhjw.dat" is found.
#pragma once

#include <filesystem>
#include <vector>

namespace dxfdin {

inline constexpr char kDxfTemplateName[] = "Dxfhjw.dat";

// The directory of the running executable, with a separator at its end.
std::filesystem::path ProgramDirectory();

// The places tried for the template, in order: beside the executable, then
// ../share/dxfdin/ relative to it.
std::vector<std::filesystem::path> DxfTemplateCandidates();

// The first candidate that exists; throws std::runtime_error naming every path tried.
std::filesystem::path FindDxfTemplate();

}  // namespace dxfdin
