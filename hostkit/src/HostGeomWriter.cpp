// Writing surfaces to STL (binary), OBJ and PLY (text) files.
#include <hostkit/HostGeomWriter.h>
#include <hostkit/HostMovie.h>
#include <hostkit/HostUtil.h>

#include "HostFault.h"

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <string>

namespace {

enum class Format { Unknown, Stl, Obj, Ply };

Format Format_Of(const wchar_t* format, const wchar_t* file) {
  std::wstring f;
  if (format && *format) f = format;
  else if (const wchar_t* dot = file ? std::wcsrchr(file, L'.') : nullptr) f = dot + 1;
  for (wchar_t& c : f) c = wchar_t(std::towlower(wint_t(c)));
  if (f == L"stl") return Format::Stl;
  if (f == L"obj") return Format::Obj;
  if (f == L"ply") return Format::Ply;
  return Format::Unknown;
}

/// Triangles of a polygon: one, or two for a quadrilateral (split along its first diagonal).
int Triangles(const Host_Movie_Polygon& p, int out[2][3]) {
  out[0][0] = p.index[0], out[0][1] = p.index[1], out[0][2] = p.index[2];
  if (p.count != 4) return 1;
  out[1][0] = p.index[0], out[1][1] = p.index[2], out[1][2] = p.index[3];
  return 2;
}

void Put_Float(std::FILE* f, float v) { std::fwrite(&v, 4, 1, f); }

bool Write_Stl(std::FILE* f, const std::string& header, int count, Host_Movie_Record* const* m) {
  char head[80] = {};
  std::strncpy(head, header.c_str(), sizeof head - 1);
  std::fwrite(head, 1, sizeof head, f);
  uint32_t total = 0;
  for (int s = 0; s < count; ++s)
    for (int i = 0; i < m[s]->poly_count; ++i) total += m[s]->polys[i].count == 4 ? 2 : 1;
  std::fwrite(&total, 4, 1, f);
  for (int s = 0; s < count; ++s)
    for (int i = 0; i < m[s]->poly_count; ++i) {
      int tri[2][3];
      const int n = Triangles(m[s]->polys[i], tri);
      for (int t = 0; t < n; ++t) {
        for (int k = 0; k < 3; ++k) Put_Float(f, m[s]->polys[i].normal[k]);
        for (int k = 0; k < 3; ++k) {
          const Vec4& p = m[s]->nodes[tri[t][k]].pos;
          Put_Float(f, p.x), Put_Float(f, p.y), Put_Float(f, p.z);
        }
        const uint16_t attribute = 0;
        std::fwrite(&attribute, 2, 1, f);
      }
    }
  return true;
}

bool Write_Obj(std::FILE* f, const std::string& header, int count, Host_Movie_Record* const* m, const uint16_t* tags) {
  std::fprintf(f, "# %s\n", header.c_str());
  int base = 1;
  for (int s = 0; s < count; ++s) {
    std::fprintf(f, "o surface_%d_tag_%d\n", s + 1, tags ? int(tags[s]) : 0);
    for (int i = 0; i < m[s]->node_count; ++i) {
      const Vec4& p = m[s]->nodes[i].pos;
      std::fprintf(f, "v %.9g %.9g %.9g\n", double(p.x), double(p.y), double(p.z));
    }
    for (int i = 0; i < m[s]->poly_count; ++i) {
      const Host_Movie_Polygon& p = m[s]->polys[i];
      std::fprintf(f, "f");
      for (int k = 0; k < p.count; ++k) std::fprintf(f, " %d", base + p.index[k]);
      std::fprintf(f, "\n");
    }
    base += m[s]->node_count;
  }
  return true;
}

bool Write_Ply(std::FILE* f, const std::string& header, int count, Host_Movie_Record* const* m,
               const uint32_t* colours) {
  int nodes = 0, polys = 0;
  for (int s = 0; s < count; ++s) nodes += m[s]->node_count, polys += m[s]->poly_count;
  std::fprintf(f,
               "ply\nformat ascii 1.0\ncomment %s\nelement vertex %d\nproperty float x\nproperty float y\n"
               "property float z\nelement face %d\nproperty list uchar int vertex_indices\nproperty uchar red\n"
               "property uchar green\nproperty uchar blue\nend_header\n",
               header.c_str(), nodes, polys);
  for (int s = 0; s < count; ++s)
    for (int i = 0; i < m[s]->node_count; ++i) {
      const Vec4& p = m[s]->nodes[i].pos;
      std::fprintf(f, "%.9g %.9g %.9g\n", double(p.x), double(p.y), double(p.z));
    }
  int base = 0;
  for (int s = 0; s < count; ++s) {
    const uint32_t c = colours ? colours[s] : 0xFFFFFF;
    for (int i = 0; i < m[s]->poly_count; ++i) {
      const Host_Movie_Polygon& p = m[s]->polys[i];
      std::fprintf(f, "%d", p.count);
      for (int k = 0; k < p.count; ++k) std::fprintf(f, " %d", base + p.index[k]);
      std::fprintf(f, " %u %u %u\n", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
    }
    base += m[s]->node_count;
  }
  return true;
}

}  // namespace

int Host_Geom_Write(const wchar_t* format, const wchar_t* file, const wchar_t* name, int count,
                    Host_Movie_Record* const* movies, const uint16_t* tags, const uint32_t* colours) {
  const Format kind = Format_Of(format, file);
  if (kind == Format::Unknown || !file || count <= 0 || !movies) {
    HOSTKIT_INVALID(nullptr, "Host_Geom_Write: nothing to write or unknown format \"%ls\" for %ls",
                    format ? format : L"", file ? file : L"(no file)");
    return 0;
  }
  for (int s = 0; s < count; ++s)
    if (!movies[s]) {
      HOSTKIT_INVALID(nullptr, "Host_Geom_Write: surface %d of %ls is none", s, file);
      return 0;
    }
  const std::string path = Host_Wide_To_Char(file);
  std::FILE* f = std::fopen(path.c_str(), kind == Format::Stl ? "wb" : "w");
  if (!f) {
    HOSTKIT_INVALID(nullptr, "Host_Geom_Write: cannot open %ls for writing", file);
    return 0;
  }
  const std::string header = name ? std::string(Host_Wide_To_Char(name)) : std::string("surfaces");
  if (kind == Format::Stl) Write_Stl(f, header, count, movies);
  else if (kind == Format::Obj) Write_Obj(f, header, count, movies, tags);
  else Write_Ply(f, header, count, movies, colours);
  const bool ok = !std::ferror(f);
  if (std::fclose(f) != 0 || !ok) {
    HOSTKIT_INVALID(nullptr, "Host_Geom_Write: writing %ls failed", file);
    return 0;
  }
  return count;
}
