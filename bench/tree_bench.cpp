// Flag propagation over a 2D tree of 10 000 frames under 100 groups, for ten windows, against a
// plain recursive pointer walk over a tree of the same shape measured in the same run.
#include <quarn/quarn.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr int Groups = 100;
constexpr int Per_Group = 100;
constexpr int Windows = 10;
constexpr int Nodes = 1 + Groups + Groups * Per_Group;

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

struct Group_Node : Quarn_2D {};

std::unique_ptr<Quarn_2D_Root> Build_Tree() {
  Fct_Main_Var_Get = &Lookup;
  The_Host();
  auto root = std::make_unique<Quarn_2D_Root>();
  for (int g = 0; g < Groups; ++g) {
    auto* group = new Group_Node;
    root->Child_Add(group);
    for (int f = 0; f < Per_Group; ++f) group->Child_Add(new Group_Node);
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

}  // namespace
