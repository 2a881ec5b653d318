// The axes of the plane an extrusion direction gives (its object coordinate system, by DXF's
// arbitrary-axis rule), for entities whose points are written in the world but whose parts
// are drawn in that plane: a multileader's arrows and block, a tolerance frame's texts.
#pragma once

#include "dxf_to_din/curves.h"
#include "dxf_to_din/placement.h"

namespace dxfdin {

struct PlaneAxes {
  Point3 x{1, 0, 0};
  Point3 y{0, 1, 0};
  Point3 z{0, 0, 1};

  // The world's axes for a direction of no length or one that is not finite.
  static PlaneAxes Of(const Extrusion& extrusion);

  // The coordinates in the plane's system of a world point, and back.
  Point3 FromWorld(const Point3& world) const;
  Point3 ToWorld(const Point3& local) const;
  // The direction, in degrees from the plane's x axis, of a world direction laid into it.
  double AngleOf(const Point3& direction) const;
};

// Vector helpers of the plane's arithmetic.
Point3 Add(const Point3& a, const Point3& b);
Point3 Subtract(const Point3& a, const Point3& b);
Point3 Scaled(const Point3& v, double factor);
Point3 CrossProduct(const Point3& a, const Point3& b);
double DotProduct(const Point3& a, const Point3& b);
double Magnitude(const Point3& v);
// The vector of length 1 along v; none (0, 0, 0) for a vector of no length or not finite.
Point3 UnitVector(const Point3& v);

}  // namespace dxfdin
