// Thread identities of the dispatch's workers, shared with the undo recorders through a variable.
#include "display/Thread_Ids.h"

#include "script/Remembered_Variable.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

namespace quarn {

namespace {

Remembered_Variable g_thread_nb{L"$COMPUTER_THREAD_NB"};
Remembered_Variable g_thread_id{L"$COMPUTER_THREAD_ID", true};

// The storage of the identity list: it holds the address of the entries.
uint32_t** Thread_Id_Storage() { return g_thread_id.As<uint32_t*>(); }

}  // namespace

uint32_t Thread_Id_Self() {
  static thread_local const uint32_t id = uint32_t(::syscall(SYS_gettid));
  return id;
}

uint32_t* Thread_Id_List(int* count) {
  uint32_t** storage = Thread_Id_Storage();
  uint32_t* list = storage ? std::atomic_ref<uint32_t*>(*storage).load(std::memory_order_acquire) : nullptr;
  if (count) *count = list ? Thread_Count() : 0;
  return list;
}

bool Thread_Id_List_Set(uint32_t* list) {
  uint32_t** storage = Thread_Id_Storage();
  if (!storage) return false;
  std::atomic_ref<uint32_t*>(*storage).store(list, std::memory_order_release);
  return true;
}

int Thread_Count() {
  const uint16_t* nb = g_thread_nb.As<uint16_t>();
  return nb ? *nb : 1;
}

int Thread_Id_Find(const uint32_t* list, int count, uint32_t id) {
  for (int i = 0; list && i < count; ++i)
    if (std::atomic_ref<uint32_t>(const_cast<uint32_t&>(list[i])).load(std::memory_order_relaxed) == id)
      return i;
  return -1;
}

}  // namespace quarn
