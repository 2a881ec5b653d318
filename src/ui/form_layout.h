// The windows are laid out in pixels for 120 pixels per inch; these scale such a layout to
// the screen and pick the Japanese font.
#pragma once

#include <QFont>
#include <QWidget>

namespace dxfdin::ui {

// Screen pixels per layout pixel.
double LayoutScale(const QWidget* widget);
// Places `widget` at the layout rectangle, scaled.
void Place(QWidget* widget, int left, int top, int width, int height);
// "ＭＳ Ｐゴシック" where it is installed, otherwise a Japanese proportional Gothic.
QFont FormFont(int pixel_height, double scale);

}  // namespace dxfdin::ui
