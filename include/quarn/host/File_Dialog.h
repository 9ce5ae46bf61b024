// File and folder dialogs, opening a file through the script language and dropping its records.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

/// Characters of one path buffer, terminator included: paths of up to 770 characters.
inline constexpr int FILE_PATH_MAX = 771;
/// Characters of the filter text buffer.
inline constexpr int FILE_FILTER_MAX = 2048;
/// Characters of one pattern list of a filter pair.
inline constexpr int FILE_FILTER_PATTERNS_MAX = 79;
/// Characters of one filter pair's contribution.
inline constexpr int FILE_FILTER_PAIR_MAX = 255;

// Options of the open and save dialogs; a caller passes the ones it wants switched off.

/// Save: confirm replacing an existing file.
inline constexpr uint32_t DIALOG_OVERWRITE_PROMPT = 0x2;
/// No read-only box.
inline constexpr uint32_t DIALOG_HIDE_READ_ONLY = 0x4;
/// Open: several files at once.
inline constexpr uint32_t DIALOG_ALLOW_MULTI = 0x200;
/// The folder of a chosen path must exist.
inline constexpr uint32_t DIALOG_PATH_MUST_EXIST = 0x800;
/// A chosen file must exist.
inline constexpr uint32_t DIALOG_FILE_MUST_EXIST = 0x1000;
/// Explorer-style dialog.
inline constexpr uint32_t DIALOG_EXPLORER = 0x80000;
/// Long file names.
inline constexpr uint32_t DIALOG_LONG_NAMES = 0x200000;
/// The options of the open dialog.
inline constexpr uint32_t DIALOG_OPEN_OPTIONS = DIALOG_EXPLORER | DIALOG_ALLOW_MULTI | DIALOG_PATH_MUST_EXIST |
                                                DIALOG_FILE_MUST_EXIST | DIALOG_LONG_NAMES | DIALOG_HIDE_READ_ONLY;
/// The options of the save dialog.
inline constexpr uint32_t DIALOG_SAVE_OPTIONS = DIALOG_EXPLORER | DIALOG_LONG_NAMES | DIALOG_HIDE_READ_ONLY |
                                                DIALOG_OVERWRITE_PROMPT;

/// Builds a filter from count pairs of (const wchar_t* label, const char* variable name): each
/// variable lists extensions ("dcm,ima" or "dcm ima"); the pair gives "label (*.dcm,*.ima)" and
/// "*.dcm;*.ima". A variable that does not exist or lists no extension gives nothing (an empty
/// pattern list would end the filter); what does not fit is reported
/// and left out. Returns the text (NUL-separated, ended by a second NUL) in a buffer of the
/// calling thread of FILE_FILTER_MAX characters, valid until its next call.
QUARN_API const wchar_t* Fct_Create_szFilter(int count, ...);

/// Asks for up to max_files existing files, starting in $DEFAULT_FILE_PATH, and writes each path
/// into paths[i] (FILE_PATH_MAX characters each); options_off switches options of the dialog
/// off. Returns the number of paths written, 0 on cancel, failure or no dialog available.
QUARN_API int Fct_Open_FileName(const char* title, const wchar_t* filter, int max_files,
                                wchar_t (*paths)[FILE_PATH_MAX], uint32_t options_off);
/// Asks for one file name to write (proposed: default_name; default_ext added to a name without
/// extension) and writes it into path (FILE_PATH_MAX characters). Returns the filter chosen,
/// from 1, or 0 on cancel, failure or no dialog available.
QUARN_API int Fct_Save_FileName(const char* title, const wchar_t* filter, const wchar_t* default_name,
                                const wchar_t* default_ext, wchar_t* path, uint32_t options_off);
/// Asks for a folder and writes it, ending with '/', into folder (FILE_PATH_MAX characters);
/// 1 chosen, 0 cancelled, failed or no dialog available.
QUARN_API int Fct_Open_DirName(const char* title, wchar_t* folder);

/// The folder's last separator, or null (reported and shown to the user, with text appended)
/// when the folder does not exist; also null for a text without separator.
QUARN_API const wchar_t* Fct_Dir_Test(const wchar_t* folder, const char* text);
/// As Fct_Dir_Test, but offers to create a missing folder; null when the user declines or the
/// folder cannot be created (reported and shown).
QUARN_API const wchar_t* Fct_Dir_Input(const wchar_t* folder, const char* text);

/// Opens a file as the user would: runs the script line read: image "name" and returns its
/// result. The name goes in quotes, where "/" and "-" are plain text; the statement splits it at
/// its blanks, so a host's read command joins the quoted words again. A name the statement
/// cannot carry (a double quote, a tab or line end, two blanks in a row, 771 characters or more)
/// is reported and not opened.
QUARN_API int Fct_File_Open(const wchar_t* name);
/// Destroys every file record of the 1D, 2D, 3D and tag-surface lists whose name is name and
/// closes the gaps; the number removed.
QUARN_API int Fct_File_Delete(const wchar_t* name);
