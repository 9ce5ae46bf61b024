// "pick: x0 y0 z0 x1 y1 z1" finds where the line from the first point through the second first
// meets the current surface, through its ray grid, and prints the parameter, point and triangle.
#include "Host_Command.h"
#include "Host_Surface.h"

#include <quarn/quarn.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int Coordinates = 6;

bool Number(const std::wstring& word, float& value) {
  wchar_t* end = nullptr;
  value = std::wcstof(word.c_str(), &end);
  return !word.empty() && end && *end == L'\0';
}

int Pick(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"pick:", *nb_arg, Coordinates, Coordinates)) return 0;
  float c[Coordinates];
  for (int i = 0; i < Coordinates; ++i)
    if (!Number(Host_Expand((*pt_arg)[i]), c[i])) {
      Host_Print((L"pick: \"" + Host_Expand((*pt_arg)[i]) + L"\" is not a number").c_str());
      return 0;
    }
  Quarn_3D_Geom* geom = Host_Surface_Get();
  if (!geom) {
    Host_Print(L"pick: no surface (mesh: read FILE first)");
    return 0;
  }
  Point_3D hit;
  int triangle = -1;
  const float t = Arts_3D_Intersect_Line_Geom(Point_3D(2, c[0], c[1], c[2]), Point_3D(2, c[3], c[4], c[5]), geom, &hit, &triangle);
  if (t == GEMS_NO_HIT) {
    Host_Print(L"pick: no hit");
    return 1;
  }
  wchar_t line[256];
  std::swprintf(line, 256, L"pick: t=%g point (%g, %g, %g) triangle %d", double(t), double(hit.x), double(hit.y),
                double(hit.z), triangle);
  Host_Print(line);
  return 1;
}

const Host_Command_Registration registration(
    {L"pick:", Pick, L"pick: x0 y0 z0 x1 y1 z1   the nearest hit of the line on the current surface", false});

}  // namespace
