// The undo command ring: capacity, eviction, the cursor between undo and redo, names and sizes,
// checked against a plain model over random sequences.
#include "undo/Undo_Host.h"

#include <hostkit/HostReport.h>

#include <deque>
#include <random>
#include <string>

namespace {

using namespace undo_test;

/// Data of a test command: its number; undo and redo calls are logged as +n and -n.
struct Command {
  int number;
};

std::vector<int>& Calls() {
  static std::vector<int> calls;
  return calls;
}

int Undo_Redo(uint8_t undo, void* data) {
  const int n = static_cast<Command*>(data)->number;
  Calls().push_back(undo ? -n : n);
  return 100 + n;
}

uint32_t Size_Of(void* data) { return uint32_t(static_cast<Command*>(data)->number); }

int Save(int n) {
  auto* c = static_cast<Command*>(std::malloc(sizeof(Command)));
  c->number = n;
  const int done = Undo_Save_Command(&Undo_Redo, &Size_Of, c, "command %d", n);
  if (!done) std::free(c);  // refused: the block is still ours
  return done;
}

void Capacity(int n) {
  *Var<uint16_t>(L"$UNDO_NB") = uint16_t(n);
  Undo_Resize();
}

/// Names of the held commands, oldest first.
std::vector<std::string> Held() {
  std::vector<std::string> names;
  for (int i = 0, n = Undo_Undo_Enable() + Undo_Redo_Enable(); i < n; ++i) names.push_back(Undo_String_Command(i));
  return names;
}

std::vector<std::string> Names(std::initializer_list<int> numbers) {
  std::vector<std::string> names;
  for (int n : numbers) names.push_back("command " + std::to_string(n));
  return names;
}

class Undo_Ring : public Undo_Host {
protected:
  void SetUp() override {
    Undo_Host::SetUp();
    Calls().clear();
  }
};

TEST_F(Undo_Ring, FortyCommandsAtMostWhateverTheVariableAsks) {
  *Var<uint16_t>(L"$UNDO_NB") = 60;
  EXPECT_EQ(Undo_Resize(), 1);
  EXPECT_EQ(*Var<uint16_t>(L"$UNDO_NB"), 40);  // clamped and written back
  EXPECT_EQ(Undo_Test(), UNDO_RING_MAX);
  for (int n = 1; n <= 45; ++n) ASSERT_EQ(Save(n), 1);
  EXPECT_EQ(Undo_Undo_Enable(), 40);
  EXPECT_STREQ(Undo_String_Command(0), "command 6");
  EXPECT_STREQ(Undo_String_Command(39), "command 45");
  for (int n = 45; n >= 6; --n) ASSERT_EQ(Undo_Undo_Command(), 100 + n);
  EXPECT_EQ(Undo_Undo_Command(), 0);  // at the oldest end: nothing changes
  EXPECT_EQ(Undo_Redo_Enable(), 40);
  for (int n = 6; n <= 45; ++n) ASSERT_EQ(Undo_Redo_Command(), 100 + n);
  EXPECT_EQ(Undo_Redo_Command(), 0);  // at the newest end
  EXPECT_EQ(Calls().size(), 80u);
}

TEST_F(Undo_Ring, ResizeEmptiesTheRing) {
  Capacity(5);
  Save(1);
  Save(2);
  Capacity(7);
  EXPECT_EQ(Undo_Undo_Enable(), 0);
  EXPECT_STREQ(Undo_String_Command(0), " ");
}

TEST_F(Undo_Ring, NothingToDoAndDisabledUndoChangeNothing) {
  Host_Report_Capture capture;
  // Empty ring.
  EXPECT_EQ(Undo_Undo_Command(), 0);
  EXPECT_TRUE(capture.Contains("<<< out Undo: Undo_Undo_Command(! Nb_Script_Undo)"));
  // Redo right after a save.
  Save(1);
  EXPECT_EQ(Undo_Redo_Command(), 0);
  EXPECT_TRUE(capture.Contains("<<< out Undo: Undo_Redo_Command(Nb_Undo_Data == Nb_Script_Undo)"));
  // Capacity 0: saves are refused and the caller keeps its block.
  Capacity(0);
  EXPECT_EQ(Save(2), 0);
  EXPECT_TRUE(capture.Contains("<<< out Undo: Undo_Save_Command(! *Undo_Nb)"));
  EXPECT_EQ(Undo_Undo_Enable(), 0);
  EXPECT_EQ(Undo_Redo_Enable(), 0);
  EXPECT_EQ(Undo_Undo_Command(), 0);
  EXPECT_STREQ(Undo_String_Command(0), " ");
  EXPECT_TRUE(Calls().empty());
}

TEST_F(Undo_Ring, ListingSizesAndTheModuleOfTheNextUndo) {
  Quarn_Module_Cur = 7;
  Save(10);
  Quarn_Module_Cur = 9;
  Save(20);
  Save(30);
  Undo_Undo_Command();
  EXPECT_EQ(Undo_Memory(), 60);
  EXPECT_EQ(Undo_Querry_Next_Undo(9, 0), 1);
  EXPECT_EQ(Undo_Querry_Next_Undo(7, 0), 0);
  Undo_Undo_Command();
  EXPECT_EQ(Undo_Querry_Next_Undo(7, 0), 1);
  Host_Report_Capture capture;
  Undo_Stool_Command(6);
  EXPECT_EQ(capture.Texts(6), (std::vector<std::string>{"Script: Nb_Undo_Data = 3", "Script[2] = command 30",
                                                        "Script[1] = command 20", "Script[0] = command 10"}));
  Undo_Reset();
  EXPECT_EQ(Undo_Memory(), 0);
  EXPECT_EQ(Undo_Querry_Next_Undo(7, 0), 0);
  Quarn_Module_Cur = 0;
}

TEST_F(Undo_Ring, EveryChangeOfTheUndoStateIsAnnounced) {
  Messages(UPDATE_MESSAGE);
  Save(1);
  Undo_Undo_Command();
  Undo_Redo_Command();
  EXPECT_EQ(Messages(UPDATE_MESSAGE), 3);
  EXPECT_EQ(*Var<uint64_t>(L"$FLAG_UPDATE") & UPDATE_UNDO_STATE, UPDATE_UNDO_STATE);
}

TEST_F(Undo_Ring, SerialNumbersGoOnAfterAReset) {
  Host_Report_Capture capture;
  Save(1);
  Undo_Reset();
  Save(2);
  std::vector<std::string> saved;
  for (const std::string& t : capture.Texts(quarn::msg::Undo))
    if (t.rfind("-> Undo: saved", 0) == 0) saved.push_back(t);
  ASSERT_EQ(saved.size(), 2u);
  const auto uid = [](const std::string& t) { return std::stoul(t.substr(t.find('[') + 1)); };
  EXPECT_EQ(uid(saved[1]), uid(saved[0]) + 1);
}

// Random saves, undos, redos and resets against a deque model with the same rules.
TEST_F(Undo_Ring, RandomSequencesFollowThePlainModel) {
  std::mt19937 random(13);
  for (int round = 0; round < 20; ++round) {
    const int capacity = 1 + int(random() % UNDO_RING_MAX);
    Capacity(capacity);
    Undo_Reset();  // the same capacity as the last round keeps the ring
    std::deque<int> held;
    size_t undoable = 0;
    for (int step = 0; step < 300; ++step) {
      Calls().clear();
      const int n = round * 1000 + step;
      switch (random() % 7) {
        case 0: case 1: case 2:
          ASSERT_EQ(Save(n), 1);
          held.resize(undoable);
          if (int(held.size()) == capacity) held.pop_front();
          held.push_back(n);
          undoable = held.size();
          break;
        case 3: case 4:
          if (undoable) {
            ASSERT_EQ(Undo_Undo_Command(), 100 + held[--undoable]);
            ASSERT_EQ(Calls(), std::vector<int>{-held[undoable]});
          } else {
            ASSERT_EQ(Undo_Undo_Command(), 0);
          }
          break;
        case 5:
          if (undoable < held.size()) {
            ASSERT_EQ(Undo_Redo_Command(), 100 + held[undoable]);
            ASSERT_EQ(Calls(), std::vector<int>{held[undoable++]});
          } else {
            ASSERT_EQ(Undo_Redo_Command(), 0);
          }
          break;
        default:
          if (random() % 10 == 0) {
            Undo_Reset();
            held.clear();
            undoable = 0;
          }
      }
      ASSERT_EQ(Undo_Undo_Enable(), int(undoable));
      ASSERT_EQ(Undo_Redo_Enable(), int(held.size() - undoable));
      std::vector<std::string> names;
      for (int h : held) names.push_back("command " + std::to_string(h));
      ASSERT_EQ(Held(), names) << "round " << round << " step " << step;
    }
  }
}

}  // namespace
