// The DIN items of one polyline, written as its vertices arrive: straight runs as line chains
// (ITEM, SR 3, SR 4 ..., SR 31), each bulged segment as an arc item between them, in vertex
// order and all with the polyline's class and line type. A polyline without bulges gives one
// line chain, as it always did.
#pragma once

#include <cstdint>

#include "din_format/din_writer.h"
#include "dxf_to_din/placement.h"

namespace dxfdin {

// Every point written counts as work of the file; no item is begun once the drawing has
// stopped, and one entity writes at most kMaxPoints points (a chain of curves under an
// unequal scale would otherwise be endless).
class PolylineItems {
 public:
  static constexpr std::int64_t kMaxPoints = 4'000'000;

  // Writes to the context's output with its record line type; `head` is the line chain's
  // ITEM line, arcs take it with their own item kind.
  PolylineItems(TConversionContext& context, const DinItemHead& head, const Placement& placement,
                double elevation);

  // The next vertex in the polyline's coordinates; `bulge` (tan of a quarter of the included
  // angle, negative clockwise) belongs to the segment that starts at it.
  void AddVertex(double x, double y, double bulge);
  // The next point of a chain that need not lie in one plane (curves, 3-D outlines).
  void AddPoint(double x, double y, double z);
  // Ends the polyline: a closed one first gets its segment back to the first vertex.
  void Finish(bool closed);
  // The DIN items written.
  std::int32_t Items() const { return items_; }

 private:
  struct Vertex {
    double x;
    double y;
    double z;
    double bulge;
  };
  void AddPointOrVertex(const Vertex& vertex);
  void Segment(const Vertex& from, const Vertex& to);
  // A straight segment to `to`, from the end of what was written last (`from` opens a chain).
  void Straight(WorldPoint from, WorldPoint to);
  void Arc(WorldPoint from, WorldPoint to, double bulge);
  void CloseChain();

  // Whether one more point may be written; closes the chain when not.
  bool MayWrite();

  TConversionContext& context_;
  TextOutput& out_;
  DinItemHead head_;
  std::int32_t record_line_type_;
  Placement placement_;
  double elevation_;
  Vertex first_{};
  Vertex last_{};
  std::int64_t count_ = 0;
  bool chain_open_ = false;
  bool ended_ = false;  // stopped or at kMaxPoints: nothing more is written
  std::int64_t points_ = 0;
  std::int32_t items_ = 0;
};

}  // namespace dxfdin
