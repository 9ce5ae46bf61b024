// "volume:" tests the groups holding the selected frames (every frame when none is selected in
// the current window) for regular volumes, and says what keeps each from being one.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

namespace group = quarn::group;

// Window selector of the current window.
void* const Current_Window = reinterpret_cast<void*>(uintptr_t(4));

struct Finding {
  uint32_t bits;
  const wchar_t* text;
};

// Two-bit findings come before their halves, so that "both" is said once.
const Finding Findings[] = {
    {group::No_Frame, L"no frame"},
    {group::One_Frame, L"a single frame"},
    {group::Not_Parallel, L"slices not parallel"},
    {group::Off_Line, L"frames off the common line"},
    {group::Curved, L"curved geometry"},
    {group::Thickness_Differs, L"slice thickness differs"},
    {group::Spacing_Differs, L"pixel spacing differs"},
    {group::Size_Differs, L"frame size differs"},
    {group::Time_Uneven, L"uneven time steps"},
    {group::Time_Smallest_Zero | group::Time_Largest_Zero, L"all at one time"},
    {group::Time_Largest_Zero, L"largest time step zero"},
    {group::Time_Smallest_Zero, L"some frames at one time"},
    {group::Slice_Uneven, L"uneven slice spacing"},
    {group::Slice_Smallest_Zero | group::Slice_Largest_Zero, L"all slices at one place"},
    {group::Slice_Largest_Zero, L"largest slice step zero"},
    {group::Slice_Smallest_Zero, L"coincident slices"},
    {group::Out_Of_Order, L"slices out of order"},
    {group::No_Vertebra, L"frames without vertebra label"},
};

// The words for the flags of a group; the frames' own kind bits, which share the word, are
// left out.
std::wstring Findings_Text(uint32_t word, uint32_t kinds) {
  uint32_t left = word & ~kinds;
  std::wstring text;
  for (const Finding& f : Findings)
    if ((left & f.bits) == f.bits) {
      text += (text.empty() ? L"" : L", ") + std::wstring(f.text);
      left &= ~f.bits;
    }
  return text.empty() ? L"a regular volume" : text;
}

struct Tested_Group {
  Quarn_2D* node;
  int frames;
  uint32_t kinds;  // OR of the frames' frame_type words
};

// The groups to test, in tree order: parents of the selected frames, or of every frame.
std::vector<Tested_Group> Groups(bool selected_only) {
  std::vector<Tested_Group> groups;
  const uint16_t id = Iterator_Init("volume:", nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
    auto* frame = static_cast<Quarn_2D_Frame*>(node);
    Quarn_2D* parent = node->Parent_Get_Pt();
    if (!parent || (selected_only && !node->Flag_Get_Bit(quarn::mode::Self, Current_Window, quarn::flag::Selected)))
      continue;
    if (groups.empty() || groups.back().node != parent) groups.push_back({parent, 0, 0});
    ++groups.back().frames;
    groups.back().kinds |= frame->frame_type;
  }
  Iterator_End(id);
  return groups;
}

int Test() {
  std::vector<Tested_Group> groups = Groups(true);
  if (groups.empty()) groups = Groups(false);
  if (groups.empty()) {
    Host_Print(L"volume: the 2D tree holds no frames");
    return 0;
  }
  for (const Tested_Group& g : groups) {
    const uint32_t word = Fct_Group_Test(g.node);
    wchar_t head[64];
    std::swprintf(head, 64, L": %d frame(s), flags %08X: ", g.frames, unsigned(word));
    Host_Print((L"volume: " + std::wstring(g.node->Name_Get()) + head + Findings_Text(word, g.kinds)).c_str());
  }
  return 1;
}

int Volume(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"volume:", *nb_arg, 1, 1)) return 0;
  const std::wstring what = Host_Expand((*pt_arg)[0]);
  if (what == L"test") return Test();
  Host_Print((L"volume: unknown action \"" + what + L"\" (test)").c_str());
  return 0;
}

const Host_Command_Registration registration(
    {L"volume:", Volume, L"volume: test              tests the selected frames' groups for regular volumes", false});

}  // namespace
