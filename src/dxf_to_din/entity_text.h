// Simple entities written as DXF groups, for the entities a viewer draws through them: a
// dimension without its block, a multileader, a multiline, a tolerance frame, proxy graphics,
// the figure of a point. The translators of the file's own entities read them back, in the
// frame of the entity they draw and with its style: each is on layer "0", colour and line type
// BYBLOCK, unless a colour of its own is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dxf_to_din/curves.h"
#include "dxf_to_din/placement.h"

namespace dxfdin {

class EntityText {
 public:
  // The groups one entity may write, and all of them together: past the bound, entities are
  // left out and Cut() says so.
  static constexpr std::size_t kMaxBytes = std::size_t{16} << 20;

  // The colour of the entities written next: 0 (BYBLOCK) takes the drawing entity's colour,
  // 256 (BYLAYER) its layer's, 1 to 255 is the colour itself.
  void SetColour(std::int32_t colour) { colour_ = colour; }

  void Line(const Point3& a, const Point3& b);
  // A chain of straight segments; a closed one ends at its first point.
  void Chain(const std::vector<Point3>& points, bool closed);
  void Circle(const Point3& centre, double radius, const Extrusion& extrusion = {});
  // Counter-clockwise from `start` to `end` degrees about the extrusion, in its OCS.
  void Arc(const Point3& centre, double radius, double start, double end,
           const Extrusion& extrusion = {});
  // The cubic curve through fit points (world coordinates), leaving the first along
  // `start_tangent` and reaching the last along `end_tangent`.
  void Spline(const std::vector<Point3>& fit, const Point3& start_tangent,
              const Point3& end_tangent);
  // A single-line text from its insertion point (the left end of its base line), `rotation`
  // degrees, in the drawing's encoding or with \U+XXXX escapes.
  void Text(const Point3& at, double height, double rotation, std::string_view text,
            const Extrusion& extrusion = {});
  // A multiline text: `attachment` 1 to 9 (top left ... bottom right), along `direction`
  // (world), `text` with MTEXT's formatting codes; `width` 0 for no wrapping.
  void Mtext(const Point3& at, double height, const Point3& direction, std::int32_t attachment,
             std::string_view text, double width = 0, double line_spacing = 1,
             const Extrusion& extrusion = {});
  // A block inserted as an INSERT is; its attributes follow with Attribute().
  void Insert(std::string_view block, const Point3& at, const Point3& scale, double rotation,
              const Extrusion& extrusion = {}, bool with_attributes = false);
  void Attribute(const Point3& at, double height, double rotation, std::string_view text,
                 const Extrusion& extrusion = {});
  // Ends the attributes of the insert before.
  void EndAttributes();

  const std::string& Groups() const { return groups_; }
  std::size_t Entities() const { return entities_; }
  bool Empty() const { return entities_ == 0; }
  bool Cut() const { return cut_; }

 private:
  // Starts an entity of `type`; false when the bound leaves no room for it.
  bool Begin(std::string_view type);
  void Group(int code, double value);
  void Group(int code, std::int64_t value);
  void Group(int code, std::string_view value);
  void Point(int code, const Point3& p);
  void ExtrusionGroups(const Extrusion& extrusion);

  std::string groups_;
  std::size_t entities_ = 0;
  std::int32_t colour_ = 0;
  bool cut_ = false;
};

}  // namespace dxfdin
