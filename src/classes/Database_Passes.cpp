// Whole-tree passes over the 2D and 3D databases: the two update walks and the dumps.
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Quarn_1D.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/classes/Quarn_3D.h>

#include "classes/Database_Dimension.h"
#include "core/Check.h"

namespace {

constexpr uint32_t Trace = quarn::msg::DB_Update;

/// Pre-order walk calling pass on node and then on each child's subtree in child order.
template <class Node, class Pass>
void Walk(Node* node, uint64_t mask, Pass pass) {
  (node->*pass)(mask);
  for (int i = 0, n = node->Child_Get_Nb(); i < n; ++i) Walk(node->Child_Get_Pt(i), mask, pass);
}

template <class Node, class Pass>
void Update_Pass(const char* dim, const char* which, uint64_t mask, Node* node, Pass pass) {
  QUARN_REPORT(Trace, ">>> in  Fct: Database_%s_Update_%s(%s:%ls, flag:%016llx)", dim, which,
               node ? quarn::Title_Of(node) : "null", node ? quarn::Name_Of(node) : L"null",
               static_cast<unsigned long long>(mask));
  if (!node) node = quarn::db::Dim(dim[0] - '1').template Root<Node>();
  if (node) Walk(node, mask, pass);
  QUARN_REPORT(Trace, "<<< out Fct: Database_%s_Update_%s()", dim, which);
}

}  // namespace

void Database_2D_Update_A(uint64_t mask, Quarn_2D* node) {
  Update_Pass("2D", "A", mask, node, &Quarn_2D::Update_A);
}

void Database_2D_Update_B(uint64_t mask, Quarn_2D* node) {
  Update_Pass("2D", "B", mask, node, &Quarn_2D::Update_B);
}

void Database_3D_Update_A(uint64_t mask, Quarn_3D* node) {
  Update_Pass("3D", "A", mask, node, &Quarn_3D::Update_A);
}

void Database_3D_Update_B(uint64_t mask, Quarn_3D* node) {
  Update_Pass("3D", "B", mask, node, &Quarn_3D::Update_B);
}

namespace {

/// The whole tree's dump, or the empty notice; shared by the three trees.
template <class Node>
void Stool_Tree(int which, int message_class) {
  Node* root = quarn::db::Dim(which).Root<Node>();
  if (root && root->Child_Get_Nb() > 0) {
    root->Stool(message_class, 0, 1);
    return;
  }
  const char* dim = quarn::db::Dim(which).tag;
  QUARN_REPORT(uint32_t(message_class), "Database %s is empty", dim);
  QUARN_REPORT(quarn::msg::DB_Cleanup, "<<< out Fct: Database_%s_Stool(empty)", dim);
}

}  // namespace

void Database_1D_Stool(int message_class) { Stool_Tree<Quarn_1D>(0, message_class); }

void Database_2D_Stool(int message_class) { Stool_Tree<Quarn_2D>(1, message_class); }

void Database_3D_Stool(int message_class) { Stool_Tree<Quarn_3D>(2, message_class); }
