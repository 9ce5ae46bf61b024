// Coordinate maps of the frame: interface space of a window, and patient space through the
// metric chain of the 2D tree.
#include <quarn/frames/Quarn_2D_Frame.h>

#include <quarn/classes/Quarn_2D_File.h>
#include <quarn/display/Quarn_Window.h>

#include <hostkit/HostImage.h>

#include <cmath>

namespace {

constexpr uint16_t Curved_Bits = 0x000C;
// Below this a normal component counts as zero.
constexpr float Normal_Epsilon = 1.8189894e-12f;

}  // namespace

// ---- interface space ---------------------------------------------------------------------------

Point_2D Quarn_2D_Frame::Frm_2_Inf(Quarn_Window* window, Point_2D point) {
  const float z = Zoom_Get(window);
  const Region_2D inside = Inside_Get(window);
  return Point_2D(7, z * point.x + inside.x_min, z * aspect * point.y + inside.y_min);
}

Region_2D Quarn_2D_Frame::Frm_2_Inf(Quarn_Window* window, Region_2D region) {
  return Region_2D(Frm_2_Inf(window, region.Get_Min()), Frm_2_Inf(window, region.Get_Max()));
}

Point_2D Quarn_2D_Frame::Inf_2_Frm(Quarn_Window* window, Point_2D point) {
  const float z = Zoom_Get(window);
  const Region_2D inside = Inside_Get(window);
  return Point_2D(6, (point.x - inside.x_min) / z, (point.y - inside.y_min) / (z * aspect));
}

Region_2D Quarn_2D_Frame::Inf_2_Frm(Quarn_Window* window, Region_2D region) {
  return Region_2D(Inf_2_Frm(window, region.Get_Min()), Inf_2_Frm(window, region.Get_Max()));
}

// ---- patient space -----------------------------------------------------------------------------

Point_4D Quarn_2D_Frame::Frm_2_Org(Point_4D point) {
  void* record = image;
  return Metrics_Get_Org(1, this, &record, point);
}

Point_4D Quarn_2D_Frame::Frm_2_Org(Point_2D point) {
  return Frm_2_Org(Point_4D(6, point.x, point.y, float(z_index), float(t_index)));
}

Point_4D Quarn_2D_Frame::Frm_2_Org(float x, float y, float z, float t) {
  return Frm_2_Org(Point_4D(6, x, y, float(z_index) + z, t));
}

Point_4D Quarn_2D_Frame::Org_2_Frm(Point_4D point) {
  void* record = image;
  return Metrics_Get_Frm(1, this, &record, point);
}

Point_4D Quarn_2D_Frame::Org_2_Frm(Point_3D point) {
  return Org_2_Frm(Point_4D(2, point.x, point.y, point.z, 0.0f));
}

Point_4D Quarn_2D_Frame::Org_2_Frm(float x, float y, float z, float t) {
  return Org_2_Frm(Point_4D(2, x, y, z, t));
}

namespace {

// The box of the eight corners (x0|x1, y0|y1, (z0, t0)|(z1, t1)) of region after map.
template <class Map>
Region_4D Corners_Box(uint8_t space, const Region_4D& r, Map&& map) {
  Region_4D box(space);
  for (int corner = 0; corner < 8; ++corner) {
    const bool hi_x = corner & 1, hi_y = corner & 2, hi_zt = corner & 4;
    box.Add(map(Point_4D(r.code, hi_x ? r.x_max : r.x_min, hi_y ? r.y_max : r.y_min,
                         hi_zt ? r.z_max : r.z_min, hi_zt ? r.t_max : r.t_min)));
  }
  return box;
}

}  // namespace

Region_4D Quarn_2D_Frame::Frm_2_Org(Region_4D region) {
  return Corners_Box(2, region, [this](Point_4D p) { return Frm_2_Org(p); });
}

Region_4D Quarn_2D_Frame::Org_2_Frm(Region_4D region) {
  return Corners_Box(6, region, [this](Point_4D p) { return Org_2_Frm(p); });
}

float Quarn_2D_Frame::Get_Pos_D(Point_4D* point) {
  if (!point) return 0;
  const Host_Image_Record* record = file ? file->Record_Get(image_index) : image;
  if (record && (record->geometry & Curved_Bits)) return float(z_number);
  const Vec4 n = record ? record->normal : normal;
  const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
  if (ax > ay && ax > az) return point->x / n.x;
  if (ay > ax && ay > az) return point->y / n.y;
  if (az > Normal_Epsilon) return point->z / n.z;
  return 0;
}
