// "db:" builds the 2D tree from the files read so far, dumps it and prints the frames' geometry.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <hostkit/HostTreeModule2D.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

/// Grouping levels of the sample module: 1 by patient, 2 by patient then series.
constexpr int Max_Levels = 2;
Module_Functions* g_modules[Max_Levels] = {&Host_Tree_Module_2D, &Host_Tree_Module_2D};

template <class T>
T* Var(const wchar_t* name) {
  return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
}

int Frame_Count() {
  const uint16_t id = Iterator_Init("db:", nullptr);
  int count = 0;
  while (Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0)) ++count;
  Iterator_End(id);
  return count;
}

/// The grouping levels a word names, or -1 when it is not 0, 1 or 2.
int Levels_Of(const std::wstring& word) {
  wchar_t* end = nullptr;
  const long levels = std::wcstol(word.c_str(), &end, 10);
  return !word.empty() && end && *end == L'\0' && levels >= 0 && levels <= Max_Levels ? int(levels) : -1;
}

int Generate(int levels) {
  if (levels < 0 || levels > Max_Levels) {
    Host_Print(L"db: generate takes 0, 1 or 2 grouping levels");
    return 0;
  }
  auto** modules = Var<Module_Functions**>(L"$DB_2D_TREE_PT");
  int* count = Var<int>(L"$DB_2D_TREE_NB");
  if (!modules || !count) {
    Host_Print(L"db: the host defines no 2D tree modules ($DB_2D_TREE_PT, $DB_2D_TREE_NB)");
    return 0;
  }
  *modules = levels ? g_modules : nullptr;
  *count = levels;
  if (!Database_2D_Tree_Generate()) return 0;
  Host_Print((L"db: " + std::to_wstring(Frame_Count()) + L" frame(s) in the 2D tree").c_str());
  return 1;
}

std::wstring Triple(const char* format, float x, float y, float z) {
  char text[96];
  std::snprintf(text, sizeof text, format, double(x), double(y), double(z));
  return Host_Utf8_Decode(text, std::strlen(text));
}

/// One line per frame: size, spacing, centre of its first and last pixel, and normal.
int Frames() {
  const uint16_t id = Iterator_Init("db:", nullptr);
  int count = 0;
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
    auto* frame = static_cast<Quarn_2D_Frame*>(node);
    const Point_4D first = frame->Frm_2_Org(0.5f, 0.5f, 0.0f, 0.0f);
    const Point_4D last = frame->Frm_2_Org(frame->width - 0.5f, frame->height - 0.5f, 0.0f, 0.0f);
    std::wstring line = L"frame " + std::wstring(frame->Name_Get()) + L": " +
                        std::to_wstring(frame->width) + L"x" + std::to_wstring(frame->height);
    line += Triple(" spacing %.3g %.3g %.3g", frame->spacing.x, frame->spacing.y, frame->spacing.z);
    line += Triple(" first (%.2f, %.2f, %.2f)", first.x, first.y, first.z);
    line += Triple(" last (%.2f, %.2f, %.2f)", last.x, last.y, last.z);
    line += Triple(" normal (%.3g, %.3g, %.3g)", frame->normal.x, frame->normal.y, frame->normal.z);
    Host_Print(line.c_str());
    ++count;
  }
  Iterator_End(id);
  if (!count) Host_Print(L"db: the 2D tree holds no frames");
  return count > 0;
}

int Db(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"db:", *nb_arg, 1, 2)) return 0;
  const std::wstring what = Host_Expand((*pt_arg)[0]);
  if (what == L"generate") return Generate(*nb_arg > 1 ? Levels_Of(Host_Expand((*pt_arg)[1])) : Max_Levels);
  if (what == L"dump" || what == L"frames") Host_Record_Skip();  // listings change nothing
  if (what == L"dump") {
    Database_2D_Stool(quarn::msg::Notice);
    return 1;
  }
  if (what == L"frames") return Frames();
  if (what == L"free") {
    Database_2D_Free();
    return 1;
  }
  Host_Print((L"db: unknown action \"" + what + L"\" (generate, dump, frames, free)").c_str());
  return 0;
}

const Host_Command_Registration db_registration(
    {L"db:", Db, L"db: generate [0|1|2] | dump | frames | free   2D tree from the files read"});

}  // namespace
