// The global critical section: one process-wide recursive lock entered by name, with traces.
#pragma once

#include <quarn/Export.h>

/// Initialises the global critical section (host start-up).
QUARN_API void Fct_Critical_Create();
/// Deletes the global critical section (host shut-down); warns when it is still held.
QUARN_API void Fct_Critical_Cleanup();
/// Enters the section, nesting when the caller holds it; who names the caller in the traces.
QUARN_API void Fct_Critical_In(const char* who);
/// Leaves the section once; reports an error and changes nothing when the caller does not hold it.
QUARN_API void Fct_Critical_Out(const char* who);
/// Current nesting depth of the section.
QUARN_API int Fct_Critical_Depth();
