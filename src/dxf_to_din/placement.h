// Where an entity's own coordinates land in the drawing: its object coordinate system (OCS,
// from its extrusion direction by DXF's arbitrary-axis algorithm) and the inserts of blocks it
// is drawn through. The DIN side takes the x and y of the world points.
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

class Placement {
 public:
  enum class Kind {
    kIdentity,   // the world itself: points are taken exactly as written
    kMirrored,   // seen from below (extrusion 0, 0, -1): x is -x, exactly
    kConformal,  // circles stay circles: moved, turned, scaled alike in x and y, mirrored
    kAffine,     // anything else: circles become ellipses
  };

  // The world.
  Placement() = default;
  // The OCS of an entity with this extrusion direction.
  explicit Placement(const Extrusion& extrusion);
  // A block drawn by an insert: the block's base point goes to the insertion point, scaled,
  // turned by `rotation` degrees, in the insert's own OCS; `offset` moves it within the
  // insert's turned frame (the cells of a MINSERT).
  static Placement Insert(const std::array<double, 3>& base, const std::array<double, 3>& insertion,
                          const std::array<double, 3>& scale, double rotation,
                          const Extrusion& extrusion, double offset_x = 0, double offset_y = 0);

  // The frame of a text whose point is written in world coordinates (an MTEXT's): from
  // `origin`, its x axis along `direction` laid into the plane of the extrusion, or where the
  // direction has no length, turned `rotation` degrees from the extrusion's OCS x axis.
  static Placement TextFrame(const std::array<double, 3>& origin,
                             const std::array<double, 3>& direction, double rotation,
                             const Extrusion& extrusion);

  // `inner` drawn through this placement.
  Placement Compose(const Placement& inner) const;

  Kind kind() const { return kind_; }
  // The world x and y of the point (x, y, z).
  WorldPoint ToWorld(double x, double y, double z) const;
  // The world direction, in degrees, of the direction `degrees` of the x-y plane.
  double WorldAngle(double degrees) const;
  // Conformal placements: the world length of a unit of the x-y plane, and whether they turn
  // counter-clockwise into clockwise.
  double Scale() const;
  bool Reverses() const;
  // The world length of a unit along y (a text's height).
  double HeightScale() const;

 private:
  void Classify();

  Kind kind_ = Kind::kIdentity;
  // Columns: the world images of the x, y and z axes; then the image of the origin.
  std::array<std::array<double, 3>, 3> axes_{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  std::array<double, 3> origin_{0, 0, 0};
};

}  // namespace dxfdin
