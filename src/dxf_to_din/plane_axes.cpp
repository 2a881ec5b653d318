#include "dxf_to_din/plane_axes.h"

#include <cmath>
#include <numbers>

namespace dxfdin {

Point3 Add(const Point3& a, const Point3& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

Point3 Subtract(const Point3& a, const Point3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Point3 Scaled(const Point3& v, double factor) {
  return {v[0] * factor, v[1] * factor, v[2] * factor};
}

Point3 CrossProduct(const Point3& a, const Point3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double DotProduct(const Point3& a, const Point3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

double Magnitude(const Point3& v) {
  return std::sqrt(DotProduct(v, v));
}

Point3 UnitVector(const Point3& v) {
  const double length = Magnitude(v);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0};
  return Scaled(v, 1 / length);
}

PlaneAxes PlaneAxes::Of(const Extrusion& extrusion) {
  const Point3 z = UnitVector({extrusion.x, extrusion.y, extrusion.z});
  if (z == Point3{0, 0, 0}) return {};
  // Near the world's z axis the plane's x axis is world y cross z, elsewhere world z cross z.
  constexpr double kLimit = 1.0 / 64;
  const bool near_z = std::fabs(z[0]) < kLimit && std::fabs(z[1]) < kLimit;
  const Point3 x = UnitVector(CrossProduct(near_z ? Point3{0, 1, 0} : Point3{0, 0, 1}, z));
  return {x, CrossProduct(z, x), z};
}

Point3 PlaneAxes::FromWorld(const Point3& world) const {
  return {DotProduct(world, x), DotProduct(world, y), DotProduct(world, z)};
}

Point3 PlaneAxes::ToWorld(const Point3& local) const {
  return Add(Add(Scaled(x, local[0]), Scaled(y, local[1])), Scaled(z, local[2]));
}

double PlaneAxes::AngleOf(const Point3& direction) const {
  const double u = DotProduct(direction, x), v = DotProduct(direction, y);
  if (u == 0 && v == 0) return 0;
  return std::atan2(v, u) * 180 / std::numbers::pi;
}

}  // namespace dxfdin
