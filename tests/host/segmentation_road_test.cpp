// The segmentation road end to end: the reference host, run as a program, reads a phantom CT
// series, tags its bone by threshold, paints brush strokes through pointer messages, undoes and
// redoes them, saves its session as a script and replays it in a second host.
#include "support/Golden_Image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Two slices of 64 x 64 shown one at a time, 4 window pixels to a frame pixel across; window
// pixel (92, 128) lies on the bone sphere of the first slice, at its pixel (23, 27).
constexpr const char* Prologue = R"(phantom: ct 2 64 CT
read: ct
db: generate 2
select: all
module: load brush
module: load threshold
window: mode one
window: size 256 256
window: zoom 4
window: scheme 1
)";
// The bone of the phantom, in Hounsfield units, tagged 1.
constexpr const char* Bone = "threshold: 500 1500 1\n";

/// What a host run printed and how it ended.
struct Host_Run {
  std::string output;
  int status = -1;
};

class Segmentation_Road : public ::testing::Test {
protected:
  void SetUp() override {
#ifndef QUARN_HOST_PROGRAM
    GTEST_SKIP() << "the reference host is not built";
#endif
    folder_ = fs::temp_directory_path() / ("quarn_road_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  /// Runs the script text in the test's folder with a fresh host; standard error joins the output.
  Host_Run Host(const std::string& script, const std::string& name = "script.qs") {
    Host_Run run;
#ifdef QUARN_HOST_PROGRAM
    std::ofstream(folder_ / name) << script;
    const std::string command =
        "cd '" + folder_.string() + "' && '" QUARN_HOST_PROGRAM "' run '" + name + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return run;
  }

  fs::path folder_;
};

/// Every number the pattern's first group caught, in order.
std::vector<long> All(const std::string& text, const std::string& pattern, int base = 10) {
  std::vector<long> values;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    values.push_back(std::stol((*it)[1].str(), nullptr, base));
  return values;
}

std::vector<long> Counts(const std::string& text) { return All(text, R"(tag: (\d+) pixel\(s\) of tag)"); }
std::vector<long> Sums(const std::string& text) { return All(text, R"(tag: checksum ([0-9a-f]+))", 16); }
std::vector<long> Strokes(const std::string& text) { return All(text, R"(brush: (\d+) pixel\(s\) (?:painted|erased))"); }

// Pointer actions of a stroke from (x0, y0) to (x1, y1) in n drags.
std::string Stroke(int x0, int y0, int x1, int y1, int n = 1) {
  std::string s = "pointer: press " + std::to_string(x0) + " " + std::to_string(y0) + "\n";
  for (int i = 1; i < n; ++i)
    s += "pointer: drag " + std::to_string(x0 + (x1 - x0) * i / n) + " " + std::to_string(y0 + (y1 - y0) * i / n) + "\n";
  return s + "pointer: release " + std::to_string(x1) + " " + std::to_string(y1) + "\n";
}

TEST_F(Segmentation_Road, TagCountsFollowEveryStepAndUndoRedoRestoreExactChecksums) {
  const Host_Run run = Host(std::string(Prologue) + Bone + "tag: count 1\ntag: sum\n" +
                       "brush: tag 2\nbrush: radius 3\n" + Stroke(40, 60, 200, 60, 4) +
                       "tag: count 2\ntag: sum\n"
                       "undo:\ntag: count 2\ntag: sum\n"
                       "redo:\ntag: count 2\ntag: sum\n"
                       "brush: erase on\n" + Stroke(40, 60, 120, 60) + "tag: count 2\ntag: sum\n"
                       "undo:\ntag: sum\nundo:\ntag: sum\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::vector<long> counts = Counts(run.output), sums = Sums(run.output), strokes = Strokes(run.output);
  ASSERT_EQ(counts.size(), 5u) << run.output;
  ASSERT_EQ(sums.size(), 7u) << run.output;
  ASSERT_EQ(strokes.size(), 2u) << run.output;
  EXPECT_GT(counts[0], 0);                   // the bone of both slices
  EXPECT_GT(strokes[0], 0);
  EXPECT_EQ(counts[1], strokes[0]);          // the stroke is all of tag 2
  EXPECT_EQ(counts[2], 0);                   // undone
  EXPECT_EQ(sums[2], sums[0]);               // ... to the very tags before it
  EXPECT_EQ(counts[3], strokes[0]);          // redone
  EXPECT_EQ(sums[3], sums[1]);
  EXPECT_EQ(counts[4], counts[3] - strokes[1]);  // the eraser took its pixels back to 0
  EXPECT_LT(counts[4], counts[3]);
  EXPECT_EQ(sums[5], sums[3]);               // undoing the erase gives the stroke back
  EXPECT_EQ(sums[6], sums[0]);               // and undoing the stroke the bone alone
}

// A locked tag is neither painted over nor erased, and a locked brush tag paints nothing.
TEST_F(Segmentation_Road, LockedTagsAreNeverOverwritten) {
  struct Row {
    const char* what;      // the brush setting of the row
    const char* lock;      // the tag locked
    bool paints_anything;  // whether the stroke changes any pixel at all
  };
  const Row rows[] = {
      {"brush: tag 2\n", "1", true},        // painting across the locked bone goes round it
      {"brush: erase on\n", "1", false},    // erasing across it leaves it (only bone is tagged)
      {"brush: tag 1\n", "1", false},       // painting the locked tag itself writes nothing
  };
  for (const Row& row : rows) {
    const Host_Run run = Host(std::string(Prologue) + Bone + "tag: count 1\n" + "tag: lock " + row.lock + " on\n" +
                         "brush: radius 6\n" + row.what + Stroke(20, 128, 240, 128, 3) + "tag: count 1\n");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<long> counts = Counts(run.output), strokes = Strokes(run.output);
    ASSERT_EQ(counts.size(), 2u) << row.what << run.output;
    ASSERT_EQ(strokes.size(), 1u) << row.what << run.output;
    EXPECT_EQ(counts[1], counts[0]) << row.what;
    EXPECT_EQ(strokes[0] > 0, row.paints_anything) << row.what;
  }
}

// One press and release paints a disc: the pixels whose centres lie within the radius, about
// pi r^2 of them (the boundary pixels make up the difference, at most about the circumference).
TEST_F(Segmentation_Road, APressPaintsADiscOfTheRadius) {
  struct Row {
    int tag;       // each disc has a tag of its own, to be counted apart
    double radius;
    int x, y;      // window pixel of the press, discs far enough apart not to overlap
  };
  const Row rows[] = {
      {10, 0.5, 30, 30},    // the smallest brush: the pixel under the pointer alone, or a few
      {11, 1, 60, 30},      // a plus sign's worth
      {12, 4, 120, 40},     // a small disc
      {13, 12.5, 120, 160}, // a large one, wholly inside the frame
  };
  std::string script = Prologue;
  for (const Row& row : rows)
    script += "brush: tag " + std::to_string(row.tag) + "\nbrush: radius " + std::to_string(row.radius) + "\n" +
              Stroke(row.x, row.y, row.x, row.y) + "tag: count " + std::to_string(row.tag) + "\n";
  const Host_Run run = Host(script);
  ASSERT_EQ(run.status, 0) << run.output;
  const std::vector<long> counts = Counts(run.output);
  ASSERT_EQ(counts.size(), std::size(rows)) << run.output;
  for (size_t i = 0; i < counts.size(); ++i) {
    const double r = rows[i].radius, area = 3.14159265 * r * r;
    EXPECT_GE(counts[i], 1) << r;
    EXPECT_NEAR(double(counts[i]), area, 2 * 3.14159265 * r + 1) << r;
  }
}

// A fast diagonal drag reported as one segment paints the same pixels as the same line drawn
// in many small steps: the samples are joined, and nothing of the path is left out.
TEST_F(Segmentation_Road, FastDiagonalDragLeavesNoGaps) {
  const Host_Run one = Host(std::string(Prologue) + "brush: tag 3\nbrush: radius 2\n" + Stroke(20, 20, 220, 220, 1) +
                       "tag: count 3\ntag: sum\n");
  const Host_Run many = Host(std::string(Prologue) + "brush: tag 3\nbrush: radius 2\n" + Stroke(20, 20, 220, 220, 40) +
                        "tag: count 3\ntag: sum\n");
  ASSERT_EQ(one.status, 0) << one.output;
  ASSERT_EQ(many.status, 0) << many.output;
  ASSERT_EQ(Counts(one.output).size(), 1u);
  EXPECT_EQ(Sums(one.output), Sums(many.output));
  // The line runs about 50 frame pixels down and 44 across: a band 4 wide covers far more than
  // the two end discs (13 pixels each).
  EXPECT_GT(Counts(one.output)[0], 4 * 60);
}

// The saved session, run by a second host over the same series, gives the same tags bit for bit;
// listings are not part of it, nor is the statement that saved it.
TEST_F(Segmentation_Road, SavedSessionReplaysToTheSameTags) {
  const Host_Run first = Host(std::string(Prologue) + Bone + "brush: tag 2\nbrush: radius 4\n" + Stroke(30, 200, 230, 90, 5) +
                         "tag: count 2\nundo:\nbrush: radius 2\n" + Stroke(60, 40, 200, 180, 2) +
                         "tag: lock 1 on\nbrush: erase on\n" + Stroke(20, 128, 240, 128, 2) +
                         "tag: lock 1 off\n$size = 2 * 3\nbrush: radius $size\nbrush: erase off\nbrush: tag 7\n" +
                         Stroke(128, 20, 128, 240, 2) + "echo: done\nscript: save \"session.qs\"\ntag: sum\n");
  ASSERT_EQ(first.status, 0) << first.output;
  const Host_Run second = Host("script: run \"session.qs\"\ntag: sum\n", "replay.qs");
  ASSERT_EQ(second.status, 0) << second.output;
  ASSERT_EQ(Sums(first.output).size(), 1u);
  EXPECT_EQ(Sums(second.output), Sums(first.output));
  std::ifstream saved(folder_ / "session.qs");
  const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("brush: radius 6\n"), std::string::npos) << text;  // the variable expanded
  for (const char* left_out : {"echo:", "tag: count", "script:", "$size"})
    EXPECT_EQ(text.find(left_out), std::string::npos) << left_out << "\n" << text;
}

// What the session's script holds for what was typed: each performed statement once, as text
// that performs it again (loops unrolled, macros expanded, variables replaced, words that hold
// operators quoted), and nothing of what only printed or was refused.
TEST_F(Segmentation_Road, SessionScriptHoldsEachPerformedStatementAsText) {
  struct Row {
    const char* typed;  // the statements as the user typed them
    const char* saved;  // the lines the saved script holds for them, in order ("" for none)
  };
  const Row rows[] = {
      {"window: pan -4 4", "window: pan -4 4\n"},                          // a sign stays bare
      {"$d = 7\nwindow: pan $d 1", "window: pan 7 1\n"},                    // a variable replaced
      {"for $i in ( 5 6 )\ntag: lock $i on", "tag: lock 5 on\ntag: lock 6 on\n"},  // a loop unrolled
      {"@off = tag: lock 5 off\n@off", "tag: lock 5 off\n"},               // a macro expanded
      {"$p = \"sub\"\"/xy.png\"\nwindow: size 90 80\nrender: $p",  // a path, quoted
       "window: size 90 80\nrender: \"sub/xy.png\"\n"},
      {"render: \"a-b.png\"", "render: \"a-b.png\"\n"},                  // a minus inside a word
      {"echo: only printed\ntag: count 5\nundo: list\nvar: list", ""},   // listings
      {"tag: lock 900 on\nnope: x\nwindow: zoom 0", ""},                   // refused statements
  };
  fs::create_directories(folder_ / "sub");
  std::string script = std::string(Prologue) + "script: save \"before.qs\"\n";
  for (const Row& row : rows) script += std::string(row.typed) + "\n";
  script += "script: save \"after.qs\"\n";
  const Host_Run run = Host(script);
  auto read = [&](const char* name) {
    std::ifstream in(folder_ / name);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::string before = read("before.qs"), after = read("after.qs");
  ASSERT_EQ(after.compare(0, before.size(), before), 0) << after;
  std::string added = after.substr(before.size());
  for (const Row& row : rows) {
    const size_t at = added.find(row.saved);
    ASSERT_EQ(at, 0u) << row.typed << "\n--- saved:\n" << added;
    added.erase(0, std::string(row.saved).size());
  }
  EXPECT_EQ(added, "");
  // The saved script runs again without a failing statement.
  const Host_Run replay = Host(std::string("script: run \"after.qs\"\n"), "replay.qs");
  EXPECT_EQ(replay.status, 0) << replay.output;
}

// Bad input: a clear message, and the tags and the undo ring stay as they were.
TEST_F(Segmentation_Road, BadInputChangesNothing) {
  struct Row {
    const char* statement;  // what the user typed
    const char* message;    // what the host must answer
  };
  const Row rows[] = {
      // presses beyond the frame, inside the window and beyond it
      {"pointer: press 250 250", "brush: the pointer is over no frame; nothing painted"},
      {"pointer: press -40 9000", "brush: the pointer is over no frame; nothing painted"},
      // brush settings out of range or unknown
      {"brush: radius 0", "the radius is a number of frame pixels from 0.5 to 256, not \"0\""},
      {"brush: radius 0.4", "from 0.5 to 256, not \"0.4\""},
      {"brush: radius 1e9", "from 0.5 to 256, not \"1e9\""},
      {"brush: radius -3", "from 0.5 to 256, not \"-3\""},
      {"brush: tag 0", "the tag is a whole number from 1 to 255, not \"0\""},
      {"brush: tag 256", "from 1 to 255, not \"256\""},
      {"brush: tag 2.5", "from 1 to 255, not \"2.5\""},
      {"brush: erase maybe", "erase is on or off"},
      {"brush: size 3", "unknown setting \"size\""},
      // pointer actions and positions the host does not know
      {"pointer: fly 10 10", "pointer: unknown action \"fly\""},
      {"pointer: press ten 10", "X and Y are whole window pixels"},
      {"pointer: press 10 40000", "X and Y are whole window pixels"},
      // a threshold upside down
      {"threshold: 1500 500", "threshold: the low value lies above the high one; nothing tagged"},
      // a label volume of another size than the series
      {"label: load \"" QUARN_TEST_SOURCE_DIR "/host/label_4x4x1.nrrd\"", "the file holds 4x4x1 labels, the series 64x64x2; nothing loaded"},
  };
  // At zoom 2 the frame covers the window's lower left quarter only.
  std::string script = std::string(Prologue) + Bone + "brush: tag 2\n" + Stroke(40, 60, 200, 60) +
                       "window: zoom 2\ntag: sum\nundo: list\n";
  for (const Row& row : rows) script += std::string(row.statement) + "\ntag: sum\nundo: list\n";
  const Host_Run run = Host(script);
  EXPECT_NE(run.status, 0);  // the refused statements fail the script
  const std::vector<long> sums = Sums(run.output);
  ASSERT_EQ(sums.size(), std::size(rows) + 1) << run.output;
  for (size_t i = 1; i < sums.size(); ++i) EXPECT_EQ(sums[i], sums[0]) << rows[i - 1].statement;
  const std::vector<long> ring = All(run.output, R"(undo: (\d+) to undo)");
  ASSERT_EQ(ring.size(), std::size(rows) + 1);
  for (size_t i = 1; i < ring.size(); ++i) EXPECT_EQ(ring[i], 2) << rows[i - 1].statement;  // threshold, stroke
  for (const Row& row : rows) EXPECT_NE(run.output.find(row.message), std::string::npos) << row.statement;
}

// A stroke that runs off the frame and back is clipped to it and painted where it lies on it.
TEST_F(Segmentation_Road, StrokeLeavingTheFrameIsClipped) {
  const Host_Run run = Host(std::string(Prologue) + "brush: tag 4\nbrush: radius 5\n"
                       "pointer: press 128 128\npointer: drag 20000 128\npointer: drag 128 -20000\n"
                       "pointer: release 128 128\ntag: count 4\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::vector<long> counts = Counts(run.output), strokes = Strokes(run.output);
  ASSERT_EQ(counts.size(), 1u);
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(counts[0], strokes[0]);
  // From the centre to the right edge (32 pixels) and to the top edge (about 28), 11 wide.
  EXPECT_GT(counts[0], 11 * 50);
  EXPECT_LT(counts[0], 64 * 64);
}

// The final frame of a session: bone in the tag colour, a stroke that went round it, drawn.
TEST_F(Segmentation_Road, FinalFrameMatchesItsBaseline) {
  const Host_Run run = Host(std::string(Prologue) + Bone + "tag: lock 1 on\nbrush: tag 2\nbrush: radius 4\n" +
                       Stroke(20, 128, 240, 128, 3) + "brush: tag 3\nbrush: radius 2\n" + Stroke(40, 30, 220, 220, 2) +
                       "render: \"frame.png\"\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const test_support::Image image = test_support::Read_Png((folder_ / "frame.png").string());
  ASSERT_EQ(image.width, 256);
  EXPECT_TRUE(test_support::Golden_Match(image, "host/golden/road_frame.png", {2, 0.002}));
}

}  // namespace

namespace {

// Regression: a one-frame window drawn before any tree list showed only its background, for the
// frame's visible bit came from the tree's display modes instead of the window's current frame.
TEST_F(Segmentation_Road, OneFrameWindowDrawsItsFrameWithoutATreeListFirst) {
  const Host_Run run = Host(std::string(Prologue) + "render: \"first.png\"\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const test_support::Image image = test_support::Read_Png((folder_ / "first.png").string());
  ASSERT_EQ(image.width, 256);
  const int background = image.Count(0x282C34);  // the window's own colour
  EXPECT_LT(background, image.width * image.height / 4);
}

}  // namespace
