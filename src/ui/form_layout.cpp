#include "ui/form_layout.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace dxfdin::ui {

double LayoutScale(const QWidget* widget) {
  const QScreen* screen = widget->screen();
  double dpi = screen ? screen->logicalDotsPerInch() : 96;
  return dpi / 120.0;
}

void Place(QWidget* widget, int left, int top, int width, int height) {
  double s = LayoutScale(widget);
  int w = static_cast<int>(std::lround(width * s));
  int h = static_cast<int>(std::lround(height * s));
  // A caption never gets cut: the font that stands in may be wider than the original.
  auto* label = qobject_cast<QLabel*>(widget);
  if ((label && !label->wordWrap()) || qobject_cast<QCheckBox*>(widget)) {
    w = std::max(w, widget->sizeHint().width());
    h = std::max(h, widget->sizeHint().height());
  }
  widget->setGeometry(static_cast<int>(std::lround(left * s)),
                      static_cast<int>(std::lround(top * s)), w, h);
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
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixel_height * scale))));
  return font;
}

}  // namespace dxfdin::ui
