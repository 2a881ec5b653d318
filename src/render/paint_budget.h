// The ink a picture may take. Painting costs about as much as the pixels its strokes cover,
// and a drawing of a few hundred bytes can ask for billions of them (a million large circles
// arrayed over one another) while the picture is solid long before. A picture paints every
// stroke until it has had its fill of ink; past that, a stroke that would only cross cells
// already solid is passed over, and past a hard bound nothing more is painted, so that every
// picture finishes in seconds. Drawings of ordinary density never reach the first bound and
// are painted whole.
#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <cstdint>
#include <vector>

namespace dxfdin::render {

// Ink in pixels of a picture of some two million pixels: painted freely up to `free`, never
// beyond `max`. A larger picture has more, in proportion to its pixels.
struct InkLimits {
  double free = 32e6;
  double max = 128e6;
};

class PaintBudget {
 public:
  // The budget of a picture of `device` pixels; each stroke costs `stroke_cost` pixels besides
  // its length (what handing one more line to the painter, or to the SVG text, costs).
  explicit PaintBudget(const QRectF& device, double stroke_cost = 8, InkLimits limits = {});

  // Whether to paint the stroke a-b (device points); a stroke taken is counted.
  bool TakeStroke(QPointF a, QPointF b);
  // Whether to paint a dot at `at`; counted as a stroke of no length.
  bool TakeDot(QPointF at) { return TakeStroke(at, at); }
  // Whether to paint a text running from `at` to `end` along its baseline, `extra` pixels of
  // work besides (laying out its glyphs).
  bool TakeText(QPointF at, QPointF end, double extra);
  // Counts `pixels` of work that paints nothing (the points of an arc, most of them off the
  // device), so that a drawing of such work also ends within the bound.
  void Charge(double pixels) { ink_ += pixels; }
  // Whether a polyline (an arc's chords) may be passed over at once: the picture has had its
  // fill of ink and each of its points lies in a solid cell.
  bool Hidden(const QPolygonF& points) const;

  // Whether the picture paints every stroke still.
  bool Free() const { return ink_ < free_ink_; }
  // Whether the picture has taken all the ink it may: nothing more is painted.
  bool Spent() {
    if (ink_ < max_ink_) return false;
    thinned_ = true;
    return true;
  }
  // Whether strokes were passed over or left out.
  bool Thinned() const { return thinned_; }

  // A cell is solid once its strokes have passed over 7 of its 8 pixels.
  static constexpr int kCell = 8;  // pixels on a side

 private:
  // The cell of the device point (x, y) (finite), the nearest one when it lies off the device.
  std::size_t CellOf(double x, double y) const;
  bool Solid(std::size_t cell) const { return painted_[cell] >= solid_[cell]; }
  // Marks the pixels along a-b as painted.
  void Mark(QPointF a, QPointF b, double length);

  QRectF device_;
  int width_ = 0, height_ = 0;                 // whole pixels
  int columns_ = 0, rows_ = 0;                 // cells
  std::vector<bool> pixels_;                   // painted
  std::vector<std::uint8_t> painted_, solid_;  // by cell: pixels painted, and enough of them
  double stroke_cost_;
  double free_ink_, max_ink_;
  double ink_ = 0;
  bool thinned_ = false;
};

}  // namespace dxfdin::render
