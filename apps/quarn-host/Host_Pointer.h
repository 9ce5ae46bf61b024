// The host's window procedure for pointer messages: each press, drag, move and release goes to
// the 2D tree's event routing and then to the active tool modules, as from a real window.
#pragma once

#include <platform/PlatformMessage.h>
#include <platform/PlatformPointer.h>

#include <cstdint>

class Quarn_2D_Frame;
class Quarn_Window;

/// Pointer id the host's own pointer messages carry.
inline constexpr uint32_t Host_Pointer_Id = 1;

/// First argument of a pointer message: the pointer id in the low 16 bits, its
/// PLATFORM_POINTER_* flags in the next 16 (in contact: a button is held).
inline uint64_t Host_Pointer_Word(bool in_contact) {
  return Host_Pointer_Id | (uint64_t(in_contact ? PLATFORM_POINTER_IN_CONTACT : 0) << 16);
}
/// Second argument: the window pixel, x in the low 16 bits and y in the next 16.
inline uint64_t Host_Pointer_Position(int x, int y) { return uint64_t(uint16_t(x)) | uint64_t(uint16_t(y)) << 16; }

/// The frame under window pixel (x, y): in a one-frame window its current frame when the pixel
/// lies on it, else the first frame shown there; null over none.
Quarn_2D_Frame* Host_Frame_Under(Quarn_Window* window, int x, int y);

/// The procedure of the host's window (its user pointer is the window record): pointer down,
/// update and up messages become Database_2D_Click and Database_2D_Motion calls, then go to
/// every active module with a tool record.
void Host_Window_Procedure(Platform_Window* handle, const Platform_Message* message);

/// What the last pointer message came to: 1 when the tree or a tool took it, else 0.
int Host_Pointer_Taken();
