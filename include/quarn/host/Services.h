// Small services the host and its modules share: clipboard, key names, interface texts, help,
// interface dimensions and the library's version.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostTypes.h>

#include <cstdint>

/// Longest line of an interface text file, terminator excluded.
inline constexpr int TOOL_TEXT_LINE_MAX = 2048;
/// Highest entry index of an interface text file.
inline constexpr int TOOL_TEXT_ENTRY_MAX = 256;

/// Puts a wide text on the clipboard for window (null: for the process); 1 done, 0 failed
/// (each failed step is reported with its reason).
QUARN_API int Clipboard_Copy(Host_Window window, const wchar_t* text);

/// The key code $KEY_NAME gives to a name (quotes around it ignored, case counting), or 0.
QUARN_API int Fct_Key_From_Name(const char* name);

/// Reads the interface texts of a tool from <install>/Quarn_Interface/<language>/<tool>.txt
/// ("index: text" lines, ';' starting a comment) into *entries, an array of malloc'd wide texts
/// (entry i holds index i + 1; missing ones are empty); returns the number of entries, 0 when
/// the file cannot be read. Release with Fct_Tool_Text_Cleanup.
QUARN_API int Fct_Tool_Text_Read(const char* tool, wchar_t*** entries);
/// Releases what Fct_Tool_Text_Read gave.
QUARN_API void Fct_Tool_Text_Cleanup(int count, wchar_t** entries);

/// Shows help on a topic (a page name ending in .htm or .html, or a help id; null or empty: the
/// index) at an anchor (null or empty: none) in the desktop's browser; reports when it cannot.
/// Returns 1.
QUARN_API int Fct_Help(const char* topic, const char* anchor);

/// Interface dimension settings, bound by Fct_Interface_Get to the storage of their variables
/// ($INTERFACE_TITLE_FONT_NAME ... $INTERFACE_BORDER_DIM); writing through one changes the
/// variable. Null until bound, and for a variable the host lacks or types otherwise.
extern QUARN_API wchar_t** DB_Title_Font_Name;  ///< Title font face ($INTERFACE_TITLE_FONT_NAME).
extern QUARN_API wchar_t** DB_Title_Font_Weight;  ///< Title font weight ($INTERFACE_TITLE_FONT_WEIGHT).
extern QUARN_API uint16_t* DB_Title_Font_Scale;  ///< Title font scale in percent ($INTERFACE_TITLE_FONT_SCALE).
extern QUARN_API wchar_t** DB_Tools_Font_Name;  ///< Tool font face ($INTERFACE_TOOL_FONT_NAME).
extern QUARN_API wchar_t** DB_Tools_Font_Weigth;  ///< Tool font weight ($INTERFACE_TOOL_FONT_WEIGHT).
extern QUARN_API uint16_t* DB_Tools_Font_Scale;  ///< Tool font scale in percent ($INTERFACE_TOOL_FONT_SCALE).
extern QUARN_API uint16_t* DB_Button_Dim_Big;  ///< Large button size ($INTERFACE_BUTTON_DIM_BIG).
extern QUARN_API uint16_t* DB_Button_Dim_Sml;  ///< Small button size ($INTERFACE_BUTTON_DIM_SML).
extern QUARN_API uint16_t* DB_Title_Dim_Big;  ///< Large title height ($INTERFACE_TITLE_DIM_BIG).
extern QUARN_API uint16_t* DB_Title_Dim_Sml;  ///< Small title height ($INTERFACE_TITLE_DIM_SML).
extern QUARN_API uint16_t* DB_Select_Dim_Big;  ///< Selection box size ($INTERFACE_SELECT_DIM_BIG).
extern QUARN_API uint16_t* DB_Val_Dim_Big;  ///< Wide value field ($INTERFACE_VAL_DIM_BIG).
extern QUARN_API uint16_t* DB_Val_Dim_Mid;  ///< Middle value field ($INTERFACE_VAL_DIM_MID).
extern QUARN_API uint16_t* DB_Val_Dim_Sml;  ///< Narrow value field ($INTERFACE_VAL_DIM_SML).
extern QUARN_API uint16_t* DB_Num_Big;  ///< Wide number field ($INTERFACE_NUM_BIG).
extern QUARN_API uint16_t* DB_Num_Sml;  ///< Narrow number field ($INTERFACE_NUM_SML).
extern QUARN_API uint16_t* DB_List_Dim_Big;  ///< Tall list ($INTERFACE_LIST_DIM_BIG).
extern QUARN_API uint16_t* DB_List_Dim_Sml;  ///< Short list ($INTERFACE_LIST_DIM_SML).
extern QUARN_API uint16_t* DB_List_Dim_Arrow;  ///< List arrow size ($INTERFACE_LIST_DIM_ARROW).
extern QUARN_API uint16_t* DB_Space_Dim;  ///< Space between widgets ($INTERFACE_SPACE_DIM).
extern QUARN_API uint16_t* DB_Cursor_Dim;  ///< Cursor size ($INTERFACE_CURSOR_DIM).
extern QUARN_API uint16_t* DB_Border_Dim;  ///< Border width ($INTERFACE_BORDER_DIM).

/// Binds the interface dimension pointers to their variables (a missing or mistyped variable
/// is reported and its pointer left null). Returns 1.
QUARN_API int Fct_Interface_Get();
/// Frees a malloc'd text and empties the pointer (null is fine).
QUARN_API void DB_Free(wchar_t** text);
/// Nothing to release: the pointers belong to the variables.
QUARN_API void DB_Cleanup();

/// The library's version text, "libquarn.so <major>.<minor> (rev-<patch>)" from its build, when
/// interface_version is null, empty or the library's own interface version (major and minor
/// digits run together); "" for any other interface version.
QUARN_API const char* Get_Version_Quarn(const char* interface_version);
