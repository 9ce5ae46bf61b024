// What the benchmarks share: the thread's processor clock and the wall clock, host-variable
// access, and a tree of one frame over an image record made in memory.
#pragma once

#include <quarn/quarn.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace quarn_bench {

/// A plain group node of the 2D tree.
struct Group_Node : Quarn_2D {};

/// Seconds of processor time of the calling thread: what the other cores do does not count.
inline double Thread_Seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

/// Seconds of wall time since an arbitrary start.
inline double Wall_Seconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

/// The storage of a host variable, as T.
template <class T>
T* Var(const wchar_t* name) {
  return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
}

/// The elements of a table-valued host variable, as T.
template <class T>
T* Table(const wchar_t* name) {
  uint16_t flags = 0;
  void* storage = Host_Var_Get(name, nullptr, &flags, nullptr);
  return static_cast<T*>(Fct_Variable_Elements(storage, flags));
}

/// root -> group -> one frame over a one-slice record of the given pixels.
struct One_Frame {
  Quarn_2D_Root root;
  Quarn_2D_File* file = nullptr;
  Quarn_2D* group = nullptr;
  Quarn_2D_Frame* frame = nullptr;

  /// Makes the record (kind is a HOST_PIXEL_* value matching T), its file and the frame.
  template <class T>
  One_Frame(const wchar_t* path, int columns, int rows, int kind, const std::vector<T>& values) {
    auto** list = static_cast<void**>(std::calloc(2, sizeof(void*)));
    list[0] = Host_Image_Create(columns, rows, 1, 1, kind, values.data());
    file = new Quarn_2D_File(path, list);
    group = new Group_Node;
    root.Child_Add(group);
    Class_2D_Frame_Insert(group, file, 0, 0, 0);
    frame = static_cast<Quarn_2D_Frame*>(group->Child_Get_Pt(0));
  }
  ~One_Frame() {
    root.Child_Delete();
    delete file;
  }
  One_Frame(const One_Frame&) = delete;
  One_Frame& operator=(const One_Frame&) = delete;
};

}  // namespace quarn_bench
