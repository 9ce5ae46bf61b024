// Fct_Geom_BurnIn: a surface's displacements made permanent, saved as one undoable command.
//
// The command keeps each node's rest position and displacement before and its rest position after,
// not the move between them: adding and then taking back a float move does not always give the
// old coordinate back (a node near the origin moved far loses its low bits), and undo must.
#include <quarn/algorithms/Geom.h>
#include <quarn/display/Update.h>
#include <quarn/undo/Undo.h>
#include <quarn/undo/Undo_Pixel.h>

#include "algorithms/Geom_Support.h"
#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>
#include <vector>

using namespace quarn;

namespace {

/// One node's burn-in: enough to put it back exactly either way.
struct Burnt_Node {
  Quarn_3D_Geom* geom;
  uint32_t node;
  uint32_t flags;      ///< The surface's flag word before.
  float rest[3];       ///< Rest position before.
  float disp[3];       ///< Displacement before.
  float burnt[3];      ///< Rest position after.
};

/// The command's block: a count and the nodes (malloc'd as one).
struct Burn_Block {
  uint32_t count;
  Burnt_Node nodes[1];
};

int Burn_Undo_Redo(uint8_t undo, void* data) {
  auto* block = static_cast<Burn_Block*>(data);
  if (!block) return 0;
  for (uint32_t i = 0; i < block->count; ++i) {
    const Burnt_Node& b = block->nodes[i];
    Host_Movie_Record* m = b.geom->movie;
    if (!m || b.node >= uint32_t(m->node_count)) continue;
    Host_Movie_Node& n = m->nodes[b.node];
    const float* rest = undo ? b.rest : b.burnt;
    n.rest = Vec4(rest[0], rest[1], rest[2], n.rest.w);
    n.disp = undo ? Vec4(b.disp[0], b.disp[1], b.disp[2], 0.0f) : Vec4(0.0f, 0.0f, 0.0f, 0.0f);
    m->flags = undo ? b.flags : b.flags & ~HOST_MOVIE_DISPLACED;
    m->refresh |= HOST_MOVIE_REFRESH_NODES | HOST_MOVIE_REFRESH_POLYS;
  }
  Fct_Update(GEOM_UPDATE_NODES);
  return UNDO_KIND_3D;
}

uint32_t Burn_Size(void* data) {
  const auto* block = static_cast<const Burn_Block*>(data);
  return block ? uint32_t(block->count * sizeof(Burnt_Node)) : 0;
}

/// Moves every node's rest position to its current position, keeping what changed in nodes.
int Make_Permanent(Quarn_3D_Geom* geom, std::vector<Burnt_Node>& nodes) {
  Host_Movie_Record* m = geom->movie;
  const uint32_t flags = m->flags;
  std::vector<Host_Movie_Node> before(m->nodes, m->nodes + m->node_count);
  if (!geom->Update_A(GEOM_UPDATE_NODES)) return 0;
  geom->Critical_Class_In("Fct_Geom_BurnIn");
  for (int i = 0; i < m->node_count; ++i) {
    Host_Movie_Node& n = m->nodes[i];
    const Host_Movie_Node& b = before[size_t(i)];
    if (n.pos.x != b.rest.x || n.pos.y != b.rest.y || n.pos.z != b.rest.z || b.disp.x != 0 || b.disp.y != 0 ||
        b.disp.z != 0)
      nodes.push_back({geom, uint32_t(i), flags, {b.rest.x, b.rest.y, b.rest.z}, {b.disp.x, b.disp.y, b.disp.z},
                       {n.pos.x, n.pos.y, n.pos.z}});
    n.rest.x = n.pos.x;
    n.rest.y = n.pos.y;
    n.rest.z = n.pos.z;
    n.disp = Vec4(0.0f, 0.0f, 0.0f, 0.0f);
  }
  m->flags &= ~HOST_MOVIE_DISPLACED;
  geom->Critical_Class_Out("Fct_Geom_BurnIn");
  return 1;
}

void Save(const std::vector<Burnt_Node>& nodes, int surfaces) {
  if (nodes.empty()) return;
  auto* block = static_cast<Burn_Block*>(std::malloc(sizeof(Burn_Block) + nodes.size() * sizeof(Burnt_Node)));
  if (!block) {
    QUARN_MEMORY_ERROR("malloc", "block", int(nodes.size()), int(sizeof(Burnt_Node)));
    return;
  }
  block->count = uint32_t(nodes.size());
  std::copy(nodes.begin(), nodes.end(), block->nodes);
  if (!Undo_Save_Command(&Burn_Undo_Redo, &Burn_Size, block, "burn in: %d surface(s)", surfaces)) std::free(block);
}

}  // namespace

int Fct_Geom_BurnIn(const wchar_t* name_template) {
  QUARN_REPORT(msg::Module, ">>> in  Util: Fct_Geom_BurnIn(%ls)", name_template ? name_template : L"");
  std::vector<Burnt_Node> nodes;
  int count = 0;
  geom::For_Each_Selected(Window_Current(), name_template, "Fct_Geom_BurnIn",
                          [&](Quarn_3D_Geom* geom) { count += Make_Permanent(geom, nodes); });
  Save(nodes, count);
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_BurnIn()");
  return 1;
}
