// The UTF-8 character-type locale under which the kit formats and classifies characters.
#pragma once

#include <locale.h>

/// A "C.UTF-8" character-type locale (other categories "C"), or (locale_t)0 when the system
/// has none; created once and kept for the life of the process.
locale_t Host_Utf8_Locale();
