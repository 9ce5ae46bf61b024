// Message-class words the library passes to Host_Report, named for filters and tests.
#pragma once

#include <cstdint>

namespace quarn::msg {
inline constexpr uint32_t Memory = 1;            ///< Memory exhausted.
inline constexpr uint32_t Invalid = 2;           ///< Invalid object or argument.
inline constexpr uint32_t Platform = 4;          ///< Platform call failed; information for the user.
inline constexpr uint32_t Notice = 6;            ///< Notice for the user.
inline constexpr uint32_t GL_Error = 0x80000101; ///< OpenGL error.
inline constexpr uint32_t Low_File = 0x80000001; ///< Low-level trace of file handling.
inline constexpr uint32_t Low_Calc = 0x80000003; ///< Low-level trace of computations.
inline constexpr uint32_t Geometry_Warning = 0x80000001; ///< A geometry routine could not finish.
inline constexpr uint32_t Low_Other = 0x80000004; ///< Other low-level traces.
inline constexpr uint32_t Class = 0x84000087;    ///< Class constructors, destructors, accessors.
inline constexpr uint32_t Draw = 0x84000106;     ///< Drawing.
inline constexpr uint32_t Script_File = 0x84000406; ///< Script files.
inline constexpr uint32_t Update = 0x84000806;   ///< Update propagation.
inline constexpr uint32_t Variable = 0x84001006; ///< Variables.
inline constexpr uint32_t Database = 0x84002004; ///< Database layer.
inline constexpr uint32_t Module = 0x84002006;   ///< Module layer.
inline constexpr uint32_t Iterator = 0x84002008; ///< Iterator layer.
inline constexpr uint32_t Match = 0x84002006;    ///< Name templates ("Util:" traces).
inline constexpr uint32_t Critical = 0x84004006; ///< Critical sections and script blocks.
inline constexpr uint32_t Context = 0x84004008;  ///< OpenGL contexts.
inline constexpr uint32_t Iterator_Lock = 0x84004008; ///< Iterator table lock markers.
inline constexpr uint32_t Progress = 0x84004008; ///< Progress light and bar, and its lock.
inline constexpr uint32_t Critical_Marker = 0x90004007; ///< Global critical section nesting marker.
inline constexpr uint32_t Pointer = 0x84000043;  ///< Pointer handlers.
inline constexpr uint32_t Key = 0x84000045;      ///< Key and scroll handlers.
inline constexpr uint32_t Tool_Text = 0x84000022; ///< Tool-text files.
inline constexpr uint32_t Undo = 0x81002006;     ///< Undo layer.
inline constexpr uint32_t Undo_Lock = 0x81004006; ///< Undo layer locks.
inline constexpr uint32_t DB_Cleanup = 0x80012002; ///< Database clean-up.
inline constexpr uint32_t DB_Update = 0x80010804;  ///< Database update.
inline constexpr uint32_t Object_Lock = 0x80024006; ///< Per-object lock entry and exit.
inline constexpr uint32_t GL_Text_Cleanup = 0x84000104; ///< OpenGL text clean-up.
inline constexpr uint32_t GL_Format = 0x84000104; ///< OpenGL pixel-format choice.
inline constexpr uint32_t Version = 0x84000012;  ///< Version query.
inline constexpr uint32_t Clipboard = 0x80000000; ///< Clipboard hand-over failure.
inline constexpr uint32_t Probe = 0x84002004;    ///< Device probes (CUDA, headset).
}  // namespace quarn::msg
