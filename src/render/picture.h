// Pictures of a drawing, as the preview shows it fitted to the picture, on white: a raster
// image (PNG) or an SVG document. Written without a display (Qt's offscreen platform does for
// the image's text).
#pragma once

#include <QImage>
#include <QSize>
#include <filesystem>
#include <string>

#include "render/paint_budget.h"
#include "render/pdf_plot.h"
#include "render/preview_drawing.h"

namespace dxfdin::render {

enum class PictureFormat { kPng, kSvg };

QImage DrawingImage(const PreviewDrawing& drawing, QSize size);

// An SVG document of the picture: one path per class and line type, one text element per
// text, in the pixels of `size`; within the ink `limits` give, each stroke counted with
// what it takes in the document.
std::string DrawingSvg(const PreviewDrawing& drawing, QSize size, InkLimits limits = {});

// Writes the picture of `drawing` to `target`, safely (a temporary file put in its place when
// complete); an existing target is kept unless `replace`. Throws std::system_error naming the
// target (OutputExistsError when it exists and is kept).
void WritePicture(const PreviewDrawing& drawing, PictureFormat format, QSize size,
                  const std::filesystem::path& target, bool replace);
// Writes the PDF plot of `drawing` to `target`, as safely.
void WritePlot(const PreviewDrawing& drawing, const PlotOptions& options,
               const std::filesystem::path& target, bool replace);

}  // namespace dxfdin::render
