#include "dxf_to_din/polyline_items.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "din_format/din_writer.h"
#include "dxf_to_din/curves.h"
#include "dxf_to_din/entity_stream.h"

namespace dxfdin {

namespace {

// The arc of a bulged segment from a to b. Its middle lies on the side of the chord away
// from the centre when it is less than half a turn.
struct BulgeArc {
  double centre_x, centre_y, radius, sweep, middle_x, middle_y;
};

BulgeArc ArcOfBulge(double ax, double ay, double bx, double by, double bulge) {
  const double chord = std::hypot(bx - ax, by - ay);
  const double mx = (ax + bx) / 2, my = (ay + by) / 2;
  // The unit normal to the left of the chord.
  const double nx = -(by - ay) / chord, ny = (bx - ax) / chord;
  const double offset = (1 - bulge * bulge) / (4 * bulge) * chord;
  const double sagitta = bulge * chord / 2;
  return {
      mx + nx * offset,     my + ny * offset,  chord * (1 + bulge * bulge) / (4 * std::fabs(bulge)),
      4 * std::atan(bulge), mx - nx * sagitta, my - ny * sagitta};
}

}  // namespace

PolylineItems::PolylineItems(TConversionContext& context, const DinItemHead& head,
                             const Placement& placement, double elevation)
    : context_(context),
      out_(*context.din_out),
      head_(head),
      record_line_type_(context.record_line_type),
      placement_(placement),
      elevation_(elevation) {}

bool PolylineItems::MayWrite() {
  if (ended_) return false;
  // The bounds are looked at before each item and every thousand points within one.
  if ((!chain_open_ || points_ % 1024 == 0) && DrawingStopped(context_)) ended_ = true;
  if (!ended_ && points_ >= kMaxPoints) {
    ended_ = true;
    CountPassedOver(context_,
                    MakeMessage(MessageId::kChainPointsBeyondLimit, {std::to_string(kMaxPoints)}));
  }
  if (ended_) {
    CloseChain();
    return false;
  }
  ++points_;
  ++context_.work;
  return true;
}

void PolylineItems::AddVertex(double x, double y, double bulge) {
  AddPointOrVertex({x, y, elevation_, bulge});
}

void PolylineItems::AddPoint(double x, double y, double z) {
  AddPointOrVertex({x, y, z, 0});
}

void PolylineItems::AddPointOrVertex(const Vertex& vertex) {
  if (count_ == 0) {
    first_ = vertex;
  } else {
    Segment(last_, vertex);
  }
  last_ = vertex;
  ++count_;
}

void PolylineItems::Finish(bool closed) {
  // A closed polyline whose last vertex repeats its first has its closing segment already.
  if (closed && count_ >= 2 &&
      !(last_.x == first_.x && last_.y == first_.y && last_.z == first_.z)) {
    Segment(last_, first_);
  }
  if (items_ == 0) {
    if (ended_ || DrawingStopped(context_)) return;
    // No segment at all: the chain of the single vertex, or of none, as a polyline without
    // vertices always gave.
    WriteItemLine(out_, head_, false);
    if (count_ >= 1) {
      WriteFirstPointRecord(out_, record_line_type_);
      const WorldPoint p = placement_.ToWorld(first_.x, first_.y, first_.z);
      WritePointData(out_, p.x, p.y);
    }
    WriteItemEnd(out_);
    ++items_;
    return;
  }
  CloseChain();
}

void PolylineItems::Segment(const Vertex& from, const Vertex& to) {
  const WorldPoint a = placement_.ToWorld(from.x, from.y, from.z);
  const WorldPoint b = placement_.ToWorld(to.x, to.y, to.z);
  const double bulge = from.bulge;
  if (bulge == 0 || !std::isfinite(bulge)) {
    Straight(a, b);
    return;
  }
  const double chord = std::hypot(to.x - from.x, to.y - from.y);
  if (!(chord > 0) || !std::isfinite(chord)) {
    Straight(a, b);
    return;
  }
  switch (placement_.kind()) {
    case Placement::Kind::kIdentity:
      Arc(a, b, bulge);
      return;
    case Placement::Kind::kMirrored:
      Arc(a, b, -bulge);
      return;
    case Placement::Kind::kConformal:
      // Moved, turned and scaled alike, an arc stays an arc; mirrored, it turns the other way.
      Arc(a, b, placement_.Reverses() ? -bulge : bulge);
      return;
    case Placement::Kind::kAffine:
      break;
  }
  // The arc in the polyline's own plane, as a chain of points taken to the world.
  const BulgeArc arc = ArcOfBulge(from.x, from.y, to.x, to.y, bulge);
  const double start = std::atan2(from.y - arc.centre_y, from.x - arc.centre_x);
  const int steps = ChainSteps(0, 1, [&](double t) {
    const double angle = start + arc.sweep * t;
    return placement_.ToWorld(arc.centre_x + arc.radius * std::cos(angle),
                              arc.centre_y + arc.radius * std::sin(angle), from.z);
  });
  WorldPoint previous = a;
  for (int i = 1; i < steps; ++i) {
    const double angle = start + arc.sweep * i / steps;
    const WorldPoint p = placement_.ToWorld(arc.centre_x + arc.radius * std::cos(angle),
                                            arc.centre_y + arc.radius * std::sin(angle), from.z);
    Straight(previous, p);
    previous = p;
  }
  Straight(previous, b);
}

void PolylineItems::Straight(WorldPoint from, WorldPoint to) {
  if (!MayWrite()) return;
  if (!chain_open_) {
    WriteItemLine(out_, head_, false);
    WriteFirstPointRecord(out_, record_line_type_);
    WritePointData(out_, from.x, from.y);
    chain_open_ = true;
    ++items_;
  }
  WriteNextPointRecord(out_, record_line_type_);
  WritePointData(out_, to.x, to.y);
}

void PolylineItems::Arc(WorldPoint from, WorldPoint to, double bulge) {
  CloseChain();
  if (!MayWrite()) return;
  ++items_;
  const BulgeArc geometry = ArcOfBulge(from.x, from.y, to.x, to.y, bulge);
  DinItemHead arc = head_;
  arc.item_kind = kItemArc;
  WriteItemLine(out_, arc, false);
  WriteArcStartRecord(out_, record_line_type_, false);
  WritePointData(out_, from.x, from.y);
  WriteArcRecord(out_, record_line_type_, false);
  WritePointData(out_, geometry.middle_x, geometry.middle_y);
  WritePointData(out_, to.x, to.y);
  WritePointData(out_, geometry.centre_x, geometry.centre_y);
  // The sweep is signed: a DIN reader takes a negative one as clockwise.
  WritePointData(out_, geometry.radius, geometry.sweep);
  WriteItemEnd(out_);
}

void PolylineItems::CloseChain() {
  if (!chain_open_) return;
  WriteItemEnd(out_);
  chain_open_ = false;
}

}  // namespace dxfdin
