// Interface texts of a tool: "index: text" lines of a UTF-8 file in the user's language.
#include <quarn/host/Services.h>

#include <hostkit/HostUtil.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <mutex>
#include <string>
#include <vector>

namespace {

using quarn::msg::Tool_Text;

constexpr const char* kDefaultLanguage = "Eng";
constexpr const wchar_t* kFolder = L"Quarn_Interface/";
constexpr wchar_t kBom = 0xFEFF;

// The language is the one of the first use: the texts of a session do not change language.
const std::string& Language() {
  static std::string language;
  static std::once_flag chosen;
  std::call_once(chosen, [] {
    quarn::Remembered_Variable variable{L"$REGIONAL_LANGUAGE"};
    char** text = variable.As<char*>();
    language = text && *text && **text ? *text : kDefaultLanguage;
  });
  return language;
}

std::wstring Trimmed(const std::wstring& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::iswspace(wint_t(text[begin]))) ++begin;
  while (end > begin && std::iswspace(wint_t(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

/// One file being read: where it is, the line number, and the entries found so far.
struct Reader {
  std::wstring path;
  int line = 0;
  std::vector<std::wstring> entries;
  std::vector<bool> given;

  [[gnu::cold]] void Warn(const wchar_t* what, const std::wstring& text) const {
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\x05WARNING:\x02 %ls, line %d: %ls \"\x01%ls\x02\"", path.c_str(),
                 line, what, text.c_str());
  }

  // Everything from ';' on is a comment; a line without ':' holds no entry.
  void Line(std::wstring text) {
    if (line == 1 && !text.empty() && text[0] == kBom) text.erase(0, 1);
    text = text.substr(0, text.find(L';'));
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos) return;
    const std::wstring number = Trimmed(text.substr(0, colon));
    wchar_t* end = nullptr;
    const long index = std::wcstol(number.c_str(), &end, 10);
    if (number.empty() || *end) return Warn(L"no entry number in", number);
    if (index < 1 || index > TOOL_TEXT_ENTRY_MAX) return Warn(L"entry number outside 1 ... 256:", number);
    if (size_t(index) > entries.size()) entries.resize(size_t(index)), given.resize(size_t(index));
    if (given[size_t(index - 1)]) Warn(L"entry given again, the later text kept:", number);
    entries[size_t(index - 1)] = Trimmed(text.substr(colon + 1));
    given[size_t(index - 1)] = true;
  }
};

int Read_Lines(FILE* file, Reader& reader) {
  char* buffer = nullptr;
  size_t capacity = 0;
  ssize_t length = 0;
  while ((length = ::getline(&buffer, &capacity, file)) >= 0) {
    ++reader.line;
    std::wstring text = Host_Utf8_Decode(buffer, size_t(length));
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    if (text.size() > size_t(TOOL_TEXT_LINE_MAX)) {
      reader.Warn(L"line longer than 2048 characters skipped:", text.substr(0, 40) + L"...");
      continue;
    }
    reader.Line(std::move(text));
  }
  std::free(buffer);
  return int(reader.entries.size());
}

// Every entry a malloc'd text, the missing ones empty, so that callers can show any of them.
wchar_t** Entry_Array(const std::vector<std::wstring>& entries) {
  auto** array = static_cast<wchar_t**>(std::calloc(entries.size(), sizeof(wchar_t*)));
  if (!array) {
    QUARN_MEMORY_ERROR("calloc", "entries", entries.size(), sizeof(wchar_t*));
    return nullptr;
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    array[i] = wcsdup(entries[i].c_str());
    if (array[i]) continue;
    QUARN_MEMORY_ERROR("_wcsdup", "entries[i]", entries[i].size() + 1, 1);
    Fct_Tool_Text_Cleanup(int(i), array);
    return nullptr;
  }
  return array;
}

int Out(int count) {
  QUARN_REPORT(Tool_Text, "<<< out Fct: Fct_Tool_Text_Read(%d)", count);
  return count;
}

}  // namespace

int Fct_Tool_Text_Read(const char* tool, wchar_t*** entries) {
  QUARN_REPORT(Tool_Text, ">>> in  Fct: Fct_Tool_Text_Read(%s)", tool ? tool : "null");
  if (entries) *entries = nullptr;
  if (!tool || !*tool || !entries) {
    QUARN_REPORT(quarn::msg::Invalid, "Fct_Tool_Text_Read: needs a tool name and a place for the entries");
    return Out(0);
  }
  Reader reader;
  reader.path = std::wstring(Host_Install_Dir) + kFolder + Host_Char_To_Wide(Language().c_str());
  reader.path += L"/" + std::wstring(Host_Char_To_Wide(tool)) + L".txt";
  FILE* file = std::fopen(Host_Wide_To_Char(reader.path.c_str()), "r");
  if (!file) {
    const int error = errno;
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\x05WARNING:\x02 Unable to read the interface texts \x01%ls\x02", reader.path.c_str());
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\t%ls", Host_Errno_Text(error));
    return Out(0);
  }
  const int count = Read_Lines(file, reader);
  std::fclose(file);
  if (!count) return Out(0);
  *entries = Entry_Array(reader.entries);
  return Out(*entries ? count : 0);
}

void Fct_Tool_Text_Cleanup(int count, wchar_t** entries) {
  if (!entries) return;
  for (int i = 0; i < count; ++i) std::free(entries[i]);
  std::free(entries);
}
