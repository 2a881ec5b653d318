#include "dxf_to_din/hatch_pattern.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace dxfdin {

namespace {

constexpr double kPi = std::numbers::pi;

// The lines of one family. Positions are measured from the base point: `across` in spacings
// (line k lies at k), `along` in drawing units along the lines' direction.
struct Lines {
  double dx, dy;     // the direction
  double bx, by;     // the base point, moved by whole offsets near the boundary
  double ox, oy;     // the offset from one line to the next
  double spacing;    // the distance of one line from the next, signed
  double shift;      // how far along the direction the offset moves a line's origin
  double angle;      // of the direction, in radians
  double count = 0;  // lines that may cross the boundary
  double Across(double x, double y) const { return (dx * (y - by) - dy * (x - bx)) / spacing; }
  double Along(double x, double y) const { return dx * (x - bx) + dy * (y - by); }
};

// Where line k crosses the boundary, `along` its direction.
struct Crossing {
  std::int64_t line;
  double along;
  bool operator<(const Crossing& other) const {
    return line != other.line ? line < other.line : along < other.along;
  }
};

// The arc of a bulged segment.
struct Arc {
  double cx, cy, radius, start, sweep;
};

Arc ArcOf(const LoopVertex& a, const LoopVertex& b) {
  const double chord = std::hypot(b.x - a.x, b.y - a.y);
  const double nx = -(b.y - a.y) / chord, ny = (b.x - a.x) / chord;
  const double offset = (1 - a.bulge * a.bulge) / (4 * a.bulge) * chord;
  const double cx = (a.x + b.x) / 2 + nx * offset, cy = (a.y + b.y) / 2 + ny * offset;
  return {cx, cy, chord * (1 + a.bulge * a.bulge) / (4 * std::fabs(a.bulge)),
          std::atan2(a.y - cy, a.x - cx), 4 * std::atan(a.bulge)};
}

// A bulge this small is a straight segment: its arc's centre would be too far to compute.
bool Bulged(const LoopVertex& a, const LoopVertex& b) {
  if (!(std::fabs(a.bulge) > 1e-9) || !std::isfinite(a.bulge)) return false;
  const double chord = std::hypot(b.x - a.x, b.y - a.y);
  return chord > 0 && std::isfinite(chord);
}

// The positions of the loops' vertices across and along a family's lines, each computed once
// so that the two edges that meet at a vertex agree on it.
struct Positions {
  std::vector<std::vector<double>> across, along;
};

Positions PositionsOf(const Lines& lines, const std::vector<Loop>& loops) {
  Positions positions;
  for (const Loop& loop : loops) {
    auto& across = positions.across.emplace_back();
    auto& along = positions.along.emplace_back();
    across.reserve(loop.size());
    along.reserve(loop.size());
    for (const LoopVertex& v : loop) {
      across.push_back(lines.Across(v.x, v.y));
      along.push_back(lines.Along(v.x, v.y));
    }
  }
  return positions;
}

// A part of an arc that runs one way across the lines: on it, across = centre_across + scale *
// sin(theta - angle) and along = centre_along + radius * cos(theta - angle), the cosine of one
// sign (`side` is the radius with that sign).
struct ArcRun {
  double centre_across, centre_along, scale, side;
  // Where it crosses line k.
  double At(double k) const {
    const double sine = std::clamp((k - centre_across) / scale, -1.0, 1.0);
    return centre_along + side * std::sqrt(1 - sine * sine);
  }
};

// Calls `run(across0, along0, across1, along1, arc)` for every part of the loops' edges that
// runs one way across the lines: straight edges whole (`arc` null: a crossing lies between
// the ends as the line does), arcs split where they turn back.
template <typename Run>
void ForEachRun(const Lines& lines, const std::vector<Loop>& loops, const Positions& positions,
                Run run) {
  for (std::size_t l = 0; l < loops.size(); ++l) {
    const Loop& loop = loops[l];
    const auto& across = positions.across[l];
    const auto& along = positions.along[l];
    for (std::size_t i = 0; i < loop.size(); ++i) {
      const std::size_t j = i + 1 == loop.size() ? 0 : i + 1;
      if (!Bulged(loop[i], loop[j])) {
        run(across[i], along[i], across[j], along[j], nullptr);
        continue;
      }
      // The arc turns back where the cosine is 0.
      const Arc arc = ArcOf(loop[i], loop[j]);
      const double centre_across = lines.Across(arc.cx, arc.cy);
      const double centre_along = lines.Along(arc.cx, arc.cy);
      const double scale = arc.radius / lines.spacing;
      // The parts of the sweep (0 to 1) between turning points; at most two lie inside.
      double cuts[4] = {0, 0, 0, 1};
      int count = 1;
      const double phase = arc.start - lines.angle - kPi / 2;
      double next =
          arc.sweep > 0 ? (std::floor(phase / kPi) + 1) * kPi : (std::ceil(phase / kPi) - 1) * kPi;
      for (; count < 3; ++count) {
        const double t = (next - phase) / arc.sweep;
        if (!(t > 0 && t < 1)) break;
        cuts[count] = t;
        next += arc.sweep > 0 ? kPi : -kPi;
      }
      cuts[count] = 1;
      double from_across = across[i], from_along = along[i];
      for (int c = 0; c < count; ++c) {
        const double to_t = cuts[c + 1];
        double to_across = across[j], to_along = along[j];
        if (c + 1 < count) {
          const double sine = std::sin(arc.start + arc.sweep * to_t - lines.angle);
          to_across = centre_across + scale * (sine > 0 ? 1 : -1);
          to_along = centre_along;
        }
        const double middle = arc.start + arc.sweep * (cuts[c] + to_t) / 2 - lines.angle;
        const ArcRun part{centre_across, centre_along, scale,
                          std::cos(middle) >= 0 ? arc.radius : -arc.radius};
        run(from_across, from_along, to_across, to_along, &part);
        from_across = to_across;
        from_along = to_along;
      }
    }
  }
}

// The lines a run crosses: k from the lower end included to the upper end excluded, so that
// a line through a vertex is crossed once where the loop passes it and twice or not at all
// where it turns there.
template <typename Visit>
void ForEachCrossing(double across0, double along0, double across1, double along1,
                     const ArcRun* arc, Visit visit) {
  const double low = std::min(across0, across1), high = std::max(across0, across1);
  for (double k = std::ceil(low); k < high; ++k) {
    visit(static_cast<std::int64_t>(k),
          arc ? arc->At(k) : along0 + (along1 - along0) * (k - across0) / (across1 - across0));
  }
}

// The crossings of all runs with the family's lines: counted, or given to `visit`.
template <typename Visit>
void ForEachLoopCrossing(const Lines& lines, const std::vector<Loop>& loops,
                         const Positions& positions, Visit visit) {
  ForEachRun(lines, loops, positions,
             [&](double across0, double along0, double across1, double along1, const ArcRun* arc) {
               ForEachCrossing(across0, along0, across1, along1, arc, visit);
             });
}

// How many lines a run crosses, without finding where.
std::int64_t CrossingsOf(double across0, double across1) {
  const double low = std::min(across0, across1), high = std::max(across0, across1);
  const double count = std::ceil(high) - std::ceil(low);
  return std::isfinite(count) ? static_cast<std::int64_t>(count) : 0;
}

bool Close(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b)) + 1e-12;
}

// The lines of a family, moved near the boundary, with how many may cross it. None for a
// family without spacing (it draws nothing); too dense where the positions across the lines
// are not numbers in range (a spacing next to nothing, or a boundary out of range).
struct FamilyLines {
  std::optional<Lines> lines;
  bool too_dense = false;
};

FamilyLines LinesOf(const PatternFamily& family, const std::vector<Loop>& loops) {
  const double angle = family.angle * kPi / 180;
  Lines lines{std::cos(angle),
              std::sin(angle),
              family.base_x,
              family.base_y,
              family.offset_x,
              family.offset_y,
              0,
              0,
              angle};
  lines.spacing = lines.dx * lines.oy - lines.dy * lines.ox;
  lines.shift = lines.dx * lines.ox + lines.dy * lines.oy;
  if (lines.spacing == 0) return {};
  if (!std::isfinite(lines.spacing) || !std::isfinite(lines.shift) || !std::isfinite(lines.bx) ||
      !std::isfinite(lines.by)) {
    return {std::nullopt, true};
  }
  // The extent across the lines: the vertices, and the circles of the arcs.
  double low = INFINITY, high = -INFINITY;
  const auto extend = [&](double across) {
    low = std::min(low, across);
    high = std::max(high, across);
  };
  for (int pass = 0; pass < 2; ++pass) {
    low = INFINITY;
    high = -INFINITY;
    for (const Loop& loop : loops) {
      for (std::size_t i = 0; i < loop.size(); ++i) {
        const LoopVertex& v = loop[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y)) return {std::nullopt, true};
        extend(lines.Across(v.x, v.y));
        const LoopVertex& w = loop[i + 1 == loop.size() ? 0 : i + 1];
        if (Bulged(v, w)) {
          const Arc arc = ArcOf(v, w);
          const double centre = lines.Across(arc.cx, arc.cy);
          extend(centre - std::fabs(arc.radius / lines.spacing));
          extend(centre + std::fabs(arc.radius / lines.spacing));
        }
      }
    }
    if (low > high) return {};  // no vertex at all
    if (!(std::fabs(low) <= 1e15) || !(std::fabs(high) <= 1e15)) return {std::nullopt, true};
    if (pass == 0) {
      // Line k of the drawing is line k - m from the base moved m offsets.
      const double m = std::floor(low);
      lines.bx += m * lines.ox;
      lines.by += m * lines.oy;
      if (!std::isfinite(lines.bx) || !std::isfinite(lines.by)) return {std::nullopt, true};
    }
  }
  lines.count = std::ceil(high) - std::ceil(low) + 1;
  return {lines, false};
}

// Gives the dashes and dots of the pattern from `from` to `to` along line k. False when the
// pieces ran out (`room` is what is left of them) or `piece` asked to stop.
bool DashLine(const Lines& lines, const std::vector<double>& dashes, double length,
              std::int64_t line, double from, double to, std::int64_t& room,
              const std::function<bool(const PatternPiece&)>& piece, bool& stopped) {
  const double k = static_cast<double>(line);
  const double origin_x = lines.bx + k * lines.ox, origin_y = lines.by + k * lines.oy;
  const auto give = [&](double a, double b) {
    --room;
    if (piece({origin_x + lines.dx * a, origin_y + lines.dy * a, origin_x + lines.dx * b,
               origin_y + lines.dy * b})) {
      return true;
    }
    stopped = true;
    return false;
  };
  // From the line's origin, which the offsets move along as well as across.
  const double s0 = from - k * lines.shift, s1 = to - k * lines.shift;
  if (dashes.empty() || length < 1e-9) {
    return room > 0 && give(s0, s1);
  }
  const double first = std::floor(s0 / length), last = std::floor(s1 / length);
  for (double repeat = first; repeat <= last; ++repeat) {
    double at = repeat * length;
    for (const double dash : dashes) {
      if (room <= 0) return false;
      const double end = at + std::fabs(dash);
      if (dash > 0) {
        const double a = std::max(at, s0), b = std::min(end, s1);
        if (b > a && !give(a, b)) return false;
        if (b <= a) --room;
      } else if (dash == 0 && at >= s0 && at <= s1) {
        if (!give(at, at)) return false;
      } else {
        --room;
      }
      at = end;
    }
  }
  return true;
}

}  // namespace

PatternOutcome DrawPattern(const std::vector<PatternFamily>& families,
                           const std::vector<Loop>& loops, std::int64_t& work,
                           const std::function<bool(const PatternPiece&)>& piece) {
  std::int64_t vertices = 0;
  for (const Loop& loop : loops) vertices += static_cast<std::int64_t>(loop.size());
  if (families.size() > kMaxPatternFamilies ||
      vertices * static_cast<std::int64_t>(families.size()) > kMaxPatternEdgeVisits) {
    return PatternOutcome::kTooDense;
  }
  // The lines of every family, and the crossings they make, before any piece is given.
  std::vector<std::optional<Lines>> all_lines;
  double line_count = 0;
  std::int64_t crossings = 0;
  for (const PatternFamily& family : families) {
    work += 3 * vertices;
    FamilyLines family_lines = LinesOf(family, loops);
    if (family_lines.too_dense) return PatternOutcome::kTooDense;
    const auto& lines = all_lines.emplace_back(std::move(family_lines.lines));
    if (!lines) continue;
    line_count += lines->count;
    if (line_count > kMaxPatternLines) return PatternOutcome::kTooDense;
    ForEachRun(*lines, loops, PositionsOf(*lines, loops),
               [&](double across0, double, double across1, double, const ArcRun*) {
                 crossings += CrossingsOf(across0, across1);
               });
    if (crossings > kMaxPatternCrossings) return PatternOutcome::kTooDense;
  }
  std::int64_t room = kMaxPatternPieces;
  bool stopped = false;
  std::vector<Crossing> found;
  for (std::size_t f = 0; f < families.size(); ++f) {
    if (!all_lines[f]) continue;
    const Lines& lines = *all_lines[f];
    found.clear();
    // Crossings far out of range (of a boundary at the end of the numbers) are left out, so
    // that every one can be ordered.
    ForEachLoopCrossing(lines, loops, PositionsOf(lines, loops),
                        [&](std::int64_t line, double along) {
                          if (std::isfinite(along)) found.push_back({line, along});
                        });
    std::sort(found.begin(), found.end());
    work += 2 * vertices + 2 * static_cast<std::int64_t>(found.size());
    double length = 0;
    for (const double dash : families[f].dashes) length += std::fabs(dash);
    // Inside between the first and second crossing of a line, the third and fourth ...;
    // spans that meet are one.
    const std::int64_t before = room;
    for (std::size_t i = 0; i + 1 < found.size();) {
      const std::int64_t line = found[i].line;
      if (found[i + 1].line != line) {
        ++i;
        continue;
      }
      const double from = found[i].along;
      double to = found[i + 1].along;
      i += 2;
      while (i + 1 < found.size() && found[i].line == line && found[i + 1].line == line &&
             Close(found[i].along, to)) {
        to = found[i + 1].along;
        i += 2;
      }
      if (Close(from, to)) continue;
      if (!DashLine(lines, families[f].dashes, length, line, from, to, room, piece, stopped)) {
        work += before - room;
        return stopped ? PatternOutcome::kStopped : PatternOutcome::kCut;
      }
    }
    work += before - room;
  }
  return PatternOutcome::kDrawn;
}

}  // namespace dxfdin
