// Reading a surface from a mesh file: the bytes are loaded whole, the format is taken from the
// name's extension or, failing that, from the first bytes, and the reader of that format builds
// the surface.
#include <hostkit/HostMovie.h>
#include <hostkit/HostUtil.h>

#include "HostFault.h"
#include "HostMeshBuilder.h"

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <new>
#include <string>
#include <vector>

namespace {

/// Largest mesh file read.
constexpr long Max_File_Bytes = 0x7FFFFFFF;

int Format_Of_Name(const wchar_t* path) {
  const wchar_t* dot = std::wcsrchr(path, L'.');
  if (!dot || std::wcschr(dot, L'/')) return HOST_MESH_UNKNOWN;
  std::wstring ext(dot + 1);
  for (wchar_t& c : ext) c = wchar_t(std::towlower(wint_t(c)));
  if (ext == L"stl") return HOST_MESH_STL;
  if (ext == L"obj") return HOST_MESH_OBJ;
  if (ext == L"ply") return HOST_MESH_PLY;
  return HOST_MESH_UNKNOWN;
}

int Format_Of_Content(const char* data, size_t size) {
  if (size >= 3 && std::memcmp(data, "ply", 3) == 0) return HOST_MESH_PLY;
  for (size_t i = 0; i < size && i < 4096; ++i) {
    if (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n') continue;
    if (size - i >= 5 && std::memcmp(data + i, "solid", 5) == 0) return HOST_MESH_STL;
    if (data[i] == '#' || data[i] == 'v' || data[i] == 'o' || data[i] == 'g' || data[i] == 'm') return HOST_MESH_OBJ;
    break;
  }
  return size >= 84 ? HOST_MESH_STL : HOST_MESH_UNKNOWN;  // a binary STL has no mark of its own
}

Host_Movie_Record* Read_Guarded(const char* data, size_t size, int format, const wchar_t* name) {
  try {
    switch (format == HOST_MESH_UNKNOWN ? Format_Of_Content(data, size) : format) {
      case HOST_MESH_STL: return hostkit::Read_Stl(data, size, name);
      case HOST_MESH_OBJ: return hostkit::Read_Obj(data, size, name);
      case HOST_MESH_PLY: return hostkit::Read_Ply(data, size, name);
      default: HOSTKIT_INVALID(nullptr, "Host_Movie_Read: %ls: not an STL, OBJ or PLY surface", name);
    }
  } catch (const std::bad_alloc&) {
    HOSTKIT_MEMORY_ERROR("new", "surface", long(size), 1);
  } catch (const std::exception& e) {
    Host_Report(nullptr, 2, "Host_Movie_Read: %ls: %s", name, e.what());
  }
  return nullptr;
}

/// The whole file, or false (reported).
bool Load(const wchar_t* path, std::vector<char>& bytes) {
  FILE* f = std::fopen(Host_Wide_To_Char(path), "rb");
  if (!f) {
    HOSTKIT_INVALID(nullptr, "Host_Movie_Read: cannot open %ls", path);
    return false;
  }
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  bool ok = size >= 0 && size <= Max_File_Bytes && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(size_t(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  std::fclose(f);
  if (!ok) HOSTKIT_INVALID(nullptr, "Host_Movie_Read: cannot read %ls (%ld bytes)", path, size);
  return ok;
}

}  // namespace

Host_Movie_Record* Host_Movie_Read_Memory(const void* data, size_t size, int format, const wchar_t* name) {
  if (!data && size) {
    HOSTKIT_INVALID(nullptr, "Host_Movie_Read_Memory: no bytes given (%zu announced)", size);
    return nullptr;
  }
  return Read_Guarded(static_cast<const char*>(data), size, format, name ? name : L"(memory)");
}

Host_Movie_Record* Host_Movie_Read(const wchar_t* path) {
  if (!path || !*path) {
    HOSTKIT_INVALID(nullptr, "Host_Movie_Read: no file named");
    return nullptr;
  }
  try {
    std::vector<char> bytes;
    if (!Load(path, bytes)) return nullptr;
    return Read_Guarded(bytes.data(), bytes.size(), Format_Of_Name(path), path);
  } catch (const std::bad_alloc&) {
    HOSTKIT_MEMORY_ERROR("new", "file", 1, 1);
  }
  return nullptr;
}
