// A host for the iterator and template tests: the tree tests' windows, the host kit's default
// variables for everything else, and small trees built from a one-line description.
#pragma once

#include "classes/Tree_Host.h"

#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace iterator_test {

using tree_test::Group;

/// The tree tests' windows first, so that both suites see the same window list in one process.
inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (void* own = tree_test::Lookup(name, count, flags, update)) return own;
  return Host_Var_Get(name, count, flags, update);
}

using test_support::Var;

/// Windows 0, 1, 2 listed, window 1 current, and the host kit's defaults with no tree roots.
class Iterator_Test : public tree_test::Tree_Test {
protected:
  void SetUp() override {
    Tree_Test::SetUp();
    Host_Var_Default_Install();
    Fct_Main_Var_Get = &Lookup;
  }
  void TearDown() override {
    // The test's trees are gone: later tests of the process must not find them as roots.
    for (const wchar_t* root : {L"$DB_1D_ROOT_PT", L"$DB_2D_ROOT_PT", L"$DB_3D_ROOT_PT"})
      *Var<void*>(root) = nullptr;
    Tree_Test::TearDown();
  }
};

/// The names of objects joined by blanks.
template <class List>
std::string Names(const List& objects) {
  std::string out;
  for (const auto* object : objects) {
    if (!out.empty()) out += ' ';
    out += Host_Wide_To_Char(object->Name_Get());
  }
  return out;
}

/// A tree described as "R:2001 ( G1:2010 ( f1:2FFF f2:2FFF:2 ) f3:2FFF )": each node is
/// name:classA[:classB], a parenthesised list gives its children. Nodes are found by name.
template <class Base>
struct Tree {
  Base* root = nullptr;
  std::map<std::string, Base*> node;

  explicit Tree(const std::string& text) {
    std::istringstream in(text);
    std::vector<Base*> parents;
    Base* last = nullptr;
    std::string word;
    while (in >> word) {
      if (word == "(") {
        parents.push_back(last);
      } else if (word == ")") {
        parents.pop_back();
      } else {
        last = Make(word);
        if (parents.empty()) root = last;
        else parents.back()->Child_Add(last);
      }
    }
  }
  ~Tree() { delete root; }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  Base* operator[](const std::string& name) { return node.at(name); }

private:
  Base* Make(const std::string& word) {
    std::istringstream parts(word);
    std::string name, a, b;
    std::getline(parts, name, ':');
    std::getline(parts, a, ':');
    std::getline(parts, b, ':');
    const auto class_a = uint16_t(std::stoul(a, nullptr, 16));
    Base* n = nullptr;
    // Frames and geometry are the real objects (without records), since the library takes them for
    // what they are.
    if constexpr (std::is_same_v<Base, Quarn_2D>)
      if (class_a == Quarn_2D_Frame::Class_A) n = new Quarn_2D_Frame(nullptr, nullptr, 0, 0);
    if constexpr (std::is_same_v<Base, Quarn_3D>)
      if (class_a == Quarn_3D_Geom::Class_A) n = new Quarn_3D_Geom(nullptr, nullptr, 0);
    if (!n) n = new Group<Base>(L"");
    n->Name_Set(L"%ls", Host_Char_To_Wide(name.c_str()));
    n->Class_A_Set(class_a);
    if (!b.empty()) n->Class_B_Set(uint16_t(std::stoul(b, nullptr, 16)));
    node[name] = n;
    return n;
  }
};

}  // namespace iterator_test
