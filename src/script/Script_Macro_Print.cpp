// Rendering of statement trees as indented script text, to the report or to a file.
#include <quarn/script/Script_Macro.h>

#include "script/Script_Limits.h"
#include "script/Script_Text.h"

#include "core/Trace.h"

#include <hostkit/HostReport.h>

#include <string>

namespace quarn::script {
namespace {

constexpr int kIndentWidth = 4;

// Where rendered lines go; lines carry style bytes, which a file does not keep.
struct Sink {
  virtual void Line(const wchar_t* text) = 0;
  virtual ~Sink() = default;
};

struct Report_Sink final : Sink {
  uint32_t cls;
  explicit Report_Sink(uint32_t c) : cls(c) {}
  void Line(const wchar_t* text) override { Host_Report_Text(Host_Main_Window, cls, text); }
};

struct File_Sink final : Sink {
  FILE* file;
  explicit File_Sink(FILE* f) : file(f) {}
  void Line(const wchar_t* text) override {
    std::fputs(Host_Report_Plain(text).c_str(), file);
    std::fputc('\n', file);
  }
};

// A line being composed at an indent.
struct Line_Text {
  wchar_t text[SCRIPT_TEXT_SIZE];
  int n = 0;
  explicit Line_Text(int level) {
    text[0] = 0;
    for (int i = 0; i < level * kIndentWidth && n < SCRIPT_TEXT_SIZE - 1; ++i) text[n++] = L' ';
    text[n] = 0;
  }
  Line_Text& operator<<(const wchar_t* piece) {
    Text_Join(text, n, piece);
    return *this;
  }
};

bool Has_Header(const W_Script_Statements* b) { return b->for_nb_arg > 0 || b->if_nb_arg > 0; }
bool Is_Block(const W_Script_Statements* b) { return b && !b->is_single && !Has_Header(b); }

void Header(Sink& sink, const W_Script_Statements* b, int level) {
  Line_Text line(level);
  if (b->for_nb_arg > 0) {
    line << SCRIPT_HI_W L"for" SCRIPT_LO_W L" " << b->for_var << L" " SCRIPT_HI_W L"in" SCRIPT_LO_W;
    for (int i = 0; i < b->for_nb_arg && line.n < SCRIPT_TEXT_STOP; ++i) line << L" " << b->for_pt_arg[i];
  } else {
    line << SCRIPT_HI_W L"if (" SCRIPT_LO_W;
    for (int i = 0; i < b->if_nb_arg && line.n < SCRIPT_TEXT_STOP; ++i) line << L" " << b->if_pt_arg[i];
    line << L" " SCRIPT_HI_W L")" SCRIPT_LO_W;
  }
  sink.Line(line.text);
}

void Word(Sink& sink, const wchar_t* word, int level) {
  Line_Text line(level < 0 ? 0 : level);
  line << word;
  sink.Line(line.text);
}

void Statement(Sink& sink, const W_Script_Statements* b, int i, int level) {
  Line_Text line(level);
  if (b->key[i]) line << SCRIPT_HI_W << b->key[i] << SCRIPT_LO_W L" ";
  for (int k = 0; k < b->nb_arg[i] && line.n < SCRIPT_TEXT_STOP; ++k) line << b->pt_arg[i][k] << L" ";
  sink.Line(line.text);
}

// A branch's lines sit at level; a loop or condition prints its header one level less, and a
// "{" block its braces at the level the branch had before its header.
void Render(Sink& sink, const W_Script_Statements* b, int level) {
  const int outer = Has_Header(b) ? level - 1 : level;
  if (Has_Header(b)) Header(sink, b, outer < 0 ? 0 : outer);
  for (int i = 0; i < b->nb_lines; ++i) {
    const W_Script_Statements* c = b->child[i];
    if (!c) {
      Statement(sink, b, i, level < 0 ? 0 : level);
    } else if (Is_Block(c)) {
      Word(sink, L"{", outer);
      Render(sink, c, outer + 1);
      Word(sink, L"}", outer);
    } else {
      Render(sink, c, level + 1);
    }
  }
  if (const W_Script_Statements* e = b->else_branch) {
    Word(sink, SCRIPT_HI_W L"else" SCRIPT_LO_W, outer);
    const bool braced = e->nb_lines > 0 && Is_Block(e->child[0]);
    Render(sink, e, braced ? outer : outer + 1);
  }
}

}  // namespace
}  // namespace quarn::script

void W_Script_Macro_Stool(int message_class, W_Script_Statements* branch, int indent) {
  if (!branch || !Host_Report_Enabled(uint32_t(message_class))) return;
  quarn::script::Report_Sink sink{uint32_t(message_class)};
  quarn::script::Render(sink, branch, indent);
}

void W_Script_Macro_Print(FILE* file, W_Script_Statements* branch, int indent) {
  if (!file || !branch) return;
  quarn::script::File_Sink sink(file);
  quarn::script::Render(sink, branch, indent);
}
