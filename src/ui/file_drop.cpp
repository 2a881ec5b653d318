#include "ui/file_drop.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

namespace dxfdin::ui {

namespace {

enum class Kind { kDxf, kDin, kNeither };

// The kind a file's name gives it, without regard to case (as the panes list them).
Kind KindOf(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".dxf") return Kind::kDxf;
  if (extension == ".din") return Kind::kDin;
  return Kind::kNeither;
}

std::string KindName(Kind kind) {
  return kind == Kind::kDxf ? "DXF" : "DIN";
}

std::string NameOf(const std::filesystem::path& path) {
  // A folder dropped with a trailing separator has an empty file name.
  const std::filesystem::path name = path.lexically_normal().parent_path().filename();
  return path.has_filename() ? path.filename().string() : name.string();
}

// The files of the kind directly in `folder`, by name without regard to case.
std::vector<std::filesystem::path> DrawingsIn(const std::filesystem::path& folder, Kind kind) {
  std::vector<std::filesystem::path> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::error_code ignored;
    if (entry.is_regular_file(ignored) && KindOf(entry.path()) == kind) {
      found.push_back(entry.path());
    }
  }
  auto folded = [](const std::filesystem::path& path) {
    std::string name = path.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
  };
  std::sort(found.begin(), found.end(),
            [&](const auto& a, const auto& b) { return folded(a) < folded(b); });
  return found;
}

// The files of neither kind, named one a line; a long list ends with how many more there are.
Message NotDrawings(const std::vector<std::string>& names) {
  constexpr std::size_t kShown = 10;
  std::string list;
  for (std::size_t i = 0; i < names.size() && i < kShown; ++i) {
    if (i > 0) list += '\n';
    list += names[i];
  }
  if (names.size() <= kShown) return MakeMessage(MessageId::kDropNotDrawings, {list});
  return MakeMessage(MessageId::kDropNotDrawingsMore,
                     {list, std::to_string(names.size() - kShown)});
}

}  // namespace

DropPlan PlanDrop(DropPane pane, const std::vector<std::filesystem::path>& dropped) {
  const Kind own = pane == DropPane::kDxf ? Kind::kDxf : Kind::kDin;
  const Kind other = pane == DropPane::kDxf ? Kind::kDin : Kind::kDxf;
  std::vector<std::filesystem::path> own_files, other_files, folders;
  std::vector<std::string> neither;
  for (const std::filesystem::path& path : dropped) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
      folders.push_back(path);
      for (auto& drawing : DrawingsIn(path, own)) own_files.push_back(std::move(drawing));
      continue;
    }
    const Kind kind = KindOf(path);
    if (kind == own) {
      own_files.push_back(path);
    } else if (kind == other) {
      other_files.push_back(path);
    } else {
      neither.push_back(NameOf(path));
    }
  }

  DropPlan plan;
  plan.direction = pane == DropPane::kDxf ? BatchDirection::kDxfToDin : BatchDirection::kDinToDxf;
  if (!neither.empty()) {
    plan.refusal = NotDrawings(neither);
    return plan;
  }
  if (!other_files.empty() && (!own_files.empty() || !folders.empty())) {
    plan.refusal = MakeMessage(MessageId::kDropBothKinds, {KindName(own), KindName(other)});
    return plan;
  }
  if (!other_files.empty()) {
    plan.direction = pane == DropPane::kDxf ? BatchDirection::kDinToDxf : BatchDirection::kDxfToDin;
    own_files = std::move(other_files);
  }
  if (own_files.empty()) {
    std::string names;
    for (const auto& folder : folders) names += (names.empty() ? "" : ", ") + NameOf(folder);
    plan.refusal = MakeMessage(MessageId::kDropNoDrawings, {KindName(own), names});
    return plan;
  }
  // A file dropped twice, or with its folder, is converted once.
  for (auto& input : own_files) {
    const std::filesystem::path normal = std::filesystem::absolute(input).lexically_normal();
    if (std::find(plan.inputs.begin(), plan.inputs.end(), normal) == plan.inputs.end()) {
      plan.inputs.push_back(normal);
    }
  }
  return plan;
}

}  // namespace dxfdin::ui
