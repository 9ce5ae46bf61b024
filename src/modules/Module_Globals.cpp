// The exported module lists the host fills after loading its modules.
#include <quarn/modules/Module_Registry.h>

uint32_t Module_Quarn_Nb = 0;
Module_Functions** Module_Quarn_Pt = nullptr;
wchar_t** Quarn_Module_Names = nullptr;
