#include "dxf_to_din/curves.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace dxfdin {

namespace {

Point3 Minus(const Point3& a, const Point3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Point3 Times(const Point3& a, double f) {
  return {a[0] * f, a[1] * f, a[2] * f};
}

Point3 Plus(const Point3& a, const Point3& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

double Length(const Point3& a) {
  return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
}

Point3 Cross(const Point3& a, const Point3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The knot span that holds u: the last k with knots[k] <= u < knots[k + 1], within the
// curve's spans (the end belongs to the last one).
std::size_t SpanOf(const std::vector<double>& knots, int degree, std::size_t count, double u) {
  const std::size_t first = static_cast<std::size_t>(degree);
  const std::size_t last = count - 1;
  if (u >= knots[last + 1]) return last;
  if (u <= knots[first]) return first;
  auto above = std::upper_bound(knots.begin() + first, knots.begin() + last + 1, u);
  return static_cast<std::size_t>(above - knots.begin()) - 1;
}

// The basis functions that do not vanish at u: N(span - degree) .. N(span) (The NURBS Book,
// algorithm A2.2), for a degree of at most kMaxDegree. On the stack: a curve is looked at in
// tens of thousands of places.
constexpr int kMaxDegree = 32;
using Basis = std::array<double, kMaxDegree + 1>;

Basis BasisAt(const std::vector<double>& knots, int degree, std::size_t span, double u) {
  Basis basis{}, left{}, right{};
  degree = std::clamp(degree, 0, kMaxDegree);
  basis[0] = 1;
  for (int j = 1; j <= degree; ++j) {
    left[j] = u - knots[span + 1 - j];
    right[j] = knots[span + j] - u;
    double saved = 0;
    for (int r = 0; r < j; ++r) {
      const double denominator = right[r + 1] + left[j - r];
      const double share = denominator == 0 ? 0 : basis[r] / denominator;
      basis[r] = saved + right[r + 1] * share;
      saved = left[j - r] * share;
    }
    basis[j] = saved;
  }
  return basis;
}

// Solves the square system a x = b (rows of a given, b holds one point per row) whose
// non-zero entries lie within `band` of the diagonal, by elimination with partial pivoting.
std::optional<std::vector<Point3>> SolveBanded(std::vector<std::vector<double>> a,
                                               std::vector<Point3> b, std::size_t band) {
  const std::size_t n = a.size();
  for (std::size_t column = 0; column < n; ++column) {
    const std::size_t last_row = std::min(n - 1, column + band);
    std::size_t pivot = column;
    for (std::size_t row = column + 1; row <= last_row; ++row) {
      if (std::fabs(a[row][column]) > std::fabs(a[pivot][column])) pivot = row;
    }
    if (!(std::fabs(a[pivot][column]) > 0)) return std::nullopt;
    std::swap(a[pivot], a[column]);
    std::swap(b[pivot], b[column]);
    const std::size_t last_column = std::min(n - 1, column + 2 * band);
    for (std::size_t row = column + 1; row <= last_row; ++row) {
      const double factor = a[row][column] / a[column][column];
      if (factor == 0) continue;
      for (std::size_t k = column; k <= last_column; ++k) a[row][k] -= factor * a[column][k];
      b[row] = Minus(b[row], Times(b[column], factor));
    }
  }
  std::vector<Point3> x(n);
  for (std::size_t row = n; row-- > 0;) {
    Point3 sum = b[row];
    for (std::size_t k = row + 1; k < n && k <= row + 2 * band; ++k) {
      sum = Minus(sum, Times(x[k], a[row][k]));
    }
    x[row] = Times(sum, 1 / a[row][row]);
  }
  return x;
}

// The end tangents of a curve through the points by the five-point estimate (Akima).
std::array<Point3, 2> EstimatedEndTangents(const std::vector<Point3>& points) {
  const std::size_t n = points.size();
  // q[k + 1] is the chord from point k to point k + 1; two more on each side, extrapolated.
  std::vector<Point3> q(n + 3);
  for (std::size_t k = 0; k + 1 < n; ++k) q[k + 2] = Minus(points[k + 1], points[k]);
  q[1] = Minus(Times(q[2], 2), q[3]);
  q[0] = Minus(Times(q[1], 2), q[2]);
  q[n + 1] = Minus(Times(q[n], 2), q[n - 1]);
  q[n + 2] = Minus(Times(q[n + 1], 2), q[n]);
  // The tangent at point k weighs the chords on either side (q[k + 1], q[k + 2]) by how much
  // the curve turns before and after them.
  auto tangent = [&](std::size_t k) {
    const double before = Length(Cross(q[k], q[k + 1]));
    const double after = Length(Cross(q[k + 2], q[k + 3]));
    const double alpha = before + after > 0 ? before / (before + after) : 0.5;
    return Plus(Times(q[k + 1], 1 - alpha), Times(q[k + 2], alpha));
  };
  return {tangent(0), tangent(n - 1)};
}

}  // namespace

int ChainSteps(double t0, double t1, const std::function<WorldPoint(double)>& drawn) {
  const double span = t1 - t0;
  if (!(span > 0) || !std::isfinite(span)) return 2;
  // A first look at the curve: its extent, and its bend from second differences.
  constexpr int kProbe = kChainStepProbes - 1;
  std::array<WorldPoint, kProbe + 1> p;
  double min_x = INFINITY, min_y = INFINITY, max_x = -INFINITY, max_y = -INFINITY;
  for (int i = 0; i <= kProbe; ++i) {
    p[i] = drawn(t0 + span * i / kProbe);
    min_x = std::min(min_x, p[i].x);
    max_x = std::max(max_x, p[i].x);
    min_y = std::min(min_y, p[i].y);
    max_y = std::max(max_y, p[i].y);
  }
  double second = 0;
  for (int i = 1; i < kProbe; ++i) {
    second = std::max(second, std::hypot(p[i - 1].x - 2 * p[i].x + p[i + 1].x,
                                         p[i - 1].y - 2 * p[i].y + p[i + 1].y));
  }
  const double extent = std::hypot(max_x - min_x, max_y - min_y);
  const double step = span / kProbe;
  // Half as much again for what the first look missed.
  const double bend = 1.5 * second / (step * step);
  if (!(extent > 0) || !std::isfinite(extent) || !(bend > 0) || !std::isfinite(bend)) return 2;
  // A chord over a parameter step h stands off the curve by at most bend * h^2 / 8.
  const double tolerance = 1e-4 * extent;
  const double steps = std::ceil(span / std::sqrt(8 * tolerance / bend));
  return static_cast<int>(std::clamp(steps, 2.0, static_cast<double>(kMaxChainSteps)));
}

bool Nurbs::Valid() const {
  if (degree < 1 || degree > kMaxDegree || points.size() < static_cast<std::size_t>(degree) + 1) {
    return false;
  }
  if (knots.size() != points.size() + static_cast<std::size_t>(degree) + 1) return false;
  if (weights.size() != points.size()) return false;
  for (std::size_t i = 0; i < knots.size(); ++i) {
    if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) return false;
  }
  for (double weight : weights) {
    if (!(weight > 0) || !std::isfinite(weight)) return false;
  }
  for (const Point3& point : points) {
    if (!std::isfinite(point[0]) || !std::isfinite(point[1]) || !std::isfinite(point[2])) {
      return false;
    }
  }
  return Start() < End();
}

Point3 Nurbs::At(double u) const {
  const std::size_t span = SpanOf(knots, degree, points.size(), u);
  const Basis basis = BasisAt(knots, degree, span, u);
  double x = 0, y = 0, z = 0, w = 0;
  for (int j = 0; j <= degree; ++j) {
    const std::size_t i = span - static_cast<std::size_t>(degree) + static_cast<std::size_t>(j);
    const double weighted = basis[j] * weights[i];
    x += weighted * points[i][0];
    y += weighted * points[i][1];
    z += weighted * points[i][2];
    w += weighted;
  }
  return {x / w, y / w, z / w};
}

std::optional<Nurbs> CurveThroughFitPoints(const std::vector<Point3>& fit,
                                           const std::optional<Point3>& start_tangent,
                                           const std::optional<Point3>& end_tangent) {
  if (fit.size() < 2 || fit.size() > kMaxFitPoints) return std::nullopt;
  // Parameters by chord length.
  const std::size_t n = fit.size() - 1;
  std::vector<double> t(n + 1, 0.0);
  double total = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    total += Length(Minus(fit[k], fit[k - 1]));
    t[k] = total;
  }
  if (!(total > 0) || !std::isfinite(total)) return std::nullopt;
  for (double& value : t) value /= total;
  t[n] = 1;
  // End tangents as first derivatives, their length the length of the chords.
  std::array<Point3, 2> tangents{};
  if (start_tangent && end_tangent) {
    tangents = {*start_tangent, *end_tangent};
  } else if (fit.size() >= 3) {
    tangents = EstimatedEndTangents(fit);
  } else {
    tangents = {Minus(fit[1], fit[0]), Minus(fit[1], fit[0])};
  }
  for (Point3& tangent : tangents) {
    const double length = Length(tangent);
    if (!(length > 0) || !std::isfinite(length)) return std::nullopt;
    tangent = Times(tangent, total / length);
  }
  // Cubic, with "natural" knots: the inner parameters between fourfold ends.
  Nurbs curve;
  curve.degree = 3;
  curve.knots.assign(4, 0.0);
  curve.knots.insert(curve.knots.end(), t.begin() + 1, t.end() - 1);
  curve.knots.insert(curve.knots.end(), 4, 1.0);
  const std::size_t count = n + 3;
  // The curve passes the fit points at their parameters; its first and last legs have the
  // end derivatives.
  std::vector<std::vector<double>> rows;
  std::vector<Point3> right;
  auto basis_row = [&](double u) {
    std::vector<double> row(count, 0.0);
    const std::size_t span = SpanOf(curve.knots, 3, count, u);
    const Basis basis = BasisAt(curve.knots, 3, span, u);
    for (int j = 0; j <= 3; ++j) row[span - 3 + static_cast<std::size_t>(j)] = basis[j];
    return row;
  };
  for (std::size_t k = 0; k <= n; ++k) {
    rows.push_back(basis_row(t[k]));
    right.push_back(fit[k]);
    if (k == 0) {
      std::vector<double> row(count, 0.0);
      row[0] = -1;
      row[1] = 1;
      rows.push_back(row);
      right.push_back(Times(tangents[0], curve.knots[4] / 3));
    }
    if (k + 1 == n) {
      std::vector<double> row(count, 0.0);
      row[count - 2] = -1;
      row[count - 1] = 1;
      rows.push_back(row);
      right.push_back(Times(tangents[1], (1 - curve.knots[curve.knots.size() - 5]) / 3));
    }
  }
  if (n == 1) {
    // Two fit points: the end leg's row goes before the last point's.
    std::swap(rows[2], rows[3]);
    std::swap(right[2], right[3]);
  }
  auto points = SolveBanded(std::move(rows), std::move(right), 4);
  if (!points) return std::nullopt;
  curve.points = std::move(*points);
  curve.weights.assign(count, 1.0);
  if (!curve.Valid()) return std::nullopt;
  return curve;
}

}  // namespace dxfdin
