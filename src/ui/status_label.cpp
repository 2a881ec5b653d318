#include "ui/status_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace dxfdin::ui {

namespace {

// The text on one line: its line breaks become spaces, the spaces within it stay.
QString OneLine(const QString& text) {
  QString line = text.trimmed();
  line.replace(QChar('\n'), QChar(' '));
  return line;
}

}  // namespace

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
}

QString StatusLabel::ShownText() const {
  return fontMetrics().elidedText(OneLine(text()), Qt::ElideMiddle, contentsRect().width());
}

bool StatusLabel::Elided() const {
  return ShownText() != OneLine(text());
}

QSize StatusLabel::sizeHint() const {
  return minimumSizeHint();
}

QSize StatusLabel::minimumSizeHint() const {
  const QMargins margins = contentsMargins();
  return {fontMetrics().averageCharWidth() * 8 + margins.left() + margins.right(),
          fontMetrics().height() + margins.top() + margins.bottom()};
}

bool StatusLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (Elided()) {
      QToolTip::showText(help->globalPos(), text().trimmed(), this);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QLabel::event(event);
}

void StatusLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                        isEnabled(), ShownText(), foregroundRole());
}

}  // namespace dxfdin::ui
