// The items of a DIN file as the translation tests look at them: chains with their points,
// arcs with their start, middle, end and centre, radius and sweep, texts with their point and
// characters (as UTF-8).
#pragma once

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/sjis.h"
#include "text/din_text.h"

namespace dxfdin::testing {

using DinPoint = std::array<double, 2>;

struct DinItem {
  int kind = 0;  // 2 a chain, 3 an arc, 11 a text
  std::vector<DinPoint> points;
  double radius = 0;  // an arc's
  double sweep = 0;
  std::string text;
};

inline std::vector<DinItem> DinItems(const std::string& din) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(din);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  const auto point = [&](std::size_t i) {
    DinPoint p{};
    if (i < lines.size()) std::istringstream(lines[i]) >> p[0] >> p[1];
    return p;
  };
  std::vector<DinItem> items;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.rfind("ITEM", 0) == 0) {
      items.emplace_back().kind = std::stoi(l.substr(4));
    } else if (items.empty() || i + 1 >= lines.size()) {
      continue;
    } else if (l.rfind("  SR  3", 0) == 0 || l.rfind("  SR  4", 0) == 0 ||
               l.rfind("  SR 12", 0) == 0) {
      items.back().points.push_back(point(i + 1));
    } else if (l.rfind("  SR  5", 0) == 0) {
      // Its middle, end and centre, then its radius and sweep.
      for (std::size_t k = 1; k <= 3; ++k) items.back().points.push_back(point(i + k));
      const DinPoint radius_sweep = point(i + 4);
      items.back().radius = radius_sweep[0];
      items.back().sweep = radius_sweep[1];
    } else if (l.rfind("  SR 13", 0) == 0) {
      std::string text = lines[i + 1].size() > 5 ? lines[i + 1].substr(5) : "";
      DecodeDinText(text);
      items.back().text = Utf8(text);
    }
  }
  return items;
}

inline bool Near(const DinPoint& a, const DinPoint& b, double tolerance = 1e-6) {
  return std::fabs(a[0] - b[0]) <= tolerance && std::fabs(a[1] - b[1]) <= tolerance;
}

// The items of `kind` that have a point near `p`.
inline int ItemsAt(const std::vector<DinItem>& items, int kind, const DinPoint& p) {
  int count = 0;
  for (const DinItem& item : items) {
    if (item.kind != kind) continue;
    for (const DinPoint& q : item.points) {
      if (Near(p, q)) {
        ++count;
        break;
      }
    }
  }
  return count;
}

// Whether a chain runs from a to b (either way) in one straight segment.
inline bool HasSegment(const std::vector<DinItem>& items, const DinPoint& a, const DinPoint& b,
                       double tolerance = 1e-6) {
  for (const DinItem& item : items) {
    if (item.kind != 2) continue;
    for (std::size_t k = 1; k < item.points.size(); ++k) {
      const DinPoint& p = item.points[k - 1];
      const DinPoint& q = item.points[k];
      if ((Near(p, a, tolerance) && Near(q, b, tolerance)) ||
          (Near(p, b, tolerance) && Near(q, a, tolerance))) {
        return true;
      }
    }
  }
  return false;
}

// The text item of those characters, or none.
inline const DinItem* TextItem(const std::vector<DinItem>& items, std::string_view text) {
  for (const DinItem& item : items) {
    if (item.kind == 11 && item.text == text) return &item;
  }
  return nullptr;
}

}  // namespace dxfdin::testing
