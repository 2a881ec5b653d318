#include "dxf_to_din/object_coordinates.h"

#include <cmath>
#include <numbers>

namespace dxfdin {

namespace {

using Vector = std::array<double, 3>;

Vector Cross(const Vector& a, const Vector& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vector Normalized(const Vector& v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / length, v[1] / length, v[2] / length};
}

}  // namespace

ObjectCoordinates::ObjectCoordinates(const Extrusion& extrusion) {
  const Vector n{extrusion.x, extrusion.y, extrusion.z};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  // A direction of no length or one that is not a number says nothing: the world's.
  if (!(length > 0) || !std::isfinite(length)) {
    kind_ = Kind::kWorld;
    return;
  }
  az_ = Normalized(n);
  // Directions within rounding of the z axis keep their points exactly as written.
  constexpr double kOnAxis = 1e-12;
  if (std::fabs(az_[0]) < kOnAxis && std::fabs(az_[1]) < kOnAxis) {
    kind_ = az_[2] > 0 ? Kind::kWorld : Kind::kMirrored;
    if (kind_ == Kind::kMirrored) ax_ = {-1, 0, 0};
    return;
  }
  kind_ = Kind::kTilted;
  // The arbitrary-axis algorithm: near the z axis the OCS x axis is world y cross N,
  // otherwise world z cross N.
  constexpr double kLimit = 1.0 / 64;
  const Vector world_axis =
      std::fabs(az_[0]) < kLimit && std::fabs(az_[1]) < kLimit ? Vector{0, 1, 0} : Vector{0, 0, 1};
  ax_ = Normalized(Cross(world_axis, az_));
  ay_ = Normalized(Cross(az_, ax_));
}

WorldPoint ObjectCoordinates::ToWorld(double x, double y, double z) const {
  switch (kind_) {
    case Kind::kWorld:
      return {x, y};
    case Kind::kMirrored:
      return {0.0 - x, y};  // never -0, which a DIN file would show as "-0"
    case Kind::kTilted:
      break;
  }
  return {x * ax_[0] + y * ay_[0] + z * az_[0], x * ax_[1] + y * ay_[1] + z * az_[1]};
}

double ObjectCoordinates::WorldAngle(double degrees) const {
  switch (kind_) {
    case Kind::kWorld:
      return degrees;
    case Kind::kMirrored:
      return 180 - degrees;
    case Kind::kTilted:
      break;
  }
  const double radians = degrees * (std::numbers::pi / 180);
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  return std::atan2(c * ax_[1] + s * ay_[1], c * ax_[0] + s * ay_[0]) * (180 / std::numbers::pi);
}

}  // namespace dxfdin
