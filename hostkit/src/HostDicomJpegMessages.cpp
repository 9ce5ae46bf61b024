// The JPEG decoder's own messages, caught on their way to standard error and handed to the reader.
//
// The toolkit's JPEG codec sets its decoders up with the IJG library's default error manager,
// whose message routine prints each warning and error to standard error. The host kit defines the
// setup function of each of the toolkit's IJG builds (8, 12 and 16 bits) itself: it calls the
// library's own and then replaces the message routine with one that keeps the text for the
// decoding thread, or drops it when no decoding listens.
#include "HostDicomFile.h"

#include <dlfcn.h>

namespace hostkit {
namespace {

// The leading members of the IJG error manager, the same in every build of the library.
struct Jpeg_Error_Head {
  void (*error_exit)(void* cinfo);
  void (*emit_message)(void* cinfo, int level);
  void (*output_message)(void* cinfo);
  void (*format_message)(void* cinfo, char* buffer);
};

// Longest message text the IJG library formats (its JMSG_LENGTH_MAX).
constexpr size_t kMessageLength = 200;
// Messages kept per decoding; later ones add nothing a user could act on.
constexpr int kMessagesKept = 4;

thread_local std::string* t_sink = nullptr;
thread_local int t_count = 0;

// Every decoder object starts with a pointer to its error manager.
void Keep_Message(void* cinfo) {
  if (!t_sink || t_count >= kMessagesKept) return;
  auto* err = *static_cast<Jpeg_Error_Head**>(cinfo);
  char text[kMessageLength + 1] = {0};
  err->format_message(cinfo, text);
  text[kMessageLength] = '\0';
  try {
    if (!t_sink->empty()) *t_sink += "; ";
    *t_sink += text;
  } catch (...) {
    return;  // a message that finds no memory is dropped: it must not unwind through C code
  }
  ++t_count;
}

}  // namespace

using Std_Error = void* (*)(void*);

// The library's own setup, with the message routine replaced.
void* Quiet_Std_Error(void* err, Std_Error real) {
  if (!real) return err;
  auto* head = static_cast<Jpeg_Error_Head*>(real(err));
  if (head) head->output_message = Keep_Message;
  return head;
}

// The next definition after the host kit's: the IJG library's.
Std_Error Real(const char* name) { return reinterpret_cast<Std_Error>(::dlsym(RTLD_NEXT, name)); }

Jpeg_Messages::Jpeg_Messages(std::string* sink) : previous_(t_sink), previous_count_(t_count) {
  t_sink = sink;
  t_count = 0;
}

Jpeg_Messages::~Jpeg_Messages() {
  t_sink = previous_;
  t_count = previous_count_;
}

}  // namespace hostkit

// Found by the toolkit's codec in the global scope, where the host kit comes before the
// toolkit's IJG libraries; each looks its library's own function up once.
extern "C" {

__attribute__((visibility("default"))) void* gdcmjpeg8_jpeg_std_error(void* err) {
  static const hostkit::Std_Error real = hostkit::Real("gdcmjpeg8_jpeg_std_error");
  return hostkit::Quiet_Std_Error(err, real);
}

__attribute__((visibility("default"))) void* gdcmjpeg12_jpeg_std_error(void* err) {
  static const hostkit::Std_Error real = hostkit::Real("gdcmjpeg12_jpeg_std_error");
  return hostkit::Quiet_Std_Error(err, real);
}

__attribute__((visibility("default"))) void* gdcmjpeg16_jpeg_std_error(void* err) {
  static const hostkit::Std_Error real = hostkit::Real("gdcmjpeg16_jpeg_std_error");
  return hostkit::Quiet_Std_Error(err, real);
}
}
