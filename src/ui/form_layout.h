// The windows are laid out in pixels for 120 pixels per inch; these scale such a layout to
// the screen and pick the Japanese font.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace dxfdin::ui {

// Records that the window `window` holds a form of `layout_size` layout pixels, and
// `extra_height` layout pixels more above it (a menu bar). Call before the first LayoutScale
// of the window or of its widgets.
void SetFormSize(QWidget* window, QSize layout_size, int extra_height = 0);
// Screen pixels per layout pixel: the screen's pixels per inch over 120, made smaller when the
// form of the widget's window (SetFormSize) would not fit the screen at that scale.
double LayoutScale(const QWidget* widget);
// The rectangle of `widget` for the layout rectangle `layout`, at `scale`. A caption is never
// cut: labels and check boxes are at least as large as their text asks.
QRect ScaledRect(const QWidget* widget, const QRect& layout, double scale);
// Places `widget` at the layout rectangle, scaled.
void Place(QWidget* widget, int left, int top, int width, int height);
// "ＭＳ Ｐゴシック" where it is installed, otherwise a Japanese proportional Gothic.
QFont FormFont(int pixel_height, double scale);

}  // namespace dxfdin::ui
