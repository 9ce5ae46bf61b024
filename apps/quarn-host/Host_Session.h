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
/// Appends a statement that the session performed to the script it saves.
void Host_Session_Record(const std::wstring& statement);
/// Runs one typed line; returns the line's result.
int Host_Session_Line(const std::wstring& line);
