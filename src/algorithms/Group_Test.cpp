// Fct_Group_Test: whether the frames under a group form a regular volume.
#include <quarn/algorithms/Volume_Test.h>

#include <quarn/classes/Iterator.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostImage.h>

#include "classes/Iterator_Table.h"
#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"

#include <algorithm>
#include <cmath>

namespace {

namespace group = quarn::group;

constexpr uint16_t Curved_Bits = 0x000C;
constexpr double Relative_Tolerance = 0.01;     // spacings and steps: 1 %
constexpr double Parallel_Angle = 0.034906585;  // 2 degrees
constexpr double Off_Line_Fraction = 0.1;       // of the first pixel diagonal, per step
constexpr double Zero_Step = 1e-5;
constexpr float Normal_Epsilon = 1.8189894e-12f;  // 2^-39

// The smallest and largest of a series of step lengths, and the flags they earn.
struct Step_Range {
  double smallest = 0, largest = 0;
  int pairs = 0;

  void Add(double step) {
    const double a = std::fabs(step);
    smallest = pairs ? std::min(smallest, a) : a;
    largest = pairs ? std::max(largest, a) : a;
    ++pairs;
  }
  uint32_t Flags(uint32_t smallest_zero, uint32_t largest_zero, uint32_t uneven) const {
    if (!pairs) return 0;
    const bool low = std::fabs(smallest) <= Zero_Step, high = std::fabs(largest) <= Zero_Step;
    uint32_t flags = low ? smallest_zero : 0;
    if (high) flags |= largest_zero;
    // Zero over zero is not uneven.
    if ((largest - smallest) / largest > Relative_Tolerance) flags |= uneven;
    return flags;
  }
};

bool Differs(float first, float other) {
  return std::fabs(first - other) > Relative_Tolerance * first;
}

Point_4D Origin_Of(Quarn_2D_Frame* frame) {
  return frame->Frm_2_Org(Point_4D(6, 0, 0, int(frame->z_index), int(frame->t_index)));
}

// Distance of p from the line through o along n, measured in the plane of n's two smaller
// components; -1 when n has no usable component.
double Off_Line_Distance(const Point_4D& p, const Point_4D& o, const Vec4& n) {
  const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
  if (ax > ay && ax > az) {
    const double s = (double(p.x) - o.x) / n.x;
    return std::hypot(p.y - (n.y * s + o.y), p.z - (n.z * s + o.z));
  }
  if (ay > ax && ay > az) {
    const double s = (double(p.y) - o.y) / n.y;
    return std::hypot(p.x - (n.x * s + o.x), p.z - (n.z * s + o.z));
  }
  if (az <= Normal_Epsilon) return -1;
  const double s = (double(p.z) - o.z) / n.z;
  return std::hypot(p.x - (n.x * s + o.x), p.y - (n.y * s + o.y));
}

double Normal_Cosine(const Vec4& a, const Vec4& b) {
  return (double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z) /
         (std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z) *
          std::sqrt(double(b.x) * b.x + double(b.y) * b.y + double(b.z) * b.z));
}

class Volume_Walk {
public:
  void Visit(Quarn_2D_Frame* frame) {
    flags_ |= frame->frame_type;
    const Host_Image_Record* record = frame->image;
    if (!record || !(record->flags & HOST_IMAGE_VERT_LABEL)) flags_ |= group::No_Vertebra;
    const Point_4D origin = Origin_Of(frame);
    if (!first_) First(frame, origin);
    else Further(frame, origin);
    previous_ = frame;
    previous_origin_ = origin;
  }

  uint32_t Answer() const {
    return flags_ | slices_.Flags(group::Slice_Smallest_Zero, group::Slice_Largest_Zero, group::Slice_Uneven) |
           times_.Flags(group::Time_Smallest_Zero, group::Time_Largest_Zero, group::Time_Uneven);
  }

private:
  void First(Quarn_2D_Frame* frame, const Point_4D& origin) {
    first_ = frame;
    first_origin_ = origin;
    diagonal_ = std::hypot(double(frame->spacing.x), double(frame->spacing.y));
    if (frame->image && (frame->image->geometry & Curved_Bits)) flags_ |= group::Curved;
  }

  void Further(Quarn_2D_Frame* frame, const Point_4D& origin) {
    ++steps_;
    if (frame->width != first_->width || frame->height != first_->height) flags_ |= group::Size_Differs;
    if (Differs(first_->spacing.x, frame->spacing.x) || Differs(first_->spacing.y, frame->spacing.y))
      flags_ |= group::Spacing_Differs;
    if (Differs(first_->spacing_b.z, frame->spacing_b.z)) flags_ |= group::Thickness_Differs;
    Point_4D here = origin, before = previous_origin_;
    const double step = double(frame->Get_Pos_D(&here)) - double(previous_->Get_Pos_D(&before));
    if (std::fabs(Normal_Cosine(first_->normal, frame->normal)) < std::cos(Parallel_Angle))
      flags_ |= group::Not_Parallel;
    if (step < 0) flags_ |= group::Out_Of_Order;
    if (Off_Line_Distance(first_origin_, origin, frame->normal) > steps_ * diagonal_ * Off_Line_Fraction)
      flags_ |= group::Off_Line;
    slices_.Add(step);
    times_.Add(double(origin.t) - double(previous_origin_.t));
  }

  uint32_t flags_ = 0;
  Quarn_2D_Frame* first_ = nullptr;
  Quarn_2D_Frame* previous_ = nullptr;
  Point_4D first_origin_, previous_origin_;
  double diagonal_ = 0;
  int steps_ = 0;
  Step_Range slices_, times_;
};

uint32_t Out(uint32_t answer) {
  QUARN_REPORT(quarn::msg::Low_Calc, "<<< out Fct: Fct_Group_Test(%08X)", answer);
  return answer;
}

}  // namespace

uint32_t Fct_Group_Test(Quarn_2D* node) {
  QUARN_REPORT(quarn::msg::Low_Calc, ">>> in  Fct: Fct_Group_Test(%ls)", quarn::Name_Of(quarn::Object_Of(node)));
  // A missing group holds no frame.
  if (!QUARN_CHECK(quarn::Object_Of(node), Class_2D, "Test_Volume")) return Out(group::No_Frame);
  const int children = node->Child_Get_Nb();
  if (children == 0) return Out(group::No_Frame);
  if (children == 1) return Out(group::One_Frame);
  Volume_Walk walk;
  quarn::Iterator_Scope frames("Fct_Group_Test", node);
  while (Quarn_2D* found = Iterator_Class_2D(frames.id, quarn::Class_A_Frame, nullptr, 0))
    if (Quarn_2D_Frame* frame = quarn::Frame_If(found)) walk.Visit(frame);
  return Out(walk.Answer());
}
