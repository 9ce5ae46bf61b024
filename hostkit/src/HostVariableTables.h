// Static arrays behind the default host variables: tag palette, colour maps, lists of names.
#pragma once

#include <hostkit/HostVariables.h>

#include <cstdint>

namespace hostkit::defaults {

inline constexpr int kTags = 256;        ///< Tag numbers 0 … 255.
inline constexpr int kWindows = 10;      ///< Display windows, indexed 0 … 9.
inline constexpr int kMaps = 5;          ///< Colour maps: 0 grey, 1 inverted grey, 2 hot iron, 3 rainbow, 4 viridis.
inline constexpr int kMapSize = 256;     ///< Entries of each colour map.
inline constexpr int kUnits = 4;         ///< Length units: mm, cm, m, in.
inline constexpr int kMarkers = 6;       ///< Marker symbols.
inline constexpr int kVertebrae = 25;    ///< Vertebra labels C1 … S1.
inline constexpr int kKeys = 83;         ///< Named keys.

// Tag tables hold one entry more than there are tags: readers clamp a tag to the tag count and
// index with the result, so the entry at index kTags (a copy of the last tag) must exist.
extern uint16_t Tag_Red[kTags + 1];  ///< Red per tag, component in the high byte.
extern uint16_t Tag_Grn[kTags + 1];  ///< Green per tag, component in the high byte.
extern uint16_t Tag_Blu[kTags + 1];  ///< Blue per tag, component in the high byte.
extern float Tag_Alpha[kTags + 1];   ///< Overlay alpha per tag; 1.0 is never drawn.
extern uint8_t Tag_Enable[kTags + 1];  ///< Tags offered to the user.
extern uint8_t Tag_Lock[kTags];      ///< Tags that painting must not overwrite.
extern uint8_t Undo_Tag[kTags];      ///< Tags touched by the running undo recording.
extern wchar_t* Tag_Label[kTags + 1];  ///< Tag names, malloc'd.

extern uint32_t* Colormap_Table[kMaps];  ///< The colour maps, RGBA words (red in the low byte).

extern void* Window_Pt[kWindows];  ///< The host's windows.
extern void* Frame_Cur[kWindows];  ///< Current frame per window index.

extern float Units_Factor[kUnits];  ///< Millimetres to each unit.
extern char* Units_Label[kUnits];   ///< Unit names, malloc'd UTF-8.
extern char* Units_Power[3];        ///< Suffixes for powers 1, 2, 3, malloc'd UTF-8.
extern char* Marker_Label[kMarkers];     ///< Marker names, malloc'd.
extern char* Vert_Label_Name[kVertebrae];  ///< Vertebra names, malloc'd.

extern Host_Key_Name Key_Name[kKeys];     ///< Key names and their virtual-key codes.

/// Puts every array above back to its default contents; texts are freed and copied anew.
void Reset_Default_Arrays();

}  // namespace hostkit::defaults
