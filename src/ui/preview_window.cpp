#include "ui/preview_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <thread>

#include "render/picture.h"
#include "ui/form_layout.h"
#include "ui/message_dialog.h"
#include "ui/plot_dialog.h"
#include "ui/screen_fit.h"
#include "ui/window_text.h"

namespace dxfdin::ui {

namespace {

// Runs `work` on a thread of its own and hands its result to `done` on the window's thread,
// unless `receiver` is gone by then.
template <typename Work, typename Done>
void OffThread(QObject* receiver, Work work, Done done) {
  QPointer<QObject> guard(receiver);
  std::thread([guard, work = std::move(work), done = std::move(done)]() mutable {
    auto result = work();
    QMetaObject::invokeMethod(
        qApp,
        [guard, done = std::move(done), result = std::move(result)]() mutable {
          if (guard) done(std::move(result));
        },
        Qt::QueuedConnection);
  }).detach();
}

}  // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent), paint_timer_(new QTimer(this)) {
  setObjectName("DrawingView");
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(200, 150);
  // A new image when the view has rested for a moment, not at every step of a drag.
  paint_timer_->setSingleShot(true);
  paint_timer_->setInterval(40);
  connect(paint_timer_, &QTimer::timeout, this, &DrawingView::StartPainting);
}

DrawingView::~DrawingView() {
  if (painting_cancel_) painting_cancel_->store(true);
}

void DrawingView::SetDrawing(std::shared_ptr<const render::PreviewDrawing> drawing) {
  drawing_ = std::move(drawing);
  image_ = QImage();
  Fit();
}

void DrawingView::Fit() {
  if (drawing_) SetView(render::FitViewport(drawing_->bounds, size()));
}

void DrawingView::SetView(const render::Viewport& view) {
  view_ = view;
  update();
  PaintLater();
}

void DrawingView::PaintLater() {
  if (painting_cancel_) painting_cancel_->store(true);
  paint_timer_->start();
}

void DrawingView::StartPainting() {
  if (!drawing_ || width() <= 0 || height() <= 0) return;
  if (painting_cancel_) painting_cancel_->store(true);
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  painting_cancel_ = cancel;
  const int generation = ++generation_;
  const render::Viewport view = view_;
  const QSize size = this->size();
  // Painted in the screen's own pixels, so that lines and texts are sharp at any scale.
  const qreal ratio = devicePixelRatioF();
  painted_ratio_ = ratio;
  OffThread(
      this,
      [drawing = drawing_, view, size, ratio, cancel] {
        QImage image(size * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter painter(&image);
        render::PaintDrawing(painter, *drawing, view, QRectF(QPointF(), size), cancel.get());
        painter.end();
        return cancel->load() ? QImage() : image;
      },
      [this, generation, view](QImage image) {
        if (generation != generation_ || image.isNull()) return;
        image_ = std::move(image);
        image_view_ = view;
        update();
      });
}

void DrawingView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (drawing_ && drawing_->problem) {
    // A file that cannot be shown says why, over what could be read of it.
    painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                     render::DrawingError(*drawing_, Language::kJapanese));
  }
  if (image_.isNull()) return;
  // Moved to a screen of another pixel ratio: a new image follows.
  if (devicePixelRatioF() != painted_ratio_) PaintLater();
  // The last image, moved and scaled to where the current view puts it.
  const double factor = view_.scale / image_view_.scale;
  painter.setTransform(QTransform(factor, 0, 0, factor, view_.ox - factor * image_view_.ox,
                                  view_.oy - factor * image_view_.oy));
  painter.drawImage(QPointF(0, 0), image_);
}

void DrawingView::resizeEvent(QResizeEvent*) {
  if (drawing_ && image_.isNull()) {
    Fit();
  } else {
    PaintLater();
  }
}

void DrawingView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  SetView(view_.ZoomedAt(event->position(), std::pow(1.25, steps)));
  event->accept();
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  drag_from_ = event->position();
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const QPointF delta = event->position() - drag_from_;
  drag_from_ = event->position();
  render::Viewport moved = view_;
  moved.ox += delta.x();
  moved.oy += delta.y();
  SetView(moved);
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
}

void DrawingView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Home) {
    Fit();
    return;
  }
  QWidget::keyPressEvent(event);
}

TPreviewForm::TPreviewForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("TPreviewForm");
  setWindowTitle(QString::fromUtf8("プレビュー"));
  resize(QSize(800, 600).boundedTo(AvailableArea(this).size() * 9 / 10));
  // A window does not inherit its parent's font: take the forms' Japanese one, so the status
  // line shows file names and the geta mark as the main window does.
  setFont(FormFont(15, LayoutScale(this)));
  View = new DrawingView(this);
  Status = new QLabel(this);
  Status->setObjectName("Status");
  Status->setWordWrap(true);
  PlotButton = new QPushButton(JapaneseText(MakeMessage(MessageId::kPlotButton)), this);
  PlotButton->setObjectName("PlotButton");
  PlotButton->setEnabled(false);
  connect(PlotButton, &QPushButton::clicked, this, &TPreviewForm::ChoosePlot);
  connect(this, &TPreviewForm::DrawingShown, this,
          [this] { PlotButton->setEnabled(drawing_ && drawing_->error.isEmpty()); });
  auto* foot = new QHBoxLayout;
  foot->setContentsMargins(4, 0, 4, 0);
  foot->addWidget(Status, 1);
  foot->addWidget(PlotButton, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->addWidget(View, 1);
  layout->addLayout(foot);
}

std::optional<Message> TPreviewForm::Plot(const render::PlotOptions& options,
                                          const std::filesystem::path& target) {
  if (!drawing_) return std::nullopt;
  try {
    render::WritePlot(*drawing_, options, target, true);
  } catch (const std::exception& error) {
    return MessageOf(error);
  }
  Status->setText(JapaneseText(MakeMessage(MessageId::kPlotWritten, {target.string()})));
  return std::nullopt;
}

void TPreviewForm::ChoosePlot() {
  if (!drawing_) return;
  TPlotDialog dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  // Beside the drawing by default, named as dxfdin render names it ("plan.dxf.pdf").
  const QString target =
      QFileDialog::getSaveFileName(this, JapaneseText(MakeMessage(MessageId::kPlotSaveTitle)),
                                   QString::fromStdString(file_.string() + ".pdf"), "PDF (*.pdf)");
  if (target.isEmpty()) return;
  if (auto problem = Plot(dialog.Options(), target.toStdString())) {
    ShowWarning(this, windowTitle(), JapaneseText(*problem));
  }
}

void TPreviewForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FitOnScreen(this);
}

TPreviewForm::~TPreviewForm() {
  if (reading_cancel_) reading_cancel_->store(true);
}

void TPreviewForm::ShowFile(const std::filesystem::path& path, const TConversionContext& context,
                            const TConversionSettings& settings) {
  if (reading_cancel_) reading_cancel_->store(true);
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  reading_cancel_ = cancel;
  const int generation = ++generation_;
  file_ = path;
  drawing_.reset();
  PlotButton->setEnabled(false);
  setWindowTitle(QString::fromUtf8("プレビュー - ") +
                 QString::fromStdString(path.filename().string()));
  Status->setText(QString::fromStdString(
      MessageText(MakeMessage(MessageId::kPreviewReading, {path.string()}), Language::kJapanese)));
  OffThread(
      this,
      [path, context, settings, cancel] {
        return std::make_shared<const render::PreviewDrawing>(
            render::LoadPreviewDrawing(path, context, settings, cancel.get()));
      },
      [this, generation](std::shared_ptr<const render::PreviewDrawing> drawing) {
        if (generation != generation_) return;
        drawing_ = drawing;
        Status->setText(render::DrawingSummary(*drawing, Language::kJapanese));
        View->SetDrawing(drawing);
        emit DrawingShown();
      });
}

}  // namespace dxfdin::ui
