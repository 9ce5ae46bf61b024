// The database roots' host variables, the clean-up confirmation and the rebuild bracket.
#include "classes/Database_Dimension.h"

#include <hostkit/HostWidgets.h>

#include <cctype>

namespace quarn::db {

namespace {
Dimension g_dims[3] = {
    {"1D", Remembered_Variable{L"$DB_1D_ROOT_PT", true}, Remembered_Variable{L"$DB_1D_INDEX", true},
     Remembered_Variable{L"$DB_1D_FILE_NB"}, Remembered_Variable{L"$DB_1D_FILE_PT"},
     Remembered_Variable{L"$DB_1D_TREE_NB"}, Remembered_Variable{L"$DB_1D_TREE_PT"}},
    {"2D", Remembered_Variable{L"$DB_2D_ROOT_PT", true}, Remembered_Variable{L"$DB_2D_INDEX", true},
     Remembered_Variable{L"$DB_2D_FILE_NB"}, Remembered_Variable{L"$DB_2D_FILE_PT"},
     Remembered_Variable{L"$DB_2D_TREE_NB"}, Remembered_Variable{L"$DB_2D_TREE_PT"}},
    {"3D", Remembered_Variable{L"$DB_3D_ROOT_PT", true}, Remembered_Variable{L"$DB_3D_INDEX", true},
     Remembered_Variable{L"$DB_3D_FILE_NB"}, Remembered_Variable{L"$DB_3D_FILE_PT"},
     Remembered_Variable{L"$DB_3D_TREE_NB"}, Remembered_Variable{L"$DB_3D_TREE_PT"}},
};
}  // namespace

Dimension& Dim(int which) { return g_dims[which]; }

int Dim_Index(const char* dimension) {
  if (!dimension || !dimension[0] || !dimension[1]) return -1;
  if (std::toupper(static_cast<unsigned char>(dimension[1])) != 'D') return -1;
  switch (dimension[0]) {
    case '1': return 0;
    case '2': return 1;
    case '3': return 2;
    default: return -1;
  }
}

int Dimension::Modules(Module_Functions* const** list) { return List_Of(tree_nb, tree_pt, list); }

bool Cleanup_Confirmed() {
  static const wchar_t* const buttons[] = {L"Go ahead", L"Cancel", nullptr};
  return Host_Popup_Query(Host_Main_Window, L"Update DB Confirmation", L"Are you sure?",
                          L"This operation will remove all changes\ndone in the \"Edit\" window.",
                          buttons, 0, 0, 0) == 0;
}

void Rebuild_Open(const char* label) {
  Fct_Redraw(UPDATE_DELAY_ON);
  Fct_Update(UPDATE_DELAY_ON);
  Fct_Critical_In(label);
}

void Rebuild_Close(const char* label) {
  Fct_Critical_Out(label);
  Fct_Update(UPDATE_DELAY_OFF);
  Fct_Redraw(UPDATE_DELAY_OFF);
}

}  // namespace quarn::db
