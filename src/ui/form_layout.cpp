#include "ui/form_layout.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "ui/screen_fit.h"

namespace dxfdin::ui {

namespace {

constexpr const char* kFormSize = "dxfdinFormSize";
constexpr const char* kFormExtraHeight = "dxfdinFormExtraHeight";

int Scaled(int length, double scale) {
  return static_cast<int>(std::lround(length * scale));
}

}  // namespace

void SetFormSize(QWidget* window, QSize layout_size, int extra_height) {
  window->setProperty(kFormSize, layout_size);
  window->setProperty(kFormExtraHeight, extra_height);
}

double LayoutScale(const QWidget* widget) {
  const QScreen* screen = widget->screen();
  const double dpi = screen ? screen->logicalDotsPerInch() : 96;
  const double scale = dpi / 120.0;
  const QWidget* window = widget->window();
  const QSize form = window->property(kFormSize).toSize();
  if (form.isEmpty()) return scale;
  // The scale at which the form, its extra rows and the window's frame fill the screen.
  const QRect area = AvailableArea(window);
  const QMargins frame = FrameAllowance(window);
  const double fit_x = double(area.width() - frame.left() - frame.right()) / form.width();
  const double fit_y = double(area.height() - frame.top() - frame.bottom()) /
                       (form.height() + window->property(kFormExtraHeight).toInt());
  return std::max(0.1, std::min({scale, fit_x, fit_y}));
}

QRect ScaledRect(const QWidget* widget, const QRect& layout, double scale) {
  int w = Scaled(layout.width(), scale);
  int h = Scaled(layout.height(), scale);
  // The font that stands in may be wider than the original.
  auto* label = qobject_cast<const QLabel*>(widget);
  if ((label && !label->wordWrap()) || qobject_cast<const QCheckBox*>(widget)) {
    w = std::max(w, widget->sizeHint().width());
    h = std::max(h, widget->sizeHint().height());
  }
  return {Scaled(layout.left(), scale), Scaled(layout.top(), scale), w, h};
}

void Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(ScaledRect(widget, QRect(left, top, width, height), LayoutScale(widget)));
}

QFont FormFont(int pixel_height, double scale) {
  const QStringList families = QFontDatabase::families();
  QString family = QString::fromUtf8("ＭＳ Ｐゴシック");
  if (!families.contains(family)) {
    family = "IPAPGothic";
    for (const char* candidate : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"}) {
      if (families.contains(candidate)) {
        family = candidate;
        break;
      }
    }
  }
  QFont font(family);
  font.setPixelSize(std::max(1, Scaled(pixel_height, scale)));
  return font;
}

}  // namespace dxfdin::ui
