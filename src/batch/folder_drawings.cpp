#include "batch/folder_drawings.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>

namespace dxfdin {

namespace {

Message FolderProblem(const std::filesystem::path& folder, int error) {
  return MakeMessage(MessageId::kFileError, {folder.string(), std::to_string(error)});
}

bool IsDrawingName(const std::filesystem::path& name, BatchDirection direction) {
  return LowerCaseFileName(name.extension().string()) ==
         (direction == BatchDirection::kDxfToDin ? ".dxf" : ".din");
}

}  // namespace

std::vector<FolderDrawing> DrawingsUnder(const std::filesystem::path& root,
                                         BatchDirection direction, std::vector<Message>& problems) {
  std::vector<FolderDrawing> drawings;
  std::error_code error;
  if (!std::filesystem::is_directory(root, error)) {
    problems.push_back(FolderProblem(root, error ? error.value() : ENOTDIR));
    return drawings;
  }
  // Folders still to read, relative to the root: a list rather than recursion, so that a
  // deep tree cannot exhaust the stack.
  std::vector<std::filesystem::path> pending{std::filesystem::path()};
  while (!pending.empty()) {
    const std::filesystem::path relative = pending.back();
    pending.pop_back();
    const std::filesystem::path folder = relative.empty() ? root : root / relative;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
      problems.push_back(FolderProblem(folder, error.value()));
      continue;
    }
    for (auto end = std::filesystem::directory_iterator(); entries != end;
         entries.increment(error)) {
      const std::filesystem::directory_entry& entry = *entries;
      const std::filesystem::path name = entry.path().filename();
      std::error_code kind_error;
      if (entry.is_symlink(kind_error) && entry.is_directory(kind_error)) continue;
      if (entry.is_directory(kind_error)) {
        if (name.string().front() != '.') pending.push_back(relative / name);
        continue;
      }
      if (entry.is_regular_file(kind_error) && IsDrawingName(name, direction)) {
        drawings.push_back({entry.path(), relative});
      }
    }
    if (error) problems.push_back(FolderProblem(folder, error.value()));
  }
  std::sort(drawings.begin(), drawings.end(), [](const FolderDrawing& a, const FolderDrawing& b) {
    return a.input.native() < b.input.native();
  });
  return drawings;
}

}  // namespace dxfdin
