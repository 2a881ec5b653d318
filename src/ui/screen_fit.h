// Windows kept on the screen: at a large scale factor or dots per inch a window laid out for
// a large screen may be larger than the screen it is on.
#pragma once

#include <QMargins>
#include <QRect>
#include <QWidget>

namespace dxfdin::ui {

// The part of the window's screen that windows may cover (the primary screen's while the
// window has none).
QRect AvailableArea(const QWidget* window);
// What the window manager's frame adds around the client area: the frame's own margins once
// the window has one, else a generous estimate (a title bar and thin borders).
QMargins FrameAllowance(const QWidget* window);
// Moves the window, and makes it smaller when it can be, so that its frame lies within the
// available area of its screen.
void FitOnScreen(QWidget* window);

}  // namespace dxfdin::ui
