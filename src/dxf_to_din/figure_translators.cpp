#include "dxf_to_din/figure_translators.h"

#include <array>
#include <cmath>
#include <string_view>

#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_groups.h"
#include "text/byte_string.h"

namespace dxfdin {

namespace {

// The axes of an extrusion's coordinate system in the world, by DXF's arbitrary-axis rule.
struct Axes {
  Point3 x, y, z;
};

Point3 Cross(const Point3& a, const Point3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Point3 Unit(const Point3& v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0};
  return {v[0] / length, v[1] / length, v[2] / length};
}

Axes AxesOf(const Extrusion& extrusion) {
  const Point3 z = Unit({extrusion.x, extrusion.y, extrusion.z});
  if (z == Point3{0, 0, 0}) return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const bool near_z = std::abs(z[0]) < 1.0 / 64 && std::abs(z[1]) < 1.0 / 64;
  const Point3 x = Unit(Cross(near_z ? Point3{0, 1, 0} : Point3{0, 0, 1}, z));
  return {x, Cross(z, x), z};
}

double Dot(const Point3& a, const Point3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Points are a dimension's definition points on this layer.
bool OnDefinitionPointsLayer(std::string_view layer) {
  while (!layer.empty() && (layer.back() == '\n' || layer.back() == ' ')) layer.remove_suffix(1);
  return SameName(layer, "DEFPOINTS");
}

}  // namespace

double PointFigureSize(double pdsize, double drawing_height, double view_height) {
  if (pdsize > 0 && std::isfinite(pdsize)) return pdsize;
  const auto usable = [](double h) { return std::isfinite(h) && h > 0; };
  if (pdsize == 0) {
    const double h = usable(drawing_height) ? drawing_height : view_height;
    return usable(h) ? 0.05 * h : 1;
  }
  const double h = usable(view_height) ? view_height : drawing_height;
  const double size = -pdsize / 100 * h;
  return usable(h) && usable(size) ? size : 1;
}

void ReadPoint(TConversionContext& context, EntityText& out) {
  Point3 at{0, 0, 0};
  double angle = 0;
  Extrusion extrusion;
  ReadGeometry(context, {{10, &at[0]},
                         {20, &at[1]},
                         {30, &at[2]},
                         {50, &angle},
                         {210, &extrusion.x},
                         {220, &extrusion.y},
                         {230, &extrusion.z}});
  if (!context.drawing_styles) return;
  const DrawingStyles::PointStyle style = context.drawing_styles->points;
  const std::int32_t figure = style.mode & 7;
  const bool circle = style.mode & 32, square = style.mode & 64;
  if ((figure < 2 || figure > 4) && !circle && !square) return;
  if (OnDefinitionPointsLayer(context.entity_layer)) return;
  const double size = style.size, half = size / 2;
  // The figure's axes: those of the point's plane, turned clockwise by its angle.
  const Axes axes = AxesOf(extrusion);
  const double turn = -angle * 3.14159265358979323846 / 180;
  const double c = std::cos(turn), s = std::sin(turn);
  const auto place = [&](double u, double v) {
    const double x = u * c - v * s, y = u * s + v * c;
    return Point3{at[0] + x * axes.x[0] + y * axes.y[0], at[1] + x * axes.x[1] + y * axes.y[1],
                  at[2] + x * axes.x[2] + y * axes.y[2]};
  };
  if (figure == 2) {
    out.Line(place(-size, 0), place(size, 0));
    out.Line(place(0, -size), place(0, size));
  } else if (figure == 3) {
    out.Line(place(-size, -size), place(size, size));
    out.Line(place(-size, size), place(size, -size));
  } else if (figure == 4) {
    out.Line(place(0, 0), place(0, half));
  }
  if (square) {
    out.Chain({place(-half, -half), place(half, -half), place(half, half), place(-half, half)},
              true);
  }
  if (circle) {
    out.Circle({Dot(at, axes.x), Dot(at, axes.y), Dot(at, axes.z)}, half, extrusion);
  }
}

}  // namespace dxfdin
