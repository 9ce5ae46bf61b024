// Model-based check of undo: thousands of random steps over a few frames (tag discs painted,
// grey rectangles changed, a dispatched threshold over every frame, undo, redo, new commands
// after undos), each followed by the host's update pass and compared with a plain model of what
// every pixel must hold, through the record and through the frames' working layers. Runs with
// 1, 2 and 4 worker threads.
#include "undo/Undo_Host.h"

#include <random>
#include <string>

namespace {

using namespace undo_test;

constexpr int Frames = 4, Width = 24, Height = 20;
constexpr int Capacity = 6;
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int Steps = 600;
#else
constexpr int Steps = 2500;
#endif

/// What every pixel must hold, and the commands the ring must hold.
struct Model {
  struct Change {
    bool tag;
    size_t at;
    int old_value, new_value;
  };
  using Command = std::vector<Change>;

  std::vector<int> tags = std::vector<int>(size_t(Frames) * Width * Height, 0);
  std::vector<int> grey = std::vector<int>(size_t(Frames) * Width * Height, 0);
  std::vector<Command> held;
  size_t undoable = 0;

  static size_t At(int f, int x, int y) { return (size_t(f) * Height + size_t(y)) * Width + size_t(x); }
  void Apply(const Command& c, bool undo) {
    for (const Change& ch : c) (ch.tag ? tags : grey)[ch.at] = undo ? ch.old_value : ch.new_value;
  }
  void Save(Command c) {
    held.resize(undoable);
    if (held.size() == size_t(Capacity)) held.erase(held.begin());
    Apply(c, false);
    held.push_back(std::move(c));
    undoable = held.size();
  }
  /// Kind code the library's undo must return: 0 nothing, 1 tags, 2 grey values.
  static int Kind(const Command& c) { return c.front().tag ? UNDO_KIND_TAG : UNDO_KIND_GLI; }
  int Undo() {
    if (!undoable) return 0;
    Apply(held[--undoable], true);
    return Kind(held[undoable]);
  }
  int Redo() {
    if (undoable == held.size()) return 0;
    Apply(held[undoable], false);
    return Kind(held[undoable++]);
  }
};

/// The threshold each frame's worker applies: pixels brighter than it get the tag.
struct Threshold {
  int level;
  uint8_t tag;
};

Vec4 Point(Quarn_2D_Frame* f, int x, int y) { return Vec4(float(x), float(y), float(f->z_index), 0.0f); }

unsigned Threshold_Worker(Fct_Dispatch_Block* b) {
  const auto* t = static_cast<const Threshold*>(b->argument);
  Quarn_2D_Frame* f = b->frame;
  int32_t** grey = f->Work_GLI_Get();
  for (int y = 0; grey && y < f->height; ++y)
    for (int x = 0; x < f->width; ++x)
      if (grey[y][x] > t->level && f->fct_write_tag(f, f->image, Point(f, x, y), t->tag) < 0) break;
  Fct_Dispatch_End();
  return 0;
}

class Undo_Model : public Undo_Host, public ::testing::WithParamInterface<int> {
protected:
  void SetUp() override {
    Undo_Host::SetUp();
    *Var<uint16_t>(L"$UNDO_NB") = Capacity;
    Undo_Resize();
    *Var<uint16_t>(L"$COMPUTER_THREAD_NB") = uint16_t(GetParam());
    set_ = std::make_unique<Frame_Set>(Width, Height, Frames);
    for (int f = 0; f < Frames; ++f)
      for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) model_.grey[Model::At(f, x, y)] = set_->Grey(f, x, y);
  }
  void TearDown() override {
    set_.reset();
    Undo_Host::TearDown();
  }

  void Paint_Disc() {
    const int f = Pick(Frames), cx = Pick(Width), cy = Pick(Height), r = 1 + Pick(6);
    const auto tag = uint8_t(Pick(6));
    Quarn_2D_Frame* frame = set_->frames[size_t(f)];
    Model::Command c;
    ASSERT_EQ(Undo_Pixel_Start_TAG(), 1);
    for (int y = cy - r; y <= cy + r; ++y)
      for (int x = cx - r; x <= cx + r; ++x) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r) continue;
        const bool inside = x >= 0 && y >= 0 && x < Width && y < Height;
        const int old = inside ? model_.tags[Model::At(f, x, y)] : tag;
        const int wrote = frame->fct_write_tag(frame, frame->image, Point(frame, x, y), tag);
        ASSERT_EQ(wrote, old != tag ? 1 : 0) << "disc pixel " << x << "," << y;
        if (old != tag) c.push_back({true, Model::At(f, x, y), old, tag});
      }
    Save(Undo_Pixel_Stop_TAG(), &Undo_Pixel_UndoRedo_TAG, &Undo_Pixel_Size_TAG, std::move(c), "disc");
  }

  void Change_Rectangle() {
    const int f = Pick(Frames), x0 = Pick(Width), y0 = Pick(Height);
    const int x1 = std::min(Width, x0 + 1 + Pick(10)), y1 = std::min(Height, y0 + 1 + Pick(10));
    const int delta = Pick(61) - 30;
    Model::Command c;
    ASSERT_EQ(Undo_Pixel_Start_GLI(), 1);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        int16_t& value = set_->Grey(f, x, y);
        const int16_t old = value, now = int16_t(old + delta);
        ASSERT_EQ(Undo_Pixel_Record_GLI(2, &value, &old, &now), 1);
        value = now;
        if (delta) c.push_back({false, Model::At(f, x, y), old, now});
      }
    // What a filter does after changing a record's grey values.
    Fct_Update(UPDATE_DATA_GLI | UPDATE_DISPLAY_GLI, UPDATE_NO_WINDOW, set_->frames[size_t(f)]);
    Save(Undo_Pixel_Stop_GLI(), &Undo_Pixel_UndoRedo_GLI, &Undo_Pixel_Size_GLI, std::move(c), "grey");
  }

  void Dispatch_Threshold() {
    Threshold t{Pick(997), uint8_t(1 + Pick(5))};
    Model::Command c;
    for (int f = 0; f < Frames; ++f)
      for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
          const size_t at = Model::At(f, x, y);
          if (model_.grey[at] > t.level && model_.tags[at] != t.tag) c.push_back({true, at, model_.tags[at], t.tag});
        }
    Fct_Dispatch_Request r;
    r.name = "threshold";
    r.detail = "every frame";
    r.count = Frames;
    r.frames = static_cast<Quarn_2D_Frame**>(std::malloc(Frames * sizeof(Quarn_2D_Frame*)));
    std::copy(set_->frames.begin(), set_->frames.end(), r.frames);
    r.worker = &Threshold_Worker;
    r.argument = &t;
    const int before = Undo_Undo_Enable() + Undo_Redo_Enable();
    ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u);
    if (c.empty()) {
      ASSERT_EQ(Undo_Undo_Enable() + Undo_Redo_Enable(), before) << "a command saved for no change";
      return;
    }
    model_.Save(std::move(c));
  }

  // Saves the recorder's block as the model saves the command: both only when something changed.
  void Save(void* block, Undo_Fct_Undo_Redo undo_redo, Undo_Fct_Size size, Model::Command c, const char* name) {
    ASSERT_EQ(block != nullptr, !c.empty()) << name;
    if (!block) return;
    ASSERT_EQ(Undo_Save_Command(undo_redo, size, block, "%s", name), 1);
    model_.Save(std::move(c));
  }

  // Every pixel, in the record and through the frame's working layers, after the update pass.
  void Compare(int step) {
    set_->Update_Pass();
    for (int f = 0; f < Frames; ++f) {
      Quarn_2D_Frame* frame = set_->frames[size_t(f)];
      uint16_t** tags = frame->Work_TAG_Get();
      int32_t** grey = frame->Work_GLI_Get();
      ASSERT_TRUE(tags && grey);
      for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
          const size_t at = Model::At(f, x, y);
          ASSERT_EQ(set_->Tag(f, x, y), model_.tags[at]) << "step " << step << " frame " << f << " " << x << "," << y;
          ASSERT_EQ(tags[y][x] & 0xFF, model_.tags[at]) << "step " << step << " tag layer of frame " << f;
          ASSERT_EQ(set_->Grey(f, x, y), model_.grey[at]) << "step " << step << " frame " << f;
          ASSERT_EQ(grey[y][x], model_.grey[at]) << "step " << step << " grey layer of frame " << f;
        }
    }
    ASSERT_EQ(Undo_Undo_Enable(), int(model_.undoable)) << "step " << step;
    ASSERT_EQ(Undo_Redo_Enable(), int(model_.held.size() - model_.undoable)) << "step " << step;
  }

  int Pick(int n) { return int(random_() % uint32_t(n)); }

  std::mt19937 random_{uint32_t(1000 + GetParam())};
  std::unique_ptr<Frame_Set> set_;
  Model model_;
};

TEST_P(Undo_Model, EveryPixelFollowsThePlainModel) {
  for (int step = 0; step < Steps; ++step) {
    const int what = Pick(20);
    if (what < 6) Paint_Disc();
    else if (what < 9) Change_Rectangle();
    else if (what < 11) Dispatch_Threshold();
    else if (what < 16) ASSERT_EQ(Undo_Undo_Command(), model_.Undo()) << "undo at step " << step;
    else ASSERT_EQ(Undo_Redo_Command(), model_.Redo()) << "redo at step " << step;
    if (HasFatalFailure()) return;
    Compare(step);
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Workers, Undo_Model, ::testing::Values(1, 2, 4),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "_workers"; });

}  // namespace
