// The pixel-access chain of the 2D tree: what a plain node and the root put in their access slots.
#pragma once

#include <quarn/frames/Frame_Layers.h>

#include <hostkit/HostImage.h>
#include <hostkit/HostMath.h>

#include <cstdint>

class Quarn_2D;
struct Host_Image_Record;

namespace quarn {

/// A plain node's grey read: through its child-to-parent matrix to the parent's grey read.
int Node_Read_GLI(Quarn_2D* node, void* image, Vec4 point);
/// A plain node's tag read: through its tag transform and child-to-parent matrix to the parent.
int Node_Read_TAG(Quarn_2D* node, void* image, Vec4 point);
/// A plain node's tag write: through the same transforms to the parent's tag write.
int Node_Write_TAG(Quarn_2D* node, void* image, Vec4 point, int tag);

/// The root's grey read: the record's stored integer, or GLI_NONE / GLI_PAD / GLI_MISSING.
int Root_Read_GLI(Quarn_2D* node, void* image, Vec4 point);
/// The root's tag read: the record's tag byte, 0 outside it or without a tag plane.
int Root_Read_TAG(Quarn_2D* node, void* image, Vec4 point);
/// The root's tag write: records the old tag for undo and stores the new one in the record.
/// 1 written, 0 nothing to write, -1 when the undo recording refused the change.
int Root_Write_TAG(Quarn_2D* node, void* image, Vec4 point, int tag);

/// Puts the forwarding readers and writer in a plain node's access slots.
void Node_Pixel_Slots_Install(Quarn_2D* node);
/// Puts the record readers and writer in the root's access slots.
void Root_Pixel_Slots_Install(Quarn_2D* root);

/// The root's grey read of one pixel at integer coordinates already known to lie in the record.
int Root_Pixel_GLI(const Host_Image_Record* record, int x, int y, int slice, int time);

/// What the root makes of a stored value v of a record of kind with padding value pad: GLI_PAD
/// for padding, GLI_MISSING when the host's value is itself one of the markers, else v.
inline int Grey_Classify(int kind, int32_t pad, int v) {
  switch (kind) {
    case HOST_PIXEL_U16:
    case HOST_PIXEL_S16:
    case HOST_PIXEL_S32:
    case HOST_PIXEL_FLOAT:
      // The host's "no padding" value names no pixel: a stored 0x7FFFFFFF then reads as missing.
      if (pad != HOST_IMAGE_NO_PAD && v == pad) return GLI_PAD;
      break;
    case HOST_PIXEL_RGBA:
      if ((uint32_t(v) >> 24) == 0) return GLI_PAD;
      break;
    default: break;
  }
  return v == GLI_NONE || v == GLI_PAD ? GLI_MISSING : v;
}

/// A float coordinate truncated toward zero; -1 for a coordinate no int can hold (or NaN), so
/// that far-off points are outside rather than wrapped into the image.
inline int Trunc_Index(float v) {
  if (!(v > -2147483648.0f && v < 2147483648.0f)) return -1;
  return int(v);
}

}  // namespace quarn
