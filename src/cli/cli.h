// The dxfdin command: the two batch directions from the command line.
#pragma once

#include <iosfwd>

namespace dxfdin {

// Exit statuses: 0 every file converted; 1 a file failed or an existing output stopped the
// batch; 2 a usage error or settings the load rejects (nothing converted).
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace dxfdin
