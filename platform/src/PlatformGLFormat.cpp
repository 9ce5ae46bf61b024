// Pixel formats: describing, choosing and setting a window's format, and the test list.
#include "PlatformGLInternal.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

// Cost of each bit a format lacks against one it has beyond the request: missing colour, alpha
// or stencil bits weigh most, since drawing code relies on them; missing depth less.
constexpr long kMissingBit = 1000;
constexpr long kMissingDepthBit = 100;
constexpr long kExtraBit = 1;
// Cost of buffering or stereo other than asked for, beyond any difference in bits, and of a
// flag asked for that is missing or another pixel type, beyond any of those: the closest
// format is offered even when none has all that was asked.
constexpr long kWrongMode = 1000000;
constexpr long kMissingFlag = 100000000;

std::optional<std::vector<Platform_Pixel_Format>> g_test_formats;  // under Registry_Lock

long Bits_Cost(int want, int have, long missing) {
  return have < want ? (want - have) * missing : (have - want) * kExtraBit;
}

bool Mode_Differs(const Platform_Pixel_Format& want, const Platform_Pixel_Format& have,
                  uint32_t flag, uint32_t dont_care) {
  return !(want.flags & dont_care) && ((want.flags ^ have.flags) & flag);
}

// The cost of offering have for want.
long Cost(const Platform_Pixel_Format& want, const Platform_Pixel_Format& have) {
  long cost = 0;
  for (uint32_t flag : {PLATFORM_PFD_DRAW_TO_WINDOW, PLATFORM_PFD_SUPPORT_OPENGL})
    if ((want.flags & flag) && !(have.flags & flag)) cost += kMissingFlag;
  if (have.pixel_type != want.pixel_type) cost += kMissingFlag;
  if (Mode_Differs(want, have, PLATFORM_PFD_DOUBLEBUFFER, PLATFORM_PFD_DOUBLEBUFFER_DONTCARE))
    cost += kWrongMode;
  if (Mode_Differs(want, have, PLATFORM_PFD_STEREO, PLATFORM_PFD_STEREO_DONTCARE)) cost += kWrongMode;
  cost += Bits_Cost(want.color_bits, have.color_bits, kMissingBit);
  cost += Bits_Cost(want.alpha_bits, have.alpha_bits, kMissingBit);
  cost += Bits_Cost(want.stencil_bits, have.stencil_bits, kMissingBit);
  cost += Bits_Cost(want.depth_bits, have.depth_bits, kMissingDepthBit);
  return cost;
}

// Checks a device context and that formats can be offered; fills the error otherwise.
bool Ready(Platform_DC dc) {
  if (!Platform_DC_Window(dc)) return platform::Fail(EINVAL);
  return true;
}

}  // namespace

const std::vector<Platform_Pixel_Format>& platform::Formats() {
  static const std::vector<Platform_Pixel_Format> none;
  if (g_test_formats) return *g_test_formats;
  GL_Display* d = Display();
  return d ? d->formats : none;
}

void Platform_Pixel_Format_List_Set(const Platform_Pixel_Format* list, int count) {
  std::lock_guard guard(platform::Registry_Lock());
  if (!list) {
    g_test_formats.reset();
    return;
  }
  g_test_formats.emplace(list, list + (count > 0 ? count : 0));
}

int Platform_Describe_Pixel_Format(Platform_DC dc, int index, unsigned size,
                                   Platform_Pixel_Format* out) {
  if (!Ready(dc)) return 0;
  std::lock_guard guard(platform::Registry_Lock());
  const auto& formats = platform::Formats();
  if (formats.empty()) return platform::Fail(ENODEV);
  if (out && size) {
    if (index < 1 || size_t(index) > formats.size()) return platform::Fail(EINVAL);
    std::memcpy(out, &formats[size_t(index) - 1], std::min<size_t>(size, sizeof *out));
  }
  return int(formats.size());
}

int Platform_Choose_Pixel_Format(Platform_DC dc, const Platform_Pixel_Format* want) {
  if (!Ready(dc)) return 0;
  if (!want || want->size != PLATFORM_PFD_SIZE) return platform::Fail(EINVAL);
  if (platform::Fault(PLATFORM_GL_FAIL_CHOOSE)) return platform::Fail(EIO);
  std::lock_guard guard(platform::Registry_Lock());
  const auto& formats = platform::Formats();
  int best = 0;
  long best_cost = -1;
  for (size_t i = 0; i < formats.size(); ++i) {
    const long cost = Cost(*want, formats[i]);
    if (best == 0 || cost < best_cost) {
      best = int(i) + 1;
      best_cost = cost;
    }
  }
  return best ? best : platform::Fail(ENODEV);
}

int Platform_Set_Pixel_Format(Platform_DC dc, int index, const Platform_Pixel_Format*) {
  Platform_Window* window = Platform_DC_Window(dc);
  if (!window) return platform::Fail(EINVAL);
  Platform_Pixel_Format format;
  {
    std::lock_guard guard(platform::Registry_Lock());
    const auto& formats = platform::Formats();
    if (index < 1 || size_t(index) > formats.size()) return platform::Fail(EINVAL);
    format = formats[size_t(index) - 1];
  }
  const int error = platform::Drawable_Create(window, index, format);
  return error ? platform::Fail(error) : 1;
}

int Platform_Get_Pixel_Format(Platform_DC dc) {
  auto drawable = platform::Drawable_Of(dc);
  return drawable ? drawable->format_number : 0;
}

int Platform_Describe_Layer_Plane(Platform_DC dc, int format, int layer, unsigned size,
                                  Platform_Layer_Plane* out) {
  Platform_Pixel_Format f;
  if (Platform_Describe_Pixel_Format(dc, format, sizeof f, &f) == 0) return 0;
  if (layer < 1 || layer > (f.reserved & 0x0F) || !out) return platform::Fail(EINVAL);
  Platform_Layer_Plane plane;
  plane.size = sizeof plane;
  plane.flags = f.flags & (PLATFORM_PFD_SUPPORT_OPENGL | PLATFORM_PFD_DOUBLEBUFFER);
  plane.pixel_type = f.pixel_type;
  plane.color_bits = f.color_bits;
  plane.red_bits = f.red_bits;
  plane.red_shift = f.red_shift;
  plane.green_bits = f.green_bits;
  plane.green_shift = f.green_shift;
  plane.blue_bits = f.blue_bits;
  plane.blue_shift = f.blue_shift;
  plane.alpha_bits = f.alpha_bits;
  plane.alpha_shift = f.alpha_shift;
  plane.layer_plane = uint8_t(layer);
  plane.transparent = 1;
  std::memcpy(out, &plane, std::min<size_t>(size, sizeof plane));
  return 1;
}
