// The registry of the host's plug-in modules: named groups with order numbers, the active list,
// the expanded groups of the tool list, and the host's loaded lists.
#pragma once

#include <quarn/Export.h>
#include <quarn/modules/Module_Functions.h>

#include <cstdint>

/// Number of modules the host loaded.
extern QUARN_API uint32_t Module_Quarn_Nb;
/// The host's loaded modules (Module_Quarn_Nb records, owned by the modules).
extern QUARN_API Module_Functions** Module_Quarn_Pt;
/// The display names of the host's loaded modules, parallel to Module_Quarn_Pt.
extern QUARN_API wchar_t** Quarn_Module_Names;

/// Longest group text read; a longer one is cut (and reported).
inline constexpr int MODULE_GROUP_TEXT_MAX = 255;

/// Appends the modules (an array of nb_module records) to the caller's group lists: each goes to
/// the group its group text names (compared without letter case; with skip_prefix the text's
/// first word is dropped), with the order number after the name's ":". Modules whose text starts
/// with "*" are left out. Returns the number of groups, 0 after an allocation failure.
QUARN_API int Fct_Module_List_Load(uint8_t skip_prefix, uint32_t nb_module, Module_Functions** modules,
                                   uint16_t* nb_group, uint16_t** group_count, wchar_t*** group_name,
                                   Module_Functions**** group_module);
/// Orders the groups by the order number of their first module as loaded, then the modules of
/// each group by theirs; releases the order numbers. Returns 1.
QUARN_API int Fct_Module_List_Sort(uint16_t nb_group, uint16_t* group_count, wchar_t** group_name,
                                   Module_Functions*** group_module);
/// Releases the names, the per-group arrays and the three arrays; the count becomes 0. Returns 1.
QUARN_API int Fct_Module_List_Cleanup(uint16_t* nb_group, uint16_t** group_count, wchar_t*** group_name,
                                      Module_Functions**** group_module);

/// Appends a module to the active list unless it is there; 1, 0 after an allocation failure.
QUARN_API int Fct_Module_Active_Add(Module_Functions* module);
/// Removes a module from the active list, keeping the others' order; 1 (also when it was not
/// active), 0 after an allocation failure.
QUARN_API int Fct_Module_Active_Del(Module_Functions* module);
/// Number of active modules.
QUARN_API uint32_t Fct_Module_Active_Nb();
/// The i-th active module, or null (reported) when i is not below the count.
QUARN_API Module_Functions* Fct_Module_Active_Pt(int i);
/// Empties the active list; returns 1.
QUARN_API int Fct_Module_Active_Cleanup();

/// The expanded flag of a group name in the caller's expand list; a name not listed yet is added
/// expanded and the call returns 0; a null name returns 0.
QUARN_API uint8_t Fct_Module_Expand_Get(const wchar_t* name, int* nb, wchar_t*** names, uint8_t** vals);
/// Sets the flag of a listed name or adds the name with it; 1, or 0 for a null name or an
/// allocation failure.
QUARN_API int Fct_Module_Expand_Set(const wchar_t* name, uint8_t val, int* nb, wchar_t*** names, uint8_t** vals);
/// Fct_Module_Expand_Set for each of the n names.
QUARN_API void Fct_Module_Expand_Set_All(uint16_t n, wchar_t** names, uint8_t val, int* nb, wchar_t*** list_names,
                                         uint8_t** vals);
/// Releases the names and both arrays; the count becomes 0.
QUARN_API void Fct_Module_Expand_Cleanup(int* nb, wchar_t*** names, uint8_t** vals);
