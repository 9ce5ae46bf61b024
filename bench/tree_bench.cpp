// Flag propagation and the frame iterator over a 2D tree of 10 000 frames under 100 groups, for
// ten windows, against plain recursive pointer walks over a tree of the same shape measured in
// the same run.
#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr int Groups = 100;
constexpr int Per_Group = 100;
constexpr int Windows = 10;
constexpr int Frames = Groups * Per_Group;
constexpr int Nodes = 1 + Groups + Frames;
constexpr uint16_t Group_Class = 0x2010;
constexpr uint16_t Frame_Class = 0x2FFF;

// The host side: ten windows, all listed.
struct Host {
  std::unique_ptr<Quarn_Window> window[Windows];
  Quarn_Window* list[Windows];
  Quarn_Window** list_pt = list;
  int count = Windows;
  Host() {
    for (int i = 0; i < Windows; ++i) {
      window[i] = std::make_unique<Quarn_Window>(i);
      window[i]->Class_B_Set(uint16_t(i));
      list[i] = window[i].get();
    }
  }
};

Host& The_Host() {
  static Host host;
  return host;
}

void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (count) *count = 1;
  if (flags) *flags = 0;
  if (update) *update = nullptr;
  if (!std::wcscmp(name, L"$WINDOW_NB")) return &The_Host().count;
  if (!std::wcscmp(name, L"$WINDOW_PT")) return &The_Host().list_pt;
  return nullptr;
}

using quarn_bench::Group_Node;
using quarn_bench::Thread_Seconds;

std::unique_ptr<Quarn_2D_Root> Build_Tree() {
  Fct_Main_Var_Get = &Lookup;
  The_Host();
  auto root = std::make_unique<Quarn_2D_Root>();
  for (int g = 0; g < Groups; ++g) {
    auto* group = new Group_Node;
    group->Class_A_Set(Group_Class);
    root->Child_Add(group);
    for (int f = 0; f < Per_Group; ++f) {
      auto* frame = new Group_Node;
      frame->Class_A_Set(Frame_Class);
      group->Child_Add(frame);
    }
  }
  return root;
}

// The baseline: the same shape as plain structures, the same ten words per node.
struct Plain_Node {
  std::vector<Plain_Node*> children;
  uint64_t flag[Windows] = {};
  ~Plain_Node() {
    for (Plain_Node* c : children) delete c;
  }
};

std::unique_ptr<Plain_Node> Build_Plain() {
  auto root = std::make_unique<Plain_Node>();
  for (int g = 0; g < Groups; ++g) {
    auto* group = new Plain_Node;
    root->children.push_back(group);
    for (int f = 0; f < Per_Group; ++f) group->children.push_back(new Plain_Node);
  }
  return root;
}

void Plain_Set_On(Plain_Node* node, uint64_t mask) {
  for (int w = 0; w < Windows; ++w) node->flag[w] |= mask;
  for (Plain_Node* c : node->children) Plain_Set_On(c, mask);
}

void BM_Flag_Set_On_Subtree_All_Windows(benchmark::State& state) {
  auto root = Build_Tree();
  for (auto _ : state) {
    root->Flag_Set_On(0x30, nullptr, 0x8000);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Nodes);
}
BENCHMARK(BM_Flag_Set_On_Subtree_All_Windows)->Unit(benchmark::kMicrosecond);

void BM_Plain_Pointer_Walk(benchmark::State& state) {
  auto root = Build_Plain();
  for (auto _ : state) {
    Plain_Set_On(root.get(), 0x8000);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Nodes);
}
BENCHMARK(BM_Plain_Pointer_Walk)->Unit(benchmark::kMicrosecond);

// Both walks in turns within one benchmark, so that the ratio compares like with like.
void BM_Flag_Set_On_Cost_Ratio(benchmark::State& state) {
  auto root = Build_Tree();
  auto plain = Build_Plain();
  using Clock = std::chrono::steady_clock;
  Clock::duration tree_time{}, plain_time{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    root->Flag_Set_On(0x30, nullptr, 0x8000);
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    Plain_Set_On(plain.get(), 0x8000);
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    tree_time += t1 - t0;
    plain_time += t2 - t1;
  }
  const double tree_s = std::chrono::duration<double>(tree_time).count();
  const double plain_s = std::chrono::duration<double>(plain_time).count();
  const double nodes = double(state.iterations()) * Nodes;
  state.counters["tree_nodes_per_s"] = nodes / tree_s;
  state.counters["plain_nodes_per_s"] = nodes / plain_s;
  state.counters["cost_ratio"] = tree_s / plain_s;
}
BENCHMARK(BM_Flag_Set_On_Cost_Ratio)->Unit(benchmark::kMicrosecond);

// The plain counterpart of a frame iterator: every leaf, in order, by recursion.
void Plain_Collect(Plain_Node* node, std::vector<Plain_Node*>& out) {
  if (node->children.empty()) out.push_back(node);
  for (Plain_Node* c : node->children) Plain_Collect(c, out);
}

// Every frame of the tree, one call per frame, as drawing and templates ask for them.
int Iterate_Frames(Quarn_2D_Root* root) {
  const uint16_t id = Iterator_Init("bench frames", root);
  int n = 0;
  while (Quarn_2D* frame = Iterator_Class_2D(id, Frame_Class, nullptr, 0)) {
    benchmark::DoNotOptimize(frame);
    ++n;
  }
  Iterator_End(id);
  return n;
}

void BM_Iterator_Class_2D_Frames(benchmark::State& state) {
  auto root = Build_Tree();
  for (auto _ : state)
    if (Iterate_Frames(root.get()) != Frames) state.SkipWithError("frame count");
  state.SetItemsProcessed(state.iterations() * Frames);
}
BENCHMARK(BM_Iterator_Class_2D_Frames)->Unit(benchmark::kMicrosecond);

// CPU time of this thread: the machine is shared, and wall time would count other programs.
// The iterator, the flag walk's plain baseline and a plain leaf collection in turns: the per-node
// cost ratios compare like with like (every walk visits all nodes of the same shape).
void BM_Iterator_Cost_Ratio(benchmark::State& state) {
  auto root = Build_Tree();
  auto plain = Build_Plain();
  std::vector<Plain_Node*> leaves;
  leaves.reserve(Frames);
  double iterator_s = 0, plain_s = 0, collect_s = 0;
  for (auto _ : state) {
    const double t0 = Thread_Seconds();
    const int n = Iterate_Frames(root.get());
    const double t1 = Thread_Seconds();
    Plain_Set_On(plain.get(), 0x8000);
    benchmark::ClobberMemory();
    const double t2 = Thread_Seconds();
    leaves.clear();
    Plain_Collect(plain.get(), leaves);
    benchmark::DoNotOptimize(leaves.data());
    const double t3 = Thread_Seconds();
    if (n != Frames || leaves.size() != size_t(Frames)) state.SkipWithError("frame count");
    iterator_s += t1 - t0;
    plain_s += t2 - t1;
    collect_s += t3 - t2;
  }
  const double walks = double(state.iterations());
  state.counters["frames_per_s"] = walks * Frames / iterator_s;
  state.counters["plain_nodes_per_s"] = walks * Nodes / plain_s;
  state.counters["cost_ratio"] = iterator_s / plain_s;
  state.counters["collect_ratio"] = iterator_s / collect_s;
}
BENCHMARK(BM_Iterator_Cost_Ratio)->Unit(benchmark::kMicrosecond);

}  // namespace
