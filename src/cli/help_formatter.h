// Help as command-line users expect it: a usage line, what the command does, only its own
// options in the "  -o, --output-dir DIR   what it does" form, wrapped to 80 columns, and
// the command's own notes (exit statuses, an example); the top level lists the commands.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace dxfdin {

class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override;
};

// `text` broken at blanks into lines of at most `width` columns: the first goes on from
// `first_column` of a line begun elsewhere, the others start after `indent` blanks; each
// line ends with a line feed.
std::string WrapText(const std::string& text, std::size_t width, std::size_t indent,
                     std::size_t first_column);

}  // namespace dxfdin
