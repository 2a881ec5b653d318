// What becomes of files dropped on one of the window's panes: the batch they make (its
// direction and inputs) or the reason nothing is converted. Only the file system is looked at,
// so the rules hold apart from any widget.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "batch/output_name.h"
#include "text/message.h"

namespace dxfdin::ui {

// The pane a drop fell on, named by the kind of drawing it lists.
enum class DropPane { kDxf, kDin };

struct DropPlan {
  BatchDirection direction = BatchDirection::kDxfToDin;
  std::vector<std::filesystem::path> inputs;  // in the order dropped, each once
  std::optional<Message> refusal;             // set when nothing is to be converted
};

// Drawings of the pane's kind are converted to the other kind, as the pane's button does. A
// folder gives the drawings of the pane's kind directly in it. Files only of the other kind are
// converted the other way; both kinds together leave the direction unclear and are refused, and
// so is a drop holding any file of neither kind.
DropPlan PlanDrop(DropPane pane, const std::vector<std::filesystem::path>& dropped);

}  // namespace dxfdin::ui
