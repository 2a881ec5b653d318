// The drawings of a folder tree, for a batch over whole folders.
#pragma once

#include <filesystem>
#include <vector>

#include "batch/output_name.h"
#include "text/message.h"

namespace dxfdin {

struct FolderDrawing {
  std::filesystem::path input;
  std::filesystem::path relative_dir;  // its folder, relative to the tree's root
};

// Every file under `root`, at any depth, whose extension is the direction's (".dxf" or
// ".din", in any letter case), sorted by path in byte order so that a run is reproducible.
// Links to folders are not followed (a link loop ends nothing), hidden folders (".name") are
// left out. A folder that cannot be read adds a message naming it to `problems`; the rest of
// the tree is still taken.
std::vector<FolderDrawing> DrawingsUnder(const std::filesystem::path& root,
                                         BatchDirection direction, std::vector<Message>& problems);

}  // namespace dxfdin
