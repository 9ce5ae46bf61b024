// Fct_Geom_Write_Direct and Fct_Geom_Write_Template: surfaces handed to the host's geometry writer.
#include <quarn/algorithms/Geom.h>
#include <quarn/classes/Match_Template.h>
#include <quarn/classes/Quarn_3D_Geom.h>

#include <hostkit/HostGeomWriter.h>

#include "algorithms/Geom_Support.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <string>
#include <vector>

using namespace quarn;

namespace {

/// Most geometries one template writes.
constexpr int Write_Max = 500;

int Report(int result) {
  QUARN_REPORT(msg::Notice, "\x02saving: \x01%d \x02geometries", result);
  return result;
}

}  // namespace

int Fct_Geom_Write_Direct(Quarn_3D_Geom* geom, Host_Movie_Record* movie, const wchar_t* format, const wchar_t* file) {
  QUARN_REPORT(msg::Module, ">>> in  Util: Fct_Geom_Write_Direct(%ls)", file ? file : L"");
  if (!QUARN_CHECK(geom, Geom_3D, "Fct_Geom_Write_Direct")) return 0;
  Host_Movie_Record* surface = movie ? movie : geom->movie;
  if (!surface || (!movie && !geom::Surface_Valid(geom, "Fct_Geom_Write_Direct"))) {
    QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Write_Direct(! movie)");
    return 0;
  }
  const uint16_t tag = geom->TAG_Get();
  const uint32_t colour = geom->Color_Get();
  const int result = Host_Geom_Write(format, file, geom->Name_Get(), 1, &surface, &tag, &colour);
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Write_Direct()");
  return Report(result);
}

int Fct_Geom_Write_Template(const wchar_t* name_template, const wchar_t* format, const wchar_t* file) {
  QUARN_REPORT(msg::Module, ">>> in  Util: Fct_Geom_Write_Template(%ls)", name_template ? name_template : L"");
  std::wstring pattern = name_template ? name_template : L"all";
  std::erase(pattern, L'"');
  if (pattern.empty()) pattern = L"all";
  std::vector<Quarn_3D_Geom*> found(Write_Max);
  const int matched = Fct_Match_Template_Geom(pattern.c_str(), Write_Max, found.data());
  std::vector<Host_Movie_Record*> movies;
  std::vector<uint16_t> tags;
  std::vector<uint32_t> colours;
  for (int i = 0; i < matched; ++i) {
    Quarn_3D_Geom* g = found[size_t(i)];
    if (!g->movie || !geom::Surface_Valid(g, "Fct_Geom_Write_Template")) continue;
    movies.push_back(g->movie);
    tags.push_back(g->TAG_Get());
    colours.push_back(g->Color_Get());
  }
  if (movies.empty()) {
    QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Write_Template(! nb_surf)");
    return 0;
  }
  const int result = Host_Geom_Write(format, file, pattern.c_str(), int(movies.size()), movies.data(), tags.data(),
                                     colours.data());
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Write_Template()");
  return Report(result);
}
