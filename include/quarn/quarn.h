// The whole public interface of libquarn.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostDraw.h>
#include <hostkit/HostImage.h>
#include <hostkit/HostMovie.h>
#include <hostkit/HostPng.h>
#include <hostkit/HostProgress.h>
#include <hostkit/HostRecord1D.h>
#include <hostkit/HostRecords.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>
#include <hostkit/HostVariables.h>
#include <hostkit/HostWidgets.h>

#include <quarn/core/Report_Class.h>
#include <quarn/core/Axes.h>
#include <quarn/core/Point.h>
#include <quarn/core/Region.h>
#include <quarn/core/Quarn.h>
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/core/Str_Cleanup.h>

#include <quarn/classes/Class_Flag.h>
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Tree_Node.h>
#include <quarn/classes/User_Buffer_List.h>
#include <quarn/classes/Quarn_1D.h>
#include <quarn/classes/Quarn_1D_Data.h>
#include <quarn/classes/Quarn_1D_File.h>
#include <quarn/classes/Quarn_1D_Root.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/classes/Quarn_2D_File.h>
#include <quarn/classes/Quarn_2D_Root.h>
#include <quarn/classes/Quarn_3D.h>
#include <quarn/classes/Quarn_3D_File.h>
#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/classes/Quarn_3D_Root.h>
#include <quarn/classes/Iterator.h>
#include <quarn/classes/Match_Template.h>

#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/frames/Frame_Layers.h>

#include <quarn/display/Critical.h>
#include <quarn/display/OpenGL_Context.h>
#include <quarn/display/OpenGL_Text.h>
#include <quarn/display/Dispatch.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>
#include <quarn/display/Window_Change.h>
#include <quarn/display/Pixel_Render.h>
#include <quarn/display/Overlay_Draw.h>
#include <quarn/display/Scene_Draw.h>

#include <quarn/interaction/Database_2D.h>
#include <quarn/interaction/Pen_Touch.h>
#include <quarn/interaction/Quarn_Point.h>

#include <quarn/host/Device_Probe.h>
#include <quarn/host/File_Dialog.h>
#include <quarn/host/Header_Report.h>
#include <quarn/host/Number_Text.h>
#include <quarn/host/Progress.h>
#include <quarn/host/Services.h>

#include <quarn/script/Host_Variable.h>
#include <quarn/script/Script_Args.h>
#include <quarn/script/Script_Error.h>
#include <quarn/script/Script_Macro.h>
#include <quarn/script/Script_Reader.h>
#include <quarn/script/Script_Statements.h>
#include <quarn/script/Script_Vars.h>

#include <quarn/modules/Module_Functions.h>

#include <quarn/algorithms/GEMS.h>
#include <quarn/algorithms/Arts_3D.h>
#include <quarn/algorithms/Geom.h>
#include <quarn/undo/Undo.h>
#include <quarn/undo/Undo_Pixel.h>
#include <quarn/algorithms/Noise.h>
#include <quarn/algorithms/Volume_Test.h>
#include <quarn/modules/Module_Registry.h>

#include <quarn/algorithms/Contour.h>
