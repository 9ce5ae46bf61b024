// The four actions on a per-window bit word and the conditions of the propagation mode.
#pragma once

#include <quarn/classes/Class_Flag.h>

#include <cstdint>

namespace quarn {

/// What a bit-word operation does to each word it reaches.
enum class Bit_Op : uint8_t { On, Off, Toggle, Get };

/// Applies op with mask to one word; a get answers word & mask, the others answer 0.
inline uint64_t Bit_Apply(uint64_t& word, Bit_Op op, uint64_t mask) {
  switch (op) {
    case Bit_Op::On: word |= mask; return 0;
    case Bit_Op::Off: word &= ~mask; return 0;
    case Bit_Op::Toggle: word ^= mask; return 0;
    case Bit_Op::Get: return word & mask;
  }
  return 0;
}

/// True when a flag word meets every condition bit of the mode.
inline bool Conditions_Hold(uint8_t mode, uint64_t flag_word) {
  if ((mode & mode::If_Selected) && !(flag_word & flag::Selected)) return false;
  if ((mode & mode::If_Visible) && !(flag_word & flag::Visible)) return false;
  if ((mode & mode::If_Current) && !(flag_word & flag::Current)) return false;
  return true;
}

/// The mode a walk hands to the parent: the conditions kept, acting and climbing on.
inline uint8_t Mode_Up(uint8_t mode) { return uint8_t((mode & mode::Conditions) | mode::Self | mode::Ancestors); }
/// The mode a walk hands to each child: the conditions kept, acting and descending on.
inline uint8_t Mode_Down(uint8_t mode) { return uint8_t((mode & mode::Conditions) | mode::Self | mode::Subtree); }

}  // namespace quarn
