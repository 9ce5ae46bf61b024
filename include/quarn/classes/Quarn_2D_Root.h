// Quarn_2D_Root: the root of the 2D tree.
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Quarn_2D.h>

/// Root of the 2D tree: class A 0x2001, title "Root", name "Root 2D". It ends the metric chain,
/// answering from the image record that *image points to.
class QUARN_API Quarn_2D_Root : public Quarn_2D {
public:
  /// An empty root.
  Quarn_2D_Root();

  /// (6, columns, rows) of the record.
  Point_2D Metrics_Get_Res(char ask_parent, Quarn_2D* who, void** image, Point_2D point) override;
  /// Frame space of the record to patient space (time in seconds).
  Point_4D Metrics_Get_Org(char ask_parent, Quarn_2D* who, void** image, Point_4D point) override;
  /// Patient space to frame space of the record.
  Point_4D Metrics_Get_Frm(char ask_parent, Quarn_2D* who, void** image, Point_4D point) override;
};
