// The simple entities an EntityText holds, read back for the tests: each its type, the last
// value of each numeric group, its text (group 1), and a polyline's vertices.
#pragma once

#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "dxf_to_din/curves.h"

namespace dxfdin::testing {

struct WrittenEntity {
  std::string type;
  std::map<int, double> values;
  std::string text;
  std::vector<Point3> vertices;

  double operator[](int code) const {
    const auto found = values.find(code);
    return found == values.end() ? NAN : found->second;
  }
  Point3 At(int code) const { return {(*this)[code], (*this)[code + 10], (*this)[code + 20]}; }
  bool Closed() const { return static_cast<int>((*this)[70]) & 1; }
};

inline std::vector<WrittenEntity> ReadBack(std::string_view groups) {
  std::vector<WrittenEntity> entities;
  Point3* vertex = nullptr;  // the vertex being read, of the last polyline
  while (!groups.empty()) {
    const std::size_t code_end = groups.find('\n');
    const std::size_t value_end = groups.find('\n', code_end + 1);
    const int code = std::atoi(std::string(groups.substr(0, code_end)).c_str());
    const std::string value(groups.substr(code_end + 1, value_end - code_end - 1));
    groups.remove_prefix(value_end == std::string_view::npos ? groups.size() : value_end + 1);
    if (code == 0 && value == "VERTEX" && !entities.empty()) {
      vertex = &entities.back().vertices.emplace_back();
    } else if (code == 0 && value == "SEQEND") {
      vertex = nullptr;
    } else if (code == 0) {
      entities.push_back({value, {}, {}, {}});
      vertex = nullptr;
    } else if (vertex && (code == 10 || code == 20 || code == 30)) {
      (*vertex)[code / 10 - 1] = std::strtod(value.c_str(), nullptr);
    } else if (code == 1 && !entities.empty()) {
      entities.back().text = value;
    } else if (!vertex && !entities.empty() && code >= 10 && code < 300) {
      entities.back().values[code] = std::strtod(value.c_str(), nullptr);
    }
  }
  return entities;
}

}  // namespace dxfdin::testing
