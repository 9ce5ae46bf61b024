// Drawing into widget boxes: with no screen behind the kit, each call is kept in a record that
// the host's debugging view and the tests read.
#include <hostkit/HostWidgets.h>

#include <algorithm>
#include <mutex>

namespace {

struct Draw_Record {
  std::mutex mutex;
  Host_Widget_Draw last;
  uint64_t count = 0;
};

Draw_Record& Draws() {
  static Draw_Record* record = new Draw_Record;  // outlives every static destructor
  return *record;
}

void Record(const Host_Widget_Draw& call) {
  Draw_Record& r = Draws();
  std::lock_guard<std::mutex> hold(r.mutex);
  r.last = call;
  ++r.count;
}

}  // namespace

void Host_Widget_Box_Redraw(Host_Widget_Box* box) {
  if (!box) return;
  Host_Widget_Draw call;
  call.box = box;
  call.kind = HOST_DRAW_BOX;
  call.right = std::max(box->width, 0);
  call.bottom = std::max(box->height, 0);
  call.color = box->color;
  Record(call);
}

void Host_Widget_Box_Fill(Host_Widget_Box* box, int left, int top, int right, int bottom,
                          Host_Color color) {
  if (!box) return;
  Host_Widget_Draw call;
  call.box = box;
  call.kind = HOST_DRAW_FILL;
  // Cut to the box; an inverted rectangle paints nothing but is still a call.
  call.left = std::clamp(left, 0, std::max(box->width, 0));
  call.right = std::clamp(right, call.left, std::max(box->width, 0));
  call.top = std::clamp(top, 0, std::max(box->height, 0));
  call.bottom = std::clamp(bottom, call.top, std::max(box->height, 0));
  call.color = color;
  Record(call);
}

uint64_t Host_Widget_Draw_Count() {
  Draw_Record& r = Draws();
  std::lock_guard<std::mutex> hold(r.mutex);
  return r.count;
}

Host_Widget_Draw Host_Widget_Draw_Last() {
  Draw_Record& r = Draws();
  std::lock_guard<std::mutex> hold(r.mutex);
  return r.last;
}

void Host_Widget_Draw_Reset() {
  Draw_Record& r = Draws();
  std::lock_guard<std::mutex> hold(r.mutex);
  r.last = Host_Widget_Draw{};
  r.count = 0;
}
