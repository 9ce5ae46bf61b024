// The default configuration: every host variable the library reads, with its type and value.
#include <hostkit/HostVariables.h>

#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>
#include <hostkit/HostPicture.h>

#include "HostVariableTables.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

namespace {

using namespace hostkit::defaults;

// Type shorthands of the table below.
constexpr uint16_t P = VARIABLE_PROGRAM;  // scripts may not write it
constexpr uint16_t I8 = VARIABLE_CHAR;
constexpr uint16_t U8 = VARIABLE_CHAR | VARIABLE_UNSIGNED;
constexpr uint16_t U16 = VARIABLE_SHORT | VARIABLE_UNSIGNED;
constexpr uint16_t I32 = VARIABLE_INT;
constexpr uint16_t U32 = VARIABLE_INT | VARIABLE_UNSIGNED;
constexpr uint16_t U64 = VARIABLE_INT64 | VARIABLE_UNSIGNED;
constexpr uint16_t F32 = VARIABLE_FLOAT;
constexpr uint16_t RGBA = VARIABLE_COLOR;
constexpr uint16_t VEC = VARIABLE_VECT;
constexpr uint16_t REC = VARIABLE_RECORD;
constexpr uint16_t PTR = VARIABLE_POINTER;
constexpr uint16_t TEXT = VARIABLE_STRING;
constexpr uint16_t NTEXT = VARIABLE_STRING | VARIABLE_CHAR;
constexpr uint16_t ARR = VARIABLE_ARRAY;

/// The initial value of one variable; which member counts follows from the variable's type.
struct Value {
  double number = 0;                      // integers, floats, colours
  const wchar_t* text = nullptr;          // wide texts
  const char* narrow = nullptr;           // narrow texts
  const void* array = nullptr;            // arrays: the kit's static storage, or none
  std::wstring (*computed_text)() = nullptr;  // known only at run time
  double (*computed_number)() = nullptr;      // known only at run time
};

constexpr Value Num(double v) { Value x; x.number = v; return x; }
constexpr Value Text(const wchar_t* t) { Value x; x.text = t; return x; }
constexpr Value Narrow(const char* t) { Value x; x.narrow = t; return x; }
constexpr Value Array(const void* a) { Value x; x.array = a; return x; }
constexpr Value Computed(std::wstring (*f)()) { Value x; x.computed_text = f; return x; }
constexpr Value Computed(double (*f)()) { Value x; x.computed_number = f; return x; }
constexpr Value None() { return Value{}; }

struct Row {
  const wchar_t* name;
  uint16_t flags;
  int count;
  Value value;
};

std::wstring Folder_Text(const std::filesystem::path& folder) {
  std::wstring text = Host_Char_To_Wide(folder.string().c_str());
  if (text.empty() || text.back() != L'/') text += L'/';
  return text;
}

// Dialogs start in the folder the program was started from.
std::wstring Start_Folder() {
  std::error_code ec;
  std::filesystem::path cwd = std::filesystem::current_path(ec);
  return Folder_Text(ec ? std::filesystem::path(".") : cwd);
}

double Thread_Count() {
  return double(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

constexpr int kUndoBytes = 100 * 1048576;

// clang-format off
// name, flags, count, initial value
const Row kRows[] = {
    // Database: tree roots, node serial counters, the file lists the trees are built from and the
    // tree modules of each dimension. Read by the class trees, file records, database and the
    // file removal. The lists are grown by whoever adds to them; their counts follow the _NB.
    {L"$DB_1D_ROOT_PT", PTR | P, 1, None()},
    {L"$DB_2D_ROOT_PT", PTR | P, 1, None()},
    {L"$DB_3D_ROOT_PT", PTR | P, 1, None()},
    {L"$DB_1D_INDEX", U32 | P, 1, Num(0)},
    {L"$DB_2D_INDEX", U32 | P, 1, Num(0)},
    {L"$DB_3D_INDEX", U32 | P, 1, Num(0)},
    {L"$DB_1D_FILE_NB", I32 | P, 1, Num(0)},
    {L"$DB_1D_FILE_PT", PTR | ARR | P, 0, None()},
    {L"$DB_2D_FILE_NB", I32 | P, 1, Num(0)},
    {L"$DB_2D_FILE_PT", PTR | ARR | P, 0, None()},
    {L"$DB_3D_FILE_NB", I32 | P, 1, Num(0)},
    {L"$DB_3D_FILE_PT", PTR | ARR | P, 0, None()},
    {L"$DB_3D_TAG_NB", I32 | P, 1, Num(0)},
    {L"$DB_3D_TAG_PT", PTR | ARR | P, 0, None()},
    {L"$DB_1D_TREE_NB", I32 | P, 1, Num(0)},
    {L"$DB_1D_TREE_PT", PTR | ARR | P, 0, None()},
    {L"$DB_2D_TREE_NB", I32 | P, 1, Num(0)},
    {L"$DB_2D_TREE_PT", PTR | ARR | P, 0, None()},
    {L"$DB_3D_TREE_NB", I32 | P, 1, Num(0)},
    {L"$DB_3D_TREE_PT", PTR | ARR | P, 0, None()},

    // Windows, current and overlay frames, pending update and redraw masks: update propagation,
    // iterators, scene drawing, event routing, gizmo tables and the redraw hook.
    {L"$WINDOW_MAX", I32 | P, 1, Num(kWindows)},
    {L"$WINDOW_NB", I32 | P, 1, Num(0)},
    {L"$WINDOW_PT", PTR | ARR | P, kWindows, Array(Window_Pt)},
    {L"$WINDOW_CUR", PTR | P, 1, None()},
    {L"$FRAME_CUR", PTR | ARR | P, kWindows, Array(Frame_Cur)},
    {L"$FRAME_OVR", PTR | P, 1, None()},
    {L"$FLAG_UPDATE", U64 | P, 1, Num(0)},
    {L"$FLAG_REDRAW", U64 | P, 1, Num(0)},
    {L"$FCT_REDRAW", PTR | P, 1, None()},

    // Pointer position (point records: a space code and coordinates): event routing, points,
    // zoom about the pointer.
    {L"$MOUSE_WND", REC | P, 2, None()},
    {L"$MOUSE_INF", REC | P, 2, None()},
    {L"$MOUSE_FRM", REC | P, 2, None()},

    // Point markers placed by the user; the list is grown with realloc by the point functions.
    {L"$POINT_NB", U32 | P, 1, Num(0)},
    {L"$POINT_PT", PTR | ARR | P, 0, None()},
    {L"$POINT_CUR", PTR | P, 1, None()},
    {L"$POINT_LABEL", U8, 1, Num(1)},

    // Grey-level display: colour maps and the window of grey values, colour-image components,
    // fill and invalid colours (pixel rendering); histogram size (frame layers).
    {L"$COLORMAP_GLI_SIZE", U16 | P, 1, Num(kMapSize)},
    {L"$COLORMAP_GLI_PT", PTR | ARR | P, kMaps, Array(Colormap_Table)},
    {L"$COLORMAP_GLI_CUR", U16, 1, Num(0)},
    {L"$COLORMAP_GLI_FILL", RGBA, 1, Num(0xFF000000u)},
    {L"$COLORMAP_GLI_INVALID", RGBA, 1, Num(0x00FF00FFu)},
    {L"$COLOR_VAL_MIN", F32, 1, Num(0)},
    {L"$COLOR_VAL_MAX", F32, 1, Num(255)},
    {L"$GLI_COLOR_COMPONENT", U8, 1, Num(0)},
    {L"$GLI_COLOR_DISPLAY", U8, 1, Num(1)},
    {L"$GLI_HISTO_BINS_MAX", U16, 1, Num(4096)},

    // Tags: count, palette, overlay scheme, labels, locks and enables. Read by pixel rendering,
    // contours, tag painting, geometry colours, the tag census and name templates.
    {L"$TAG_NB", U16 | P, 1, Num(kTags)},
    {L"$TAG_CUR", U16, 1, Num(1)},
    {L"$TAG_RED", U16 | ARR, kTags, Array(Tag_Red)},
    {L"$TAG_GRN", U16 | ARR, kTags, Array(Tag_Grn)},
    {L"$TAG_BLU", U16 | ARR, kTags, Array(Tag_Blu)},
    {L"$TAG_ALPHA", F32 | ARR, kTags, Array(Tag_Alpha)},
    {L"$TAG_LABEL", TEXT | ARR, kTags, Array(Tag_Label)},
    {L"$TAG_ENABLE", U8 | ARR, kTags, Array(Tag_Enable)},
    {L"$TAG_LOCK", U8 | ARR, kTags, Array(Tag_Lock)},
    {L"$TAG_MIX", F32, 1, Num(1.0)},
    {L"$COLOR_SCHEME", U8, 1, Num(1)},
    {L"$COLOR_CLASIC", U8, 1, Num(1)},

    // Markers (name templates) and vertebra labels (frame construction).
    {L"$MARKER_NB", U16 | P, 1, Num(kMarkers)},
    {L"$MARKER_CUR", U16, 1, Num(0)},
    {L"$MARKER_LABEL", NTEXT | ARR, kMarkers, Array(Marker_Label)},
    {L"$VERT_LABEL_MAX", I32 | P, 1, Num(kVertebrae)},
    {L"$VERT_LABEL_NAME", NTEXT | ARR, kVertebrae, Array(Vert_Label_Name)},

    // Dispatch of per-frame work: worker count and time-out, the identity list that each
    // dispatch replaces with its own (undo recording reads it too); merge buffers of plug-ins.
    {L"$COMPUTER_THREAD_NB", U16, 1, Computed(Thread_Count)},
    {L"$COMPUTER_THREAD_ID", U32 | ARR | P, 0, None()},
    {L"$COMPUTER_TIMEOUT", U32, 1, Num(60)},
    {L"$MORPHO_MERGE_NB", U16, 1, Num(8)},

    // GPU volume cuts: the group holding the volume, its flags, region of interest (volume
    // cells, all zero for none) and saved location.
    {L"$CUDA_FLAG", U64, 1, Num(0)},
    {L"$CUDA_GROUP", PTR | P, 1, None()},
    {L"$CUDA_ROI_MIN", VEC, 1, None()},
    {L"$CUDA_ROI_MAX", VEC, 1, None()},
    {L"$CUDA_LOC_SAV", VEC, 1, None()},

    // OpenGL: single buffering, textures and tag-number buffers (flag); the preferred pixel
    // format; the capabilities found (context set-up, drawing, stencil).
    {L"$OPENGL_FLAG", U8, 1, Num(0)},
    {L"$OPENGL_CONTEXT", I32, 1, Num(0)},
    {L"$OPENGL_STATE", U32 | P, 1, Num(0)},

    // Undo: ring capacity (at most 40), size limit in bytes, overflow without asking, tag marks.
    {L"$UNDO_NB", U16, 1, Num(10)},
    {L"$UNDO_SIZE", I32, 1, Num(kUndoBytes)},
    {L"$UNDO_FLUSH", U8, 1, Num(0)},
    {L"$UNDO_TAG", U8 | ARR, kTags, Array(Undo_Tag)},

    // Interface: size (3 large), locks while a dialog or computation runs, fonts and the sizes
    // that the widget dimension exports bind to (16-bit values), help locations.
    {L"$INTERFACE_SIZE", U8, 1, Num(1)},
    {L"$INTERFACE_ANONYMOUS", U8, 1, Num(0)},
    {L"$INTERFACE_LOCK_FOCUS", U8, 1, Num(0)},
    {L"$INTERFACE_LOCK_ACTION", U16, 1, Num(0)},
    {L"$INTERFACE_TITLE_FONT_NAME", TEXT, 1, Text(L"Arial")},
    {L"$INTERFACE_TITLE_FONT_WEIGHT", TEXT, 1, Text(L"bold")},
    {L"$INTERFACE_TITLE_FONT_SCALE", U16, 1, Num(100)},
    {L"$INTERFACE_TOOL_FONT_NAME", TEXT, 1, Text(L"Arial")},
    {L"$INTERFACE_TOOL_FONT_WEIGHT", TEXT, 1, Text(L"normal")},
    {L"$INTERFACE_TOOL_FONT_SCALE", U16, 1, Num(100)},
    {L"$INTERFACE_BUTTON_DIM_BIG", U16, 1, Num(32)},
    {L"$INTERFACE_BUTTON_DIM_SML", U16, 1, Num(20)},
    {L"$INTERFACE_TITLE_DIM_BIG", U16, 1, Num(24)},
    {L"$INTERFACE_TITLE_DIM_SML", U16, 1, Num(18)},
    {L"$INTERFACE_SELECT_DIM_BIG", U16, 1, Num(24)},
    {L"$INTERFACE_VAL_DIM_BIG", U16, 1, Num(80)},
    {L"$INTERFACE_VAL_DIM_MID", U16, 1, Num(56)},
    {L"$INTERFACE_VAL_DIM_SML", U16, 1, Num(40)},
    {L"$INTERFACE_NUM_BIG", U16, 1, Num(64)},
    {L"$INTERFACE_NUM_SML", U16, 1, Num(40)},
    {L"$INTERFACE_LIST_DIM_BIG", U16, 1, Num(200)},
    {L"$INTERFACE_LIST_DIM_SML", U16, 1, Num(120)},
    {L"$INTERFACE_LIST_DIM_ARROW", U16, 1, Num(16)},
    {L"$INTERFACE_SPACE_DIM", U16, 1, Num(4)},
    {L"$INTERFACE_CURSOR_DIM", U16, 1, Num(8)},
    {L"$INTERFACE_BORDER_DIM", U16, 1, Num(2)},
    {L"$INTERFACE_HELP_LOCAL", TEXT, 1, None()},
    {L"$INTERFACE_HELP_INDEX", TEXT, 1, Text(L"https://quarn.example/help/")},
    {L"$KEY_NAME", REC | ARR | P, kKeys, Array(Key_Name)},  // rows of Host_Key_Name

    // Files and folders: remembered dialog folder, picture folder.
    {L"$DEFAULT_FILE_PATH", TEXT, 1, Computed(Start_Folder)},
    {L"$DEFAULT_ICON_PATH", TEXT, 1, Computed(Host_Icon_Folder)},

    // Regional settings: number texts, header tables, interface texts.
    {L"$REGIONAL_SEPARATOR", I8, 1, Num(0)},  // 0: tab
    {L"$REGIONAL_FILLER", NTEXT, 1, Narrow("---")},
    {L"$REGIONAL_FRACTION", I8, 1, Num('.')},
    {L"$REGIONAL_LANGUAGE", NTEXT, 1, Narrow("Eng")},

    // Units of measured values: indexes into the unit tables for lengths, surfaces, volumes.
    {L"$UNITS_DIST", U16, 1, Num(0)},
    {L"$UNITS_SURF", U16, 1, Num(0)},
    {L"$UNITS_VOL", U16, 1, Num(1)},
    {L"$UNITS_FACTOR", F32 | ARR, kUnits, Array(Units_Factor)},
    {L"$UNITS_LABEL", NTEXT | ARR, kUnits, Array(Units_Label)},
    {L"$UNITS_POWER", NTEXT | ARR, 3, Array(Units_Power)},
};
// clang-format on

// Lists whose length lives in another variable.
struct Link {
  const wchar_t* list;
  const wchar_t* count;
  int max;
};
const Link kLinks[] = {
    {L"$DB_1D_FILE_PT", L"$DB_1D_FILE_NB", -1}, {L"$DB_2D_FILE_PT", L"$DB_2D_FILE_NB", -1},
    {L"$DB_3D_FILE_PT", L"$DB_3D_FILE_NB", -1}, {L"$DB_3D_TAG_PT", L"$DB_3D_TAG_NB", -1},
    {L"$DB_1D_TREE_PT", L"$DB_1D_TREE_NB", -1}, {L"$DB_2D_TREE_PT", L"$DB_2D_TREE_NB", -1},
    {L"$DB_3D_TREE_PT", L"$DB_3D_TREE_NB", -1}, {L"$POINT_PT", L"$POINT_NB", -1},
    {L"$COMPUTER_THREAD_ID", L"$COMPUTER_THREAD_NB", -1},
};

// The scalar's bytes in the width its type gives.
size_t Scalar_Bytes(uint16_t flags, double v, unsigned char* out) {
  auto put = [out](auto x) {
    std::memcpy(out, &x, sizeof x);
    return sizeof x;
  };
  const bool u = flags & VARIABLE_UNSIGNED;
  switch (flags & VARIABLE_TYPE_MASK & ~VARIABLE_UNSIGNED) {
    case VARIABLE_CHAR: return u ? put(uint8_t(v)) : put(int8_t(v));
    case VARIABLE_SHORT: return u ? put(uint16_t(v)) : put(int16_t(v));
    case VARIABLE_INT: return u ? put(uint32_t(v)) : put(int32_t(v));
    case VARIABLE_INT64: return u ? put(uint64_t(v)) : put(int64_t(v));
    case VARIABLE_FLOAT: return put(float(v));
    case VARIABLE_DOUBLE: return put(v);
    case VARIABLE_COLOR: return put(uint32_t(v));
    default: return 0;  // vectors and records start zeroed
  }
}

// Texts are malloc'd: scripts replace them by freeing the old one.
void* Text_Copy(const Value& v, bool narrow) {
  if (narrow) return v.narrow ? strdup(v.narrow) : nullptr;
  if (v.computed_text) return wcsdup(v.computed_text().c_str());
  return v.text ? wcsdup(v.text) : nullptr;
}

void Install(const Row& r) {
  const bool array = r.flags & VARIABLE_ARRAY;
  if (array || (r.flags & VARIABLE_POINTER)) {
    const void* p = r.value.array;
    Host_Var_Define_Owned(r.name, r.flags, r.count, &p, sizeof p);
  } else if (r.flags & VARIABLE_STRING) {
    void* text = Text_Copy(r.value, r.flags & VARIABLE_CHAR);
    if (!Host_Var_Define_Owned(r.name, r.flags, r.count, &text, sizeof text)) std::free(text);
  } else {
    unsigned char bytes[16];
    const double v = r.value.computed_number ? r.value.computed_number() : r.value.number;
    Host_Var_Define_Owned(r.name, r.flags, r.count, bytes, Scalar_Bytes(r.flags, v, bytes));
  }
}

}  // namespace

void Host_Var_Default_Install() {
  Reset_Default_Arrays();
  for (const Row& r : kRows) Install(r);
  for (const Link& l : kLinks) Host_Var_Count_Link(l.list, l.count, l.max);
}
