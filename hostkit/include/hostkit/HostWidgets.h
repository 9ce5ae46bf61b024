// The host's widget library: pop-ups, busy pointer, key states, colours, fonts and pictures.
// Pop-ups never block: each is logged and a query answers from a script of answers, so that the
// library runs unattended; a host with a screen installs a handler that shows them.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostTypes.h>

#include <cstdint>
#include <string>
#include <vector>

/// Message class of the line that logs each pop-up.
inline constexpr uint32_t HOST_POPUP_REPORT_CLASS = 4;
/// Number of pop-ups the history keeps (the oldest is dropped first).
inline constexpr size_t HOST_POPUP_HISTORY = 32;

/// One pop-up as it was shown.
struct Host_Popup_Entry {
  std::wstring title;                 ///< Window title.
  std::wstring heading;               ///< Heading line.
  std::wstring body;                  ///< Body text.
  std::vector<std::wstring> buttons;  ///< Button labels of a query; empty for a message.
  int width = 0;                      ///< Requested width (0: default).
  int height = 0;                     ///< Requested height (0: default).
  int key = 0;                        ///< Caller's key.
  bool query = false;                 ///< True for a query.
  int answer = -1;                    ///< Index of the button chosen; -1 for a message.
  std::vector<std::wstring> checks;   ///< Check box labels of a form; empty otherwise.
  std::vector<int> check_values;      ///< Check box states (1 ticked) as answered.
  std::wstring choice_label;          ///< Label of a form's choice list; empty for none.
  std::vector<std::wstring> choices;  ///< Entries of the choice list.
  int choice = -1;                    ///< Entry of the choice list as answered; -1 none.
  std::wstring font;                  ///< Font face and weight a form asks for; empty: default.
};

/// Shows a pop-up for real; returns the chosen button (queries) or anything (messages). A
/// negative answer to a query falls back to the scripted answers.
typedef int (*Host_Popup_Handler)(Host_Window owner, const Host_Popup_Entry& popup);

/// A modal message; width and height 0 take the default size. Returns 1.
HOSTKIT_API int Host_Popup_Message(Host_Window owner, const wchar_t* title, const wchar_t* heading,
                                   const wchar_t* body, int width, int height, int key);
/// Narrow (UTF-8) form of Host_Popup_Message.
HOSTKIT_API int Host_Popup_Message(Host_Window owner, const char* title, const char* heading,
                                   const char* body, int width, int height, int key);
/// A modal question; buttons is a list of labels ended by an empty (or null) entry. Returns the
/// index of the button pressed: the handler's answer, else the next scripted answer, else the
/// default answer; an answer that names no button is reported and replaced by the last button.
/// A query without buttons is reported and answers -1.
HOSTKIT_API int Host_Popup_Query(Host_Window owner, const wchar_t* title, const wchar_t* heading,
                                 const wchar_t* body, const wchar_t* const* buttons, int width,
                                 int height, int key);
/// Narrow (UTF-8) form of Host_Popup_Query.
HOSTKIT_API int Host_Popup_Query(Host_Window owner, const char* title, const char* heading,
                                 const char* body, const char* const* buttons, int width,
                                 int height, int key);

/// The controls a form adds to a query; the arrays it points to stay the caller's.
struct Host_Popup_Form {
  const wchar_t* const* checks = nullptr;   ///< Check box labels, ended by null or "".
  int* check_values = nullptr;              ///< One state per box (1 ticked): shown, then answered.
  const wchar_t* choice_label = nullptr;    ///< Label of the choice list, or null for none.
  const wchar_t* const* choices = nullptr;  ///< Its entries, ended by null or "".
  int* choice = nullptr;                    ///< Entry shown selected (-1 none), then the one chosen.
  const wchar_t* font_face = nullptr;       ///< Font face of the form, or null for the default.
  const wchar_t* font_weight = nullptr;     ///< Font weight ("bold", "normal"), or null.
};

/// A question with the extra controls of form: returns the button pressed as Host_Popup_Query
/// does and writes the controls' answers back into form. Scripted answers give the button from
/// the answer queue and the controls from Host_Popup_Form_Answer_Push (else they keep what was
/// shown); a handler answers the button only.
HOSTKIT_API int Host_Popup_Query_Form(Host_Window owner, const wchar_t* title,
                                      const wchar_t* heading, const wchar_t* body,
                                      const wchar_t* const* buttons, Host_Popup_Form* form,
                                      int width, int height, int key);
/// Queues the controls' answer of a coming form: box i ticked when bit i of checks is set, and
/// the chosen entry (-1 keeps the one shown).
HOSTKIT_API void Host_Popup_Form_Answer_Push(uint32_t checks, int choice);

/// Queues the answer of a coming query (answers are used first in, first out).
HOSTKIT_API void Host_Popup_Answer_Push(int answer);
/// Sets the answer of queries once the queue is empty (0 at start).
HOSTKIT_API void Host_Popup_Answer_Default(int answer);
/// Empties the answer queue, restores the default answer 0 and forgets the history.
HOSTKIT_API void Host_Popup_Reset();
/// Number of queued answers not yet used.
HOSTKIT_API size_t Host_Popup_Answers_Pending();
/// Installs (or, with null, removes) the handler that shows pop-ups; returns the previous one.
HOSTKIT_API Host_Popup_Handler Host_Popup_Handler_Set(Host_Popup_Handler handler);
/// The last pop-ups shown, oldest first.
HOSTKIT_API std::vector<Host_Popup_Entry> Host_Popup_History();
/// Number of pop-ups shown since start or the last reset.
HOSTKIT_API uint64_t Host_Popup_Count();

/// Turns the busy pointer on (calls nest; window may be null).
HOSTKIT_API void Host_Wait_Cursor_On(Host_Window window);
/// Undoes one Host_Wait_Cursor_On; extra calls are ignored.
HOSTKIT_API void Host_Wait_Cursor_Off(Host_Window window);
/// Current nesting depth of the busy pointer (0: normal pointer).
HOSTKIT_API int Host_Wait_Cursor_Depth();

/// Nonzero while the key of this virtual-key code (0 ... 255; 16 Shift, 17 Control) is held.
HOSTKIT_API int Host_Key_Down(int virtual_key);
/// Records a key as held or released (the host's key events, or a test); other codes are ignored.
HOSTKIT_API void Host_Key_State_Set(int virtual_key, bool down);
/// Releases every key.
HOSTKIT_API void Host_Key_State_Reset();

/// A colour setting kept as 0x00BBGGRR (red in the low byte).
class HOSTKIT_API Host_Color {
public:
  /// Black.
  Host_Color() = default;
  /// Colour from a 0x00BBGGRR word (the top byte is dropped).
  explicit Host_Color(uint32_t value) : value_(value & 0x00FFFFFFu) {}
  /// Colour from its three components.
  Host_Color(uint8_t red, uint8_t green, uint8_t blue)
      : value_(red | uint32_t(green) << 8 | uint32_t(blue) << 16) {}
  /// The colour as 0x00BBGGRR.
  uint32_t get() const { return value_; }
  /// Replaces the colour with a 0x00BBGGRR word (the top byte is dropped).
  void set(uint32_t value) { value_ = value & 0x00FFFFFFu; }
  /// Red component.
  uint8_t red() const { return uint8_t(value_); }
  /// Green component.
  uint8_t green() const { return uint8_t(value_ >> 8); }
  /// Blue component.
  uint8_t blue() const { return uint8_t(value_ >> 16); }

private:
  uint32_t value_ = 0;
};

/// Placement and colour of a widget box; the widget classes that draw into it come later.
struct Host_Widget_Box {
  int x = 0;          ///< Left edge in the window.
  int y = 0;          ///< Top edge in the window.
  int width = 0;      ///< Width in pixels.
  int height = 0;     ///< Height in pixels.
  int border = 0;     ///< Border width in pixels.
  Host_Color color;   ///< Background colour.
};

/// Kind of a drawing call into a widget box.
enum Host_Widget_Draw_Kind : int {
  HOST_DRAW_NONE = 0,  ///< No call recorded.
  HOST_DRAW_BOX = 1,   ///< The whole box redrawn: background and border.
  HOST_DRAW_FILL = 2,  ///< A rectangle of the box filled with one colour.
};

/// One drawing call into a widget box, as the widget layer records it.
struct Host_Widget_Draw {
  const Host_Widget_Box* box = nullptr;  ///< Box drawn into.
  Host_Widget_Draw_Kind kind = HOST_DRAW_NONE;  ///< What was drawn.
  int left = 0;      ///< Left edge of the painted rectangle, box pixels.
  int top = 0;       ///< Top edge, box pixels.
  int right = 0;     ///< Right edge, excluded.
  int bottom = 0;    ///< Bottom edge, excluded.
  Host_Color color;  ///< Colour painted (the box's background for a redraw).
};

/// Redraws a box: background and border (a null box is ignored).
HOSTKIT_API void Host_Widget_Box_Redraw(Host_Widget_Box* box);
/// Fills the rectangle left..right x top..bottom (box pixels, right and bottom excluded, cut to
/// the box) with a colour; a null box is ignored.
HOSTKIT_API void Host_Widget_Box_Fill(Host_Widget_Box* box, int left, int top, int right,
                                      int bottom, Host_Color color);
/// Number of drawing calls into boxes since start or the last reset (any thread).
HOSTKIT_API uint64_t Host_Widget_Draw_Count();
/// The last drawing call into a box (kind HOST_DRAW_NONE when there was none).
HOSTKIT_API Host_Widget_Draw Host_Widget_Draw_Last();
/// Forgets the drawing calls.
HOSTKIT_API void Host_Widget_Draw_Reset();

/// A scroll bar's valuator: a float position between a minimum and a maximum.
struct Host_Scroll_Valuator {
  float value = 0.0f;    ///< Current position.
  float minimum = 0.0f;  ///< Lowest position.
  float maximum = 0.0f;  ///< Highest position.
  float step = 1.0f;     ///< Amount of one line step.
};

/// Style bit of a font: slanted letters.
inline constexpr int HOST_FONT_ITALIC = 1;
/// Weight of a normal and of a bold font.
inline constexpr int HOST_FONT_NORMAL = 400;
inline constexpr int HOST_FONT_BOLD = 700;
/// Largest font size in pixels.
inline constexpr int HOST_FONT_MAX_SIZE = 1000;

/// The rasterising state of a font (opaque).
struct Host_Font_Face;

/// A font as the host's text rasteriser uses it: the face asked for, resolved through
/// fontconfig to a font file that FreeType renders.
struct Host_Font_Record {
  std::wstring face;              ///< Face name asked for.
  int weight = 0;                 ///< Weight (0 default, 400 normal, 700 bold).
  int style = 0;                  ///< Style bits (HOST_FONT_ITALIC).
  int size = 0;                   ///< Cell height in pixels (ascent + descent).
  std::string file;               ///< Font file the face resolved to.
  std::wstring family;            ///< Family of that file ("Liberation Sans" for "Arial").
  Host_Font_Face* raster = nullptr;  ///< Rasterising state, owned.
};
/// Handle of a font.
typedef Host_Font_Record* Host_Font;

/// Creates a font: the closest face fontconfig has to the request, at a cell height of size
/// pixels. Null (reported) for a missing face, a size outside 1 ... HOST_FONT_MAX_SIZE, or
/// when no font file can be loaded.
HOSTKIT_API Host_Font Host_Create_Font(Host_Window window, const wchar_t* face, int weight,
                                       int style, int size);
/// Narrow (UTF-8) face form of Host_Create_Font.
HOSTKIT_API Host_Font Host_Create_Font(Host_Window window, const char* face, int weight, int style,
                                       int size);
/// Creates a font from weight and style names: weight null or "" normal, a name ("thin",
/// "light", "normal", "medium", "semibold", "bold", "heavy" ...) or a number 1 ... 1000; style
/// null or "" upright, "i", "italic" or "oblique" slanted. Unknown names are reported and read
/// as normal and upright.
HOSTKIT_API Host_Font Host_Create_Font(Host_Window window, const char* face, const char* weight,
                                       const char* style, int size);
/// Releases a font (null and stock fonts are ignored).
HOSTKIT_API void Host_Delete_Font(Host_Font font);

/// Stock fonts.
enum Host_Stock : int {
  HOST_SYSTEM_FONT = 13,  ///< The interface's own font: bold sans-serif, 16 pixels.
};
/// A stock font; it lives for the whole run and Host_Delete_Font leaves it alone. Null when
/// the system has no font at all.
HOSTKIT_API Host_Font Host_Stock_Font(Host_Stock which);

/// A picture read from a file: width x height pixels of four bytes R, G, B, A, rows top first.
struct Host_Icon_Record {
  int width = 0;             ///< Columns.
  int height = 0;            ///< Rows.
  uint8_t* rgba = nullptr;   ///< Pixels (malloc'd, owned).
};

/// Reads a TGA or PNG picture as RGBA for a widget box (may be null); null, reported, when not.
HOSTKIT_API Host_Icon_Record* Host_Read_Icon(Host_Widget_Box* box, const wchar_t* file);
/// Releases a picture (null is fine).
HOSTKIT_API void Host_Free_Icon(Host_Icon_Record* icon);
