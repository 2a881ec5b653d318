// The curves DIN has no item for (ellipses, splines, circles drawn through unequal scales):
// their points, and how many of them a chain needs.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "dxf_to_din/placement.h"

namespace dxfdin {

using Point3 = std::array<double, 3>;

// The number of equal parameter steps over [t0, t1] that keep the chain of the curve's points
// within 1/10000 of the curve's extent: from the bend of the curve as drawn (`drawn` gives a
// point at a parameter), at least 2, at most kMaxChainSteps.
inline constexpr int kMaxChainSteps = 10000;
// The points of the curve ChainSteps looks at: the work it takes.
inline constexpr int kChainStepProbes = 65;
int ChainSteps(double t0, double t1, const std::function<WorldPoint(double)>& drawn);

// A NURBS curve: degree, knots, control points and weights (all 1 when not rational).
struct Nurbs {
  int degree = 3;
  std::vector<double> knots;
  std::vector<Point3> points;
  std::vector<double> weights;

  // Whether the data make a curve: enough points for the degree, one knot for each point and
  // one more than the degree, knots that never decrease, weights positive, all finite.
  bool Valid() const;
  // The parameters at which the curve is defined: from knot `degree` to the last but `degree`.
  double Start() const { return knots[degree]; }
  double End() const { return knots[knots.size() - 1 - degree]; }
  // The point at parameter u in [Start(), End()].
  Point3 At(double u) const;
  // The work of one point of the curve, in readings of a group: its basis takes a time in
  // the square of the degree.
  int PointCost() const { return 6 + (degree + 1) * (degree + 1) / 16; }
};

// The cubic curve through fit points, as common CAD programs make it: chord-length
// parameters, "natural" knots, end tangents given or estimated from five points, by global
// interpolation (Piegl and Tiller, The NURBS Book, 9.2.2). None for fewer than 2 points or
// more than kMaxFitPoints.
inline constexpr std::size_t kMaxFitPoints = 1000;
std::optional<Nurbs> CurveThroughFitPoints(const std::vector<Point3>& fit,
                                           const std::optional<Point3>& start_tangent,
                                           const std::optional<Point3>& end_tangent);

}  // namespace dxfdin
