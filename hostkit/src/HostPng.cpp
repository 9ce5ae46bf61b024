// PNG files through libpng's simplified interface.
#include <hostkit/HostPng.h>

#include <hostkit/HostReport.h>

#include <png.h>

#include <cstdlib>
#include <cstring>

namespace {

// Largest side written or read; a bigger picture is a mistake, not a picture.
constexpr int kMaxSide = 1 << 15;

constexpr uint32_t kPlatform = 4;  // message class of a failed platform call

png_uint_32 Format_Of(int channels) {
  switch (channels) {
    case 1: return PNG_FORMAT_GRAY;
    case 2: return PNG_FORMAT_GA;
    case 3: return PNG_FORMAT_RGB;
    default: return PNG_FORMAT_RGBA;
  }
}

}  // namespace

int Host_Png_Write(const char* path, int width, int height, int channels, const uint8_t* pixels) {
  if (!path || !pixels || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
      channels < 1 || channels > 4) {
    Host_Report(Host_Main_Window, 2, "Host_Png_Write: bad picture %dx%d with %d channel(s) for \"%s\"",
                width, height, channels, path ? path : "");
    return 0;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = Format_Of(channels);
  if (!png_image_write_to_file(&image, path, 0, pixels, width * channels, nullptr)) {
    Host_Report(Host_Main_Window, kPlatform, "Host_Png_Write: cannot write \"%s\" (%s)", path, image.message);
    return 0;
  }
  return 1;
}

uint8_t* Host_Png_Read(const char* path, int* width, int* height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!path || !png_image_begin_read_from_file(&image, path)) {
    Host_Report(Host_Main_Window, kPlatform, "Host_Png_Read: cannot read \"%s\" (%s)", path ? path : "",
                image.message);
    return nullptr;
  }
  if (image.width > png_uint_32(kMaxSide) || image.height > png_uint_32(kMaxSide)) {
    Host_Report(Host_Main_Window, kPlatform, "Host_Png_Read: \"%s\" is %ux%u, larger than %d", path,
                image.width, image.height, kMaxSide);
    png_image_free(&image);
    return nullptr;
  }
  image.format = PNG_FORMAT_RGBA;
  auto* pixels = static_cast<uint8_t*>(std::malloc(PNG_IMAGE_SIZE(image)));
  if (!pixels) {
    Host_Report(Host_Main_Window, 1, "Host_Png_Read: no memory for \"%s\" (%ux%u)", path, image.width, image.height);
    png_image_free(&image);
    return nullptr;
  }
  if (!png_image_finish_read(&image, nullptr, pixels, 0, nullptr)) {
    Host_Report(Host_Main_Window, kPlatform, "Host_Png_Read: cannot decode \"%s\" (%s)", path, image.message);
    std::free(pixels);
    return nullptr;
  }
  if (width) *width = int(image.width);
  if (height) *height = int(image.height);
  return pixels;
}
