// The host's reporting function, its per-class filter, its sinks and a capture for tests.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostTypes.h>

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

/// Owner window passed as the first argument of every report and pop-up.
extern HOSTKIT_API Host_Window Host_Main_Window;

/// Reports one line with a narrow printf format; returns 1 when the line was shown, else 0.
HOSTKIT_API int Host_Report(Host_Window owner, uint32_t cls, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
/// Reports one line with a wide printf format; returns 1 when the line was shown, else 0.
HOSTKIT_API int Host_Report(Host_Window owner, uint32_t cls, const wchar_t* format, ...);
/// va_list form of the narrow report.
HOSTKIT_API int Host_Report_V(Host_Window owner, uint32_t cls, const char* format, va_list args);
/// va_list form of the wide report.
HOSTKIT_API int Host_Report_V(Host_Window owner, uint32_t cls, const wchar_t* format, va_list args);
/// Reports an already formatted line without any formatting.
HOSTKIT_API int Host_Report_Text(Host_Window owner, uint32_t cls, const wchar_t* text);

/// True when lines of this message class are shown; callers test it before building a line.
HOSTKIT_API bool Host_Report_Enabled(uint32_t cls) noexcept;

/// Sets whether trace classes (bit 31 set) and user classes (bit 31 clear) are shown by default.
HOSTKIT_API void Host_Report_Filter_Default(bool traces, bool reports);
/// Shows or hides one exact message class, overriding the default.
HOSTKIT_API void Host_Report_Filter_Set(uint32_t cls, bool shown);
/// Removes every per-class rule and restores the default (traces hidden, reports shown).
HOSTKIT_API void Host_Report_Filter_Reset();

/// Sends every shown line, without style bytes, to a UTF-8 log file; returns 0 if it cannot open.
HOSTKIT_API int Host_Report_Log_Open(const char* path);
/// Closes the log file, if any.
HOSTKIT_API void Host_Report_Log_Close();

/// Terminal echo of shown lines on standard error.
enum Host_Echo_Mode { HOST_ECHO_OFF = 0, HOST_ECHO_PLAIN = 1, HOST_ECHO_ANSI = 2 };
/// Chooses the terminal echo; off by default.
HOSTKIT_API void Host_Report_Echo_Set(Host_Echo_Mode mode);
/// The echo a program should use for output on file descriptor fd: colour codes only when fd is
/// a terminal and no non-empty NO_COLOR variable is set, plain text otherwise.
HOSTKIT_API Host_Echo_Mode Host_Report_Echo_For(int fd);

/// Renders a line's style bytes (colours 1-6, 0xF0 plain, 0xF1 bold, 0xF2 italic) as ANSI codes.
HOSTKIT_API std::string Host_Report_Ansi(const std::wstring& text);
/// Removes the style bytes of a line and encodes it as UTF-8.
HOSTKIT_API std::string Host_Report_Plain(const std::wstring& text);
/// Decodes UTF-8; a byte that starts no valid sequence stands for itself (keeps style bytes).
HOSTKIT_API std::wstring Host_Utf8_Decode(const char* text, size_t length);
/// Encodes a wide text as UTF-8, leaving style bytes in place.
HOSTKIT_API std::string Host_Report_Utf8(const std::wstring& text);

/// One reported line as a capture saw it.
struct Host_Report_Line {
  uint32_t cls;       ///< Message class word.
  std::wstring text;  ///< Rendered text, style bytes included.
};

/// Collects the lines reported while it lives; by default every class is shown meanwhile.
class HOSTKIT_API Host_Report_Capture {
public:
  /// Starts capturing; with all_classes the filter is bypassed until the capture ends.
  explicit Host_Report_Capture(bool all_classes = true);
  /// Stops capturing and restores the filter.
  ~Host_Report_Capture();
  Host_Report_Capture(const Host_Report_Capture&) = delete;
  Host_Report_Capture& operator=(const Host_Report_Capture&) = delete;

  /// A copy of the lines captured so far.
  std::vector<Host_Report_Line> Lines() const;
  /// The captured texts of one class (every class when cls is 0), as UTF-8 without style bytes.
  std::vector<std::string> Texts(uint32_t cls = 0) const;
  /// Number of captured lines of one class (every class when cls is 0).
  size_t Count(uint32_t cls = 0) const;
  /// True when some captured line, without style bytes, contains the UTF-8 text.
  bool Contains(const std::string& text) const;
  /// Forgets the lines captured so far.
  void Clear();

  /// Called by the reporting function for every shown line; not for callers.
  void Add(uint32_t cls, const std::wstring& text);
  /// As Add, keeping the text itself (no copy, so it works when memory has run out); not for callers.
  void Take(uint32_t cls, std::wstring& text);

private:
  bool all_;
  struct Impl;
  Impl* impl_;
};

/// printf into a narrow buffer with UTF-8 as the character encoding, whatever the process locale.
HOSTKIT_API int Host_Format_V(char* buffer, size_t size, const char* format, va_list args);
/// swprintf into a wide buffer with UTF-8 as the narrow encoding, whatever the process locale.
HOSTKIT_API int Host_Format_V(wchar_t* buffer, size_t size, const wchar_t* format, va_list args);
/// printf into a narrow buffer (UTF-8); returns the count written or -1 when it does not fit.
HOSTKIT_API int Host_Format(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
/// swprintf into a wide buffer; returns the count written or -1 when it does not fit.
HOSTKIT_API int Host_Format(wchar_t* buffer, size_t size, const wchar_t* format, ...);
