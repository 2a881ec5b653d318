#include <exception>
#include <iostream>

#include "cli/cli.h"
#include "io/output_file.h"

int main(int argc, char** argv) {
  // Ctrl-C or a closed terminal leaves no half-written temporary file behind.
  dxfdin::RemoveTemporaryFilesOnSignals();
  try {
    return dxfdin::RunCli(argc, argv, std::cout, std::cerr);
  } catch (...) {
    std::cerr << "dxfdin: unexpected error\n";
    return 2;
  }
}
