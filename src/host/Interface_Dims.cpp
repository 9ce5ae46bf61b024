// The interface dimension pointers, bound to the storage of their host variables.
#include <quarn/host/Services.h>

#include <quarn/script/Host_Variable.h>

#include "core/Trace.h"

#include <cstdlib>

wchar_t** DB_Title_Font_Name = nullptr;
wchar_t** DB_Title_Font_Weight = nullptr;
uint16_t* DB_Title_Font_Scale = nullptr;
wchar_t** DB_Tools_Font_Name = nullptr;
wchar_t** DB_Tools_Font_Weigth = nullptr;
uint16_t* DB_Tools_Font_Scale = nullptr;
uint16_t* DB_Button_Dim_Big = nullptr;
uint16_t* DB_Button_Dim_Sml = nullptr;
uint16_t* DB_Title_Dim_Big = nullptr;
uint16_t* DB_Title_Dim_Sml = nullptr;
uint16_t* DB_Select_Dim_Big = nullptr;
uint16_t* DB_Val_Dim_Big = nullptr;
uint16_t* DB_Val_Dim_Mid = nullptr;
uint16_t* DB_Val_Dim_Sml = nullptr;
uint16_t* DB_Num_Big = nullptr;
uint16_t* DB_Num_Sml = nullptr;
uint16_t* DB_List_Dim_Big = nullptr;
uint16_t* DB_List_Dim_Sml = nullptr;
uint16_t* DB_List_Dim_Arrow = nullptr;
uint16_t* DB_Space_Dim = nullptr;
uint16_t* DB_Cursor_Dim = nullptr;
uint16_t* DB_Border_Dim = nullptr;

namespace {

/// One pointer and its variable: a wide text or a 16-bit value.
struct Binding {
  const wchar_t* name;
  wchar_t*** text;
  uint16_t** number;
};

// In the order the host documents them.
const Binding kBindings[] = {
    {L"$INTERFACE_TITLE_FONT_NAME", &DB_Title_Font_Name, nullptr},
    {L"$INTERFACE_TITLE_FONT_WEIGHT", &DB_Title_Font_Weight, nullptr},
    {L"$INTERFACE_TITLE_FONT_SCALE", nullptr, &DB_Title_Font_Scale},
    {L"$INTERFACE_TOOL_FONT_NAME", &DB_Tools_Font_Name, nullptr},
    {L"$INTERFACE_TOOL_FONT_WEIGHT", &DB_Tools_Font_Weigth, nullptr},
    {L"$INTERFACE_TOOL_FONT_SCALE", nullptr, &DB_Tools_Font_Scale},
    {L"$INTERFACE_BUTTON_DIM_BIG", nullptr, &DB_Button_Dim_Big},
    {L"$INTERFACE_BUTTON_DIM_SML", nullptr, &DB_Button_Dim_Sml},
    {L"$INTERFACE_TITLE_DIM_BIG", nullptr, &DB_Title_Dim_Big},
    {L"$INTERFACE_TITLE_DIM_SML", nullptr, &DB_Title_Dim_Sml},
    {L"$INTERFACE_SELECT_DIM_BIG", nullptr, &DB_Select_Dim_Big},
    {L"$INTERFACE_VAL_DIM_BIG", nullptr, &DB_Val_Dim_Big},
    {L"$INTERFACE_VAL_DIM_MID", nullptr, &DB_Val_Dim_Mid},
    {L"$INTERFACE_VAL_DIM_SML", nullptr, &DB_Val_Dim_Sml},
    {L"$INTERFACE_NUM_BIG", nullptr, &DB_Num_Big},
    {L"$INTERFACE_NUM_SML", nullptr, &DB_Num_Sml},
    {L"$INTERFACE_LIST_DIM_BIG", nullptr, &DB_List_Dim_Big},
    {L"$INTERFACE_LIST_DIM_SML", nullptr, &DB_List_Dim_Sml},
    {L"$INTERFACE_LIST_DIM_ARROW", nullptr, &DB_List_Dim_Arrow},
    {L"$INTERFACE_SPACE_DIM", nullptr, &DB_Space_Dim},
    {L"$INTERFACE_CURSOR_DIM", nullptr, &DB_Cursor_Dim},
    {L"$INTERFACE_BORDER_DIM", nullptr, &DB_Border_Dim},
};

// A pointer of the wrong width would write past the variable.
bool Type_Fits(const Binding& b, uint16_t flags) {
  const uint16_t type = flags & VARIABLE_TYPE_MASK & ~VARIABLE_UNSIGNED;
  return b.text ? type == VARIABLE_STRING : type == VARIABLE_SHORT;
}

[[gnu::cold]] void Unbound(const wchar_t* name, const char* why) {
  QUARN_REPORT(quarn::msg::Invalid, L"\xF1\x05WARNING:\x02 Fct_Interface_Get: \x01%ls\x02 %hs; its pointer stays empty",
               name, why);
}

}  // namespace

int Fct_Interface_Get() {
  for (const Binding& b : kBindings) {
    uint16_t flags = 0;
    void* storage = Fct_Variable_Get(b.name, nullptr, &flags, nullptr, 0);
    if (storage && !Type_Fits(b, flags)) {
      Unbound(b.name, b.text ? "is no wide text" : "is no 16-bit value");
      storage = nullptr;
    } else if (!storage) {
      Unbound(b.name, "is not a writable variable of the host");
    }
    if (b.text) *b.text = static_cast<wchar_t**>(storage);
    else *b.number = static_cast<uint16_t*>(storage);
  }
  return 1;
}

void DB_Free(wchar_t** text) {
  if (!text) return;
  std::free(*text);
  *text = nullptr;
}

void DB_Cleanup() {}
