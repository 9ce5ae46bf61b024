// Get_Version_Quarn: the library's version text, from its build's version and its own file name.
#include <quarn/host/Services.h>

#include "core/Trace.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>

// The build gives these to this file alone.
#ifndef QUARN_VERSION_MAJOR
#error "the build defines QUARN_VERSION_MAJOR, QUARN_VERSION_MINOR and QUARN_VERSION_PATCH"
#endif

#define QUARN_STRINGIFY_(x) #x
#define QUARN_STRINGIFY(x) QUARN_STRINGIFY_(x)

namespace {

/// The interface version a host names: major and minor digits run together.
constexpr const char* kInterface = QUARN_STRINGIFY(QUARN_VERSION_MAJOR) QUARN_STRINGIFY(QUARN_VERSION_MINOR);
/// Room for the version text.
constexpr size_t kTextSize = 256;

// The name of the file this code was loaded from, without folder and suffixes ("libquarn").
std::string Own_Base_Name() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<const void*>(&Get_Version_Quarn), &info) || !info.dli_fname) return "libquarn";
  std::string name = info.dli_fname;
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.find('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? "libquarn" : name;
}

const char* Version_Text() {
  static char text[kTextSize];
  static std::once_flag made;
  std::call_once(made, [] {
    std::snprintf(text, sizeof text, "%s.so %s.%s (rev-%s)", Own_Base_Name().c_str(),
                  QUARN_STRINGIFY(QUARN_VERSION_MAJOR), QUARN_STRINGIFY(QUARN_VERSION_MINOR),
                  QUARN_STRINGIFY(QUARN_VERSION_PATCH));
  });
  return text;
}

}  // namespace

const char* Get_Version_Quarn(const char* interface_version) {
  QUARN_REPORT(quarn::msg::Version, ">>> in  Fct: Get_Version_Quarn(%s)", interface_version ? interface_version : "");
  if (interface_version && *interface_version && std::strcmp(interface_version, kInterface) != 0) {
    QUARN_REPORT(quarn::msg::Version, "<<< out Fct: Get_Version_Quarn(interface %s is not %s)", interface_version, kInterface);
    return "";
  }
  const char* text = Version_Text();
  QUARN_REPORT(quarn::msg::Version, "<<< out Fct: Get_Version_Quarn(%s)", text);
  return text;
}
