// "tag:" edits and counts the tags of every frame: a fill runs as dispatched tag work, one worker
// per frame, and becomes one undo command.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <cstdlib>
#include <cwchar>
#include <thread>
#include <vector>

namespace {

// The fill code (0x7FFFFFFE) and the invalid code (0x7FFFFFFF) of the working grey layer.
constexpr int32_t kNoGreyLevel = 0x7FFFFFFE;

/// What a fill's workers share: the tag and the grey level pixels must lie above.
struct Fill {
  int tag;
  int above;
};

std::vector<Quarn_2D_Frame*> All_Frames() {
  std::vector<Quarn_2D_Frame*> frames;
  const uint16_t id = Iterator_Init("tag:", nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0))
    frames.push_back(static_cast<Quarn_2D_Frame*>(node));
  Iterator_End(id);
  return frames;
}

unsigned Fill_Frame(Fct_Dispatch_Block* block) {
  const auto* fill = static_cast<const Fill*>(block->argument);
  Quarn_2D_Frame* f = block->frame;
  int32_t** grey = f->Work_GLI_Get();
  for (int y = 0; grey && y < f->height; ++y)
    for (int x = 0; x < f->width; ++x) {
      // Padding and pixels without a value hold the fill and invalid codes, not grey levels.
      if (grey[y][x] <= fill->above || grey[y][x] >= kNoGreyLevel) continue;
      const Vec4 p(float(x), float(y), float(f->z_index), float(f->t_index));
      if (f->fct_write_tag(f, f->image, p, fill->tag) < 0) y = f->height;  // aborted: stop
    }
  Fct_Dispatch_End();
  return 0;
}

bool Number(const wchar_t* word, int* value) {
  wchar_t* end = nullptr;
  const long v = word ? std::wcstol(word, &end, 10) : 0;
  if (!word || end == word || *end) return false;
  *value = int(v);
  return true;
}

int Fill_All(const Fill& fill) {
  std::vector<Quarn_2D_Frame*> frames = All_Frames();
  if (frames.empty()) {
    Host_Print(L"tag: no frames in the 2D tree");
    return 0;
  }
  for (Quarn_2D_Frame* f : frames)
    if (f->image) Host_Image_Tags_Alloc(f->image);
  Fct_Dispatch_Request request;
  request.name = "tag fill";
  request.detail = "every frame";
  request.count = int(frames.size());
  request.frames = static_cast<Quarn_2D_Frame**>(std::malloc(frames.size() * sizeof(Quarn_2D_Frame*)));
  if (!request.frames) return 0;
  std::copy(frames.begin(), frames.end(), request.frames);
  request.worker = &Fill_Frame;
  request.argument = const_cast<Fill*>(&fill);
  // The host starts the entry point on a thread of its own, as it does behind its windows.
  std::thread dispatch([&request] { Fct_Dispatch_TAG(&request); });
  dispatch.join();
  return 1;
}

int Count(int tag) {
  long count = 0;
  for (Quarn_2D_Frame* f : All_Frames())
    for (int y = 0; y < f->height; ++y)
      for (int x = 0; x < f->width; ++x)
        count += f->fct_read_tag(f, f->image, Vec4(float(x), float(y), float(f->z_index), float(f->t_index))) == tag;
  Host_Print((L"tag: " + std::to_wstring(count) + L" pixel(s) of tag " + std::to_wstring(tag)).c_str());
  return 1;
}

// FNV-1a over every frame's tags in tree order: two sessions that tagged alike print the same.
int Sum() {
  constexpr uint32_t Fnv_Offset = 2166136261u, Fnv_Prime = 16777619u;
  uint32_t hash = Fnv_Offset;
  long pixels = 0;
  for (Quarn_2D_Frame* f : All_Frames())
    for (int y = 0; y < f->height; ++y)
      for (int x = 0; x < f->width; ++x, ++pixels) {
        const int tag = f->fct_read_tag(f, f->image, Vec4(float(x), float(y), float(f->z_index), float(f->t_index)));
        hash = (hash ^ uint32_t(tag & 0xFF)) * Fnv_Prime;
      }
  wchar_t line[96];
  std::swprintf(line, 96, L"tag: checksum %08x over %ld pixel(s)", hash, pixels);
  Host_Print(line);
  return 1;
}

// The host's lock table: a locked tag is neither painted over nor painted.
int Lock(int tag, const std::wstring& state) {
  uint16_t flags = 0;
  int count = 0;
  void* storage = Host_Var_Get(L"$TAG_LOCK", &count, &flags, nullptr);
  auto* table = static_cast<uint8_t*>(Fct_Variable_Elements(storage, flags));
  if (!table || tag >= count) {
    Host_Print(L"tag: the host has no lock for that tag");
    return 0;
  }
  if (state != L"on" && state != L"off") {
    Script_Arg_Error(3, "on or off");
    return 0;
  }
  table[tag] = state == L"on";
  Host_Print((L"tag: " + std::to_wstring(tag) + (state == L"on" ? L" locked" : L" unlocked")).c_str());
  return 1;
}

int Tag(int* nb_arg, wchar_t*** pt_arg) {
  const std::wstring what = *nb_arg > 0 && (*pt_arg)[0] ? (*pt_arg)[0] : L"";
  if (what == L"sum") return Script_Arg_Check(L"tag: sum", *nb_arg, 1) && (Host_Record_Skip(), Sum());
  if (!Script_Arg_Check_Range(L"tag: fill TAG [ABOVE] | count TAG | lock TAG on|off | sum", *nb_arg, 2, 3)) return 0;
  Fill fill{0, INT32_MIN};
  if (!Number(Host_Expand((*pt_arg)[1]).c_str(), &fill.tag) || fill.tag < 0 || fill.tag > 255) {
    Script_Arg_Error(2, "a tag from 0 to 255");
    return 0;
  }
  if (*nb_arg == 3 && what != L"lock" && !Number(Host_Expand((*pt_arg)[2]).c_str(), &fill.above)) {
    Script_Arg_Error(3, "a grey level");
    return 0;
  }
  if (what == L"fill") return Fill_All(fill);
  if (what == L"count" && *nb_arg == 2) return Host_Record_Skip(), Count(fill.tag);
  if (what == L"lock" && *nb_arg == 3) return Lock(fill.tag, Host_Expand((*pt_arg)[2]));
  Script_Arg_Error(1, "fill TAG [ABOVE], count TAG or lock TAG on|off");
  return 0;
}

const Host_Command_Registration registration(
    {L"tag:", Tag, L"tag: fill TAG [ABOVE] | count TAG | lock TAG on|off | sum   tags every frame's pixels (above a grey level), counts them, locks a tag, or prints a checksum of all tags"});

}  // namespace
