// "mesh: read FILE" loads an STL, OBJ or PLY surface as the session's current surface and builds
// its ray grid; the current surface lives here until the next read or the end of the session.
#include "Host_Command.h"
#include "Host_Surface.h"

#include <quarn/quarn.h>

#include <string>

namespace {

Quarn_3D_Geom* g_surface = nullptr;

int Read(const std::wstring& path) {
  Host_Movie_Record* movie = Host_Movie_Read(path.c_str());
  if (!movie) {
    Host_Print((L"mesh: cannot read " + path).c_str());
    return 0;
  }
  wchar_t base[HOST_PATH_BUFFER], ext[HOST_PATH_BUFFER];
  Host_Split_Path(path.c_str(), nullptr, base, ext);
  Quarn_3D_Geom* geom = Host_Surface_Set(movie, (std::wstring(base) + ext).c_str());
  if (!geom) {
    Host_Print((L"mesh: no ray grid for " + path).c_str());
    return 0;
  }
  Host_Print((L"mesh: " + std::wstring(geom->Name_Get()) + L": " + std::to_wstring(movie->node_count) + L" nodes, " +
              std::to_wstring(movie->poly_count) + L" triangles, grid of " + std::to_wstring(Arts_3D_Size(geom)) +
              L" bytes")
                 .c_str());
  return 1;
}

int Mesh(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"mesh:", *nb_arg, 2, 2)) return 0;
  if (Host_Expand((*pt_arg)[0]) != L"read") {
    Host_Print(L"mesh: the only action is \"read FILE\"");
    return 0;
  }
  return Read(Host_Expand((*pt_arg)[1]));
}

const Host_Command_Registration registration(
    {L"mesh:", Mesh, L"mesh: read FILE           reads an STL, OBJ or PLY surface and builds its ray grid"});

}  // namespace

Quarn_3D_Geom* Host_Surface_Get() { return g_surface; }

Quarn_3D_Geom* Host_Surface_Set(Host_Movie_Record* movie, const wchar_t* name) {
  Host_Surface_Release();
  g_surface = new Quarn_3D_Geom(nullptr, nullptr, 0);
  g_surface->Name_Set(L"%ls", name);
  g_surface->movie = movie;
  if (!Arts_3D_Init(g_surface)) {
    Host_Surface_Release();
    return nullptr;
  }
  return g_surface;
}

void Host_Surface_Release() {
  if (!g_surface) return;
  Host_Movie_Free(g_surface->movie);
  delete g_surface;  // frees the grid
  g_surface = nullptr;
}
