// The preview's "印刷 / PDF...": the choices of a plot on paper (the paper, fitted or at a
// scale, the margin, black and white), as `dxfdin render --format pdf` takes them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSpinBox>

#include "render/pdf_plot.h"

namespace dxfdin::ui {

class TPlotDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TPlotDialog(QWidget* parent);

  // The plot the choices make.
  render::PlotOptions Options() const;

  QComboBox* Paper;  // A4 … A0
  QRadioButton* Fit;
  QRadioButton* AtScale;
  QSpinBox* Scale;  // N of 1:N
  QDoubleSpinBox* Margin;
  QCheckBox* Monochrome;
};

}  // namespace dxfdin::ui
