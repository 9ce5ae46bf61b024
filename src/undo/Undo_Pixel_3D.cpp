// The 3D recorder: displacements of surface nodes of geometry objects.
#include <quarn/undo/Undo_Pixel.h>

#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/display/Update.h>

#include <hostkit/HostMovie.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "undo/Pixel_Block.h"
#include "undo/Pixel_Recorder.h"

namespace {

using namespace quarn::undo;

constexpr uint64_t Redraw_Geometry = 0x3FFF0000;
constexpr const char* Label = "Undo_Pixel_UndoRedo_3D";

// The node array of the geometry's surface, or null (reported) for an object that is no
// geometry or has no surface.
Host_Movie_Record* Surface_Of(void* geometry) {
  auto* geom = static_cast<Quarn_3D_Geom*>(geometry);
  if (!QUARN_CHECK(geom, Geom_3D, Label)) return nullptr;
  return geom->movie;
}

void Apply_Begin(Apply_State&) {}

// Moves the node's own position; its current position follows at the geometry's next update.
void Apply(uint8_t undo, const void* entries, size_t n, Apply_State& state) {
  auto* e = static_cast<const Undo_Pixel_3D*>(entries);
  void* geometry = nullptr;
  Host_Movie_Record* movie = nullptr;
  size_t skipped = 0;
  for (size_t i = 0; i < n; ++i) {
    if (e[i].geometry != geometry) {
      geometry = e[i].geometry;
      movie = Surface_Of(geometry);
      if (movie) movie->refresh |= HOST_MOVIE_REFRESH_NODES | HOST_MOVIE_REFRESH_POLYS;
    }
    if (!movie || !movie->nodes || e[i].vertex >= uint32_t(movie->node_count)) {
      ++skipped;
      continue;
    }
    Vec4& rest = movie->nodes[e[i].vertex].rest;
    if (undo) rest -= e[i].displacement;
    else rest += e[i].displacement;
  }
  if (skipped)
    QUARN_REPORT(quarn::msg::Invalid, "%s: %zu vertex moves skipped (no such node)", Label, skipped);
  (void)state;
}

void Apply_End(Apply_State&) {
  Fct_Update(UPDATE_GEOMETRY_NODES);
  Fct_Redraw(Redraw_Geometry);
}

constexpr Recorder_Kind k3D{"3D",
                            sizeof(Undo_Pixel_3D),
                            "Undo_Pixel_Record_3D",
                            "-> recorded %d pixels in TAG undo list",
                            "fct_undo_3D",
                            "Record_Nb_3D",
                            "Record_List_3D",
                            "Record_List_3D_Chunk",
                            false,
                            quarn::msg::Invalid,
                            nullptr,
                            &Apply_Begin,
                            &Apply,
                            &Apply_End};

Pixel_Recorder g_3d{k3D};
thread_local constinit Thread_Cache t_cache [[gnu::tls_model("initial-exec")]];

[[gnu::cold, gnu::noinline]] int Null_Geometry() {
  QUARN_REPORT(quarn::msg::Invalid, "Undo_Pixel_Record_3D: null geometry, not recorded");
  return 1;
}

}  // namespace

int Undo_Pixel_Start_3D() { return g_3d.Start(); }

int Undo_Pixel_Record_3D(void* geometry, uint32_t vertex, Vec4 displacement) {
  const int state = g_3d.State();
  if (state != Record_On) return state == Record_Aborted ? 0 : 1;
  if (!geometry) [[unlikely]] return Null_Geometry();
  return g_3d.Append<Undo_Pixel_3D>(t_cache, [=](Undo_Pixel_3D* e) {
    e->geometry = geometry;
    e->vertex = vertex;
    e->displacement = displacement;
  });
}

Undo_Pixel_3D* Undo_Pixel_Stop_3D() { return static_cast<Undo_Pixel_3D*>(g_3d.Stop()); }

int Undo_Pixel_UndoRedo_3D(uint8_t undo, void* block) {
  return Block_Apply<Undo_Pixel_3D>(k3D, undo, block, UNDO_KIND_3D);
}

uint32_t Undo_Pixel_Size_3D(void* block) { return Block_Size<Undo_Pixel_3D>(block); }
