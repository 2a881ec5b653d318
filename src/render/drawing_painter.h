// Painting a drawing's items: each class in a colour of its own, line types as the DXF
// side's patterns, texts in their height and angle with their frames. What is smaller than a
// pixel is a dot or nothing, what lies off the device is not drawn, so that a large drawing
// paints in time proportional to what shows.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <atomic>
#include <vector>

#include "render/paint_budget.h"
#include "render/preview_drawing.h"

namespace dxfdin::render {

// Drawing units to device pixels: x to the right, y up.
struct Viewport {
  double scale = 1;  // pixels per drawing unit
  double ox = 0;     // the device point of the drawing's origin
  double oy = 0;

  QPointF ToDevice(double x, double y) const { return {ox + scale * x, oy - scale * y}; }
  QPointF ToDrawing(QPointF device) const {
    return {(device.x() - ox) / scale, (oy - device.y()) / scale};
  }
  // Zoomed by `factor` about the device point `at`, which keeps its place on the drawing.
  Viewport ZoomedAt(QPointF at, double factor) const;
};

// The viewport that shows `bounds` whole, centred on a device of `size`, `margin` pixels
// free around it.
Viewport FitViewport(const QRectF& bounds, const QSizeF& size, double margin = 12);

// A colour of its own for each class, dark enough to read on white.
QColor ClassColour(std::int32_t class_no);

// The part of the line a-b within `box` (in place), or false when none of it is.
bool ClipLine(QPointF& a, QPointF& b, const QRectF& box);

// The device points of an arc (or circle) of at least one pixel's radius: chords within a
// quarter pixel of it, at most 4096; none when its numbers are not finite.
QPolygonF ArcPolyline(const ArcItem& arc, const Viewport& view);

// The patterns of the DXF side's line types in drawing units (dash, gap, dash, gap ...);
// empty for a solid line.
const std::vector<double>& DashPattern(Dash dash);

// How the items look: on screen each class in its colour, lines a pixel wide, dashes in
// drawing units, texts in their frames; on paper the lines have a width and the dashes a
// length of the paper's, and colour may give way to black.
struct PaintStyle {
  bool monochrome = false;
  double pen_width = 1;  // device pixels
  double dash_unit = 0;  // device pixels for a line type pattern's unit; 0: drawing units
  bool text_frames = true;
  // Texts of any height in letters at their exact size (a plot is read under a loupe or
  // searched); else below 3 pixels a text is a line where it runs.
  bool exact_text = false;
};

// Paints the items that lie on `device` (the painter's pixels) through `view`, within the
// ink `limits` give; returns whether it painted all of them. Stops early, leaving the
// picture partly painted, once `cancel` is set.
bool PaintDrawing(QPainter& painter, const PreviewDrawing& drawing, const Viewport& view,
                  const QRectF& device, const std::atomic<bool>* cancel = nullptr,
                  InkLimits limits = {}, const PaintStyle& style = {});

}  // namespace dxfdin::render
