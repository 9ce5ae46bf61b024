// The recorders' memory limit: "$UNDO_SIZE", the overflow dialog and the "too big" warning.
#pragma once

#include <cstdint>

namespace quarn::undo {

/// Answers of the overflow dialog.
enum Overflow_Answer : int { Overflow_Continue = 0, Overflow_Abort = 1 };

/// "$UNDO_SIZE" in bytes (negative counts as 0; the largest int when the host has none).
int64_t Undo_Size_Limit();
/// True when an overflow asks the user: not suppressed by "do not ask again" and, for a recorder
/// that reads it, not by "$UNDO_FLUSH".
bool Overflow_Asks(bool reads_flush);
/// Shows the overflow dialog and returns its answer; the dialog may raise "$UNDO_SIZE" and may
/// suppress later dialogs for the rest of the process.
int Overflow_Dialog();
/// Reports that the undo of the running operation will not be kept, with the message class.
void Overflow_Too_Big(uint32_t message_class);

}  // namespace quarn::undo
