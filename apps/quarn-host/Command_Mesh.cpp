// "mesh: read FILE" loads an STL, OBJ or PLY surface into the 3D tree (a 3D file record that the
// session keeps, its surface a geometry under the 3D root, selected in the host's window and lit)
// and builds its ray grid; the newest surface is the current one that "pick:" picks on.
#include "Host_Command.h"
#include "Host_Surface.h"

#include <quarn/quarn.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

Quarn_3D_Geom* g_surface = nullptr;
std::vector<std::unique_ptr<Quarn_3D_File>> g_files;

/// The 3D root, made on first use.
Quarn_3D* Root_3D() {
  auto** root = static_cast<Quarn_3D**>(Host_Var_Get(L"$DB_3D_ROOT_PT", nullptr, nullptr, nullptr));
  if (!root) return nullptr;
  if (!*root) Database_3D_Cleanup();
  return *root;
}

int Read(const std::wstring& path) {
  Host_Movie_Record* movie = Host_Movie_Read(path.c_str());
  if (!movie) {
    Host_Print((L"mesh: cannot read " + path).c_str());
    return 0;
  }
  wchar_t base[HOST_PATH_BUFFER], ext[HOST_PATH_BUFFER];
  Host_Split_Path(path.c_str(), nullptr, base, ext);
  const std::wstring name = std::wstring(base) + ext;
  Quarn_3D_Geom* geom = Host_Surface_Set(movie, name.c_str());
  if (!geom) {
    Host_Print((L"mesh: no ray grid for " + path).c_str());
    return 0;
  }
  Host_Print((L"mesh: " + name + L": " + std::to_wstring(movie->node_count) + L" nodes, " +
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
  Quarn_3D* root = Root_3D();
  auto** movies = static_cast<void**>(std::calloc(1, sizeof(void*)));
  if (!root || !movies) {
    std::free(movies);
    Host_Movie_Free(movie);
    return nullptr;
  }
  movies[0] = movie;
  movie->flags |= HOST_MOVIE_LIT;
  g_files.push_back(std::make_unique<Quarn_3D_File>(name, 1, movies));
  g_files.back()->word = Host_Surface_Tag;
  Class_3D_Geom_Insert(root, g_files.back().get(), 0, 0);
  auto* geom = static_cast<Quarn_3D_Geom*>(root->Child_Get_Pt(-1));
  if (Quarn_Window* window = Host_Window_Get()) geom->Flag_Set_On(0x10, window, 0x200);
  if (!Arts_3D_Init(geom)) return nullptr;
  g_surface = geom;
  Fct_3D_Center(Host_Window_Get());
  return g_surface;
}

void Host_Surface_Release() {
  Database_3D_Free();  // the geometries go before the file records that own their surfaces
  g_files.clear();
  g_surface = nullptr;
}
