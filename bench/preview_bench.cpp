// The preview on a large drawing: the time to read it, to paint it whole and zoomed in, and
// the time of one frame while the user pans (the last picture moved, as the preview does).
// usage: preview_bench DRAWING
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdio>

#include "render/drawing_painter.h"
#include "render/preview_drawing.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PaintSeconds(const dxfdin::render::PreviewDrawing& drawing,
                    const dxfdin::render::Viewport& view, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  const auto start = std::chrono::steady_clock::now();
  QPainter painter(&image);
  dxfdin::render::PaintDrawing(painter, drawing, view, QRectF(QPointF(), size));
  painter.end();
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: preview_bench DRAWING\n");
    return 2;
  }
  dxfdin::TConversionContext context;
  dxfdin::ResetConversionContext(context);
  auto start = std::chrono::steady_clock::now();
  const auto drawing = dxfdin::render::LoadPreviewDrawing(argv[1], context, {});
  const double read = Seconds(start);
  if (!drawing.error.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(drawing.error));
    return 1;
  }
  const QSize size(1280, 800);
  const auto fitted = dxfdin::render::FitViewport(drawing.bounds, size);
  const double whole = PaintSeconds(drawing, fitted, size);
  const auto zoomed = fitted.ZoomedAt(QPointF(640, 400), 20);
  const double detail = PaintSeconds(drawing, zoomed, size);
  // A pan frame: the picture of the view drawn moved, as the window paints while dragging.
  QImage picture(size, QImage::Format_RGB32), frame(size, QImage::Format_RGB32);
  picture.fill(Qt::white);
  start = std::chrono::steady_clock::now();
  constexpr int kFrames = 120;
  for (int i = 0; i < kFrames; ++i) {
    QPainter painter(&frame);
    painter.fillRect(frame.rect(), Qt::white);
    painter.drawImage(QPointF(i % 40, i % 25), picture);
  }
  const double per_frame = Seconds(start) / kFrames;
  std::printf(
      "preview: %lld items read in %.2f s; painted whole in %.2f s, zoomed 20x in %.2f s "
      "(off the window's thread); a pan frame %.2f ms (%.0f frames/s)\n",
      static_cast<long long>(drawing.report.items), read, whole, detail, per_frame * 1000,
      1 / per_frame);
  return 0;
}
