// Writes a large, realistic R12 ASCII DXF drawing for the benchmark: a few dozen layers, and
// lines, polylines with many vertices, circles, arcs and Shift-JIS texts mixed as a floor
// plan has them. The same seed gives the same bytes.
//
//   make_drawing [--megabytes N] OUTPUT
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

constexpr int kLayers = 36;

// Shift-JIS words a drawing carries: 平面図, 寸法, 壁, 扉, 窓, 階段.
const char* const kWords[] = {
    "\x95\xBD\x96\xCA\x90\x7D", "\x90\xA1\x96\x40", "\x95\xC7", "\x94\xE0", "\x91\x8B",
    "\x8A\x4B\x92\x69"};

void Group(std::FILE* out, int code, const char* value) {
  std::fprintf(out, "%3d\r\n%s\r\n", code, value);
}

void Real(std::FILE* out, int code, double value) {
  std::fprintf(out, "%3d\r\n%.6f\r\n", code, value);
}

void Int(std::FILE* out, int code, int value) {
  std::fprintf(out, "%3d\r\n%6d\r\n", code, value);
}

std::string LayerName(int i) {
  static const char* const kKinds[] = {"WALL", "DOOR", "WIN", "dim", "fusn", "TEXT"};
  return std::string(kKinds[i % 6]) + "-" + std::to_string(i / 6);
}

void Header(std::FILE* out) {
  Group(out, 0, "SECTION");
  Group(out, 2, "HEADER");
  Group(out, 9, "$ACADVER");
  Group(out, 1, "AC1009");
  Group(out, 9, "$DWGCODEPAGE");
  Group(out, 3, "ANSI_932");
  Group(out, 0, "ENDSEC");
  Group(out, 0, "SECTION");
  Group(out, 2, "TABLES");
  Group(out, 0, "TABLE");
  Group(out, 2, "LAYER");
  Int(out, 70, kLayers);
  for (int i = 0; i < kLayers; ++i) {
    Group(out, 0, "LAYER");
    Group(out, 2, LayerName(i).c_str());
    Int(out, 70, 0);
    Int(out, 62, 1 + i % 7);
    Group(out, 6, "CONTINUOUS");
  }
  Group(out, 0, "ENDTAB");
  Group(out, 0, "ENDSEC");
  Group(out, 0, "SECTION");
  Group(out, 2, "ENTITIES");
}

}  // namespace

int main(int argc, char** argv) {
  long megabytes = 100;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--megabytes") == 0 && i + 1 < argc) {
      megabytes = std::atol(argv[++i]);
    } else {
      output = argv[i];
    }
  }
  if (!output || megabytes <= 0) {
    std::fprintf(stderr, "usage: make_drawing [--megabytes N] OUTPUT\n");
    return 2;
  }
  std::FILE* out = std::fopen(output, "wb");
  if (!out) {
    std::perror(output);
    return 1;
  }
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> coordinate(0, 50000);
  std::uniform_real_distribution<double> size(1, 2000);
  std::uniform_int_distribution<int> pick(0, 99);

  Header(out);
  const long limit = megabytes * 1000000L;
  while (std::ftell(out) < limit) {
    std::string layer = LayerName(pick(random) % kLayers);
    int kind = pick(random);
    double x = coordinate(random);
    double y = coordinate(random);
    if (kind < 45) {
      Group(out, 0, "LINE");
      Group(out, 8, layer.c_str());
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 11, x + size(random));
      Real(out, 21, y + size(random));
      Real(out, 31, 0);
    } else if (kind < 60) {
      Group(out, 0, "POLYLINE");
      Group(out, 8, layer.c_str());
      Int(out, 66, 1);
      Real(out, 10, 0);
      Real(out, 20, 0);
      Real(out, 30, 0);
      int vertices = 4 + pick(random) % 60;
      for (int v = 0; v < vertices; ++v) {
        Group(out, 0, "VERTEX");
        Group(out, 8, layer.c_str());
        Real(out, 10, x + 10 * v);
        Real(out, 20, y + std::sin(v) * 100);
        Real(out, 30, 0);
      }
      Group(out, 0, "SEQEND");
      Group(out, 8, layer.c_str());
    } else if (kind < 72) {
      Group(out, 0, "CIRCLE");
      Group(out, 8, layer.c_str());
      Group(out, 6, "DASHED");
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 40, size(random));
    } else if (kind < 87) {
      Group(out, 0, "ARC");
      Group(out, 8, layer.c_str());
      Int(out, 62, 1 + pick(random) % 7);
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 40, size(random));
      Real(out, 50, pick(random) * 3.6);
      Real(out, 51, pick(random) * 3.6);
    } else {
      std::string text = std::string(kWords[pick(random) % 6]) + " " +
                         std::to_string(pick(random)) + " " + kWords[pick(random) % 6];
      Group(out, 0, "TEXT");
      Group(out, 8, layer.c_str());
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 40, 2.5 + pick(random) % 10);
      Real(out, 50, pick(random) % 4 * 90.0);
      Group(out, 1, text.c_str());
    }
  }
  Group(out, 0, "ENDSEC");
  Group(out, 0, "EOF");
  return std::fclose(out) == 0 ? 0 : 1;
}
