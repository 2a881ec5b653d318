// A form laid out in layout pixels that grows with its window: at its designed size every
// widget is where the design puts it; the pixels the window has beyond that move and widen
// the widgets by the shares each is given. The designed size is the least the form takes.
#pragma once

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

namespace dxfdin::ui {

// The shares of the extra width (x) and height (y) by which a widget moves and grows.
struct Growth {
  double move_x = 0;
  double move_y = 0;
  double grow_x = 0;
  double grow_y = 0;
};

class GrowingLayout : public QLayout {
  Q_OBJECT
 public:
  // A form of `design` layout pixels on `form`, scaled by `scale` screen pixels a layout pixel.
  GrowingLayout(QWidget* form, QSize design, double scale);
  ~GrowingLayout() override;

  // Lays `widget` out at the layout rectangle `rect`, following the form by `growth`. The
  // layout alone sizes its widgets: adjustSize() on one of them changes nothing. Widgets of a
  // row are added from left to right: one made wider than designed pushes those after it.
  void Add(QWidget* widget, const QRect& rect, Growth growth = {});
  double Scale() const { return scale_; }

  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;
  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;

 private:
  struct Entry {
    QLayoutItem* item;
    QRect rect;
    Growth growth;
  };
  QList<Entry> entries_;
  QSize design_;
  double scale_;
};

}  // namespace dxfdin::ui
