// A one-line status: text too long for the line is cut in the middle ("…"), and the whole
// text is shown as the tooltip. text() stays the whole text.
#pragma once

#include <QLabel>
#include <QString>

namespace dxfdin::ui {

class StatusLabel : public QLabel {
  Q_OBJECT
 public:
  explicit StatusLabel(QWidget* parent);

  // The text as the line shows it: on one line, cut in the middle to the width.
  QString ShownText() const;
  // Whether the line shows less than the text.
  bool Elided() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace dxfdin::ui
