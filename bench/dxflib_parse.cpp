// The peer reader of the benchmark: dxflib parses the file and is told every entity, and
// does nothing with them (so it does strictly less work than a conversion).
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <cstdio>

namespace {

class CountOnly : public DL_CreationAdapter {
 public:
  void addLine(const DL_LineData&) override { ++entities; }
  void addCircle(const DL_CircleData&) override { ++entities; }
  void addArc(const DL_ArcData&) override { ++entities; }
  void addVertex(const DL_VertexData&) override { ++entities; }
  void addText(const DL_TextData&) override { ++entities; }
  long entities = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dxflib_parse FILE.dxf\n");
    return 2;
  }
  CountOnly counter;
  DL_Dxf dxf;
  if (!dxf.in(argv[1], &counter)) {
    std::fprintf(stderr, "dxflib_parse: cannot read %s\n", argv[1]);
    return 1;
  }
  std::printf("%ld entities\n", counter.entities);
  return 0;
}
