#include "render/paint_budget.h"

#include <algorithm>
#include <cmath>

namespace dxfdin::render {

namespace {

int Pixels(double extent) {
  return static_cast<int>(std::ceil(std::clamp(extent, 1.0, 1e5)));
}

}  // namespace

PaintBudget::PaintBudget(const QRectF& device, double stroke_cost, InkLimits limits)
    : device_(device),
      width_(Pixels(device.width())),
      height_(Pixels(device.height())),
      columns_((width_ + kCell - 1) / kCell),
      rows_((height_ + kCell - 1) / kCell),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)),
      painted_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)),
      solid_(painted_.size()),
      stroke_cost_(stroke_cost) {
  for (int row = 0; row < rows_; ++row) {
    for (int column = 0; column < columns_; ++column) {
      // Cells along the right and bottom edges may be cut short.
      const int area =
          std::min(kCell, width_ - column * kCell) * std::min(kCell, height_ - row * kCell);
      solid_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
             static_cast<std::size_t>(column)] = static_cast<std::uint8_t>((area * 7 + 7) / 8);
    }
  }
  const double larger = std::max(1.0, static_cast<double>(width_) * height_ / 2e6);
  free_ink_ = limits.free * larger;
  max_ink_ = limits.max * larger;
}

std::size_t PaintBudget::CellOf(double x, double y) const {
  const double column = std::clamp((x - device_.left()) / kCell, 0.0, columns_ - 1.0);
  const double row = std::clamp((y - device_.top()) / kCell, 0.0, rows_ - 1.0);
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
         static_cast<std::size_t>(column);
}

void PaintBudget::Mark(QPointF a, QPointF b, double length) {
  // A pixel at every step along the stroke, of at most one pixel.
  const int steps = static_cast<int>(std::min(std::ceil(length), 1e6));
  for (int i = 0; i <= steps; ++i) {
    const double t = steps == 0 ? 0 : static_cast<double>(i) / steps;
    const double x = std::clamp(a.x() + (b.x() - a.x()) * t - device_.left(), 0.0, width_ - 1.0);
    const double y = std::clamp(a.y() + (b.y() - a.y()) * t - device_.top(), 0.0, height_ - 1.0);
    const auto column = static_cast<std::size_t>(x), row = static_cast<std::size_t>(y);
    const std::size_t pixel = row * static_cast<std::size_t>(width_) + column;
    if (pixels_[pixel]) continue;
    pixels_[pixel] = true;
    ++painted_[row / kCell * static_cast<std::size_t>(columns_) + column / kCell];
  }
}

bool PaintBudget::TakeStroke(QPointF a, QPointF b) {
  // The painter is handed only finite points clipped to the device.
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
      !std::isfinite(b.y())) {
    return false;
  }
  if (ink_ >= max_ink_) {
    thinned_ = true;
    return false;
  }
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double length = std::sqrt(dx * dx + dy * dy);
  if (ink_ >= free_ink_) {
    // Cells half a cell apart along the stroke: is any of them open still?
    const int steps = static_cast<int>(std::min(std::ceil(length / (kCell / 2)), 1e6));
    bool open = false;
    for (int i = 0; i <= steps && !open; ++i) {
      const double t = steps == 0 ? 0 : static_cast<double>(i) / steps;
      open = !Solid(CellOf(a.x() + dx * t, a.y() + dy * t));
    }
    if (!open) {
      thinned_ = true;
      return false;
    }
  }
  Mark(a, b, length);
  ink_ += length + stroke_cost_;
  return true;
}

bool PaintBudget::Hidden(const QPolygonF& points) const {
  if (ink_ < free_ink_) return false;
  for (const QPointF& p : points) {
    if (std::isfinite(p.x()) && std::isfinite(p.y()) && !Solid(CellOf(p.x(), p.y()))) {
      return false;
    }
  }
  return true;
}

bool PaintBudget::TakeText(QPointF at, QPointF end, double extra) {
  if (!TakeStroke(at, end)) return false;
  ink_ += extra;
  return true;
}

}  // namespace dxfdin::render
