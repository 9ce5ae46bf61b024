// In-place clean-up of texts: unprintable characters become "_", style codes pass.
#pragma once

#include <quarn/Export.h>

/// Replaces every character that isprint rejects by '_', except the style codes 1-4 and 0xF0-0xF2.
QUARN_API char* Fct_Str_Cleanup(char* text);
/// Replaces every character that iswprint rejects by '_', except the style codes 1-4 and 0xF0-0xF2.
QUARN_API wchar_t* Fct_Str_Cleanup(wchar_t* text);
