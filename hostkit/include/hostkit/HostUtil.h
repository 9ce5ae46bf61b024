// The host's utility services: text conversion and editing, paths, files, sizes, colours, FFT.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostMath.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostTypes.h>

#include <cstdint>
#include <string>

/// Printable name of an OpenGL error code ("GL_INVALID_ENUM" ...); unknown codes are named by
/// their number.
HOSTKIT_API const char* Host_GL_Error_Text(unsigned code);
/// Printable reason for an errno value, as wide text in a per-thread buffer.
HOSTKIT_API const wchar_t* Host_Errno_Text(int error);
/// Printable reason for a platform error code (here the system's errno values), in a per-thread
/// buffer.
HOSTKIT_API const char* Host_Windows_Error_Text(unsigned long code);

/// Converts UTF-8 (bytes that are not UTF-8 stand for themselves) to wide text in a per-thread
/// buffer valid until the next call on this thread; null input gives null.
HOSTKIT_API const wchar_t* Host_Char_To_Wide(const char* text);
/// Converts wide text to UTF-8 in a per-thread buffer valid until the next call; null gives null.
HOSTKIT_API const char* Host_Wide_To_Char(const wchar_t* text);

/// Size in characters of each out buffer of Host_Split_Path.
constexpr int HOST_PATH_BUFFER = 1024;

/// Splits a path into folder (with its last separator, '/' or '\\', or a drive "C:"), base name
/// and extension (from the last dot, with it; leading dots belong to the name); each out buffer
/// may be null and must hold HOST_PATH_BUFFER characters (a longer part is cut and reported).
HOSTKIT_API void Host_Split_Path(const wchar_t* path, wchar_t* dir, wchar_t* base, wchar_t* ext);
/// Narrow form of Host_Split_Path.
HOSTKIT_API void Host_Split_Path(const char* path, char* dir, char* base, char* ext);
/// Wild-card match, case counting: '*' any run, '?' one character; without wild cards only the
/// same text matches; null text or pattern never matches.
HOSTKIT_API int Host_Str_Match(const wchar_t* text, const wchar_t* pattern);
/// UTF-8 form of Host_Str_Match; '?' stands for one whole character, not one byte.
HOSTKIT_API int Host_Str_Match(const char* text, const char* pattern);
/// Removes one pair of surrounding double quotes in place; returns the text.
HOSTKIT_API wchar_t* Host_Str_Strip_Quotes(wchar_t* text);
/// Removes leading and trailing blanks, tabs and line ends in place; returns the text.
HOSTKIT_API wchar_t* Host_Str_Strip_Spaces(wchar_t* text);
/// Lower-cases a text in place; returns the text.
HOSTKIT_API wchar_t* Host_Str_To_Lower(wchar_t* text);
/// strtok-like tokeniser with a caller-held position: first call with text, then with null;
/// null separators mean blank and tab; returns null when no token is left.
HOSTKIT_API wchar_t* Host_Str_Tokenize(wchar_t* text, const wchar_t* separators, wchar_t** state);
/// Shortens a text in place to at most width characters; a cut text keeps its first characters
/// and its last tail characters with "..." between them (at the end when tail is 0); a width of
/// 3 or less leaves dots only.
HOSTKIT_API wchar_t* Host_Clip_String(wchar_t* text, int width, int tail = 0);
/// Shortens a file path in place to at most width characters, keeping the base name whole
/// where it fits and putting "..." in place of the folders dropped.
HOSTKIT_API wchar_t* Host_Clip_File_Name(wchar_t* path, int width);
/// Nonzero when the path is an existing regular file.
HOSTKIT_API int Host_Is_File(const wchar_t* path);
/// Nonzero when the path is an existing folder.
HOSTKIT_API int Host_Is_Dir(const wchar_t* path);
/// Creates a folder and its missing parents ('/' separates); nonzero on success or when it
/// exists.
HOSTKIT_API int Host_Create_Dir(const wchar_t* path);
/// Pointer to the last '/' or '\\' of the path, or null.
HOSTKIT_API const wchar_t* Host_Last_Slash(const wchar_t* path);
/// Writes a byte count as "512 B", "1.50 KB", "3.25 MB", "1.00 GB" ... (units of 1024, up to
/// EB) into buffer (64 characters); returns buffer.
HOSTKIT_API wchar_t* Host_Bytes_To_Text(uint64_t bytes, wchar_t* buffer);
/// Converts red, green, blue in 0..1 to hue, lightness, saturation in 0..1 (in place).
HOSTKIT_API void Host_RGB_To_HLS(float* r_h, float* g_l, float* b_s);
/// Converts hue, lightness, saturation in 0..1 to red, green, blue in 0..1 (in place).
HOSTKIT_API void Host_HLS_To_RGB(float* h_r, float* l_g, float* s_b);
/// 2D discrete Fourier transform of row-major planes (width values per row); direction -1
/// forward, +1 inverse (unscaled); a null imaginary input counts as zeros (and takes the faster
/// real-input transform); outputs may be the inputs; 1 done, 0 failed (bad direction or size,
/// missing plane, memory). Plans are measured once per problem (or taken from the wisdom in
/// Host_Cache_Dir) and shared: any thread may call, planning is serialised, and the same input
/// gives the same output bit for bit on every thread.
HOSTKIT_API int Host_FFT_2D(int direction, int width, int height, const double* real_in,
                            const double* imag_in, double* real_out, double* imag_out);
/// Moves the pointer by an offset from where it is.
HOSTKIT_API void Host_Cursor_Move(int dx, int dy);
/// Places the pointer at a position.
HOSTKIT_API void Host_Cursor_Set(int x, int y);
/// The pointer position as last set or moved (0, 0 at start); either out may be null.
HOSTKIT_API void Host_Cursor_Get(int* x, int* y);
/// Opens a bracket of pointer work on a window, named by tag (brackets nest).
HOSTKIT_API void Host_Region_Begin(Host_Window window, const char* tag);
/// Closes the innermost bracket opened on the window; an unmatched close is ignored.
HOSTKIT_API void Host_Region_End(Host_Window window);
/// Number of brackets open now.
HOSTKIT_API int Host_Region_Depth();
/// Tag of the last bracket opened (empty before the first).
HOSTKIT_API std::string Host_Region_Last_Tag();

/// Called, when set, with a fraction in 0..1 during long loads.
extern HOSTKIT_API void (*Host_Progress_Hook)(float fraction);
/// Installation folder of the program, ending with '/' (interface texts live there); by
/// default the folder of the running executable.
extern HOSTKIT_API const wchar_t* Host_Install_Dir;
/// Folder for scratch files, ending with '/'; by default $TMPDIR or /tmp.
extern HOSTKIT_API const wchar_t* Host_Scratch_Dir;
/// Folder of files the kit keeps between runs for this user (the FFT plans' wisdom), ending with
/// '/'; by default quarn/ in $XDG_CACHE_HOME or in ~/.cache, else /tmp/quarn-cache/. Created when
/// first written.
extern HOSTKIT_API const wchar_t* Host_Cache_Dir;
/// Program name used in reports; by default the running executable's file name.
extern HOSTKIT_API const wchar_t* Host_Program_Name;
/// Program version used in reports; by default the kit's own version.
extern HOSTKIT_API const wchar_t* Host_Program_Version;
