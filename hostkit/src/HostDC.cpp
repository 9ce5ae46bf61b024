// Device contexts and bitmaps: getting and releasing them, selecting fonts and bitmaps into
// them, their colours and modes, and painting rectangles.
#include "HostDrawRecord.h"

#include <platform/PlatformWindow.h>

#include "HostFault.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>
#include <utility>

namespace {

thread_local int t_error = 0;

// Live handles, so that a stale or foreign one is refused instead of followed.
std::mutex g_live_lock;
std::unordered_set<const void*>& Live() {
  static auto* live = new std::unordered_set<const void*>;
  return *live;
}

bool Is_Live(const void* handle) {
  std::lock_guard guard(g_live_lock);
  return handle && Live().count(handle);
}

template <class T>
T* Register(T* record) {
  if (!record) return nullptr;
  try {
    std::lock_guard guard(g_live_lock);
    Live().insert(record);
    return record;
  } catch (const std::bad_alloc&) {
    delete record;
    return nullptr;
  }
}

void Unregister(const void* handle) {
  std::lock_guard guard(g_live_lock);
  Live().erase(handle);
}

Host_DC New_DC(Host_Window window, bool memory, const char* tag) {
  auto* dc = Register(new (std::nothrow) Host_DC_Record);
  if (!dc) {
    HOSTKIT_MEMORY_ERROR("new", "dc", 1, sizeof(Host_DC_Record));
    hostkit::Draw_Fail(ENOMEM);
    return nullptr;
  }
  dc->window = window;
  dc->memory = memory;
  dc->tag = tag ? tag : "";
  return dc;
}

}  // namespace

int hostkit::Draw_Fail(int error) {
  t_error = error;
  return 0;
}

bool hostkit::DC_Live(Host_DC dc) { return Is_Live(dc) || Draw_Fail(EINVAL); }

bool hostkit::Bitmap_Live(Host_Bitmap bitmap) { return Is_Live(bitmap) || Draw_Fail(EINVAL); }

Host_Font hostkit::DC_Font(Host_DC dc) { return dc->font ? dc->font : Host_Stock_Font(HOST_SYSTEM_FONT); }

int Host_Last_Error() { return t_error; }

Host_DC Host_Get_DC(Host_Window window, const char* tag) {
  if (window && !Platform_Window_Valid(window)) return hostkit::Draw_Fail(EINVAL), nullptr;
  return New_DC(window, false, tag);
}

int Host_Release_DC(Host_Window window, Host_DC dc) {
  if (!hostkit::DC_Live(dc) || dc->memory || dc->window != window) return hostkit::Draw_Fail(EINVAL);
  Unregister(dc);
  delete dc;
  return 1;
}

Host_DC Host_Create_Compatible_DC(Host_DC dc) {
  if (dc && !hostkit::DC_Live(dc)) return nullptr;
  return New_DC(dc ? dc->window : nullptr, true, dc ? dc->tag.c_str() : "memory");
}

int Host_Delete_DC(Host_DC dc) {
  if (!hostkit::DC_Live(dc) || !dc->memory) return hostkit::Draw_Fail(EINVAL);
  if (dc->bitmap) dc->bitmap->selected_in = nullptr;
  Unregister(dc);
  delete dc;
  return 1;
}

Host_Font Host_Select_Font(Host_DC dc, Host_Font font) {
  if (!hostkit::DC_Live(dc) || !font) return hostkit::Draw_Fail(EINVAL), nullptr;
  Host_Font previous = hostkit::DC_Font(dc);
  dc->font = font;
  return previous;
}

Host_Bitmap Host_Create_Compatible_Bitmap(Host_DC dc, int width, int height) {
  if (width < 1 || height < 1 || width > HOST_BITMAP_MAX_SIDE || height > HOST_BITMAP_MAX_SIDE) {
    HOSTKIT_INVALID(nullptr, "Host_Create_Compatible_Bitmap: size %dx%d not in 1 ... %d", width,
                    height, HOST_BITMAP_MAX_SIDE);
    return hostkit::Draw_Fail(EINVAL), nullptr;
  }
  if (dc && !hostkit::DC_Live(dc)) return nullptr;
  auto* bitmap = new (std::nothrow) Host_Bitmap_Record;
  try {
    if (bitmap) bitmap->pixels.assign(size_t(width) * size_t(height) * 4, 0);
  } catch (const std::bad_alloc&) {
    delete bitmap;
    bitmap = nullptr;
  }
  if (!Register(bitmap)) {
    HOSTKIT_MEMORY_ERROR("new", "bitmap", width, height);
    return hostkit::Draw_Fail(ENOMEM), nullptr;
  }
  bitmap->width = width;
  bitmap->height = height;
  return bitmap;
}

Host_Bitmap Host_Select_Bitmap(Host_DC dc, Host_Bitmap bitmap) {
  if (!hostkit::DC_Live(dc) || !dc->memory || !hostkit::Bitmap_Live(bitmap))
    return hostkit::Draw_Fail(EINVAL), nullptr;
  Host_Bitmap previous = dc->bitmap;
  if (previous) previous->selected_in = nullptr;
  dc->bitmap = bitmap;
  bitmap->selected_in = dc;
  return previous;
}

int Host_Delete_Bitmap(Host_Bitmap bitmap) {
  if (!bitmap) return 1;
  if (!hostkit::Bitmap_Live(bitmap) || bitmap->selected_in) return hostkit::Draw_Fail(EINVAL);
  Unregister(bitmap);
  delete bitmap;
  return 1;
}

int Host_Get_Bitmap(Host_Bitmap bitmap, Host_Bitmap_Info* out) {
  if (!hostkit::Bitmap_Live(bitmap) || !out) return hostkit::Draw_Fail(EINVAL);
  out->width = bitmap->width;
  out->height = bitmap->height;
  out->bits_per_pixel = HOST_BITMAP_BITS;
  out->planes = 1;
  out->bytes_per_row = bitmap->width * 4;
  return 1;
}

long Host_Get_Bitmap_Bits(Host_Bitmap bitmap, long size, void* out) {
  if (!hostkit::Bitmap_Live(bitmap) || !out || size <= 0) return hostkit::Draw_Fail(EINVAL);
  const size_t count = std::min(size_t(size), bitmap->pixels.size());
  std::memcpy(out, bitmap->pixels.data(), count);
  return long(count);
}

int Host_Pat_Blt(Host_DC dc, int x, int y, int width, int height, uint32_t rop) {
  if (!hostkit::DC_Live(dc) || !dc->bitmap || (rop != HOST_BLACKNESS && rop != HOST_WHITENESS))
    return hostkit::Draw_Fail(EINVAL);
  Host_Bitmap b = dc->bitmap;
  const uint8_t value = rop == HOST_WHITENESS ? 0xFF : 0x00;
  const int x0 = std::max(x, 0), x1 = std::min(x + width, b->width);
  for (int row = std::max(y, 0); row < std::min(y + height, b->height); ++row)
    if (x1 > x0) std::memset(&b->pixels[(size_t(row) * size_t(b->width) + size_t(x0)) * 4], value, size_t(x1 - x0) * 4);
  return 1;
}

uint32_t Host_Set_Text_Color(Host_DC dc, uint32_t color) {
  if (!hostkit::DC_Live(dc)) return 0;
  return std::exchange(dc->text_color, color & 0x00FFFFFFu);
}

uint32_t Host_Set_Bk_Color(Host_DC dc, uint32_t color) {
  if (!hostkit::DC_Live(dc)) return 0;
  return std::exchange(dc->bk_color, color & 0x00FFFFFFu);
}

int Host_Set_Bk_Mode(Host_DC dc, int mode) {
  if (!hostkit::DC_Live(dc) || (mode != HOST_TRANSPARENT && mode != HOST_OPAQUE))
    return hostkit::Draw_Fail(EINVAL);
  return std::exchange(dc->bk_mode, mode);
}
