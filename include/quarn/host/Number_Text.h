// Measured values as texts: magnitude-dependent decimals, the user's decimal mark and units.
#pragma once

#include <quarn/Export.h>

/// Characters of a number text buffer, terminator included; a caller's buffer holds this many.
inline constexpr int FLOAT_TEXT_SIZE = 64;
/// Bytes of a units label buffer, terminator included; a caller's buffer holds this many.
inline constexpr int UNITS_LABEL_SIZE = 32;

/// Writes value into buffer (FLOAT_TEXT_SIZE characters; null: a buffer of the calling thread,
/// valid until its next call): "0" below 2^-39 in magnitude, else no decimals above 1000, one
/// above 100, two above 10, three above 1 and four significant digits below; the decimal point
/// is $REGIONAL_FRACTION when that is set to another character. Returns the text.
QUARN_API char* Fct_Float_2_Text(double value, char* buffer = nullptr);
/// A distance in mm in the unit $UNITS_DIST names: its label into label (UNITS_LABEL_SIZE bytes,
/// may be null) and the number as Fct_Float_2_Text writes it into buffer (may be null).
QUARN_API char* Fct_Float_2_Dist(double mm, char* label = nullptr, char* buffer = nullptr);
/// A surface in mm² in the unit $UNITS_SURF names (factor squared, label with the square suffix).
QUARN_API char* Fct_Float_2_Surf(double mm2, char* label = nullptr, char* buffer = nullptr);
/// A volume in mm³ in the unit $UNITS_VOL names (factor cubed, label with the cube suffix).
QUARN_API char* Fct_Float_2_Vol(double mm3, char* label = nullptr, char* buffer = nullptr);
