// Feeds random bytes to the picture reader (TGA and PNG through stb_image, after the reader's
// own header and length checks) and checks what it returns: a picture inside the size limits
// with one or four channels whose every sample can be read, or null.
#include <hostkit/HostReport.h>
#include <hostkit/HostPicture.h>
#include <hostkit/HostWidgets.h>

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Host_Report_Filter_Default(false, false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Host_Icon_Image* image = Host_Read_Icon_Image_Memory(data, size, L"fuzz");
  if (!image) return 0;
  Check(image->width >= 1 && image->width <= HOST_PICTURE_MAX_SIDE);
  Check(image->height >= 1 && image->height <= HOST_PICTURE_MAX_SIDE);
  Check(image->channels == 1 || image->channels == 4);
  const size_t count = size_t(image->width) * size_t(image->height) * size_t(image->channels);
  unsigned sum = 0;
  for (size_t i = 0; i < count; ++i) sum += image->samples[i];  // every sample is there
  Check(sum <= count * 255u);
  Host_Free_Icon_Image(image);
  return 0;
}
