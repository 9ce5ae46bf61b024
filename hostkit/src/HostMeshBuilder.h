// What the mesh readers share: the surface under construction, its limits and reports, and a
// cursor over text lines and their words.
#pragma once

#include <hostkit/HostMovie.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hostkit {

/// Most nodes and triangles a surface read from a file may have.
inline constexpr int Mesh_Max_Nodes = 1 << 24;
inline constexpr int Mesh_Max_Triangles = 1 << 24;
/// Most corners of one face (it becomes corners - 2 triangles).
inline constexpr int Mesh_Max_Face_Corners = 1024;

/// Nodes and triangles collected by a reader, and its reports.
class Mesh_Builder {
public:
  /// name and format label the reports.
  Mesh_Builder(const wchar_t* name, const char* format) : name_(name ? name : L""), format_(format) {}

  /// Adds a node; false (reported) past the limit or for a coordinate that is not finite.
  bool Node(float x, float y, float z);
  /// Adds the face of n corners (node indices) as a fan of triangles; false (reported) for fewer
  /// than three or too many corners, a corner that names no node, or too many triangles.
  bool Face(const int64_t* corners, int n);
  /// Adds a triangle of three positions, corners at a position met before sharing its node.
  bool Welded_Triangle(const float xyz[9]);
  /// Number of nodes so far.
  int Node_Count() const { return int(xyz_.size() / 3); }
  /// Sets the line that reports name.
  void Line(int line) { line_ = line; }
  /// Sets the surface's name text (kept when not empty).
  void Name(std::string_view name) { surface_name_.assign(name); }

  /// The surface; null (reported) when it has no triangle or cannot be made.
  Host_Movie_Record* Build();
  /// Reports why the content cannot be read, with the line when one is set; returns false.
  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
  struct Key {
    uint32_t x, y, z;
    bool operator==(const Key&) const = default;
  };
  struct Key_Hash {
    size_t operator()(const Key& k) const { return (size_t(k.x) * 73856093u) ^ (size_t(k.y) * 19349663u) ^ (size_t(k.z) * 83492791u); }
  };

  std::wstring name_;
  const char* format_;
  std::string surface_name_;
  int line_ = 0;
  std::vector<float> xyz_;
  std::vector<int> corners_;
  std::unordered_map<Key, int, Key_Hash> welded_;
};

/// The lines of a text and the words of the current line; lines end at LF, CR LF or CR.
class Text_Cursor {
public:
  Text_Cursor(const char* begin, const char* end) : p_(begin), end_(end) {}
  /// Moves to the next line; false at the end of the text.
  bool Next_Line();
  /// Next word of the current line (empty at its end).
  std::string_view Word();
  /// The rest of the current line after the words read, without leading blanks.
  std::string_view Rest();
  /// Number of the current line, from 1.
  int Line() const { return line_; }
  /// Where the text after the current line starts.
  const char* After() const { return p_; }
  /// Characters not read yet: the rest of the current line and the lines after it.
  size_t Remaining() const { return size_t(end_ - p_) + (line_text_.size() - at_); }

private:
  const char* p_;
  const char* end_;
  std::string_view line_text_;
  size_t at_ = 0;
  int line_ = 0;
};

/// A whole word as a finite float; false otherwise.
bool Parse_Float(std::string_view word, float& value);
/// A whole word as a decimal integer; false otherwise.
bool Parse_Int(std::string_view word, int64_t& value);

/// The three readers; each reports its own failures.
Host_Movie_Record* Read_Stl(const char* data, size_t size, const wchar_t* name);
Host_Movie_Record* Read_Obj(const char* data, size_t size, const wchar_t* name);
Host_Movie_Record* Read_Ply(const char* data, size_t size, const wchar_t* name);

}  // namespace hostkit
