#include "render/drawing_painter.h"

#include <QFont>
#include <QLineF>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

namespace dxfdin::render {

namespace {

constexpr double kDegree = std::numbers::pi / 180;
// Items painted between looks at `cancel`, and lines handed to the painter at once.
constexpr std::size_t kBatch = 4096;

bool Finite(QPointF p) {
  return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Pens by style: a cosmetic pixel wide, dashed where the pattern is large enough to see.
class Pens {
 public:
  Pens(const PreviewDrawing& drawing, double scale, const PaintStyle& look) {
    const double unit = look.dash_unit > 0 ? look.dash_unit : scale;
    for (const ItemStyle& style : drawing.styles) {
      QPen pen(look.monochrome ? QColor(Qt::black) : ClassColour(style.class_no), look.pen_width);
      pen.setCosmetic(true);
      double period = 0;
      QList<qreal> pattern;
      // A cosmetic pen's pattern counts in widths of the pen.
      for (double length : DashPattern(style.dash)) {
        pattern << std::max(length * unit, look.pen_width) / look.pen_width;
        period += std::max(length * unit, look.pen_width);
      }
      const bool dashed = period >= 6 * look.pen_width;
      if (dashed) pen.setDashPattern(pattern);
      pens_.push_back(pen);
      periods_.push_back(dashed ? period : 0);
    }
  }
  const QPen& Of(std::uint32_t style) const { return pens_[style]; }
  bool Dashed(std::uint32_t style) const { return periods_[style] > 0; }
  // The dashed pen with its pattern `along` pixels on, taken within one period (a huge
  // offset would have the painter step through it).
  QPen DashedAt(std::uint32_t style, double along) const {
    QPen pen = pens_[style];
    const double offset = std::fmod(along, periods_[style]) / pen.widthF();
    pen.setDashOffset(std::isfinite(offset) ? offset : 0);
    return pen;
  }

 private:
  std::vector<QPen> pens_;
  std::vector<double> periods_;  // pixels; 0 when drawn solid
};

// Lines and dots of one style gathered, painted a batch at a time.
class LineBatches {
 public:
  LineBatches(QPainter& painter, const Pens& pens, std::size_t styles)
      : painter_(painter), pens_(pens), lines_(styles), dots_(styles) {}
  void Line(std::uint32_t style, QPointF a, QPointF b) {
    lines_[style].append(QLineF(a, b));
    if (lines_[style].size() >= static_cast<qsizetype>(kBatch)) Flush(style);
  }
  void Dot(std::uint32_t style, QPointF at) {
    dots_[style].append(QPointF(std::floor(at.x()) + 0.5, std::floor(at.y()) + 0.5));
    if (dots_[style].size() >= static_cast<qsizetype>(kBatch)) Flush(style);
  }
  void FlushAll() {
    for (std::size_t style = 0; style < lines_.size(); ++style) {
      Flush(static_cast<std::uint32_t>(style));
    }
  }

 private:
  void Flush(std::uint32_t style) {
    if (lines_[style].isEmpty() && dots_[style].isEmpty()) return;
    painter_.setPen(pens_.Of(style));
    if (!lines_[style].isEmpty()) painter_.drawLines(lines_[style]);
    if (!dots_[style].isEmpty()) painter_.drawPoints(dots_[style].data(), dots_[style].size());
    lines_[style].clear();
    dots_[style].clear();
  }
  QPainter& painter_;
  const Pens& pens_;
  std::vector<QList<QLineF>> lines_;
  std::vector<QList<QPointF>> dots_;
};

bool Cancelled(const std::atomic<bool>* cancel, std::size_t count) {
  return cancel && count % kBatch == 0 && cancel->load();
}

// Paints `items` with `paint`: in their order while the picture has ink to spare, then the
// rest spread out (a stride prime to their count), so that a picture that runs out of ink
// lacks items evenly over the drawing instead of its last ones. Stops once `cancel` is set.
template <typename Item, typename Paint>
void ForEachItem(const std::vector<Item>& items, PaintBudget& budget,
                 const std::atomic<bool>* cancel, Paint paint) {
  const std::size_t n = items.size();
  std::size_t first = 0;
  for (; first < n && budget.Free(); ++first) {
    if (Cancelled(cancel, first + 1)) return;
    paint(items[first]);
  }
  const std::size_t rest = n - first;
  if (rest == 0) return;
  std::size_t stride = static_cast<std::size_t>(static_cast<double>(rest) * 0.618) + 1;
  while (std::gcd(stride, rest) != 1) ++stride;
  std::size_t at = 0;
  for (std::size_t count = 1; count <= rest; ++count) {
    if (Cancelled(cancel, count) || budget.Spent()) return;
    paint(items[first + at]);
    at = (at + stride) % rest;
  }
}

void PaintSegments(QPainter& painter, const PreviewDrawing& drawing, const Viewport& view,
                   const QRectF& box, const Pens& pens, PaintBudget& budget,
                   const std::atomic<bool>* cancel) {
  LineBatches batches(painter, pens, drawing.styles.size());
  ForEachItem(drawing.segments, budget, cancel, [&](const Segment& s) {
    QPointF a = view.ToDevice(s.x1, s.y1), b = view.ToDevice(s.x2, s.y2);
    if (!Finite(a) || !Finite(b)) return;
    const QPointF start = a;
    if (!ClipLine(a, b, box)) return;
    if (std::abs(a.x() - b.x()) < 1 && std::abs(a.y() - b.y()) < 1) {
      if (budget.TakeDot(a)) batches.Dot(s.style, a);
    } else if (!budget.TakeStroke(a, b)) {
      return;
    } else if (pens.Dashed(s.style)) {
      // The pattern runs from the line's own start, wherever the device cuts it.
      painter.setPen(pens.DashedAt(s.style, QLineF(start, a).length()));
      painter.drawLine(a, b);
    } else {
      batches.Line(s.style, a, b);
    }
  });
  batches.FlushAll();
}

void PaintArcs(QPainter& painter, const PreviewDrawing& drawing, const Viewport& view,
               const QRectF& box, const Pens& pens, PaintBudget& budget,
               const std::atomic<bool>* cancel) {
  LineBatches batches(painter, pens, drawing.styles.size());
  // The chords of a dashed arc that lie whole on the device, painted as one polyline so
  // that its pattern runs on along them; `run_along` is where the pattern stands at its start.
  QPolygonF run;
  double run_along = 0;
  auto paint_run = [&](std::uint32_t style) {
    if (run.size() > 1) {
      painter.setPen(pens.DashedAt(style, run_along));
      painter.drawPolyline(run);
    }
    run.clear();
  };
  ForEachItem(drawing.arcs, budget, cancel, [&](const ArcItem& arc) {
    const QPointF centre = view.ToDevice(arc.cx, arc.cy);
    const double r = arc.radius * view.scale;
    if (!Finite(centre) || !std::isfinite(r) || !std::isfinite(arc.start) ||
        !std::isfinite(arc.sweep)) {
      return;
    }
    const QRectF extent(centre - QPointF(r, r), QSizeF(2 * r, 2 * r));
    if (!extent.intersects(box) && !box.contains(centre)) return;
    if (r < 1) {
      if (box.contains(centre) && budget.TakeDot(centre)) batches.Dot(arc.style, centre);
      return;
    }
    const bool dashed = pens.Dashed(arc.style);
    const QPolygonF points = ArcPolyline(arc, view);
    budget.Charge(static_cast<double>(points.size()));
    if (budget.Hidden(points)) return;
    const auto n = points.size() - 1;
    double along = 0;  // where the dash pattern stands at the start of a chord
    for (qsizetype i = 0; i < n; ++i) {
      QPointF a = points[i], b = points[i + 1];
      const double chord = std::sqrt(QPointF::dotProduct(b - a, b - a));
      const bool whole = box.contains(a) && box.contains(b);
      if (!ClipLine(a, b, box) || !budget.TakeStroke(a, b)) {
        paint_run(arc.style);
      } else if (!dashed) {
        batches.Line(arc.style, a, b);
      } else if (whole) {
        if (run.isEmpty()) {
          run_along = along;
          run << a;
        }
        run << b;
      } else {
        // Only the part on the device is dashed: an arc of a huge radius never asks for
        // endless dashes.
        paint_run(arc.style);
        painter.setPen(pens.DashedAt(arc.style, along + QLineF(points[i], a).length()));
        painter.drawLine(a, b);
      }
      along += chord;
    }
    paint_run(arc.style);
  });
  batches.FlushAll();
}

void PaintTexts(QPainter& painter, const PreviewDrawing& drawing, const Viewport& view,
                const PaintStyle& look, const QRectF& box, PaintBudget& budget,
                const std::atomic<bool>* cancel) {
  QFont font = painter.font();
  font.setFamilies({"IPAGothic", "IPAPGothic", font.family()});
  ForEachItem(drawing.texts, budget, cancel, [&](const TextItem& text) {
    const QPointF at = view.ToDevice(text.x, text.y);
    const double height = text.height * view.scale;
    const double width = text.width * view.scale;
    if (!Finite(at) || !std::isfinite(height) || !std::isfinite(text.angle)) return;
    const double reach = std::max(width, height) + 2;
    if (!box.adjusted(-reach, -reach, reach, reach).contains(at)) return;
    // The budget counts the text as its baseline on the device, and a text in letters as its
    // glyphs besides: a share of its frame, and the laying out.
    const bool lettered = (look.exact_text ? height > 0 : height >= 3) &&
                          height <= 4 * std::max(box.width(), box.height());
    const double turn = text.angle * kDegree;
    QPointF from = at, to = at + QPointF(std::cos(turn), -std::sin(turn)) * std::max(width, 1.0);
    if (!ClipLine(from, to, box)) from = to = at;
    const double glyphs =
        lettered ? QLineF(from, to).length() * std::min(height, box.height()) / 8 + 256 : 0;
    if (!budget.TakeText(from, to, glyphs)) return;
    const QColor colour =
        look.monochrome ? QColor(Qt::black) : ClassColour(drawing.styles[text.style].class_no);
    painter.save();
    painter.translate(at);
    painter.rotate(-text.angle);
    if (!lettered) {
      // Too small to read, or larger than the picture: where the text runs.
      painter.setPen(QPen(colour, 0));
      painter.drawLine(QPointF(0, 0), QPointF(std::max(width, 1.0), 0));
    } else {
      // The frame half a unit around the text, then the text on its baseline, its capitals
      // the text's height.
      if (look.text_frames) {
        const double half = 0.5 * view.scale;
        painter.setPen(QPen(QColor(200, 200, 200), 0));
        painter.drawRect(QRectF(-half, half, width + 2 * half, -(height + 2 * half)));
      }
      if (look.exact_text) {
        // Laid out at a size of many pixels and scaled to the height, which need not be a
        // whole number of pixels.
        constexpr int kLayoutPixels = 1000;
        font.setPixelSize(kLayoutPixels);
        painter.scale(height / 0.73 / kLayoutPixels, height / 0.73 / kLayoutPixels);
      } else {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(height / 0.73))));
      }
      painter.setFont(font);
      painter.setPen(colour);
      painter.drawText(QPointF(0, 0), text.text);
    }
    painter.restore();
  });
}

}  // namespace

const std::vector<double>& DashPattern(Dash dash) {
  static const std::vector<double> kSolid;
  static const std::vector<double> kDashed = {0.5, 0.25};
  static const std::vector<double> kCenter = {1.25, 0.25, 0.25, 0.25};
  static const std::vector<double> kPhantom = {1.25, 0.25, 0.25, 0.25, 0.25, 0.25};
  switch (dash) {
    case Dash::kDashed:
      return kDashed;
    case Dash::kCenter:
      return kCenter;
    case Dash::kPhantom:
      return kPhantom;
    case Dash::kSolid:
      break;
  }
  return kSolid;
}

bool ClipLine(QPointF& a, QPointF& b, const QRectF& box) {
  // Liang and Barsky: the parameter range of the line within each pair of edges.
  double t0 = 0, t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(),
                       box.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const QPointF start = a;
  a = start + QPointF(dx, dy) * t0;
  b = start + QPointF(dx, dy) * t1;
  return true;
}

QPolygonF ArcPolyline(const ArcItem& arc, const Viewport& view) {
  const QPointF centre = view.ToDevice(arc.cx, arc.cy);
  const double r = arc.radius * view.scale;
  const double step = 2 * std::acos(std::max(-1.0, 1 - 0.25 / std::max(r, 0.25)));
  const double sweep = std::min(std::abs(arc.sweep), 360.0) * kDegree;
  QPolygonF points;
  if (!Finite(centre) || !std::isfinite(r) || !std::isfinite(arc.start) || !std::isfinite(sweep)) {
    return points;
  }
  // No sweep over no step (a huge radius) is not a number of chords: two.
  const double chords = sweep / step;
  const int n = chords > 2 ? static_cast<int>(std::ceil(std::min(chords, 4096.0))) : 2;
  points.reserve(n + 1);
  for (int i = 0; i <= n; ++i) {
    const double a = arc.start * kDegree + sweep * i / n;
    points << QPointF(centre.x() + r * std::cos(a), centre.y() - r * std::sin(a));
  }
  return points;
}

Viewport Viewport::ZoomedAt(QPointF at, double factor) const {
  Viewport zoomed;
  zoomed.scale = scale * factor;
  zoomed.ox = at.x() - (at.x() - ox) * factor;
  zoomed.oy = at.y() - (at.y() - oy) * factor;
  return zoomed;
}

Viewport FitViewport(const QRectF& bounds, const QSizeF& size, double margin) {
  Viewport view;
  if (bounds.isEmpty() || size.isEmpty()) return view;
  const double w = std::max(size.width() - 2 * margin, 1.0);
  const double h = std::max(size.height() - 2 * margin, 1.0);
  view.scale = std::min(w / bounds.width(), h / bounds.height());
  view.ox = size.width() / 2 - view.scale * bounds.center().x();
  view.oy = size.height() / 2 + view.scale * bounds.center().y();
  return view;
}

QColor ClassColour(std::int32_t class_no) {
  if (class_no == 0) return Qt::black;
  // Hues a golden angle apart, so that neighbouring classes differ.
  const double hue = std::fmod(static_cast<double>(class_no) * 0.618033988749895, 1.0);
  return QColor::fromHsvF(static_cast<float>(hue < 0 ? hue + 1 : hue), 0.85f, 0.7f);
}

bool PaintDrawing(QPainter& painter, const PreviewDrawing& drawing, const Viewport& view,
                  const QRectF& device, const std::atomic<bool>* cancel, InkLimits limits,
                  const PaintStyle& style) {
  if (!(view.scale > 0) || !std::isfinite(view.scale)) return true;
  // A pixel beyond the device on each side, so that lines along its edges are drawn.
  const QRectF box = device.adjusted(-2, -2, 2, 2);
  const Pens pens(drawing, view.scale, style);
  PaintBudget budget(device, 8, limits);
  PaintSegments(painter, drawing, view, box, pens, budget, cancel);
  PaintArcs(painter, drawing, view, box, pens, budget, cancel);
  PaintTexts(painter, drawing, view, style, box, budget, cancel);
  return !budget.Thinned();
}

}  // namespace dxfdin::render
