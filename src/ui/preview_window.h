// The preview: a window of its own beside the main window that draws a DXF or DIN file as
// the DIN items its conversion gives (what the user sees is what the conversion keeps).
// Files are read and pictures painted off the window's thread; a new file or view cancels
// the work for the old one. The wheel zooms about the cursor, dragging pans, Home fits.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>

#include "din_format/conversion_context.h"
#include "render/drawing_painter.h"
#include "render/pdf_plot.h"
#include "render/preview_drawing.h"
#include "settings/conversion_settings.h"

class QTimer;

namespace dxfdin::ui {

// The drawing, painted into an image for the current view by a worker thread. While the
// user pans or zooms, the last image is moved and scaled at once, and a fresh one follows.
class DrawingView : public QWidget {
  Q_OBJECT
 public:
  explicit DrawingView(QWidget* parent);
  ~DrawingView() override;

  void SetDrawing(std::shared_ptr<const render::PreviewDrawing> drawing);
  // Shows the whole drawing.
  void Fit();
  const render::Viewport& View() const { return view_; }
  void SetView(const render::Viewport& view);
  // The last image painted, in device pixels (its pixel ratio that of the view's screen).
  const QImage& Picture() const { return image_; }
  // Whether the image shown was painted for the current view (tests wait for it).
  bool Painted() const {
    return !image_.isNull() && image_view_.scale == view_.scale && image_view_.ox == view_.ox &&
           image_view_.oy == view_.oy;
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void PaintLater();
  void StartPainting();

  std::shared_ptr<const render::PreviewDrawing> drawing_;
  render::Viewport view_;
  QImage image_;
  render::Viewport image_view_;
  qreal painted_ratio_ = 0;  // the pixel ratio of the last image asked for
  QTimer* paint_timer_;
  std::shared_ptr<std::atomic<bool>> painting_cancel_;
  int generation_ = 0;
  QPointF drag_from_;
  bool dragging_ = false;
};

class TPreviewForm : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewForm(QWidget* parent);
  ~TPreviewForm() override;

  // Reads `path` with copies of the batch's context and settings, so that looking never
  // changes what the next batch writes.
  void ShowFile(const std::filesystem::path& path, const TConversionContext& context,
                const TConversionSettings& settings);
  const std::filesystem::path& File() const { return file_; }
  // The drawing shown, once read (null while it is read).
  const render::PreviewDrawing* Drawing() const { return drawing_.get(); }
  // Writes the plot of the drawing shown to `target` as a PDF; says on the status line that
  // it did, or returns why it could not.
  std::optional<Message> Plot(const render::PlotOptions& options,
                              const std::filesystem::path& target);

  DrawingView* View;
  QLabel* Status;
  QPushButton* PlotButton;  // "印刷 / PDF...": the plot's choices, then where to save it

 signals:
  void DrawingShown();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ChoosePlot();
  std::filesystem::path file_;
  std::shared_ptr<const render::PreviewDrawing> drawing_;
  std::shared_ptr<std::atomic<bool>> reading_cancel_;
  int generation_ = 0;
};

}  // namespace dxfdin::ui
