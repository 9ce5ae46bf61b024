// The whole public interface of libquarn.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>
#include <hostkit/HostVariables.h>

#include <quarn/core/Report_Class.h>
#include <quarn/core/Quarn.h>
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/core/Str_Cleanup.h>

#include <quarn/display/Critical.h>
#include <quarn/display/Update.h>

#include <quarn/script/Host_Variable.h>
#include <quarn/script/Script_Args.h>
#include <quarn/script/Script_Error.h>
#include <quarn/script/Script_Macro.h>
#include <quarn/script/Script_Reader.h>
#include <quarn/script/Script_Statements.h>
#include <quarn/script/Script_Vars.h>
