#include "cli/help_formatter.h"

#include <sstream>
#include <vector>

namespace dxfdin {

namespace {

constexpr std::size_t kWidth = 80;
constexpr std::size_t kDescriptionColumn = 28;

// "-o, --output-dir DIR", "    --no-overwrite": short names first, long names aligned.
std::string OptionNames(const CLI::Option* option) {
  std::string names;
  for (const std::string& name : option->get_snames()) {
    names += (names.empty() ? "-" : ", -") + name;
  }
  if (names.empty()) names = "   ";
  for (const std::string& name : option->get_lnames()) {
    names += (names == "   " ? " --" : ", --") + name;
  }
  if (option->get_type_size() != 0) {
    // CLI11 adds what a check accepts ("FORMAT:{png,svg}"); the description says it.
    const std::string type = option->get_type_name();
    names += " " + type.substr(0, type.find(':'));
  }
  return names;
}

std::string OptionLine(const CLI::Option* option) {
  const std::string names = "  " + OptionNames(option);
  if (names.size() + 2 > kDescriptionColumn) {
    return names + "\n" + std::string(kDescriptionColumn, ' ') +
           WrapText(option->get_description(), kWidth, kDescriptionColumn, kDescriptionColumn);
  }
  return names + std::string(kDescriptionColumn - names.size(), ' ') +
         WrapText(option->get_description(), kWidth, kDescriptionColumn, kDescriptionColumn);
}

}  // namespace

std::string WrapText(const std::string& text, std::size_t width, std::size_t indent,
                     std::size_t first_column) {
  std::istringstream words(text);
  std::string word, out, line;
  std::size_t used = first_column;
  bool empty = true;
  // `used` counts columns; `line` holds bytes (descriptions are ASCII).
  while (words >> word) {
    if (!empty && used + 1 + word.size() > width) {
      out += line + "\n";
      line.assign(indent, ' ');
      used = indent;
      empty = true;
    }
    if (!empty) {
      line += ' ';
      ++used;
    }
    line += word;
    used += word.size();
    empty = false;
  }
  return out + line + "\n";
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name,
                                     CLI::AppFormatMode /*mode*/) const {
  std::ostringstream out;
  const bool top = app->get_parent() == nullptr;
  std::string positionals;
  for (const CLI::Option* option : app->get_options()) {
    if (option->get_positional()) positionals += " " + option->get_name() + "...";
  }
  if (top) {
    out << "Usage: " << name << " COMMAND [OPTIONS] FILE...\n";
  } else {
    out << "Usage: " << app->get_parent()->get_name() << " " << app->get_name() << " [OPTIONS]"
        << positionals << "\n";
  }
  out << WrapText(app->get_description(), kWidth, 0, 0);

  if (top) {
    out << "\nCommands:\n";
    for (const CLI::App* command : app->get_subcommands({})) {
      const std::string line = "  " + command->get_name();
      out << line << std::string(kDescriptionColumn - line.size(), ' ')
          << WrapText(command->get_description(), kWidth, kDescriptionColumn, kDescriptionColumn);
    }
  }
  out << "\nOptions:\n";
  for (const CLI::Option* option : app->get_options()) {
    if (!option->get_positional()) out << OptionLine(option);
  }
  if (!app->get_footer().empty()) out << "\n" << app->get_footer();
  return out.str();
}

}  // namespace dxfdin
