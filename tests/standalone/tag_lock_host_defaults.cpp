// Tag locks through the host kit's own variable table, where $TAG_LOCK is an array variable whose
// storage holds the address of its 256 bytes. A process of its own: the library keeps the
// variable's address from the first lookup, so the layout under test must be the first it sees.
#include <quarn/quarn.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int failures = 0;

void Expect(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "FAILED: %s\n", what);
  ++failures;
}

int Write(Quarn_2D_Frame* f, float x, int tag) {
  return f->fct_write_tag(f, f->image, Vec4(x, 0.f, float(f->z_index), float(f->t_index)), tag);
}

int Tag(Quarn_2D_Frame* f, float x) {
  return f->fct_read_tag(f, f->image, Vec4(x, 0.f, float(f->z_index), float(f->t_index)));
}

/// A plain group node.
struct Group : Quarn_2D {
  Group() { Class_A_Set(0x2001); }
};

}  // namespace

int main() {
  Host_Var_Default_Install();
  Fct_Main_Var_Get = Host_Var_Get;
  uint16_t flags = 0;
  void* storage = Host_Var_Get(L"$TAG_LOCK", nullptr, &flags, nullptr);
  if (!storage || !(flags & VARIABLE_ARRAY)) {
    std::fprintf(stderr, "the kit's $TAG_LOCK is not an array variable\n");
    return 1;
  }
  uint8_t* lock = *static_cast<uint8_t**>(storage);

  std::vector<uint8_t> grey(4, 0);
  Host_Image_Record* record = Host_Image_Create(4, 1, 1, 1, HOST_PIXEL_U8, grey.data(), nullptr);
  auto** list = static_cast<void**>(std::calloc(2, sizeof(void*)));
  list[0] = record;
  auto* file = new Quarn_2D_File(L"/scans/locks.dcm", list);
  Quarn_2D_Root root;
  auto* group = new Group;
  root.Child_Add(group);
  Class_2D_Frame_Insert(group, file, 0, 0, 0);
  auto* frame = static_cast<Quarn_2D_Frame*>(group->Child_Get_Pt(-1));
  Expect(frame != nullptr, "a frame was inserted");
  if (!frame) return 1;

  // Pixel 0 holds tag 0 (locked), pixel 1 tag 5, pixel 2 tag 7 (locked); tag 9 is locked too.
  Expect(Write(frame, 1, 5) == 1, "tag 5 written over unlocked tag 0");
  Expect(Write(frame, 2, 7) == 1, "tag 7 written over unlocked tag 0");
  lock[0] = lock[7] = lock[9] = 1;
  Expect(Write(frame, 0, 5) == 0 && Tag(frame, 0) == 0, "locked tag 0 is not overwritten by 5");
  Expect(Write(frame, 2, 5) == 0 && Tag(frame, 2) == 7, "locked tag 7 is not overwritten");
  Expect(Write(frame, 1, 9) == 0 && Tag(frame, 1) == 5, "locked tag 9 is not written");
  Expect(Write(frame, 1, 3) == 1 && Tag(frame, 1) == 3, "unlocked tags still write");
  lock[0] = lock[7] = lock[9] = 0;
  Expect(Write(frame, 0, 5) == 1 && Tag(frame, 0) == 5, "unlocked again, tag 0 is overwritten");

  root.Child_Delete();
  delete file;
  return failures ? 1 : 0;
}
