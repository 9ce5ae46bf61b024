// "undo:" and "redo:" step through the library's undo ring; "undo: list" shows it.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <cwchar>

namespace {

std::wstring Wide(const char* text) { return Host_Char_To_Wide(text); }

// Oldest first; the mark tells the undoable commands from the redoable ones and shows where the
// cursor stands.
int List() {
  const int undoable = Undo_Undo_Enable(), redoable = Undo_Redo_Enable();
  Host_Print((L"undo: " + std::to_wstring(undoable) + L" to undo, " + std::to_wstring(redoable) +
              L" to redo, " + std::to_wstring(Undo_Memory()) + L" bytes, capacity " +
              std::to_wstring(Undo_Test()))
                 .c_str());
  for (int i = 0; i < undoable + redoable; ++i) {
    std::wstring name = Wide(Undo_String_Command(i));
    std::erase_if(name, [](wchar_t c) { return c < L' '; });  // style bytes of the menu
    Host_Print(((i < undoable ? L"  undo " : L"  redo ") + std::to_wstring(i + 1) + L": " + name).c_str());
  }
  return 1;
}

int Step(bool undo) {
  const int left = undo ? Undo_Undo_Enable() : Undo_Redo_Enable();
  if (!left) {
    Host_Print(undo ? L"undo: nothing to undo" : L"redo: nothing to redo");
    return 0;
  }
  const int index = undo ? left - 1 : Undo_Undo_Enable();
  const std::wstring name = Wide(Undo_String_Command(index));
  const int result = undo ? Undo_Undo_Command() : Undo_Redo_Command();
  Host_Print(((undo ? L"undo: " : L"redo: ") + name).c_str());
  return result ? 1 : 0;
}

int Undo(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"undo: [list]", *nb_arg, 0, 1)) return 0;
  if (*nb_arg == 0) return Step(true);
  if (std::wcscmp((*pt_arg)[0] ? (*pt_arg)[0] : L"", L"list") == 0) return Host_Record_Skip(), List();
  Script_Arg_Error(1, "list or nothing");
  return 0;
}

int Redo(int* nb_arg, wchar_t***) { return Script_Arg_Check(L"redo:", *nb_arg, 0) && Step(false); }

const Host_Command_Registration undo_registration(
    {L"undo:", Undo, L"undo: [list]            undoes the last command, or lists the undo ring"});
const Host_Command_Registration redo_registration({L"redo:", Redo, L"redo:                   redoes the last undone command"});

}  // namespace
