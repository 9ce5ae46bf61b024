// The host's utility services: text conversion and editing, paths, files, sizes, colours, FFT.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostMath.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostTypes.h>

#include <cstdint>

/// Printable name of an OpenGL error code ("GL_INVALID_ENUM" ...).
HOSTKIT_API const char* Host_GL_Error_Text(unsigned code);
/// Printable reason for an errno value, as wide text owned by the kit.
HOSTKIT_API const wchar_t* Host_Errno_Text(int error);
/// Printable reason for a platform error code.
HOSTKIT_API const char* Host_Windows_Error_Text(unsigned long code);

/// Converts UTF-8 (bytes that are not UTF-8 stand for themselves) to wide text in a per-thread
/// buffer valid until the next call on this thread; null input gives null.
HOSTKIT_API const wchar_t* Host_Char_To_Wide(const char* text);
/// Converts wide text to UTF-8 in a per-thread buffer valid until the next call; null gives null.
HOSTKIT_API const char* Host_Wide_To_Char(const wchar_t* text);

/// Splits a path into folder (with its last separator), base name and extension (with its dot);
/// each out buffer may be null and must hold at least 1024 characters.
HOSTKIT_API void Host_Split_Path(const wchar_t* path, wchar_t* dir, wchar_t* base, wchar_t* ext);
/// Narrow form of Host_Split_Path.
HOSTKIT_API void Host_Split_Path(const char* path, char* dir, char* base, char* ext);
/// Wild-card match: '*' any run, '?' one character; without wild cards only the same text.
HOSTKIT_API int Host_Str_Match(const wchar_t* text, const wchar_t* pattern);
/// Narrow form of Host_Str_Match.
HOSTKIT_API int Host_Str_Match(const char* text, const char* pattern);
/// Removes one pair of surrounding double quotes in place; returns the text.
HOSTKIT_API wchar_t* Host_Str_Strip_Quotes(wchar_t* text);
/// Removes leading and trailing blanks and tabs in place; returns the text.
HOSTKIT_API wchar_t* Host_Str_Strip_Spaces(wchar_t* text);
/// Lower-cases a text in place; returns the text.
HOSTKIT_API wchar_t* Host_Str_To_Lower(wchar_t* text);
/// strtok-like tokeniser with a caller-held position: first call with text, then with null.
HOSTKIT_API wchar_t* Host_Str_Tokenize(wchar_t* text, const wchar_t* separators, wchar_t** state);
/// Shortens a text in place to at most width characters, ending it with "..." when cut.
HOSTKIT_API wchar_t* Host_Clip_String(wchar_t* text, int width);
/// Shortens a file path in place to at most width characters, keeping the base name whole
/// where it fits and putting "..." in place of the folders dropped.
HOSTKIT_API wchar_t* Host_Clip_File_Name(wchar_t* path, int width);
/// Nonzero when the path is an existing regular file.
HOSTKIT_API int Host_Is_File(const wchar_t* path);
/// Nonzero when the path is an existing folder.
HOSTKIT_API int Host_Is_Dir(const wchar_t* path);
/// Creates a folder and its missing parents; nonzero on success or when it exists.
HOSTKIT_API int Host_Create_Dir(const wchar_t* path);
/// Pointer to the last '/' or '\\' of the path, or null.
HOSTKIT_API const wchar_t* Host_Last_Slash(const wchar_t* path);
/// Writes a byte count as "512 B", "1.50 KB", "3.25 MB", "1.00 GB" into buffer (64 characters).
HOSTKIT_API wchar_t* Host_Bytes_To_Text(uint64_t bytes, wchar_t* buffer);
/// Converts red, green, blue in 0..1 to hue, lightness, saturation in 0..1 (in place).
HOSTKIT_API void Host_RGB_To_HLS(float* r_h, float* g_l, float* b_s);
/// Converts hue, lightness, saturation in 0..1 to red, green, blue in 0..1 (in place).
HOSTKIT_API void Host_HLS_To_RGB(float* h_r, float* l_g, float* s_b);
/// 2D discrete Fourier transform; direction -1 forward, +1 inverse (unscaled); 1 done, 0 failed.
HOSTKIT_API int Host_FFT_2D(int direction, int width, int height, const double* real_in,
                            const double* imag_in, double* real_out, double* imag_out);
/// Moves the pointer to a window position (the platform layer performs it when present).
HOSTKIT_API void Host_Cursor_Move(int x, int y);
/// Sets the pointer position the kit reports (for hosts without a pointer).
HOSTKIT_API void Host_Cursor_Set(int x, int y);

/// Called, when set, with a fraction in 0..1 during long loads.
extern HOSTKIT_API void (*Host_Progress_Hook)(float fraction);
/// Installation folder of the program (interface texts live there).
extern HOSTKIT_API const wchar_t* Host_Install_Dir;
/// Folder for scratch files.
extern HOSTKIT_API const wchar_t* Host_Scratch_Dir;
/// Program name used in reports.
extern HOSTKIT_API const wchar_t* Host_Program_Name;
/// Program version used in reports.
extern HOSTKIT_API const wchar_t* Host_Program_Version;
