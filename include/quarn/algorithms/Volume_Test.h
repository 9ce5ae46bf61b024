// Tests and computations over groups of frames: whether they form a regular volume, the census
// that enables the tags in use, and grey values between two slices.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostMath.h>

#include <cstdint>

class Quarn_2D;
struct Host_Image_Record;

/// Bits of the answer of Fct_Group_Test; the frames' frame_type words share the word.
namespace quarn::group {
inline constexpr uint32_t No_Frame = 0x80000000;           ///< The group has no child.
inline constexpr uint32_t One_Frame = 0x40000000;          ///< The group has one child.
inline constexpr uint32_t Not_Parallel = 0x20000000;       ///< Normals more than 2 degrees apart.
inline constexpr uint32_t Off_Line = 0x10000000;           ///< Frames off the first one's normal.
inline constexpr uint32_t Curved = 0x8000000;              ///< The first frame's geometry is curved.
inline constexpr uint32_t Thickness_Differs = 0x4000000;   ///< Slice thickness differs.
inline constexpr uint32_t Spacing_Differs = 0x2000000;     ///< Pixel spacing differs.
inline constexpr uint32_t Size_Differs = 0x1000000;        ///< Frame size differs.
inline constexpr uint32_t Time_Uneven = 0x800000;          ///< Time steps differ by over 1 %.
inline constexpr uint32_t Time_Largest_Zero = 0x400000;    ///< The largest time step is zero.
inline constexpr uint32_t Time_Smallest_Zero = 0x200000;   ///< The smallest time step is zero.
inline constexpr uint32_t Slice_Uneven = 0x80000;          ///< Slice steps differ by over 1 %.
inline constexpr uint32_t Slice_Largest_Zero = 0x40000;    ///< The largest slice step is zero.
inline constexpr uint32_t Slice_Smallest_Zero = 0x20000;   ///< The smallest slice step is zero.
inline constexpr uint32_t Out_Of_Order = 0x10000;          ///< A slice lies before the previous one.
inline constexpr uint32_t No_Vertebra = 0x1000;            ///< A frame without vertebra label.
}  // namespace quarn::group

/// Whether the frames under group (in tree order) form a regular volume: the OR of the frames'
/// frame_type words and of the quarn::group bits that apply. A null group is reported and
/// answers No_Frame.
QUARN_API uint32_t Fct_Group_Test(Quarn_2D* group);
/// Counts the tags of the working tag layers of the frames of the current window and sets
/// $TAG_ENABLE[t] to 1 for each tag 1 ... $TAG_NB - 1 counted at least minimum times (tags at or
/// above $TAG_NB - 1 count as the last one), 0 for the others and for tag 0. Returns the number
/// of tags enabled.
QUARN_API int Fct_Tag_Enable(unsigned short minimum);
/// The grey value at a fractional (column, row, slice, time) between slice z of record a and
/// slice z + 1 of record b (wrapping to b's first slice), weighted by 2|u|^3 - 3|u|^2 + 1 on each
/// axis and read through object's grey-read slot; values marking padding or no data are left
/// out. GLI_NONE without a record, a usable object or a finite position.
QUARN_API int Fct_GLI_Interpolate(Quarn_2D* object, Host_Image_Record* a, Host_Image_Record* b,
                                  Vec4 position);
