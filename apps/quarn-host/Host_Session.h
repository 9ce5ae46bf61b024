// The host's session: its variables, the library's pointers, and the lines typed so far.
#pragma once

#include <string>

/// Installs the host variables and sets the library's host pointers.
void Host_Session_Start();
/// Releases the library's script state and the host variables.
void Host_Session_End();
/// The host's update pass after a statement: the frames drop the layers that the library marked
/// for rebuilding since the last pass.
void Host_Update_Pass();
/// Runs one typed line and keeps it for saving; returns the line's result.
int Host_Session_Line(const std::wstring& line);
