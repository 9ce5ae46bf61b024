// Definitions of Tree_Node, instantiated once per tree in that tree's source file.
#pragma once

#include <quarn/classes/Tree_Node.h>

#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include "classes/Bit_Word.h"
#include "classes/Stool_Indent.h"
#include "classes/Tree_Label.h"
#include "classes/Tree_Trace.h"
#include "classes/Window_Selector.h"
#include "core/Check.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quarn {

/// What the shared code needs to know of one tree: its class name for labels, its validity
/// family, and what deleting a leaf closes at its source. Specialised by each tree.
template <class Node>
struct Tree_Traits;

}  // namespace quarn

#define TREE_LABEL(op) ::quarn::Label<::quarn::Tree_Traits<Node>::Name, op>()
#define TREE_CHECK(object, label) \
  ::quarn::Check(::quarn::Object_Of(object), ::quarn::Tree_Traits<Node>::Check_Family(), (label), __FILE_NAME__, __LINE__)

template <class Node>
Tree_Node<Node>::~Tree_Node() {
  std::free(sort_key_);
  sort_key_ = nullptr;
}

template <class Node>
int Tree_Node<Node>::Child_Add(Node* child) {
  constexpr const char* label = TREE_LABEL("Child_Add");
  quarn::Trace_In(label, this);
  if (!TREE_CHECK(this, label) || !TREE_CHECK(child, label)) return 0;
  auto* grown = static_cast<Node**>(std::realloc(child_pt_, sizeof(Node*) * size_t(child_nb_ + 1)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", "m_child_pt", child_nb_ + 1, sizeof(Node*));
    quarn::Trace_Out(label, "memory");
    return 0;
  }
  child_pt_ = grown;
  child_pt_[child_nb_++] = child;
  child->parent_ = Self();
  quarn::Trace_Out(label);
  return 1;
}

template <class Node>
int Tree_Node<Node>::Child_Insert(int pos, Node* child) {
  constexpr const char* label = TREE_LABEL("Child_Insert");
  quarn::Trace_In(label, this);
  if (!TREE_CHECK(this, label) || !TREE_CHECK(child, label)) return 0;
  if (pos < 0 || pos > child_nb_) {
    QUARN_REPORT(quarn::msg::Invalid, "Invalid position %d (of %d) in %s", pos, child_nb_, label);
    return 0;
  }
  auto* grown = static_cast<Node**>(std::realloc(child_pt_, sizeof(Node*) * size_t(child_nb_ + 1)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", "this->m_child_pt", child_nb_ + 1, sizeof(Node*));
    quarn::Trace_Out(label, "memory");
    return 0;
  }
  child_pt_ = grown;
  std::memmove(child_pt_ + pos + 1, child_pt_ + pos, sizeof(Node*) * size_t(child_nb_ - pos));
  child_pt_[pos] = child;
  ++child_nb_;
  child->parent_ = Self();
  quarn::Trace_Out(label);
  return 1;
}

template <class Node>
Node* Tree_Node<Node>::Unlink(int pos) {
  Node* child = child_pt_[pos];
  std::memmove(child_pt_ + pos, child_pt_ + pos + 1, sizeof(Node*) * size_t(child_nb_ - pos - 1));
  --child_nb_;
  return child;
}

template <class Node>
Node* Tree_Node<Node>::Child_Remove(int pos) {
  constexpr const char* label = TREE_LABEL("Child_Remove");
  quarn::Trace_In(label, this);
  if (!TREE_CHECK(this, label)) return nullptr;
  if (pos < 0 || pos >= child_nb_) {
    QUARN_REPORT(quarn::msg::Invalid, "Invalid position %d (of %d) in %s", pos, child_nb_, label);
    return nullptr;
  }
  return Remove_At(pos, label);
}

template <class Node>
Node* Tree_Node<Node>::Child_Remove(Node* child) {
  constexpr const char* label = TREE_LABEL("Child_Remove");
  quarn::Trace_In(label, this);
  if (!TREE_CHECK(this, label)) return nullptr;
  const int pos = Child_Get_Id(child);
  if (pos < 0) {
    quarn::Trace_Out(label, "not a child");
    return nullptr;
  }
  return Remove_At(pos, label);
}

template <class Node>
Node* Tree_Node<Node>::Remove_At(int pos, const char* label) {
  Node* child = Unlink(pos);
  child->parent_ = nullptr;
  if (child_nb_ == 0 && parent_) {
    // An emptied group has nothing left to show: it leaves its parent (which may empty in turn)
    // and goes. Nothing of this node may be touched afterwards.
    quarn::Trace_Out(label, "empty node removed");
    parent_->Child_Remove(Self());
    delete Self();
    return child;
  }
  quarn::Trace_Out(label);
  return child;
}

template <class Node>
int Tree_Node<Node>::Child_Delete(Node* child) {
  constexpr const char* label = TREE_LABEL("Child_Delete");
  quarn::Trace_In(label, this);
  if (!TREE_CHECK(this, label)) return 0;
  const int pos = Child_Get_Id(child);
  if (pos < 0) {
    quarn::Trace_Out(label, "not a child");
    return 1;
  }
  quarn::Tree_Traits<Node>::Close_Leaf(child);
  delete Unlink(pos);
  quarn::Trace_Out(label);
  return 1;
}

template <class Node>
int Tree_Node<Node>::Child_Delete() {
  constexpr const char* label = TREE_LABEL("Child_Delete");
  quarn::Trace_In(label, this);
  if (!TREE_CHECK(this, label)) return 0;
  Children_Destroy();
  quarn::Trace_Out(label);
  return 1;
}

template <class Node>
void Tree_Node<Node>::Children_Destroy() {
  // The count drops before each destruction so that a walk started by a destructor never sees
  // a child that is already gone.
  while (child_nb_ > 0) delete child_pt_[--child_nb_];
  std::free(child_pt_);
  child_pt_ = nullptr;
}

template <class Node>
int Tree_Node<Node>::Child_Get_Nb() {
  if (!TREE_CHECK(this, TREE_LABEL("Child_Get_Nb"))) return 0;
  return child_nb_;
}

template <class Node>
Node* Tree_Node<Node>::Child_Get_Pt(int i) {
  if (!TREE_CHECK(this, TREE_LABEL("Child_Get_Pt"))) return nullptr;
  if (child_nb_ == 0) return nullptr;
  const int pos = ((i % child_nb_) + child_nb_) % child_nb_;
  return child_pt_[pos];
}

template <class Node>
int Tree_Node<Node>::Child_Get_Id(Node* child) {
  if (!TREE_CHECK(this, TREE_LABEL("Child_Get_Id"))) return -1;
  for (int i = 0; i < child_nb_; ++i)
    if (child_pt_[i] == child) return i;
  return -1;
}

template <class Node>
Node* Tree_Node<Node>::Parent_Get_Pt() {
  if (!TREE_CHECK(this, TREE_LABEL("Parent_Get_Pt"))) return nullptr;
  return parent_;
}

template <class Node>
void Tree_Node<Node>::Parent_Set_Pt(Node* parent) {
  if (!TREE_CHECK(this, TREE_LABEL("Parent_Set_Pt"))) return;
  parent_ = parent;
}

template <class Node>
int Tree_Node<Node>::Sort_Set(const char* format, ...) {
  if (!TREE_CHECK(this, TREE_LABEL("Sort_Set"))) return 0;
  std::free(sort_key_);
  sort_key_ = nullptr;
  if (!format) return 0;
  char buffer[1024];
  va_list args;
  va_start(args, format);
  const int n = Host_Format_V(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0 || n >= int(sizeof buffer)) return 0;
  auto* key = static_cast<char*>(std::malloc(size_t(n) + 1));
  if (!key) {
    QUARN_MEMORY_ERROR_NEW();
    return 0;
  }
  std::memcpy(key, buffer, size_t(n) + 1);
  sort_key_ = key;
  return 1;
}

template <class Node>
const char* Tree_Node<Node>::Sort_Get() {
  if (!TREE_CHECK(this, TREE_LABEL("Sort_Get"))) return "";
  if (sort_key_) return sort_key_;
  const char* name = Host_Wide_To_Char(Name_Get());
  return name ? name : "";
}

template <class Node>
int Tree_Node<Node>::Compare_Keys(Node* other) {
  constexpr const char* label = TREE_LABEL("Compare");
  if (!TREE_CHECK(this, label) || !TREE_CHECK(other, label)) return 0;
  // The name conversion lives in one buffer per thread, so a name-keyed side is copied before
  // the other side is converted.
  std::string own = Sort_Get();
  const int c = std::strcmp(own.c_str(), other->Sort_Get());
  return (c > 0) - (c < 0);
}

template <class Node>
int Tree_Node<Node>::Sort_Exchange(unsigned char recurse) {
  constexpr const char* label = TREE_LABEL("Sort");
  quarn::Trace_In(label, this);
  if (!TREE_CHECK(this, label)) return 0;
  for (int i = 0; i + 1 < child_nb_; ++i) {
    for (int j = i + 1; j < child_nb_; ++j) {
      if (child_pt_[i]->Compare(child_pt_[j]) > 0) {
        Node* swap = child_pt_[i];
        child_pt_[i] = child_pt_[j];
        child_pt_[j] = swap;
      }
    }
  }
  if (recurse)
    for (int i = 0; i < child_nb_; ++i) child_pt_[i]->Sort(recurse);
  quarn::Trace_Out(label);
  return 1;
}

template <class Node>
void Tree_Node<Node>::Stool_Header(int message_class, int depth) {
  if (!Host_Report_Enabled(uint32_t(message_class))) return;
  char indent[quarn::Stool_Indent_Size];
  Host_Report(Host_Main_Window, uint32_t(message_class),
              L"%s --> Class:\xF1%s\xF0 name:\xF1\x01%ls\x02\xF0 (nb_child=\x01%d\x02)",
              quarn::Stool_Indent(indent, depth), Title_Get(), Name_Get(), child_nb_);
}

template <class Node>
void Tree_Node<Node>::Stool_Tree(int message_class, int depth, unsigned char recurse) {
  if (!TREE_CHECK(this, TREE_LABEL("Stool"))) return;
  Stool_Header(message_class, depth);
  if (recurse)
    for (int i = 0; i < child_nb_; ++i) child_pt_[i]->Stool(message_class, depth + 1, recurse);
}

template <class Node>
uint64_t Tree_Node<Node>::Flag_Walk(quarn::Bit_Op op, const char* label, uint8_t mode, void* window,
                                    uint64_t mask) {
  quarn::Trace_In_Mask(label, this, mask);
  if (!TREE_CHECK(this, label)) return 0;
  uint64_t found = 0;
  quarn::For_Each_Window(window, label, [&](Quarn_Window*, int index) {
    found |= Flag_Walk_At(Self(), op, mode, index, mask);
  });
  quarn::Trace_Out(label);
  return found;
}

template <class Node>
uint64_t Tree_Node<Node>::Flag_Walk_At(Node* node, quarn::Bit_Op op, uint8_t mode, int index,
                                       uint64_t mask) {
  Tree_Node* n = node;
  if (!quarn::Conditions_Hold(mode, n->flag_[index])) return 0;
  uint64_t found = 0;
  if (mode & quarn::mode::Self) found |= quarn::Bit_Apply(n->flag_[index], op, mask);
  if ((mode & quarn::mode::Ancestors) && n->parent_)
    found |= Flag_Walk_At(n->parent_, op, quarn::Mode_Up(mode), index, mask);
  if (mode & quarn::mode::Subtree)
    for (int i = 0; i < n->child_nb_; ++i)
      found |= Flag_Walk_At(n->child_pt_[i], op, quarn::Mode_Down(mode), index, mask);
  return found;
}
