// Bits of the per-window flag word of tree nodes, and the propagation modes of the bit-word operations.
#pragma once

#include <cstdint>

/// Display mode: every child is shown.
inline constexpr uint64_t CLASS_FLAG_EXPAND = 0x0001;
/// Display mode: only the current child is shown, and the children play as a loop.
inline constexpr uint64_t CLASS_FLAG_LOOP = 0x0002;
/// Display mode: only the current child is shown.
inline constexpr uint64_t CLASS_FLAG_ONE = 0x0004;

namespace quarn::flag {
inline constexpr uint64_t Display_Mode = 0x000F;  ///< The node's display mode bits.
inline constexpr uint64_t Current = 0x0100;       ///< On the path of the window's current frame.
inline constexpr uint64_t Selected = 0x0200;      ///< Toggled by selection.
inline constexpr uint64_t Visible = 0x0400;       ///< Shown in the window.
inline constexpr uint64_t Highlight = 0x7000;     ///< Highlight colour: red 0x1000, green 0x2000, blue 0x4000.
inline constexpr uint64_t Current_Path = 0x3100;  ///< Current, highlighted red and green.
inline constexpr uint64_t Modified = 0x10000000;  ///< On the root, window 0: unsaved edits.
}  // namespace quarn::flag

/// The propagation mode of the bit-word operations: where they act, and on which condition.
namespace quarn::mode {
inline constexpr uint8_t If_Selected = 0x01;  ///< Act only on nodes with the selected bit.
inline constexpr uint8_t If_Visible = 0x02;   ///< Act only on nodes with the visible bit.
inline constexpr uint8_t If_Current = 0x04;   ///< Act only on nodes with the current bit.
inline constexpr uint8_t Conditions = 0x0F;   ///< The bits a walk hands on unchanged.
inline constexpr uint8_t Self = 0x10;         ///< Act on the node itself.
inline constexpr uint8_t Subtree = 0x20;      ///< Continue into every descendant.
inline constexpr uint8_t Ancestors = 0x40;    ///< Continue up to the root.
}  // namespace quarn::mode
