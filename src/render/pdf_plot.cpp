#include "render/pdf_plot.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "render/drawing_painter.h"

namespace dxfdin::render {

namespace {

// Device pixels per inch of the PDF: coordinates are exact to a fraction of that, and the
// ink budget of a plot on A0 stays a few megabytes.
constexpr int kResolution = 600;
constexpr double kPixelsPerMm = kResolution / 25.4;
constexpr double kPenMm = 0.25;
// A line type's pattern unit on paper: DASHED is then 4 mm on, 2 mm off.
constexpr double kDashUnitMm = 8;

}  // namespace

QSizeF PlotPaper(const PreviewDrawing& drawing, const PlotOptions& options) {
  QSizeF paper = options.paper_mm;
  if (options.turn_to_fit && drawing.bounds.isValid()) {
    const bool wide = drawing.bounds.width() >= drawing.bounds.height();
    if (wide != (paper.width() >= paper.height())) paper.transpose();
  }
  return paper;
}

QByteArray DrawingPdf(const PreviewDrawing& drawing, const PlotOptions& options,
                      const QString& title) {
  const QSizeF paper = PlotPaper(drawing, options);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setCreator("dxfdin");
    writer.setResolution(kResolution);
    writer.setPageSize(QPageSize(paper, QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter(&writer);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF device(paper.width() * kPixelsPerMm, paper.height() * kPixelsPerMm);
    const double margin = options.margin_mm * kPixelsPerMm;
    Viewport view;
    if (options.scale > 0) {
      // Drawing units as millimetres at 1:N, the drawing's centre on the paper's.
      view.scale = kPixelsPerMm / options.scale;
      const QPointF centre = drawing.bounds.center();
      view.ox = device.width() / 2 - view.scale * centre.x();
      view.oy = device.height() / 2 + view.scale * centre.y();
    } else {
      view = FitViewport(drawing.bounds, device, margin);
    }
    PaintStyle style;
    style.monochrome = options.monochrome;
    style.pen_width = kPenMm * kPixelsPerMm;
    style.dash_unit = kDashUnitMm * kPixelsPerMm;
    style.text_frames = false;
    style.exact_text = true;
    // Within the margins; what lies beyond them is cut off, as a plotter would.
    const QRectF printable = QRectF(QPointF(), device).adjusted(margin, margin, -margin, -margin);
    painter.setClipRect(printable);
    PaintDrawing(painter, drawing, view, printable, nullptr, {}, style);
  }
  return bytes;
}

}  // namespace dxfdin::render
