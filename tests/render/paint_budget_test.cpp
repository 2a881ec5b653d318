// The ink a picture may take: dense drawings thinned where the picture is solid, evenly over
// the drawing, and never beyond the bound; drawings of ordinary density painted whole.
#include <QImage>
#include <QPainter>
#include <QtTest/QtTest>

#include "render/drawing_painter.h"
#include "render/paint_budget.h"

using namespace dxfdin::render;

namespace {

bool Dark(const QImage& image, int x, int y) {
  return image.valid(x, y) && qGray(image.pixel(x, y)) < 230;
}

int DarkPixels(const QImage& image, QRect within) {
  int dark = 0;
  for (int y = within.top(); y <= within.bottom(); ++y) {
    for (int x = within.left(); x <= within.right(); ++x) dark += Dark(image, x, y);
  }
  return dark;
}

// A grid of `columns` by `rows` circles of `radius`, one unit apart, in one class.
PreviewDrawing CircleGrid(int columns, int rows, double radius) {
  PreviewDrawing drawing;
  drawing.styles.push_back({1, Dash::kSolid});
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      drawing.arcs.push_back({double(column), double(row), radius, 0, 360, 0});
    }
  }
  drawing.bounds = QRectF(-radius, -radius, columns - 1 + 2 * radius, rows - 1 + 2 * radius);
  return drawing;
}

struct Painted {
  QImage image;
  bool whole;
};

Painted Paint(const PreviewDrawing& drawing, QSize size, InkLimits limits) {
  Painted painted{QImage(size, QImage::Format_RGB32), false};
  painted.image.fill(Qt::white);
  QPainter painter(&painted.image);
  painted.whole = PaintDrawing(painter, drawing, FitViewport(drawing.bounds, size),
                               QRectF(QPointF(), size), nullptr, limits);
  return painted;
}

}  // namespace

class PaintBudgetTest : public QObject {
  Q_OBJECT

 private slots:
  void StrokesOverSolidCellsArePassedOverOnceTheInkIsSpent() {
    PaintBudget budget(QRectF(0, 0, 64, 64), 0, {1000, 100000});
    // The top half painted over: free ink runs out, its cells are solid.
    for (double y = 0; y < 32; y += 0.5) budget.TakeStroke({0, y}, {63.9, y});
    QVERIFY(!budget.Free());
    QVERIFY(!budget.TakeStroke({5, 10}, {60, 20}));
    QVERIFY(budget.Thinned());
    QVERIFY(budget.Hidden(QPolygonF({{5, 5}, {30, 20}, {60, 5}})));
    // The bottom half is open: strokes there, and those that reach into it, are painted.
    QVERIFY(budget.TakeStroke({0, 50}, {63, 50}));
    QVERIFY(budget.TakeStroke({10, 10}, {10, 40}));
    QVERIFY(!budget.Hidden(QPolygonF({{5, 5}, {30, 40}})));
    // Points that are not finite are never painted.
    QVERIFY(!budget.TakeStroke({NAN, 1}, {1, 1}));
  }

  void NothingIsPaintedBeyondTheBound() {
    // Lines across the picture, a few pixels apart: no cell fills, only the bound stops them.
    PreviewDrawing drawing;
    drawing.styles.push_back({0, Dash::kSolid});
    for (int i = 0; i <= 50; ++i) drawing.segments.push_back({0, i * 0.02, 1, i * 0.02, 0});
    drawing.bounds = QRectF(0, 0, 1, 1);
    const Painted all = Paint(drawing, QSize(200, 200), {});
    QVERIFY(all.whole);
    const Painted bounded = Paint(drawing, QSize(200, 200), {1000, 3000});
    QVERIFY(!bounded.whole);
    const int dark = DarkPixels(bounded.image, bounded.image.rect());
    QVERIFY2(dark > 0 && dark < 3 * 3000, qPrintable(QString::number(dark)));
    QVERIFY(DarkPixels(all.image, all.image.rect()) > 3 * 3000);
    // Arcs of a huge radius, each thousands of chords off the picture and a few on it: the
    // chords made count too, so that painting them ends within the bound.
    PreviewDrawing arcs;
    arcs.styles.push_back({0, Dash::kSolid});
    for (int i = 0; i < 1000; ++i) arcs.arcs.push_back({0, -1e9, 1e9 + i * 1e-2, 0, 360, 0});
    arcs.bounds = QRectF(0, 0, 1, 1);
    QVERIFY(!Paint(arcs, QSize(200, 200), {100000, 400000}).whole);
    QVERIFY(Paint(arcs, QSize(200, 200), {}).whole);
  }

  void DenseDrawingsAreThinnedEvenly() {
    // Ten thousand circles over one another, the last ones at the top. Painted within a
    // small budget, the picture still shows the top and the bottom rows' edges.
    const PreviewDrawing drawing = CircleGrid(100, 100, 30);
    const QSize size(200, 200);
    const Painted bounded = Paint(drawing, size, {100000, 400000});
    QVERIFY(!bounded.whole);
    const Viewport view = FitViewport(drawing.bounds, size);
    const int top = int(view.ToDevice(50, 99 + 30).y()), bottom = int(view.ToDevice(50, -30).y());
    const int left = int(view.ToDevice(0, 0).x()), right = int(view.ToDevice(99, 0).x());
    QVERIFY(DarkPixels(bounded.image, QRect(QPoint(left, top - 1), QPoint(right, top + 2))) > 0);
    QVERIFY(DarkPixels(bounded.image, QRect(QPoint(left, bottom - 2), QPoint(right, bottom + 1))) >
            0);
    // The middle, where hundreds of circles cross, is solid.
    const QPoint middle = view.ToDevice(50, 50).toPoint();
    QVERIFY(DarkPixels(bounded.image, QRect(middle - QPoint(10, 10), QSize(20, 20))) > 300);
  }

  void DrawingsOfOrdinaryDensityArePaintedWhole() {
    // A hundred circles side by side paint the same pixels as without any budget.
    const PreviewDrawing drawing = CircleGrid(10, 10, 0.45);
    const Painted painted = Paint(drawing, QSize(400, 400), {});
    QVERIFY(painted.whole);
    const Painted unbounded = Paint(drawing, QSize(400, 400), {1e18, 1e18});
    QCOMPARE(painted.image, unbounded.image);
  }
};

QTEST_MAIN(PaintBudgetTest)
#include "paint_budget_test.moc"
