#include "ui/plot_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "ui/window_text.h"

namespace dxfdin::ui {

namespace {

QString Japanese(MessageId id) {
  return JapaneseText(MakeMessage(id));
}

// The A series as a plotter takes them, landscape; the plot turns them to the drawing.
constexpr std::pair<const char*, QSizeF> kPapers[] = {{"A4", {297, 210}},
                                                      {"A3", {420, 297}},
                                                      {"A2", {594, 420}},
                                                      {"A1", {841, 594}},
                                                      {"A0", {1189, 841}}};

}  // namespace

TPlotDialog::TPlotDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("TPlotDialog");
  setWindowTitle(Japanese(MessageId::kPlotTitle));
  Paper = new QComboBox(this);
  for (const auto& [name, size] : kPapers) Paper->addItem(name, size);
  Paper->setCurrentIndex(1);
  Fit = new QRadioButton(Japanese(MessageId::kPlotFit), this);
  Fit->setChecked(true);
  AtScale = new QRadioButton(Japanese(MessageId::kPlotScale), this);
  Scale = new QSpinBox(this);
  Scale->setRange(1, 1000000);
  Scale->setValue(100);
  Scale->setEnabled(false);
  connect(AtScale, &QRadioButton::toggled, Scale, &QWidget::setEnabled);
  Margin = new QDoubleSpinBox(this);
  Margin->setRange(0, 100);
  Margin->setDecimals(1);
  Margin->setValue(10);
  Monochrome = new QCheckBox(Japanese(MessageId::kPlotMonochrome), this);

  auto* scale_row = new QHBoxLayout;
  scale_row->addWidget(AtScale);
  scale_row->addWidget(Scale, 1);
  auto* form = new QFormLayout(this);
  form->addRow(Japanese(MessageId::kPlotPaper), Paper);
  form->addRow(Fit);
  form->addRow(scale_row);
  form->addRow(Japanese(MessageId::kPlotMargin), Margin);
  form->addRow(Monochrome);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(Japanese(MessageId::kCancel));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

render::PlotOptions TPlotDialog::Options() const {
  render::PlotOptions options;
  options.paper_mm = Paper->currentData().toSizeF();
  options.scale = AtScale->isChecked() ? Scale->value() : 0;
  options.margin_mm = Margin->value();
  options.monochrome = Monochrome->isChecked();
  return options;
}

}  // namespace dxfdin::ui
