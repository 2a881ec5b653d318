// Directions in 3-D space, and the axes of an entity's own coordinate system (OCS) from its
// extrusion direction by DXF's arbitrary-axis rule, for the figures written in world
// coordinates that keep their curves in the plane of an extrusion.
#pragma once

#include <cmath>
#include <numbers>

#include "dxf_to_din/curves.h"
#include "dxf_to_din/placement.h"

namespace dxfdin {

inline Point3 Plus(const Point3& a, const Point3& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

inline Point3 Minus(const Point3& a, const Point3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

inline Point3 Times(const Point3& a, double f) {
  return {a[0] * f, a[1] * f, a[2] * f};
}

inline double Dot(const Point3& a, const Point3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

inline Point3 Cross(const Point3& a, const Point3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

inline double Length(const Point3& a) {
  return std::sqrt(Dot(a, a));
}

// The direction of `v`; none (0, 0, 0) for a vector of no length or not finite.
inline Point3 Unit(const Point3& v) {
  const double length = Length(v);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0};
  return Times(v, 1 / length);
}

inline bool Finite(const Point3& p) {
  return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// The axes of the OCS of an extrusion, in the world; the world's own for a direction of no
// length.
struct OcsAxes {
  Point3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};

  OcsAxes() = default;
  explicit OcsAxes(const Point3& extrusion) {
    const Point3 n = Unit(extrusion);
    if (n == Point3{0, 0, 0}) return;
    const bool near_z = std::abs(n[0]) < 1.0 / 64 && std::abs(n[1]) < 1.0 / 64;
    x = Unit(Cross(near_z ? Point3{0, 1, 0} : Point3{0, 0, 1}, n));
    y = Cross(n, x);
    z = n;
  }

  // A world point in the OCS, and back.
  Point3 ToOcs(const Point3& p) const { return {Dot(p, x), Dot(p, y), Dot(p, z)}; }
  Point3 ToWorld(const Point3& p) const {
    return Plus(Plus(Times(x, p[0]), Times(y, p[1])), Times(z, p[2]));
  }
  Extrusion AsExtrusion() const { return {z[0], z[1], z[2]}; }
  // The direction, in degrees from the x axis, of a world direction laid into the plane.
  double AngleOf(const Point3& direction) const {
    const double u = Dot(direction, x), v = Dot(direction, y);
    if (u == 0 && v == 0) return 0;
    return std::atan2(v, u) * 180 / std::numbers::pi;
  }
};

}  // namespace dxfdin
