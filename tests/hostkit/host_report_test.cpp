// The host report: per-class filter, capture, formatting of long lines, style rendering, threads.
#include <hostkit/HostReport.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr uint32_t kTrace = 0x84000087;
constexpr uint32_t kOtherTrace = 0x84000106;
constexpr uint32_t kUser = 2;

class HostReport : public ::testing::Test {
protected:
  void SetUp() override { Host_Report_Filter_Reset(); }
  void TearDown() override { Host_Report_Filter_Reset(); }
};

TEST_F(HostReport, TracesHiddenAndUserReportsShownByDefault) {
  Host_Report_Capture seen(false);  // sees only what the filter lets through
  EXPECT_EQ(Host_Report(nullptr, kTrace, "trace %d", 1), 0);
  EXPECT_EQ(Host_Report(nullptr, kUser, "user %d", 2), 1);
  EXPECT_EQ(Host_Report(nullptr, 0x80000000u, L"lowest trace"), 0);  // bit 31 alone is a trace
  EXPECT_EQ(seen.Texts(), std::vector<std::string>{"user 2"});
}

TEST_F(HostReport, FilterPerClassTable) {
  struct Step { uint32_t cls; bool shown; };
  // Each rule touches its own class only; later rules on a class replace earlier ones.
  const Step rules[] = {{kTrace, true}, {kUser, false}, {6, false}, {6, true}};
  for (const Step& r : rules) Host_Report_Filter_Set(r.cls, r.shown);
  struct Case { uint32_t cls; bool enabled; };
  const Case cases[] = {
      {kTrace, true},       // switched on
      {kOtherTrace, false}, // other traces keep the default
      {kUser, false},       // switched off
      {4, true},            // other user classes keep the default
      {6, true},            // the last rule wins
  };
  for (const Case& c : cases) EXPECT_EQ(Host_Report_Enabled(c.cls), c.enabled) << std::hex << c.cls;
  Host_Report_Filter_Default(true, false);  // defaults change, rules stay
  EXPECT_TRUE(Host_Report_Enabled(kOtherTrace));
  EXPECT_FALSE(Host_Report_Enabled(4));
  EXPECT_FALSE(Host_Report_Enabled(kUser));
  Host_Report_Filter_Reset();
  EXPECT_FALSE(Host_Report_Enabled(kTrace));
  EXPECT_TRUE(Host_Report_Enabled(kUser));
}

TEST_F(HostReport, CaptureBypassEndsWithTheLastCapture) {
  Host_Report_Filter_Set(kUser, false);
  {
    Host_Report_Capture outer;
    {
      Host_Report_Capture inner;
      EXPECT_TRUE(Host_Report_Enabled(kTrace));
      EXPECT_TRUE(Host_Report_Enabled(kUser));
      Host_Report(nullptr, kTrace, "both see this");
      EXPECT_EQ(inner.Count(), 1u);
    }
    EXPECT_TRUE(Host_Report_Enabled(kTrace));  // the outer one still bypasses
    Host_Report(nullptr, kTrace, "outer only");
    EXPECT_EQ(outer.Count(kTrace), 2u);
  }
  EXPECT_FALSE(Host_Report_Enabled(kTrace));
  EXPECT_FALSE(Host_Report_Enabled(kUser));  // the rule set before the captures is back
}

TEST_F(HostReport, NarrowAndWideFormatsGiveTheSameText) {
  Host_Report_Capture capture;
  Host_Report(nullptr, kUser, "%s|%ls|%d", "caf\xC3\xA9", L"\u0394", 7);
  Host_Report(nullptr, kUser, L"%hs|%ls|%d", "caf\xC3\xA9", L"\u0394", 7);
  auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, L"caf\u00E9|\u0394|7");
  EXPECT_EQ(lines[1].text, lines[0].text);
}

TEST_F(HostReport, StyleBytesSurviveNarrowFormatting) {
  Host_Report_Capture capture;
  Host_Report(nullptr, kUser, "\xF1\x04" "ERROR:\x02 bad \x01%s\x02", "x");
  auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, L"\xF1\x04" L"ERROR:\x02 bad \x01x\x02");
  EXPECT_EQ(capture.Texts()[0], "ERROR: bad x");  // plain text drops them
}

TEST_F(HostReport, Utf8DecodingTable) {
  struct Case { const char* bytes; std::wstring text; };
  const Case cases[] = {
      {"abc", L"abc"},
      {"\xC3\xA9", L"\u00E9"},                         // two bytes
      {"\xE2\x82\xAC", L"\u20AC"},                     // three bytes
      {"\xF0\x9F\x98\x80", std::wstring(1, wchar_t(0x1F600))},  // four bytes
      {"\xF1\x05W", L"\xF1\x05W"},                     // style byte then ASCII: stray, kept
      {"\xC3(", L"\xC3("},                             // lead byte without continuation
      {"\xC0\x80", L"\xC0\x80"},                       // overlong form is not accepted
      {"\xE2\x82", L"\xE2\x82"},                       // cut short at the end
      {"\xED\xA0\x80", L"\xED\xA0\x80"},               // a surrogate is no character
      {"\x80x", L"\x80x"},                             // lone continuation byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Host_Utf8_Decode(c.bytes, std::strlen(c.bytes)), c.text) << c.bytes;
  }
  // A narrow report decodes the same way.
  Host_Report_Capture capture;
  Host_Report(nullptr, kUser, "%s", "\xC3(\xE2\x82\xAC");
  EXPECT_EQ(capture.Lines().at(0).text, L"\xC3(\u20AC");
}

TEST_F(HostReport, AnsiRenderingTable) {
  struct Case { std::wstring text; std::string ansi; };
  const Case cases[] = {
      {L"\xF1\x05WARNING:\x02 x", "\033[1m\033[33mWARNING:\033[39m x"},  // bold stays over colours
      {L"\xF1\x04" L"ERROR:\x02", "\033[1m\033[31mERROR:\033[39m"},
      // "Black" returns to the terminal's own colour, visible on dark and light terminals.
      {L"\x01v\x02", "\033[34mv\033[39m"},
      {L"\x03\x06", "\033[37m\033[32m"},
      {L"\xF2i\xF0", "\033[3mi\033[22;23m"},
      {L"\u00E9", "\xC3\xA9"},                                  // text is UTF-8
      {L"\t7", "\t7"},                                            // tab is no style byte
  };
  for (const Case& c : cases) EXPECT_EQ(Host_Report_Ansi(c.text), c.ansi) << Host_Report_Plain(c.text);
}

// Colour codes only reach a terminal, and only while NO_COLOR is unset or empty.
TEST_F(HostReport, EchoColoursOnlyATerminalWithoutNoColor) {
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  const char* saved = std::getenv("NO_COLOR");
  std::string saved_value = saved ? saved : "";
  struct Case { const char* name; int fd; const char* no_color; Host_Echo_Mode mode; };
  const Case cases[] = {
      {"terminal", terminal, nullptr, HOST_ECHO_ANSI},
      {"terminal, empty NO_COLOR", terminal, "", HOST_ECHO_ANSI},
      {"terminal, NO_COLOR=1", terminal, "1", HOST_ECHO_PLAIN},
      {"pipe", pipe_fds[1], nullptr, HOST_ECHO_PLAIN},
      {"closed descriptor", 1000, nullptr, HOST_ECHO_PLAIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.no_color) ::setenv("NO_COLOR", c.no_color, 1);
    else ::unsetenv("NO_COLOR");
    EXPECT_EQ(Host_Report_Echo_For(c.fd), c.mode);
  }
  if (saved) ::setenv("NO_COLOR", saved_value.c_str(), 1);
  else ::unsetenv("NO_COLOR");
  for (int fd : {pipe_fds[0], pipe_fds[1], master, terminal}) ::close(fd);
}

TEST_F(HostReport, LongLinesAreNotCut) {
  Host_Report_Capture capture;
  std::string narrow(5000, 'n');
  narrow += "\xC3\xA9";  // a two-byte character right past every small buffer
  std::wstring wide(5000, L'w');
  Host_Report(nullptr, kUser, "[%s]", narrow.c_str());
  Host_Report(nullptr, kUser, L"[%ls]", wide.c_str());
  Host_Report(nullptr, kUser, L"[%hs]", narrow.c_str());
  auto texts = capture.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "[" + narrow + "]");
  EXPECT_EQ(texts[1], "[" + std::string(5000, 'w') + "]");
  EXPECT_EQ(texts[2], texts[0]);
  // Exactly at the first buffer size on both sides of it.
  for (size_t n : {1022u, 1023u, 1024u, 1025u}) {
    capture.Clear();
    Host_Report(nullptr, kUser, "%s", std::string(n, 'x').c_str());
    EXPECT_EQ(capture.Texts().at(0).size(), n);
  }
}

TEST_F(HostReport, FourThreadsReportUnderCaptureWhileTheFilterChanges) {
  Host_Report_Capture capture(false);
  Host_Report_Filter_Set(kTrace, true);
  constexpr int kThreads = 4, kLines = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) {
        if (i % 2) Host_Report(nullptr, kTrace, "t%d line %d", t, i);
        else Host_Report(nullptr, kTrace, L"t%d line %d", t, i);
      }
    });
  // Filter edits on another class meanwhile must not disturb the reporters.
  std::thread editor([] {
    for (int i = 0; i < 200; ++i) Host_Report_Filter_Set(kOtherTrace, i % 2 == 0);
  });
  for (auto& t : threads) t.join();
  editor.join();
  ASSERT_EQ(capture.Count(kTrace), size_t(kThreads * kLines));
  // Each thread's lines arrive whole and in the order it reported them.
  std::vector<int> next(kThreads, 0);
  for (const std::string& text : capture.Texts(kTrace)) {
    int t = -1, i = -1;
    ASSERT_EQ(std::sscanf(text.c_str(), "t%d line %d", &t, &i), 2) << text;
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(i, next[t]++);
  }
}

}  // namespace
