// Whole-tree passes over the 2D database: the two update walks and the dump.
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Quarn_2D.h>

#include "classes/Database_Dimension.h"
#include "core/Check.h"

namespace {

constexpr uint32_t Trace = quarn::msg::DB_Update;

/// Pre-order walk calling pass on node and then on each child's subtree in child order.
template <class Pass>
void Walk(Quarn_2D* node, uint64_t mask, Pass pass) {
  (node->*pass)(mask);
  for (int i = 0, n = node->Child_Get_Nb(); i < n; ++i) Walk(node->Child_Get_Pt(i), mask, pass);
}

template <class Pass>
void Update_Pass(const char* which, uint64_t mask, Quarn_2D* node, Pass pass) {
  QUARN_REPORT(Trace, ">>> in  Fct: Database_2D_Update_%s(%s:%ls, flag:%016llx)", which,
               node ? quarn::Title_Of(node) : "null", node ? quarn::Name_Of(node) : L"null",
               static_cast<unsigned long long>(mask));
  if (!node) node = quarn::db::Dim(1).Root<Quarn_2D>();
  if (node) Walk(node, mask, pass);
  QUARN_REPORT(Trace, "<<< out Fct: Database_2D_Update_%s()", which);
}

}  // namespace

void Database_2D_Update_A(uint64_t mask, Quarn_2D* node) { Update_Pass("A", mask, node, &Quarn_2D::Update_A); }

void Database_2D_Update_B(uint64_t mask, Quarn_2D* node) { Update_Pass("B", mask, node, &Quarn_2D::Update_B); }

void Database_2D_Stool(int message_class) {
  Quarn_2D* root = quarn::db::Dim(1).Root<Quarn_2D>();
  if (root && root->Child_Get_Nb() > 0) {
    root->Stool(message_class, 0, 1);
    return;
  }
  QUARN_REPORT(uint32_t(message_class), "Database 2D is empty");
  QUARN_REPORT(quarn::msg::DB_Cleanup, "<<< out Fct: Database_2D_Stool(empty)");
}
