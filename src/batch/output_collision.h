// Outputs of one batch that would meet: two inputs written to one file, or an output written
// over another input of the batch. Such a batch is refused before anything is written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "text/message.h"

namespace dxfdin {

// An input of a batch and the file it would be written to.
struct PlannedOutput {
  std::filesystem::path input;
  std::filesystem::path output;
};

// The first pair of inputs whose outputs are one file ("a and b would both be written to
// c"), or an output that is also an input ("the output of a would replace the input b");
// nothing when every output is a file of its own. Two spellings of one directory (a
// relative and an absolute path, a link) count as the same.
std::optional<Message> OutputCollision(const std::vector<PlannedOutput>& planned);

}  // namespace dxfdin
