#include "render/picture.h"

#include <QBuffer>
#include <QPainter>
#include <map>
#include <sstream>
#include <vector>

#include "io/output_file.h"
#include "render/drawing_painter.h"

namespace dxfdin::render {

namespace {

std::string Escaped(const QString& text) {
  std::string out;
  for (char c : text.toStdString()) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // Control characters are not allowed in XML text.
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return out;
}

std::string Number(double value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.precision(7);
  out << value;
  return out.str();
}

}  // namespace

QImage DrawingImage(const PreviewDrawing& drawing, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  PaintDrawing(painter, drawing, FitViewport(drawing.bounds, size), QRectF(QPointF(), size));
  return image;
}

std::string DrawingSvg(const PreviewDrawing& drawing, QSize size, InkLimits limits) {
  const Viewport view = FitViewport(drawing.bounds, size);
  const QRectF box = QRectF(QPointF(), size).adjusted(-2, -2, 2, 2);
  // The ink of the picture as its PNG would take it, each stroke also costing about the
  // bytes it takes in the document, so that a dense drawing gives a document of megabytes.
  PaintBudget budget(QRectF(QPointF(), size), 64, limits);
  // The lines and arcs of each style as one path.
  std::map<std::uint32_t, std::string> paths;
  auto line = [&](std::uint32_t style, QPointF a, QPointF b) {
    if (!ClipLine(a, b, box) || !budget.TakeStroke(a, b)) return;
    paths[style] +=
        "M" + Number(a.x()) + " " + Number(a.y()) + "L" + Number(b.x()) + " " + Number(b.y());
  };
  for (const Segment& s : drawing.segments) {
    line(s.style, view.ToDevice(s.x1, s.y1), view.ToDevice(s.x2, s.y2));
  }
  for (const ArcItem& arc : drawing.arcs) {
    if (!(arc.radius * view.scale >= 0.5)) continue;
    if (budget.Spent()) break;
    const QPolygonF points = ArcPolyline(arc, view);
    budget.Charge(static_cast<double>(points.size()));
    for (qsizetype i = 0; i + 1 < points.size(); ++i) line(arc.style, points[i], points[i + 1]);
  }
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(size.width()) +
         "\" height=\"" + std::to_string(size.height()) + "\" viewBox=\"0 0 " +
         std::to_string(size.width()) + " " + std::to_string(size.height()) + "\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  for (const auto& [style, data] : paths) {
    const ItemStyle& item = drawing.styles[style];
    svg += "<path fill=\"none\" stroke=\"" + ClassColour(item.class_no).name().toStdString() +
           "\" stroke-width=\"1\"";
    std::string dashes;
    for (double length : DashPattern(item.dash)) {
      dashes += (dashes.empty() ? "" : " ") + Number(std::max(length * view.scale, 1.0));
    }
    if (!dashes.empty()) svg += " stroke-dasharray=\"" + dashes + "\"";
    svg += " d=\"" + data + "\"/>\n";
  }
  for (const TextItem& text : drawing.texts) {
    const QPointF at = view.ToDevice(text.x, text.y);
    const double height = text.height * view.scale;
    if (!box.contains(at) || !(height >= 1) || !std::isfinite(text.angle)) continue;
    if (!budget.TakeText(at, at, 256)) continue;
    svg += "<text x=\"" + Number(at.x()) + "\" y=\"" + Number(at.y()) + "\" font-size=\"" +
           Number(height / 0.73) + "\" font-family=\"IPAGothic, sans-serif\" fill=\"" +
           ClassColour(drawing.styles[text.style].class_no).name().toStdString() + "\"";
    if (text.angle != 0) {
      svg += " transform=\"rotate(" + Number(-text.angle) + " " + Number(at.x()) + " " +
             Number(at.y()) + ")\"";
    }
    svg += ">" + Escaped(text.text) + "</text>\n";
  }
  svg += "</svg>\n";
  return svg;
}

void WritePlot(const PreviewDrawing& drawing, const PlotOptions& options,
               const std::filesystem::path& target, bool replace) {
  const QByteArray pdf =
      DrawingPdf(drawing, options, QString::fromStdString(target.stem().string()));
  OutputFile output(target);
  output.Out().WriteRaw(std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
  output.Commit(replace ? OutputFile::CommitMode::kReplace : OutputFile::CommitMode::kKeepExisting);
}

void WritePicture(const PreviewDrawing& drawing, PictureFormat format, QSize size,
                  const std::filesystem::path& target, bool replace) {
  std::string bytes;
  if (format == PictureFormat::kSvg) {
    bytes = DrawingSvg(drawing, size);
  } else {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    DrawingImage(drawing, size).save(&buffer, "PNG");
    bytes = png.toStdString();
  }
  OutputFile output(target);
  output.Out().WriteRaw(bytes);
  output.Commit(replace ? OutputFile::CommitMode::kReplace : OutputFile::CommitMode::kKeepExisting);
}

}  // namespace dxfdin::render
