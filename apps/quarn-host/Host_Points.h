// The session's landmarks, released at its end.
#pragma once

/// Destroys every point of the list and empties it.
void Host_Points_Release();
