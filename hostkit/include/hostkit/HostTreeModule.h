// Grouping keys of the host's sample tree module: which patient and which series a record shows.
#pragma once

#include <hostkit/Export.h>

struct Host_Image_Record;

/// Writes the patient key of a record into out (size wide characters, size > 0): the patient
/// id, else the name as "family^given", else "Unknown patient". Returns the key's length.
HOSTKIT_API int Host_Tree_Patient_Key(const Host_Image_Record* record, wchar_t* out, int size);
/// Writes the series key of a record into out: the description (or "Series") followed by the
/// series date and time when recorded ("CT chest 2024-03-01 10:20:30"). Returns its length.
HOSTKIT_API int Host_Tree_Series_Key(const Host_Image_Record* record, wchar_t* out, int size);
