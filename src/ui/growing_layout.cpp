#include "ui/growing_layout.h"

#include <QWidget>
#include <cmath>

#include "ui/form_layout.h"

namespace dxfdin::ui {

namespace {

int Share(double share, int extra) {
  return static_cast<int>(std::lround(share * extra));
}

}  // namespace

GrowingLayout::GrowingLayout(QWidget* form, QSize design, double scale)
    : QLayout(form), design_(design), scale_(scale) {
  setContentsMargins(0, 0, 0, 0);
}

GrowingLayout::~GrowingLayout() {
  for (Entry& entry : entries_) delete entry.item;
}

void GrowingLayout::Add(QWidget* widget, const QRect& rect, Growth growth) {
  addChildWidget(widget);
  entries_.push_back({new QWidgetItem(widget), rect, growth});
  invalidate();
}

QSize GrowingLayout::sizeHint() const {
  return minimumSize();
}

QSize GrowingLayout::minimumSize() const {
  return {static_cast<int>(std::lround(design_.width() * scale_)),
          static_cast<int>(std::lround(design_.height() * scale_))};
}

void GrowingLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  const QSize least = minimumSize();
  const int extra_x = std::max(0, rect.width() - least.width());
  const int extra_y = std::max(0, rect.height() - least.height());
  const int gap = std::max(1, static_cast<int>(std::lround(2 * scale_)));
  QList<QRect> places;
  for (const Entry& entry : entries_) {
    QWidget* widget = entry.item->widget();
    QRect place;
    if (widget) {
      place = ScaledRect(widget, entry.rect, scale_);
      const Growth& g = entry.growth;
      place.translate(rect.left() + Share(g.move_x, extra_x),
                      rect.top() + Share(g.move_y, extra_y));
      place.setWidth(place.width() + Share(g.grow_x, extra_x));
      place.setHeight(place.height() + Share(g.grow_y, extra_y));
      // A caption wider than designed (the font that stands in may be wider than the
      // original) pushes what follows it on its row to the right.
      for (const QRect& before : places) {
        const bool same_row = before.top() <= place.bottom() && place.top() <= before.bottom();
        if (same_row && before.left() < place.left() && before.right() >= place.left()) {
          place.moveLeft(before.right() + 1 + gap);
        }
      }
    }
    places.push_back(place);
  }
  for (qsizetype i = 0; i < entries_.size(); ++i) {
    QWidget* widget = entries_[i].item->widget();
    if (!widget) continue;
    // A fixed size: nothing but this layout changes it.
    widget->setFixedSize(places[i].size());
    widget->move(places[i].topLeft());
  }
}

void GrowingLayout::addItem(QLayoutItem* item) {
  entries_.push_back({item, {}, {}});
}

QLayoutItem* GrowingLayout::itemAt(int index) const {
  return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem* GrowingLayout::takeAt(int index) {
  if (index < 0 || index >= entries_.size()) return nullptr;
  return entries_.takeAt(index).item;
}

int GrowingLayout::count() const {
  return static_cast<int>(entries_.size());
}

}  // namespace dxfdin::ui
