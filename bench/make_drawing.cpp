// Writes a large, realistic ASCII DXF drawing for the benchmark: a few dozen layers, and
// lines, polylines with many vertices, circles, arcs and Shift-JIS texts mixed as a floor
// plan has them. The same seed gives the same bytes.
//
// By default the drawing is written as AutoCAD 2000 and later write them: handles and
// subclass markers, light-weight polylines, some closed and some with bulged segments, and a
// few percent of inserted rooms and doors (rooms insert doors and windows), hatches, ellipses
// and splines. --r12 writes the R12 form: POLYLINE with VERTEX entities, no handles, no blocks.
//
//   make_drawing [--megabytes N] [--r12] OUTPUT
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

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

// The handle, owner and subclass markers that every entity of a modern file starts with.
void EntityHead(std::FILE* out, const char* type, const char* subclass, long& handle,
                const std::string& layer, bool r12) {
  Group(out, 0, type);
  if (!r12) {
    char text[32];
    std::snprintf(text, sizeof text, "%lX", handle++);
    Group(out, 5, text);
    Group(out, 330, "1F");
    Group(out, 100, "AcDbEntity");
  }
  Group(out, 8, layer.c_str());
  if (!r12 && subclass) Group(out, 100, subclass);
}

void Line(std::FILE* out, double x0, double y0, double x1, double y1) {
  long handle = 0x10;
  EntityHead(out, "LINE", "AcDbLine", handle, "0", false);
  Real(out, 10, x0);
  Real(out, 20, y0);
  Real(out, 11, x1);
  Real(out, 21, y1);
}

// Blocks as a floor plan has them: a door and a window, and a room that inserts them.
void Blocks(std::FILE* out) {
  long handle = 0x20;
  Group(out, 0, "SECTION");
  Group(out, 2, "BLOCKS");
  auto block = [&](const char* name) {
    Group(out, 0, "BLOCK");
    Group(out, 8, "0");
    Group(out, 2, name);
    Int(out, 70, 0);
    Real(out, 10, 0);
    Real(out, 20, 0);
    Real(out, 30, 0);
  };
  block("DOOR");
  Line(out, 0, 0, 900, 0);
  Line(out, 0, 0, 0, 900);
  EntityHead(out, "ARC", "AcDbCircle", handle, "0", false);
  Real(out, 10, 0);
  Real(out, 20, 0);
  Real(out, 40, 900);
  Group(out, 100, "AcDbArc");
  Real(out, 50, 0);
  Real(out, 51, 90);
  Group(out, 0, "ENDBLK");
  block("WINDOW");
  Line(out, 0, 0, 1200, 0);
  Line(out, 0, 60, 1200, 60);
  Line(out, 0, 120, 1200, 120);
  Group(out, 0, "ENDBLK");
  block("ROOM");
  Line(out, 0, 0, 4000, 0);
  Line(out, 4000, 0, 4000, 3000);
  Line(out, 4000, 3000, 0, 3000);
  Line(out, 0, 3000, 0, 0);
  for (const auto& [name, x, y, angle] :
       {std::tuple{"DOOR", 300.0, 0.0, 0.0}, std::tuple{"WINDOW", 1000.0, 3000.0, 0.0},
        std::tuple{"WINDOW", 4000.0, 800.0, 90.0}}) {
    EntityHead(out, "INSERT", "AcDbBlockReference", handle, "0", false);
    Group(out, 2, name);
    Real(out, 10, x);
    Real(out, 20, y);
    Real(out, 50, angle);
  }
  Group(out, 0, "ENDBLK");
  Group(out, 0, "ENDSEC");
}

void Header(std::FILE* out, bool r12) {
  Group(out, 0, "SECTION");
  Group(out, 2, "HEADER");
  Group(out, 9, "$ACADVER");
  Group(out, 1, r12 ? "AC1009" : "AC1015");
  Group(out, 9, "$DWGCODEPAGE");
  Group(out, 3, "ANSI_932");
  Group(out, 0, "ENDSEC");
  Group(out, 0, "SECTION");
  Group(out, 2, "TABLES");
  Group(out, 0, "TABLE");
  Group(out, 2, "LAYER");
  if (!r12) {
    Group(out, 5, "2");
    Group(out, 330, "0");
    Group(out, 100, "AcDbSymbolTable");
  }
  Int(out, 70, kLayers);
  for (int i = 0; i < kLayers; ++i) {
    Group(out, 0, "LAYER");
    if (!r12) {
      Group(out, 5, std::to_string(16 + i).c_str());
      Group(out, 330, "2");
      Group(out, 100, "AcDbSymbolTableRecord");
      Group(out, 100, "AcDbLayerTableRecord");
    }
    Group(out, 2, LayerName(i).c_str());
    Int(out, 70, 0);
    Int(out, 62, 1 + i % 7);
    Group(out, 6, "CONTINUOUS");
  }
  Group(out, 0, "ENDTAB");
  Group(out, 0, "ENDSEC");
  if (!r12) Blocks(out);
  Group(out, 0, "SECTION");
  Group(out, 2, "ENTITIES");
}

}  // namespace

int main(int argc, char** argv) {
  long megabytes = 100;
  bool r12 = false;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--megabytes") == 0 && i + 1 < argc) {
      megabytes = std::atol(argv[++i]);
    } else if (std::strcmp(argv[i], "--r12") == 0) {
      r12 = true;
    } else {
      output = argv[i];
    }
  }
  if (!output || megabytes <= 0) {
    std::fprintf(stderr, "usage: make_drawing [--megabytes N] [--r12] OUTPUT\n");
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

  Header(out, r12);
  long handle = 0x100;
  const long limit = megabytes * 1000000L;
  while (std::ftell(out) < limit) {
    std::string layer = LayerName(pick(random) % kLayers);
    int kind = pick(random);
    // Among every hundred entities one may be a hatch, an ellipse or a spline (a tenth each).
    const int rare = kind == 90 ? pick(random) % 10 : -1;
    double x = coordinate(random);
    double y = coordinate(random);
    if (kind < 45) {
      EntityHead(out, "LINE", "AcDbLine", handle, layer, r12);
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 11, x + size(random));
      Real(out, 21, y + size(random));
      Real(out, 31, 0);
    } else if (kind < 60) {
      const int vertices = 4 + pick(random) % 60;
      // A third of them closed; every fifth segment of a closed one bulges.
      const bool closed = pick(random) % 3 == 0;
      auto bulge = [&](int v) { return closed && v % 5 == 2 ? 0.25 * (1 + v % 3) : 0.0; };
      if (r12) {
        EntityHead(out, "POLYLINE", nullptr, handle, layer, r12);
        Int(out, 66, 1);
        Real(out, 10, 0);
        Real(out, 20, 0);
        Real(out, 30, 0);
        if (closed) Int(out, 70, 1);
        for (int v = 0; v < vertices; ++v) {
          Group(out, 0, "VERTEX");
          Group(out, 8, layer.c_str());
          Real(out, 10, x + 10 * v);
          Real(out, 20, y + std::sin(v) * 100);
          Real(out, 30, 0);
          if (bulge(v) != 0) Real(out, 42, bulge(v));
        }
        Group(out, 0, "SEQEND");
        Group(out, 8, layer.c_str());
      } else {
        EntityHead(out, "LWPOLYLINE", "AcDbPolyline", handle, layer, r12);
        Int(out, 90, vertices);
        Int(out, 70, closed ? 1 : 0);
        Real(out, 43, 0);
        for (int v = 0; v < vertices; ++v) {
          Real(out, 10, x + 10 * v);
          Real(out, 20, y + std::sin(v) * 100);
          if (bulge(v) != 0) Real(out, 42, bulge(v));
        }
      }
    } else if (kind < 72) {
      EntityHead(out, "CIRCLE", "AcDbCircle", handle, layer, r12);
      Group(out, 6, "DASHED");
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 40, size(random));
    } else if (kind < 87) {
      EntityHead(out, "ARC", "AcDbCircle", handle, layer, r12);
      Int(out, 62, 1 + pick(random) % 7);
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 40, size(random));
      if (!r12) Group(out, 100, "AcDbArc");
      Real(out, 50, pick(random) * 3.6);
      Real(out, 51, pick(random) * 3.6);
    } else if (!r12 && kind < 90) {
      // Rooms and doors, turned and some mirrored.
      EntityHead(out, "INSERT", "AcDbBlockReference", handle, layer, r12);
      Group(out, 2, kind == 87 ? "DOOR" : "ROOM");
      Real(out, 10, x);
      Real(out, 20, y);
      if (kind == 88) Real(out, 41, -1);
      Real(out, 50, pick(random) % 4 * 90.0);
    } else if (!r12 && rare == 0) {
      EntityHead(out, "HATCH", "AcDbHatch", handle, layer, r12);
      Real(out, 10, 0);
      Real(out, 20, 0);
      Real(out, 30, 0);
      Group(out, 2, "ANSI31");
      Int(out, 70, 0);
      Int(out, 71, 0);
      Int(out, 91, 1);
      Int(out, 92, 2);
      Int(out, 72, 1);
      Int(out, 73, 1);
      Int(out, 93, 4);
      const double w = size(random), h = size(random);
      for (const auto& [px, py, bulge] :
           {std::tuple{x, y, 0.0}, std::tuple{x + w, y, 0.4}, std::tuple{x + w, y + h, 0.0},
            std::tuple{x, y + h, 0.0}}) {
        Real(out, 10, px);
        Real(out, 20, py);
        Real(out, 42, bulge);
      }
      Int(out, 97, 0);
      Int(out, 75, 0);
      Int(out, 76, 1);
      Real(out, 52, 0);
      Real(out, 41, 1);
      Int(out, 77, 0);
      Int(out, 78, 0);
      Int(out, 98, 0);
    } else if (!r12 && rare == 1) {
      EntityHead(out, "ELLIPSE", "AcDbEllipse", handle, layer, r12);
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 11, size(random));
      Real(out, 21, size(random) / 3);
      Real(out, 31, 0);
      Real(out, 40, 0.5);
      Real(out, 41, 0);
      Real(out, 42, 4.5);
    } else if (!r12 && rare == 2) {
      EntityHead(out, "SPLINE", "AcDbSpline", handle, layer, r12);
      Int(out, 70, 8);
      Int(out, 71, 3);
      Int(out, 72, 8);
      Int(out, 73, 4);
      Int(out, 74, 0);
      for (double knot : {0, 0, 0, 0, 1, 1, 1, 1}) Real(out, 40, knot);
      for (int i = 0; i < 4; ++i) {
        Real(out, 10, x + 100 * i);
        Real(out, 20, y + (i % 2 ? size(random) : 0));
        Real(out, 30, 0);
      }
    } else {
      std::string text = std::string(kWords[pick(random) % 6]) + " " +
                         std::to_string(pick(random)) + " " + kWords[pick(random) % 6];
      EntityHead(out, "TEXT", "AcDbText", handle, layer, r12);
      Real(out, 10, x);
      Real(out, 20, y);
      Real(out, 30, 0);
      Real(out, 40, 2.5 + pick(random) % 10);
      Real(out, 50, pick(random) % 4 * 90.0);
      Group(out, 1, text.c_str());
      if (!r12) Group(out, 100, "AcDbText");
    }
  }
  Group(out, 0, "ENDSEC");
  Group(out, 0, "EOF");
  return std::fclose(out) == 0 ? 0 : 1;
}
