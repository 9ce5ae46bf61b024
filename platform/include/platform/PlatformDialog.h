// File and folder dialogs: answered from a scripted answer queue, else by a dialog program.
#pragma once

#include <platform/Export.h>

#include <cstdint>
#include <string>

/// What a dialog asks for.
enum Platform_Dialog_Kind : int {
  PLATFORM_DIALOG_OPEN = 0,    ///< One or more existing files.
  PLATFORM_DIALOG_SAVE = 1,    ///< One file name to write.
  PLATFORM_DIALOG_FOLDER = 2,  ///< One folder.
};

// Option bits of a request (the values of the common dialog options they stand for).

/// Save: the user confirms replacing an existing file (the queue takes that as confirmed).
constexpr uint32_t PLATFORM_DIALOG_OVERWRITE_PROMPT = 0x2;
/// No read-only box (there never is one here).
constexpr uint32_t PLATFORM_DIALOG_HIDE_READ_ONLY = 0x4;
/// Open: several files may be chosen.
constexpr uint32_t PLATFORM_DIALOG_ALLOW_MULTI = 0x200;
/// The folder of each chosen path must exist.
constexpr uint32_t PLATFORM_DIALOG_PATH_MUST_EXIST = 0x800;
/// Each chosen file must exist.
constexpr uint32_t PLATFORM_DIALOG_FILE_MUST_EXIST = 0x1000;
/// Explorer-style dialog (the only style here).
constexpr uint32_t PLATFORM_DIALOG_EXPLORER = 0x80000;
/// Long file names (the only kind here).
constexpr uint32_t PLATFORM_DIALOG_LONG_NAMES = 0x200000;

// Failure codes of a dialog (the common dialog's numbering).

/// A chosen name is not acceptable (a file or folder that must exist does not).
constexpr uint32_t PLATFORM_DIALOG_ERR_INVALID_NAME = 0x3002;
/// The chosen names do not fit the caller's buffer.
constexpr uint32_t PLATFORM_DIALOG_ERR_BUFFER_TOO_SMALL = 0x3003;
/// The dialog itself failed (the dialog program could not run or ended abnormally).
constexpr uint32_t PLATFORM_DIALOG_ERR_FAILURE = 0xFFFF;

/// How a dialog ended.
enum Platform_Dialog_Status : int {
  PLATFORM_DIALOG_CHOSEN = 1,       ///< The user chose; the buffer holds the result.
  PLATFORM_DIALOG_CANCELLED = 0,    ///< The user cancelled.
  PLATFORM_DIALOG_FAILED = -1,      ///< The dialog failed; see the error code.
  PLATFORM_DIALOG_UNAVAILABLE = -2, ///< No queued answer, no display or no dialog program.
};

/// One dialog to show.
struct Platform_Dialog_Request {
  int kind = PLATFORM_DIALOG_OPEN;      ///< Platform_Dialog_Kind.
  const wchar_t* title = nullptr;       ///< Window title, or null.
  const wchar_t* filter = nullptr;      ///< Pairs of label and ';'-separated patterns, each
                                        ///< ended by a NUL, the list by a second NUL; or null.
  int filter_index = 1;                 ///< Filter shown first, from 1.
  const wchar_t* folder = nullptr;      ///< Folder shown first, or null.
  const wchar_t* default_ext = nullptr; ///< Save: extension added to a name without one.
  uint32_t options = 0;                 ///< PLATFORM_DIALOG_* option bits.
  wchar_t* buffer = nullptr;            ///< In: the proposed name (save); out: the result.
  int buffer_size = 0;                  ///< Characters in buffer.
};

/// How a dialog ended, with the result's layout in the request's buffer. One chosen path is
/// written whole; several are written as their common folder, a NUL, each name relative to it
/// followed by a NUL, and one more NUL.
struct Platform_Dialog_Result {
  int status = PLATFORM_DIALOG_CANCELLED;  ///< Platform_Dialog_Status.
  uint32_t error = 0;                      ///< Failure code when failed.
  int file_offset = 0;                     ///< Index in the buffer of the first name.
  int filter_index = 0;                    ///< Filter chosen, from 1 (save and open).
  std::wstring detail;                     ///< Failed: the path or reason at fault.
};

/// Shows a dialog: the oldest queued answer answers it; without one, a dialog program runs when
/// one is set or (with a display) found; without either the result is PLATFORM_DIALOG_UNAVAILABLE.
/// Returns the status. A relative path in an answer is taken inside the request's folder.
PLATFORM_API int Platform_Dialog_Show(const Platform_Dialog_Request* request,
                                      Platform_Dialog_Result* result);

/// Queues an answer choosing paths (count of them) with a filter index (0 keeps the request's);
/// 1 done, 0 for a null list or a count below 1.
PLATFORM_API int Platform_Dialog_Answer_Paths(const wchar_t* const* paths, int count,
                                              int filter_index);
/// Queues an answer that cancels the dialog.
PLATFORM_API void Platform_Dialog_Answer_Cancel();
/// Queues an answer that fails the dialog with a failure code.
PLATFORM_API void Platform_Dialog_Answer_Error(uint32_t code);
/// Number of queued answers.
PLATFORM_API int Platform_Dialog_Answers_Pending();
/// Drops every queued answer.
PLATFORM_API void Platform_Dialog_Answers_Clear();

/// Chooses the dialog program: null searches for zenity (with a display present), "" uses none,
/// any other text names the program (a name along PATH or a path), used with or without display.
PLATFORM_API void Platform_Dialog_Program_Set(const char* program);

/// The last request shown, as the dialog saw it (for hosts that log and for tests).
struct Platform_Dialog_Seen {
  int kind = -1;             ///< Platform_Dialog_Kind, -1 before the first dialog.
  std::wstring title;        ///< Title.
  std::wstring folder;       ///< Start folder.
  std::wstring name;         ///< Proposed name.
  std::wstring filter;       ///< Filter text with its NULs.
  int filter_index = 0;      ///< Filter shown first.
  uint32_t options = 0;      ///< Option bits.
  int buffer_size = 0;       ///< Characters the caller offered.
  const char* answered_by = "";  ///< "queue", "program" or "none".
};
/// A copy of the last request shown.
PLATFORM_API Platform_Dialog_Seen Platform_Dialog_Last();
