// A plot of a drawing on paper, as a vector PDF: lines as strokes by class colour (or black),
// line types dashed in lengths of the paper, texts as text in the Japanese font (embedded, so
// that a reader can search them), the drawing at a scale (drawing units as millimetres at
// 1:N, centred) or fitted within the margins.
#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include "render/preview_drawing.h"

namespace dxfdin::render {

struct PlotOptions {
  QSizeF paper_mm{420, 297};  // A3 landscape
  bool turn_to_fit = true;    // turn the paper where the drawing's shape asks
  double scale = 0;           // N of 1:N; 0 fits the drawing within the margins
  double margin_mm = 10;
  bool monochrome = false;
};

// The paper the plot is made on: the given paper, turned to lie as the drawing does when
// `turn_to_fit`.
QSizeF PlotPaper(const PreviewDrawing& drawing, const PlotOptions& options);

// The PDF document of the plot, titled `title`.
QByteArray DrawingPdf(const PreviewDrawing& drawing, const PlotOptions& options,
                      const QString& title);

}  // namespace dxfdin::render
