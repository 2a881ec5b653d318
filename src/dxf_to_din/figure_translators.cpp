#include "dxf_to_din/figure_translators.h"

#include <array>
#include <cmath>
#include <string_view>

#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/ocs_axes.h"
#include "text/byte_string.h"

namespace dxfdin {

namespace {

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
  const OcsAxes axes(Point3{extrusion.x, extrusion.y, extrusion.z});
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
    out.Circle(axes.ToOcs(at), half, extrusion);
  }
}

}  // namespace dxfdin
