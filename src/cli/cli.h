// The dxfdin command: the two batch directions from the command line.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>

#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// The picture of one drawing for `dxfdin render`.
struct PictureJob {
  std::filesystem::path input;
  std::filesystem::path output;
  bool svg = false;  // else PNG, unless pdf
  bool pdf = false;  // a plot on paper
  int width = 0;     // pixels of a PNG or SVG
  int height = 0;
  // The plot: the paper in millimetres (turned to lie as the drawing does, unless told not
  // to), 1:scale (0 fits the drawing within the margins), black lines when monochrome.
  double paper_width_mm = 420;
  double paper_height_mm = 297;
  bool turn_paper = true;
  double scale = 0;
  double margin_mm = 10;
  bool monochrome = false;
  bool replace = false;  // an existing picture is kept unless this is set
};

// Writes a picture: the drawing as the window's preview shows it. Throws std::exception with
// a message naming the file. The program's picture writer needs the window's libraries; a
// program without one refuses `render`.
using PictureWriter =
    std::function<void(const PictureJob&, const TConversionContext&, const TConversionSettings&)>;

// Exit statuses: 0 every file converted; 1 a file failed or was refused, or an existing output
// stopped the batch; 2 a usage error, unusable settings, template or output directory, or two
// inputs with one output (nothing converted). No exception leaves it.
// Progress is shown on `err` when `progress` says so; by default when standard error is a
// terminal other than TERM=dumb.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
// Whether standard error is a terminal to show progress on (not TERM=dumb).
bool ProgressWanted();
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progress);
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progress,
           const PictureWriter& pictures);

}  // namespace dxfdin
