// The items of a DIN file as geometry, for tests that compare what was drawn with figures
// computed by hand: line chains as their points, arcs as start, end, centre and radius.
#pragma once

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace dxfdin::testing {

struct DinPoint {
  double x = 0;
  double y = 0;
};

struct DinItem {
  int kind = 0;                  // 2 line chain, 3 arc, 11 text
  std::vector<DinPoint> points;  // a chain's; an arc's start, middle, end, centre
  double radius = 0;
  double sweep = 0;
};

inline std::vector<DinItem> DinItems(const std::string& din) {
  std::vector<DinItem> items;
  std::istringstream in(din);
  std::string line;
  int record = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string first;
    fields >> first;
    if (first == "ITEM") {
      items.push_back({});
      fields >> items.back().kind;
      record = 0;
    } else if (first == "SR") {
      fields >> record;
    } else if (!items.empty() && (record == 3 || record == 4 || record == 5)) {
      double x = 0, y = 0;
      std::istringstream numbers(line);
      if (!(numbers >> x >> y)) continue;
      DinItem& item = items.back();
      // An arc's fourth line holds its radius and sweep.
      if (record == 5 && item.points.size() == 4) {
        item.radius = x;
        item.sweep = y;
      } else {
        item.points.push_back({x, y});
      }
    }
  }
  return items;
}

// Whether a chain runs from a to b (either way) in one straight segment of the items.
inline bool HasSegment(const std::vector<DinItem>& items, DinPoint a, DinPoint b,
                       double tolerance = 1e-6) {
  const auto near = [&](DinPoint p, DinPoint q) {
    return std::abs(p.x - q.x) <= tolerance && std::abs(p.y - q.y) <= tolerance;
  };
  for (const DinItem& item : items) {
    if (item.kind != 2) continue;
    for (std::size_t k = 1; k < item.points.size(); ++k) {
      const DinPoint p = item.points[k - 1], q = item.points[k];
      if ((near(p, a) && near(q, b)) || (near(p, b) && near(q, a))) return true;
    }
  }
  return false;
}

}  // namespace dxfdin::testing
