// The 3D file record: its surfaces, prepared for drawing and picking when they arrive.
#include <quarn/classes/Quarn_3D_File.h>

#include "classes/File_Record_Common.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <algorithm>
#include <cstdlib>

namespace {

using quarn::msg::Class;

void Prepare(Host_Movie_Record** movies, int count) {
  for (int k = 0; k < count; ++k) {
    Host_Movie_Init_Dim(movies[k]);
    Host_Movie_Init_Norm(movies[k]);
  }
}

void Release(Host_Movie_Record** movies, int count) {
  for (int k = 0; k < count; ++k) Host_Movie_Free(movies[k]);
  std::free(movies);
}

// A count without an array lists nothing.
int Listed(int count, void** movies) { return movies ? std::max(count, 0) : 0; }

// Zeroed marks for count surfaces, or null (reported).
uint8_t* New_Marks(int count) {
  auto* marks = quarn::File_Zeroed<uint8_t>(count);
  if (!marks) QUARN_MEMORY_ERROR("calloc", "movie_marks", count, 1);
  return marks;
}

}  // namespace

uint16_t Quarn_3D_File::Counter_Get() { return quarn::File_Sequence_Peek(quarn::File_Kind::Three_D); }

Quarn_3D_File::Quarn_3D_File(const wchar_t* path, int count, void** list) {
  QUARN_REPORT(Class, ">>> in  Class: Quarn_3D_File::Quarn_3D_File(%ls)", path ? path : L"null");
  Class_Magic_Set(0xABBC);
  Class_B_Set(quarn::File_Sequence_Next(quarn::File_Kind::Three_D));
  quarn::File_Generic_Name_Set(*this, path);
  time_ = quarn::File_Time_Now();
  const int n = Listed(count, list);
  auto** given = reinterpret_cast<Host_Movie_Record**>(list);
  movie_marks = New_Marks(n);
  if (movie_marks) {
    movies_ = given;
    movie_count_ = n;
    Prepare(movies_, movie_count_);
  } else {
    Release(given, n);  // taken over either way; without marks the tree could not walk them
  }
  QUARN_REPORT(Class, "<<< out Class: Quarn_3D_File::Quarn_3D_File()");
}

Quarn_3D_File::~Quarn_3D_File() {
  QUARN_REPORT(Class, ">>> in  Class: Quarn_3D_File::~Quarn_3D_File(%ls)", Name_Get());
  QUARN_CHECK(this, File_3D, "Quarn_3D_File::~Quarn_3D_File");
  Movies_Release();
  QUARN_REPORT(Class, "<<< out Class: Quarn_3D_File::~Quarn_3D_File()");
}

void Quarn_3D_File::Movies_Release() {
  Release(movies_, movie_count_);
  std::free(movie_marks);
  movies_ = nullptr;
  movie_marks = nullptr;
  movie_count_ = 0;
}

int Quarn_3D_File::Match(const wchar_t* text) {
  // A missing record orders before every key, so that it never matches.
  if (!QUARN_CHECK(this, File_3D, "Quarn_3D_File::Match")) return -1;
  return quarn::File_Key_Compare(Name_Get(), text);
}

int Quarn_3D_File::assign(int count, void** list) {
  QUARN_REPORT(Class, ">>> in  Class: Quarn_3D_File::assign()");
  if (!QUARN_CHECK(this, File_3D, "Quarn_3D_File::assign")) return 0;
  const int n = Listed(count, list);
  uint8_t* marks = New_Marks(n);
  if (!marks) return 0;
  Movies_Release();
  movies_ = reinterpret_cast<Host_Movie_Record**>(list);
  movie_count_ = n;
  movie_marks = marks;
  Prepare(movies_, movie_count_);
  time_ = quarn::File_Time_Now();
  QUARN_REPORT(Class, "<<< out Class: Quarn_3D_File::assign()");
  return 1;
}

Host_Movie_Record* Quarn_3D_File::Movie_Get(int index) const {
  return index >= 0 && index < movie_count_ ? movies_[index] : nullptr;
}
