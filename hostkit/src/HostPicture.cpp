// Pictures of the widget library: TGA files decoded by stb_image after the header and length
// checks made here, PNG files by libpng.
#include <hostkit/HostPicture.h>
#include <hostkit/HostWidgets.h>

#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

// TGA only, decoded from memory (files are read here, so that their size is bounded first), with
// the side limit checked by the decoder as well. PNG goes through libpng, which stands up to
// damaged chunks better.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS HOST_PICTURE_MAX_SIDE
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <png.h>

namespace {

constexpr uint32_t kMemory = 1;   // message class of a failed allocation
constexpr uint32_t kInvalid = 2;  // message class of a bad file

constexpr size_t kTgaHeader = 18;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kTgaRle = 8;           // image-type bit of run-length packets
constexpr uint8_t kRunPacket = 0x80;  // packet-header bit of a run

bool Is_Png(const uint8_t* data, size_t size) {
  return size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

int Word(const uint8_t* p) { return p[0] | p[1] << 8; }

// Bytes of the packets that hold count pixels of a run-length TGA starting at data[at], or 0
// when the file ends before the last pixel.
size_t Tga_Rle_End(const uint8_t* data, size_t size, size_t at, size_t count, size_t pixel) {
  size_t done = 0;
  while (done < count) {
    if (at >= size) return 0;
    const uint8_t head = data[at++];
    const size_t n = size_t(head & 0x7F) + 1;
    at += (head & kRunPacket) ? pixel : n * pixel;
    done += n;
  }
  return at <= size ? at : 0;
}

// Why a TGA file is too short for the picture its header announces; null when it is not.
const char* Tga_Short(const uint8_t* data, size_t size) {
  if (size < kTgaHeader) return "shorter than a TGA header";
  const int type = data[2];
  const size_t map_bytes = size_t(Word(data + 5)) * ((size_t(data[7]) + 7) / 8);
  const size_t pixel = (size_t(data[16]) + 7) / 8;
  const size_t count = size_t(Word(data + 12)) * size_t(Word(data + 14));
  const size_t start = kTgaHeader + data[0] + (data[1] ? map_bytes : 0);
  if (start > size) return "truncated TGA (colour map)";
  if (pixel == 0) return "TGA without pixel depth";
  if (type & kTgaRle) return Tga_Rle_End(data, size, start, count, pixel) ? nullptr : "truncated TGA (packets)";
  return size - start >= count * pixel ? nullptr : "truncated TGA (pixels)";
}

bool Refuse(const wchar_t* name, const char* why) {
  Host_Report(Host_Main_Window, kInvalid, "\xF1\x04" "ERROR:\x02 picture \"%ls\" cannot be read: %s",
              name ? name : L"", why);
  return false;
}

bool Side_Ok(int w, int h) { return w >= 1 && h >= 1 && w <= HOST_PICTURE_MAX_SIDE && h <= HOST_PICTURE_MAX_SIDE; }

// Checks what can be checked before decoding; fills the picture's size and native channels.
bool Acceptable(const uint8_t* data, size_t size, const wchar_t* name, int* w, int* h, int* channels) {
  if (!data || size == 0) return Refuse(name, "empty file");
  if (size > HOST_PICTURE_MAX_BYTES || size > size_t(INT32_MAX)) return Refuse(name, "file too large");
  if (Is_Png(data, size)) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return Refuse(name, image.message);
    *w = int(image.width), *h = int(image.height);
    *channels = (image.format & (PNG_FORMAT_FLAG_COLOR | PNG_FORMAT_FLAG_ALPHA)) ? 4 : 1;
    png_image_free(&image);
  } else {
    if (const char* why = Tga_Short(data, size)) return Refuse(name, why);
    if (!stbi_info_from_memory(data, int(size), w, h, channels))
      return Refuse(name, stbi_failure_reason() ? stbi_failure_reason() : "not a TGA or PNG picture");
  }
  return Side_Ok(*w, *h) ? true : Refuse(name, "picture too large");
}

// A PNG file as grey or RGBA samples (malloc'd); null (reported) when it is damaged.
uint8_t* Decode_Png(const uint8_t* data, size_t size, const wchar_t* name, int want, int* w, int* h) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return Refuse(name, image.message), nullptr;
  image.format = want == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGBA;
  *w = int(image.width), *h = int(image.height);
  auto* samples = Side_Ok(*w, *h) ? static_cast<uint8_t*>(std::malloc(PNG_IMAGE_SIZE(image))) : nullptr;
  if (!samples || !png_image_finish_read(&image, nullptr, samples, 0, nullptr)) {
    Refuse(name, samples ? image.message : "no memory for the picture");
    std::free(samples);
    png_image_free(&image);
    return nullptr;
  }
  return samples;
}

// Decodes to the channel count asked for; the samples are malloc'd (stb's allocator is malloc).
uint8_t* Decode(const uint8_t* data, size_t size, const wchar_t* name, int want, int* w, int* h) {
  if (Is_Png(data, size)) return Decode_Png(data, size, name, want, w, h);
  int native = 0;
  uint8_t* samples = stbi_load_from_memory(data, int(size), w, h, &native, want);
  if (!samples) Refuse(name, stbi_failure_reason() ? stbi_failure_reason() : "damaged picture");
  return samples;
}

// The whole file, or empty (reported) when it is missing, unreadable or too large.
std::vector<uint8_t> File_Bytes(const wchar_t* file) {
  std::vector<uint8_t> bytes;
  FILE* f = file ? std::fopen(Host_Wide_To_Char(file), "rb") : nullptr;
  if (!f) {
    Refuse(file, "no such file");
    return bytes;
  }
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  std::rewind(f);
  if (size <= 0 || size_t(size) > HOST_PICTURE_MAX_BYTES) {
    Refuse(file, size <= 0 ? "empty or unreadable file" : "file too large");
  } else {
    bytes.resize(size_t(size));
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
      Refuse(file, "read failed");
      bytes.clear();
    }
  }
  std::fclose(f);
  return bytes;
}

template <class Record>
Record* New_Record(int w, int h) {
  auto* record = new (std::nothrow) Record;
  if (!record)
    Host_Report(Host_Main_Window, kMemory, "line %-4d of %s \nmemory error in malloc (var=%s, dim=%dx%d)",
                __LINE__, __FILE_NAME__, "picture", w, h);
  return record;
}

}  // namespace

Host_Icon_Image* Host_Read_Icon_Image_Memory(const uint8_t* data, size_t size, const wchar_t* name) {
  int w = 0, h = 0, native = 0;
  if (!Acceptable(data, size, name, &w, &h, &native)) return nullptr;
  const int want = native == 1 ? 1 : 4;
  uint8_t* samples = Decode(data, size, name, want, &w, &h);
  if (!samples) return nullptr;
  auto* image = New_Record<Host_Icon_Image>(w, h);
  if (!image) {
    stbi_image_free(samples);
    return nullptr;
  }
  image->width = w, image->height = h, image->channels = want, image->samples = samples;
  return image;
}

Host_Icon_Image* Host_Read_Icon_Image(const wchar_t* file) {
  const std::vector<uint8_t> bytes = File_Bytes(file);
  return bytes.empty() ? nullptr : Host_Read_Icon_Image_Memory(bytes.data(), bytes.size(), file);
}

void Host_Free_Icon_Image(Host_Icon_Image* image) {
  if (!image) return;
  stbi_image_free(image->samples);
  delete image;
}

Host_Icon_Record* Host_Read_Icon(Host_Widget_Box*, const wchar_t* file) {
  const std::vector<uint8_t> bytes = File_Bytes(file);
  int w = 0, h = 0, native = 0;
  if (bytes.empty() || !Acceptable(bytes.data(), bytes.size(), file, &w, &h, &native)) return nullptr;
  uint8_t* rgba = Decode(bytes.data(), bytes.size(), file, 4, &w, &h);
  if (!rgba) return nullptr;
  auto* icon = New_Record<Host_Icon_Record>(w, h);
  if (!icon) {
    stbi_image_free(rgba);
    return nullptr;
  }
  icon->width = w, icon->height = h, icon->rgba = rgba;
  return icon;
}

void Host_Free_Icon(Host_Icon_Record* icon) {
  if (!icon) return;
  std::free(icon->rgba);
  delete icon;
}
