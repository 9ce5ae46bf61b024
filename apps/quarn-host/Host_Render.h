// The host's drawable behind its window record: opened at the window's size, drawn by the
// library's scene passes after the host's update pass, and read back as a picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <hostkit/HostTypes.h>

class Quarn_Window;

/// Default size of a window that was never given one.
inline constexpr int Host_Window_Default_Width = 512;
inline constexpr int Host_Window_Default_Height = 384;
/// Largest window side the host opens.
inline constexpr int Host_Window_Max_Side = 4096;

/// Lays out, updates and draws the window into its drawable and reads the picture (RGBA, rows
/// top first) into rgba; false when the drawable cannot be opened (reported).
bool Host_Render(Quarn_Window* window, std::vector<uint8_t>* rgba, int* width, int* height);
/// Brings the window to the state its last paint would leave: default size, the update pass,
/// the current frame of a one-frame window, the layout and the visible bits; returns the
/// platform window behind it (made on first use), or null when it cannot be made.
Host_Window Host_Layout(Quarn_Window* window);
/// Closes the drawable and its context.
void Host_Render_Release();
