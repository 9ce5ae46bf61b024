// The undo command stack: a ring of editing commands that undo and redo walk through.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

/// Undoes (undo 1) or redoes (undo 0) the command whose data block is data; returns a result
/// that undo and redo hand back.
using Undo_Fct_Undo_Redo = int (*)(uint8_t undo, void* data);
/// Bytes of memory held by a command's data block.
using Undo_Fct_Size = uint32_t (*)(void* data);

/// One saved command; the ring owns it, its name and its data block.
struct Undo_Datas {
  uint32_t uid;                  ///< Serial number; process-wide, never reused.
  uint32_t module;               ///< Quarn_Module_Cur when the command was saved.
  char* name;                    ///< Command name as the host's menu shows it.
  Undo_Fct_Undo_Redo undo_redo;  ///< Undoes or redoes data.
  Undo_Fct_Size size;            ///< Size of data, or null.
  void* data;                    ///< The command's block, malloc'd; freed with the record.
};

/// Most commands the ring holds, whatever "$UNDO_NB" asks for.
inline constexpr int UNDO_RING_MAX = 40;
/// Update bit sent whenever the undo state changes (a save, an undo, a redo).
inline constexpr uint64_t UPDATE_UNDO_STATE = 0x10000000ull;

/// Marks the host's start-up of the undo lock.
QUARN_API void Undo_Create();
/// Releases every command; marks the host's shut-down of the undo lock.
QUARN_API void Undo_Cleanup();

/// Saves a command: its undo/redo and size functions, its malloc'd data block (the ring owns it
/// from now on) and a printf-formatted name. Drops every redoable command first, and the oldest
/// when the ring is full. Returns 1, or 0 when undo is disabled ("$UNDO_NB" 0) or the record
/// cannot be allocated; with 0 the caller keeps its block.
QUARN_API int Undo_Save_Command(Undo_Fct_Undo_Redo undo_redo, Undo_Fct_Size size, void* data,
                                const char* format, ...) __attribute__((format(printf, 4, 5)));
/// Undoes the newest undoable command; its function's result, or 0 with nothing to undo.
QUARN_API int Undo_Undo_Command();
/// Redoes the oldest redoable command; its function's result, or 0 with nothing to redo.
QUARN_API int Undo_Redo_Command();
/// Number of undoable commands (0 while undo is disabled).
QUARN_API int Undo_Undo_Enable();
/// Number of redoable commands.
QUARN_API int Undo_Redo_Enable();
/// 1 when the command the next undo reverts was saved under module; uid is only traced.
QUARN_API int Undo_Querry_Next_Undo(uint32_t module, uint32_t uid);
/// Name of the i-th held command counted from the oldest, or " " when there is none; valid
/// until the ring changes.
QUARN_API const char* Undo_String_Command(int i);
/// Writes the held commands' names, newest first, with the message class (0: 0x80000000).
QUARN_API void Undo_Stool_Command(int message_class);
/// Sum of the held commands' sizes in bytes.
QUARN_API int Undo_Memory();
/// Releases every command; the serial numbers go on. Returns 1.
QUARN_API int Undo_Reset();
/// Takes a changed "$UNDO_NB" (clamped to UNDO_RING_MAX and written back) and empties the
/// ring; returns 1.
QUARN_API int Undo_Resize();
/// The ring's capacity.
QUARN_API int Undo_Test();
/// The record's size function applied to its data; 0 for a null record or no size function.
QUARN_API uint32_t Undo_Pixel_Size(Undo_Datas* record);
