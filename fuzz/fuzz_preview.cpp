// Any bytes as a drawing for the preview: the first byte chooses DXF (even) or DIN (odd),
// the rest is read as the window reads a file, within bounds lowered to a fuzzing run's
// size, then painted on a small picture fitted, zoomed far in and far out, and written as
// SVG. Reading and painting end whatever the drawing holds, and every item read is one the
// preview may hold.
#include <stdlib.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "din_format/conversion_context.h"
#include "fuzz_support.h"
#include "render/drawing_painter.h"
#include "render/picture.h"
#include "render/preview_drawing.h"
#include "settings/conversion_settings.h"

namespace dxfdin::fuzz {
namespace {

constexpr std::int64_t kMaxItems = 20'000;
// Enough ink for a few thousand strokes, so that a run stays quick.
constexpr render::InkLimits kInk{200'000, 800'000};

// The input as a file of its own with the extension the preview reads by, removed afterwards.
class DrawingFile {
 public:
  DrawingFile(const char* extension, const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "dxfdin-fuzz-preview-XXXXXX").string() + extension;
    const int fd = ::mkstemps(pattern.data(), 4);
    Require(fd >= 0, "a file for the drawing");
    for (std::size_t done = 0; done < size;) {
      const ssize_t wrote = ::write(fd, data + done, size - done);
      Require(wrote > 0, "the drawing written");
      done += static_cast<std::size_t>(wrote);
    }
    ::close(fd);
    path_ = pattern;
  }
  ~DrawingFile() { ::unlink(path_.c_str()); }
  DrawingFile(const DrawingFile&) = delete;
  DrawingFile& operator=(const DrawingFile&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void Paint(const render::PreviewDrawing& drawing, const render::Viewport& view, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  render::PaintDrawing(painter, drawing, view, QRectF(QPointF(), size), nullptr, kInk);
}

}  // namespace
}  // namespace dxfdin::fuzz

// Fontconfig keeps what it matched for the fonts of texts for good: not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Texts are laid out with fonts, which need the application; no display is needed.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "fuzz_preview";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dxfdin;
  if (size == 0) return 0;
  static const TConversionSettings settings;
  TConversionContext context;
  ResetConversionContext(context);
  context.max_output_bytes = 1 << 20;
  context.max_work = 20'000;
  const fuzz::DrawingFile file((data[0] & 1) ? ".din" : ".dxf", data + 1, size - 1);
  const render::PreviewDrawing drawing =
      render::LoadPreviewDrawing(file.Path(), context, settings, nullptr, fuzz::kMaxItems);
  fuzz::Require(static_cast<std::int64_t>(drawing.segments.size() + drawing.arcs.size() +
                                          drawing.texts.size()) <= fuzz::kMaxItems,
                "the preview holds no more items than it may");
  for (const render::ItemStyle& style : drawing.styles) {
    (void)render::ClassColour(style.class_no);
  }
  const QSize size_of_picture(96, 72);
  const render::Viewport fitted = render::FitViewport(drawing.bounds, size_of_picture);
  const QPointF centre(48, 36);
  for (const double zoom : {1.0, 1e6, 1e-6}) {
    fuzz::Paint(drawing, fitted.ZoomedAt(centre, zoom), size_of_picture);
  }
  (void)render::DrawingSvg(drawing, size_of_picture, fuzz::kInk);
  return 0;
}
