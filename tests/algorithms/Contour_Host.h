// A host for the contour tests: $TAG_NB and the interface locks as host variables, tag maps
// written as text, frames over them, and the loops of a frame read back as pixel positions.
#pragma once

#include "frames/Frame_Layers_Host.h"

#include "algorithms/Contour_Extract.h"

#include <quarn/algorithms/Contour.h>

#include <string>
#include <vector>

namespace contour_test {

/// Variables the contours read; the library keeps their addresses, so they live for the process.
struct Contour_Variables {
  Quarn_2D_Root* root = nullptr;
  uint16_t tag_nb = 8;
  uint8_t lock_focus = 0;
  uint16_t lock_action = 0;
  uint16_t thread_nb = 2;         // workers of a dispatch at once
  uint32_t* thread_id = nullptr;  // the dispatch's identity list (the variable holds its address)
  uint32_t timeout = 60;          // seconds a dispatch waits for a worker
};

inline Contour_Variables& Variables() {
  static Contour_Variables v;
  return v;
}

inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Contour_Variables& v = Variables();
  return test_support::Var_Lookup({{L"$TAG_NB", &v.tag_nb},
                                   {L"$DB_2D_ROOT_PT", &v.root},
                                   {L"$INTERFACE_LOCK_FOCUS", &v.lock_focus},
                                   {L"$INTERFACE_LOCK_ACTION", &v.lock_action},
                                   {L"$COMPUTER_THREAD_NB", &v.thread_nb},
                                   {L"$COMPUTER_THREAD_ID", &v.thread_id, 1, test_support::kTableFlags},
                                   {L"$COMPUTER_TIMEOUT", &v.timeout}},
                                  layers_test::Lookup, name, count, flags, update);
}

/// A tag map: one text line per row, '.' for tag 0, hex digits for tags 1 to 15.
struct Tag_Map {
  int width = 0;
  int height = 0;
  std::vector<uint16_t> cells;
  std::vector<const uint16_t*> rows;

  Tag_Map() = default;
  Tag_Map(int w, int h) : width(w), height(h), cells(size_t(w) * size_t(h)) { Index(); }
  explicit Tag_Map(const std::vector<std::string>& lines)
      : Tag_Map(lines.empty() ? 0 : int(lines[0].size()), int(lines.size())) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const char c = lines[size_t(y)][size_t(x)];
        At(x, y) = c == '.' ? 0 : uint16_t(std::stoi(std::string(1, c), nullptr, 16));
      }
  }
  Tag_Map(const Tag_Map& o) : width(o.width), height(o.height), cells(o.cells) { Index(); }
  Tag_Map& operator=(const Tag_Map& o) {
    width = o.width, height = o.height, cells = o.cells;
    Index();
    return *this;
  }

  uint16_t& At(int x, int y) { return cells[size_t(y) * size_t(width) + size_t(x)]; }
  int Tag(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? -1 : cells[size_t(y) * size_t(width) + size_t(x)] & 0xFF;
  }
  /// Fills the rectangle from (x0, y0) to (x1, y1), both included, with tag.
  void Fill(int x0, int y0, int x1, int y1, int tag) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) At(x, y) = uint16_t(tag);
  }
  /// The map as an extraction reads it.
  quarn::contour::Tag_Source Source() const {
    quarn::contour::Tag_Source s;
    s.width = width, s.height = height, s.rows = rows.data();
    return s;
  }

private:
  void Index() {
    rows.clear();
    for (int y = 0; y < height; ++y) rows.push_back(cells.data() + size_t(y) * size_t(width));
  }
};

/// A one-slice U16 record whose tag plane holds the map.
inline Host_Image_Record* Record_Of(const Tag_Map& map) {
  Host_Image_Record* r =
      layers_test::Record(map.width, map.height, 1, HOST_PIXEL_U16, std::vector<uint16_t>(map.cells.size()));
  for (size_t i = 0; i < map.cells.size(); ++i) r->tags[i] = uint8_t(map.cells[i]);
  return r;
}

/// A point of a loop, in frame pixels.
struct Pixel {
  int x, y;
  bool operator==(const Pixel& o) const { return x == o.x && y == o.y; }
};
using Loop = std::vector<Pixel>;

/// The loops of a frame's tag as pixel positions, in the order the frame keeps them.
inline std::vector<Loop> Loops_Of(Quarn_2D_Frame* frame, int tag) {
  Point_2D* points = nullptr;
  const int count = Fct_Contour_Get_Points(frame, int16_t(tag), &points);
  Quarn_Buffer* loops = nullptr;
  const int loop_count = Fct_Contour_Get_Loops(frame, int16_t(tag), &loops);
  std::vector<Loop> out;
  for (int i = 0; i < loop_count; ++i) {
    const auto* index = static_cast<const uint32_t*>(loops[i].Data_Get());
    Loop loop;
    for (int k = 0; k < Fct_Contour_Loop_Length(&loops[i]); ++k)
      loop.push_back(index[k] < uint32_t(count) ? Pixel{int(points[index[k]].x), int(points[index[k]].y)}
                                                 : Pixel{-1000, -1000});
    out.push_back(loop);
  }
  return out;
}

/// The loops of one extracted tag as pixel positions.
inline std::vector<Loop> Loops_Of(const quarn::contour::Tag_Contour& c) {
  std::vector<Loop> out;
  for (int i = 0; i < c.Loop_Count(); ++i) {
    Loop loop;
    for (uint32_t k = c.Loop_Begin(i); k < c.loop_ends[size_t(i)]; ++k) {
      const uint32_t p = c.indices[k];
      loop.push_back(p < c.points.Size() ? Pixel{int(c.points[p].x), int(c.points[p].y)} : Pixel{-1000, -1000});
    }
    out.push_back(loop);
  }
  return out;
}

/// Twice the signed area of a loop by the shoelace formula, in frame coordinates (y downwards):
/// negative for a loop with its area on the left, as outer boundaries run.
inline long Twice_Area(const Loop& loop) {
  long sum = 0;
  for (size_t i = 0; i < loop.size(); ++i) {
    const Pixel& a = loop[i];
    const Pixel& b = loop[(i + 1) % loop.size()];
    sum += long(a.x) * b.y - long(b.x) * a.y;
  }
  return sum;
}

/// True when the frame's contours were computed since the last look (their redraw mark was set);
/// clears the mark.
inline bool Recomputed(Quarn_2D_Frame* frame) {
  void* const no_window = reinterpret_cast<void*>(uintptr_t(8));
  const bool marked = frame->Redraw_Get_Bit(0x10, no_window, CONTOUR_REDRAW) != 0;
  frame->Redraw_Set_Off(0x10, no_window, CONTOUR_REDRAW);
  return marked;
}

/// A frame over a tag map (through a record, as the host reads one), $TAG_NB at 8.
class Contour_Test : public layers_test::Layers_Test {
protected:
  void SetUp() override {
    Layers_Test::SetUp();
    Fct_Main_Var_Get = &Lookup;
    Variables() = Contour_Variables{};
  }
};

}  // namespace contour_test
