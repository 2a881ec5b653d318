#include "dxf_to_din/placement.h"

#include <cmath>
#include <numbers>

namespace dxfdin {

namespace {

using Vector = std::array<double, 3>;

Vector Cross(const Vector& a, const Vector& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double Length(const Vector& v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

Vector Normalized(const Vector& v) {
  const double length = Length(v);
  return {v[0] / length, v[1] / length, v[2] / length};
}

constexpr double kDegree = std::numbers::pi / 180;

}  // namespace

Placement::Placement(const Extrusion& extrusion) {
  const Vector n{extrusion.x, extrusion.y, extrusion.z};
  const double length = Length(n);
  // A direction of no length or one that is not a number says nothing: the world's.
  if (!(length > 0) || !std::isfinite(length)) return;
  const Vector z = Normalized(n);
  // Directions within rounding of the z axis keep their points exactly as written.
  constexpr double kOnAxis = 1e-12;
  if (std::fabs(z[0]) < kOnAxis && std::fabs(z[1]) < kOnAxis) {
    if (z[2] < 0) {
      axes_ = {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}};
      kind_ = Kind::kMirrored;
    }
    return;
  }
  // The arbitrary-axis algorithm: near the z axis the OCS x axis is world y cross N,
  // otherwise world z cross N.
  constexpr double kLimit = 1.0 / 64;
  const Vector world_axis =
      std::fabs(z[0]) < kLimit && std::fabs(z[1]) < kLimit ? Vector{0, 1, 0} : Vector{0, 0, 1};
  const Vector x = Normalized(Cross(world_axis, z));
  axes_ = {x, Normalized(Cross(z, x)), z};
  Classify();
}

Placement Placement::Insert(const std::array<double, 3>& base,
                            const std::array<double, 3>& insertion,
                            const std::array<double, 3>& scale, double rotation,
                            const Extrusion& extrusion, double offset_x, double offset_y) {
  // Block point p goes to OCS(insertion + R(rotation) (offset + S (p - base))).
  const double c = std::cos(rotation * kDegree), s = std::sin(rotation * kDegree);
  Placement local;
  local.axes_ = {
      {{c * scale[0], s * scale[0], 0}, {-s * scale[1], c * scale[1], 0}, {0, 0, scale[2]}}};
  const double bx = offset_x - scale[0] * base[0];
  const double by = offset_y - scale[1] * base[1];
  local.origin_ = {insertion[0] + c * bx - s * by, insertion[1] + s * bx + c * by,
                   insertion[2] - scale[2] * base[2]};
  local.Classify();
  return Placement(extrusion).Compose(local);
}

Placement Placement::TextFrame(const std::array<double, 3>& origin,
                               const std::array<double, 3>& direction, double rotation,
                               const Extrusion& extrusion) {
  const Placement ocs(extrusion);
  const Vector& z = ocs.axes_[2];
  const double along = direction[0] * z[0] + direction[1] * z[1] + direction[2] * z[2];
  Vector x{direction[0] - along * z[0], direction[1] - along * z[1], direction[2] - along * z[2]};
  const double length = Length(x);
  if (length > 0 && std::isfinite(length)) {
    x = Normalized(x);
  } else {
    const double turn = std::isfinite(rotation) ? rotation * kDegree : 0;
    const double c = std::cos(turn), s = std::sin(turn);
    for (int i = 0; i < 3; ++i) x[i] = c * ocs.axes_[0][i] + s * ocs.axes_[1][i];
  }
  Placement frame;
  frame.axes_ = {x, Cross(z, x), z};
  frame.origin_ = origin;
  frame.Classify();
  return frame;
}

Placement Placement::Compose(const Placement& inner) const {
  if (inner.kind_ == Kind::kIdentity) return *this;
  if (kind_ == Kind::kIdentity) return inner;
  Placement result;
  for (int column = 0; column < 3; ++column) {
    for (int row = 0; row < 3; ++row) {
      result.axes_[column][row] = axes_[0][row] * inner.axes_[column][0] +
                                  axes_[1][row] * inner.axes_[column][1] +
                                  axes_[2][row] * inner.axes_[column][2];
    }
  }
  for (int row = 0; row < 3; ++row) {
    result.origin_[row] = origin_[row] + axes_[0][row] * inner.origin_[0] +
                          axes_[1][row] * inner.origin_[1] + axes_[2][row] * inner.origin_[2];
  }
  result.Classify();
  return result;
}

void Placement::Classify() {
  const Vector& x = axes_[0];
  const Vector& y = axes_[1];
  if (axes_ == decltype(axes_){{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}} && origin_ == Vector{0, 0, 0}) {
    kind_ = Kind::kIdentity;
    return;
  }
  if (axes_ == decltype(axes_){{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}} && origin_ == Vector{0, 0, 0}) {
    kind_ = Kind::kMirrored;
    return;
  }
  // The x-y plane's axes, seen from above: of one length and square to each other, circles
  // stay circles.
  const double ux = x[0], uy = x[1], vx = y[0], vy = y[1];
  const double u = std::hypot(ux, uy), v = std::hypot(vx, vy);
  constexpr double kSame = 1e-9;
  const bool conformal = u > 0 && std::isfinite(u) && std::fabs(u - v) <= kSame * u &&
                         std::fabs(ux * vx + uy * vy) <= kSame * u * v;
  kind_ = conformal ? Kind::kConformal : Kind::kAffine;
}

WorldPoint Placement::ToWorld(double x, double y, double z) const {
  switch (kind_) {
    case Kind::kIdentity:
      return {x, y};
    case Kind::kMirrored:
      return {0.0 - x, y};  // never -0, which a DIN file would show as "-0"
    default:
      break;
  }
  return {origin_[0] + x * axes_[0][0] + y * axes_[1][0] + z * axes_[2][0],
          origin_[1] + x * axes_[0][1] + y * axes_[1][1] + z * axes_[2][1]};
}

double Placement::WorldAngle(double degrees) const {
  switch (kind_) {
    case Kind::kIdentity:
      return degrees;
    case Kind::kMirrored:
      return 180 - degrees;
    default:
      break;
  }
  const double c = std::cos(degrees * kDegree), s = std::sin(degrees * kDegree);
  return std::atan2(c * axes_[0][1] + s * axes_[1][1], c * axes_[0][0] + s * axes_[1][0]) / kDegree;
}

double Placement::Scale() const {
  return std::hypot(axes_[0][0], axes_[0][1]);
}

bool Placement::Reverses() const {
  return axes_[0][0] * axes_[1][1] - axes_[0][1] * axes_[1][0] < 0;
}

double Placement::HeightScale() const {
  return std::hypot(axes_[1][0], axes_[1][1]);
}

}  // namespace dxfdin
