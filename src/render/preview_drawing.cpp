#include "render/preview_drawing.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <numbers>

#include "batch/batch.h"
#include "din_to_dxf/din_item_sink.h"
#include "render/sjis.h"

namespace dxfdin::render {

namespace {

class Cancelled : public std::exception {};
class TooLarge : public std::exception {};

// Collects the items, each with the index of its class and line type; throws TooLarge at
// the item beyond `max_items`.
class Collector : public DinItemSink {
 public:
  Collector(PreviewDrawing& drawing, std::int64_t max_items)
      : drawing_(drawing), max_items_(max_items) {}

  void Line(const TConversionContext& c) override {
    Count();
    drawing_.segments.push_back({c.p1_x, c.p1_y, c.p2_x, c.p2_y, Style(c)});
    ++drawing_.lines;
  }
  void CircleOrArc(const TConversionContext& c, bool circle) override {
    Count();
    if (circle) {
      drawing_.arcs.push_back({c.centre_x, c.centre_y, c.radius, 0, 360, Style(c)});
      ++drawing_.circles;
    } else {
      drawing_.arcs.push_back(
          {c.centre_x, c.centre_y, c.radius, c.start_angle, c.end_angle - c.start_angle, Style(c)});
      ++drawing_.arc_count;
    }
  }
  void Text(const TConversionContext& c, std::string_view text) override {
    Count();
    // The frame: its corner, its end along the text and across it. The converter makes it
    // one unit taller than the text; a frame that says nothing leaves the DIN height field
    // (hundredths).
    const auto& v = c.frame_v;
    const double across = std::hypot(v[6] - v[2], v[7] - v[3]);
    const double along = std::hypot(v[4] - v[2], v[5] - v[3]);
    const double height = across > 1 ? across - 1 : c.text_height / 100.0;
    drawing_.texts.push_back({c.text_x, c.text_y, c.text_angle, height, std::max(along - 1, 0.0),
                              FromSjis(std::string(text)), Style(c)});
  }

 private:
  void Count() {
    if (++count_ > max_items_) throw TooLarge();
  }

  std::uint32_t Style(const TConversionContext& c) {
    ItemStyle style{c.class_no, Dash::kSolid};
    if (c.line_type_name == "DASHED") style.dash = Dash::kDashed;
    if (c.line_type_name == "CENTER") style.dash = Dash::kCenter;
    if (c.line_type_name == "PHANTOM") style.dash = Dash::kPhantom;
    drawing_.classes.insert(c.class_no);
    auto [at, added] = index_.emplace(style, static_cast<std::uint32_t>(drawing_.styles.size()));
    if (added) drawing_.styles.push_back(style);
    return at->second;
  }

  PreviewDrawing& drawing_;
  std::map<ItemStyle, std::uint32_t> index_;
  std::int64_t max_items_;
  std::int64_t count_ = 0;
};

// Calls `visit(x, y)` with every finite point of the drawing's items.
template <typename Visit>
void ForEachPoint(const PreviewDrawing& drawing, Visit visit) {
  auto add = [&](double x, double y) {
    if (std::isfinite(x) && std::isfinite(y)) visit(x, y);
  };
  for (const Segment& s : drawing.segments) {
    add(s.x1, s.y1);
    add(s.x2, s.y2);
  }
  for (const ArcItem& a : drawing.arcs) {
    add(a.cx - a.radius, a.cy - a.radius);
    add(a.cx + a.radius, a.cy + a.radius);
  }
  for (const TextItem& t : drawing.texts) {
    // Its point and the far corner of its frame.
    const double a = t.angle * std::numbers::pi / 180;
    add(t.x, t.y);
    add(t.x + t.width * std::cos(a) - t.height * std::sin(a),
        t.y + t.width * std::sin(a) + t.height * std::cos(a));
  }
}

// The box of the drawing's points. A few stray points far off (a line to 1e20, an item left
// at a huge coordinate) would shrink the rest to a dot: the box holds the points that lie
// within ten times the size of the middle 98% of them, around it. Of more than a million
// points, evenly spaced ones tell where the middle lies.
QRectF FitBounds(const PreviewDrawing& drawing) {
  std::int64_t count = 0;
  ForEachPoint(drawing, [&count](double, double) { ++count; });
  if (count == 0) return {};
  constexpr std::int64_t kSample = 1 << 20;
  const std::int64_t stride = (count + kSample - 1) / kSample;
  std::vector<double> xs, ys;
  xs.reserve(static_cast<std::size_t>(count / stride + 1));
  ys.reserve(xs.capacity());
  std::int64_t index = 0;
  ForEachPoint(drawing, [&](double x, double y) {
    if (index++ % stride != 0) return;
    xs.push_back(x);
    ys.push_back(y);
  });
  auto middle = [](std::vector<double>& values) {
    auto at = [&values](double fraction) {
      auto nth = values.begin() + static_cast<std::ptrdiff_t>(fraction * (values.size() - 1));
      std::nth_element(values.begin(), nth, values.end());
      return *nth;
    };
    const double low = at(0.01), high = at(0.99);
    const double reach = 10 * std::max(high - low, 0.0);
    return std::pair{low - reach, high + reach};
  };
  const std::pair<double, double> x_range = middle(xs), y_range = middle(ys);
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  ForEachPoint(drawing, [&](double x, double y) {
    if (x < x_range.first || x > x_range.second || y < y_range.first || y > y_range.second) {
      return;
    }
    x0 = std::min(x0, x);
    x1 = std::max(x1, x);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
  });
  QRectF box(QPointF(x0, y0), QPointF(x1, y1));
  if (box.width() <= 0 || box.height() <= 0) {
    const double size = std::max({box.width(), box.height(), 1.0});
    box = QRectF(box.center() - QPointF(size / 2, size / 2), QSizeF(size, size));
  }
  return box;
}

QString Text(const Message& message, Language language) {
  return QString::fromStdString(MessageText(message, language));
}

}  // namespace

PreviewDrawing LoadPreviewDrawing(const std::filesystem::path& path,
                                  const TConversionContext& context,
                                  const TConversionSettings& settings,
                                  const std::atomic<bool>* cancel, std::int64_t max_items) {
  PreviewDrawing drawing;
  Collector collector(drawing, max_items);
  try {
    drawing.report = ReadDrawingItems(path, context, settings, collector, [cancel] {
      if (cancel && cancel->load()) throw Cancelled();
    });
  } catch (const Cancelled&) {
    drawing.problem = MakeMessage(MessageId::kPreviewCancelled);
  } catch (const TooLarge&) {
    drawing.problem =
        MakeMessage(MessageId::kPreviewTooLarge, {path.string(), std::to_string(max_items)});
  } catch (const std::exception& error) {
    drawing.problem = MessageOf(error);
  } catch (...) {
    drawing.problem = MakeMessage(MessageId::kPreviewCannotRead, {path.string()});
  }
  if (drawing.problem) drawing.error = Text(*drawing.problem, Language::kEnglish);
  drawing.bounds = FitBounds(drawing);
  return drawing;
}

QString DrawingError(const PreviewDrawing& drawing, Language language) {
  return drawing.problem ? Text(*drawing.problem, language) : QString();
}

QString DrawingSummary(const PreviewDrawing& drawing, Language language) {
  if (drawing.problem) return DrawingError(drawing, language);
  QString summary =
      Text(MakeMessage(MessageId::kPreviewSummary,
                       {std::to_string(drawing.report.items), std::to_string(drawing.lines),
                        std::to_string(drawing.arc_count), std::to_string(drawing.circles),
                        std::to_string(drawing.texts.size())}),
           language);
  QStringList classes;
  for (std::int32_t n : drawing.classes) {
    if (classes.size() == 12) {
      classes << "...";
      break;
    }
    classes << QString::number(n);
  }
  if (!classes.isEmpty()) {
    summary +=
        Text(MakeMessage(MessageId::kPreviewClasses, {classes.join(" ").toStdString()}), language);
  }
  const std::filesystem::path none;
  const ConvertedFile file{none,
                           none,
                           drawing.report.items,
                           drawing.report.passed_over,
                           drawing.report.changed,
                           drawing.report.stopped};
  // The report after its number of items, which the summary gives already.
  const MessageCounts nothing;
  const std::string head =
      ConversionReport({none, none, drawing.report.items, nothing, nothing}, language);
  summary += QString::fromStdString(ConversionReport(file, language).substr(head.size()));
  return summary;
}

}  // namespace dxfdin::render
