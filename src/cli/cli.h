// The dxfdin command: the two batch directions from the command line.
#pragma once

#include <iosfwd>

namespace dxfdin {

// Exit statuses: 0 every file converted; 1 a file failed or was refused, or an existing output
// stopped the batch; 2 a usage error, unusable settings, template or output directory, or two
// inputs with one output (nothing converted). No exception leaves it.
// Progress is shown on `err` when `progress` says so; by default when standard error is a
// terminal other than TERM=dumb.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progress);

}  // namespace dxfdin
