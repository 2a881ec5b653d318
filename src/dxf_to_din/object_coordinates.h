// An entity's object coordinate system (OCS), from its extrusion direction (groups 210, 220,
// 230), by DXF's arbitrary-axis algorithm. Circles, arcs, texts and 2-D polylines hold their
// points in it; the DIN side takes the x and y of the world points.
#pragma once

#include <array>

namespace dxfdin {

struct Extrusion {
  double x = 0;
  double y = 0;
  double z = 1;
};

struct WorldPoint {
  double x;
  double y;
};

class ObjectCoordinates {
 public:
  enum class Kind {
    kWorld,     // extrusion (0, 0, 1): OCS and world agree
    kMirrored,  // extrusion (0, 0, -1): world x is -x, angles turn the other way
    kTilted,    // anything else: circles project to ellipses
  };

  explicit ObjectCoordinates(const Extrusion& extrusion);

  Kind kind() const { return kind_; }
  // The world x and y of the OCS point (x, y, z).
  WorldPoint ToWorld(double x, double y, double z) const;
  // The world direction, in degrees, of the OCS direction `degrees` (in the x-y plane).
  double WorldAngle(double degrees) const;

 private:
  Kind kind_;
  std::array<double, 3> ax_{1, 0, 0};
  std::array<double, 3> ay_{0, 1, 0};
  std::array<double, 3> az_{0, 0, 1};
};

}  // namespace dxfdin
