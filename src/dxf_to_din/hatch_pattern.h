// The pattern of a hatch as a viewer draws it: each family of parallel lines of the pattern's
// definition cut by the boundary loops, a point being inside where the loops cross a ray from
// it an odd number of times, and dashed along each line from the family's base point. Arcs of
// the loops are cut exactly; other curves come as chains of their points.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace dxfdin {

// One line of a pattern's definition, in the hatch's own coordinates, scaled and turned as the
// drawing stores it: the lines run at `angle` degrees through the base point and every point
// the offset moves it to; `dashes` are lengths along them (a dash when positive, a gap when
// negative, a dot when 0), none for a continuous line.
struct PatternFamily {
  double angle = 0;
  double base_x = 0, base_y = 0;
  double offset_x = 0, offset_y = 0;
  std::vector<double> dashes;
};

// A vertex of a boundary loop; the segment from it to the next vertex (from the last back to
// the first) bulges by `bulge`: the tangent of a quarter of its included angle, negative
// clockwise.
struct LoopVertex {
  double x, y, bulge;
};
using Loop = std::vector<LoopVertex>;

// A piece of the pattern from a to b; a dot where they are the same point.
struct PatternPiece {
  double ax, ay, bx, by;
};

enum class PatternOutcome {
  kDrawn,     // every piece given
  kTooDense,  // more lines or crossings than a hatch may have: nothing given
  kCut,       // more pieces than a hatch may have: those up to the bound given
  kStopped,   // `piece` asked to stop
};

// Bounds of one hatch: a pattern of tiny spacing over a large boundary would otherwise run for
// hours. Lines are counted over the boundary's extent across them, crossings of lines and
// boundary edges as they are found, pieces as they are given (gaps and dots too).
inline constexpr std::int64_t kMaxPatternLines = 100'000;
inline constexpr std::int64_t kMaxPatternCrossings = 1'000'000;
inline constexpr std::int64_t kMaxPatternPieces = 1'000'000;
// Families of one pattern, and the edges of all loops looked at for each of them.
inline constexpr std::size_t kMaxPatternFamilies = 256;
inline constexpr std::int64_t kMaxPatternEdgeVisits = 20'000'000;

// Gives `piece` the pieces of each family in turn, line by line along the lines' direction;
// `piece` returns false to stop. Families whose lines have no spacing draw nothing. `work`
// grows by the edges looked at, the crossings found and the pieces given.
PatternOutcome DrawPattern(const std::vector<PatternFamily>& families,
                           const std::vector<Loop>& loops, std::int64_t& work,
                           const std::function<bool(const PatternPiece&)>& piece);

}  // namespace dxfdin
