// The undo memory limit and the dialog that lets the user abort, continue without undo, or raise it.
#include "undo/Undo_Overflow.h"

#include <hostkit/HostWidgets.h>

#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <atomic>
#include <climits>
#include <cstdio>

namespace quarn::undo {

namespace {

constexpr int64_t Mega = 1048576;
constexpr int Dialog_Width = 420;
constexpr int Dialog_Height = 300;

Remembered_Variable g_undo_size{L"$UNDO_SIZE", true};
Remembered_Variable g_undo_flush{L"$UNDO_FLUSH"};

std::atomic<bool> g_never_ask{false};

const wchar_t* const kButtons[] = {L"Abort", L"Continue", nullptr};
const wchar_t* const kChecks[] = {L"Always continue, do not ask again", nullptr};
const wchar_t* const kSizes[] = {L"1", L"2", L"5", L"10", L"50", L"100", nullptr};
constexpr int kSizeMb[] = {1, 2, 5, 10, 50, 100};
constexpr int kSizeNb = int(sizeof kSizeMb / sizeof *kSizeMb);

int Size_Entry(int64_t limit) {
  for (int i = 0; i < kSizeNb; ++i)
    if (kSizeMb[i] * Mega == limit) return i;
  return -1;
}

}  // namespace

int64_t Undo_Size_Limit() {
  const int32_t* size = g_undo_size.As<int32_t>();
  if (!size) return INT32_MAX;
  return *size < 0 ? 0 : *size;
}

bool Overflow_Asks(bool reads_flush) {
  if (g_never_ask.load(std::memory_order_relaxed)) return false;
  const uint8_t* flush = reads_flush ? g_undo_flush.As<uint8_t>() : nullptr;
  return !(flush && *flush);
}

int Overflow_Dialog() {
  const int64_t limit = Undo_Size_Limit();
  wchar_t body[512];
  Host_Format(body, sizeof body / sizeof *body,
              L"The \"Undo\" of this operation would be too big!\n"
              L" (The maximum \"Undo operation size\" is %d Mb)\n\n"
              L"You can:\n- Abort the operation\n- Continue the operation without undo\n"
              L"  (this will also empty the current undo buffers)\n"
              L"- Increase the \"Undo operation size\" and Continue",
              int(limit / Mega));
  int never = 0;
  const int shown = Size_Entry(limit);
  int chosen = shown;
  Host_Popup_Form form;
  form.checks = kChecks;
  form.check_values = &never;
  form.choice_label = L"  Maximum Undo operation size (in Mbytes):       ";
  form.choices = kSizes;
  form.choice = &chosen;
  form.font_face = L"Arial";
  form.font_weight = L"bold";
  const int button = Host_Popup_Query_Form(Host_Main_Window, L"Undo Overflow", L"WARNING", body, kButtons,
                                           &form, Dialog_Width, Dialog_Height, 0);
  if (chosen >= 0 && chosen != shown)
    if (int32_t* size = g_undo_size.As<int32_t>()) *size = int32_t(kSizeMb[chosen] * Mega);
  if (never) g_never_ask.store(true, std::memory_order_relaxed);
  return button == 0 ? Overflow_Abort : Overflow_Continue;
}

void Overflow_Too_Big(uint32_t message_class) {
  QUARN_REPORT(message_class, "\xF1\x05WARNING:\x02 The \"Undo\" of this operation");
  QUARN_REPORT(message_class, "\xF1\t would be too big! (> %d Mb)", int(Undo_Size_Limit() / Mega));
  QUARN_REPORT(message_class, "\xF1\t We will not keep it.");
}

}  // namespace quarn::undo
