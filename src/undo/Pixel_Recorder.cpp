// The recorders' shared engine: lists per thread, allowances under the limit, stop and abort.
#include "undo/Pixel_Recorder.h"

#include <quarn/display/Update.h>
#include <quarn/undo/Undo.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "display/Thread_Ids.h"
#include "script/Remembered_Variable.h"
#include "undo/Undo_Lock.h"
#include "undo/Undo_Overflow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace quarn::undo {

namespace {

constexpr uint32_t Trace = msg::Undo;
constexpr uint32_t Chunk = UNDO_CHUNK_ENTRIES;

Remembered_Variable g_undo_nb{L"$UNDO_NB"};

/// What a stop kept for worker threads that outlived their dispatch: freed when the last of
/// them ends. Guarded by the undo lock.
struct Orphan {
  Thread_List* lists;
  int list_nb;
  uint32_t* threads;
  int thread_nb;
  Orphan* next;
};
Orphan* g_orphans = nullptr;

void Free_Lists(Thread_List* lists, int count) {
  for (int i = 0; i < count; ++i) {
    for (uint32_t c = 0; c < lists[i].chunk_nb; ++c) std::free(lists[i].chunks[c]);
    std::free(lists[i].chunks);
  }
  delete[] lists;
}

// Entries of chunk c of a list holding count entries.
uint32_t Chunk_Count(uint32_t count, uint32_t c) { return std::min(Chunk, count - c * Chunk); }

// Most entries the lists may hold together: an entry is refused only when the entries already
// stored exceed "$UNDO_SIZE" bytes.
uint64_t Max_Entries(uint32_t entry_size) { return uint64_t(Undo_Size_Limit()) / entry_size + 1; }

// Stops with 2 ("go on storing") after an overflow that found room.
constexpr int Overflow_Room = 2;

}  // namespace

int Pixel_Recorder::Start() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Pixel_Start_%s()", kind_.name);
  if (State() == Record_On) {
    QUARN_REPORT(Trace, "<<< out Undo: Undo_Pixel_Start_%s(already)", kind_.name);
    return 1;
  }
  Lock_Hold hold(kind_.who);
  // The edits of an aborted operation go back before anything new is recorded.
  if (State() == Record_Aborted) Revert();
  Release_Lists();
  state_.store(Record_Idle, std::memory_order_relaxed);
  const uint16_t* nb = g_undo_nb.As<uint16_t>();
  if (!nb || !*nb) {
    QUARN_REPORT(Trace, "<<< out Undo: Undo_Pixel_Start_%s(! *Undo_Nb)", kind_.name);
    return 0;
  }
  if (kind_.on_start) kind_.on_start();
  int count = 0;
  listed_ = Thread_Id_List(&count) != nullptr;
  thread_nb_ = listed_ ? std::max(count, 1) : 1;
  lists_ = new (std::nothrow) Thread_List[size_t(thread_nb_) + 1];
  if (!lists_) {
    QUARN_MEMORY_ERROR("new", kind_.var_nb, thread_nb_ + 1, sizeof(Thread_List));
    thread_nb_ = 0;
    return 0;
  }
  lists_[thread_nb_].shared = true;
  generation_.fetch_add(1, std::memory_order_relaxed);
  state_.store(Record_On, std::memory_order_release);
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Pixel_Start_%s(%d threads)", kind_.name, thread_nb_);
  return 1;
}

Thread_List* Pixel_Recorder::Find_List(Thread_Cache& cache) {
  const uint64_t generation = generation_.load(std::memory_order_relaxed);
  Thread_List* list = &lists_[thread_nb_];
  if (listed_) {
    int count = 0;
    const uint32_t* ids = Thread_Id_List(&count);
    const int at = Thread_Id_Find(ids, std::min(count, thread_nb_), Thread_Id_Self());
    if (at >= 0) list = &lists_[at];
  } else {
    // Without a dispatch the first thread that records has the list; others share the locked one.
    std::thread::id holder{};
    const std::thread::id me = std::this_thread::get_id();
    if (lists_[0].owner.compare_exchange_strong(holder, me) || holder == me) list = &lists_[0];
  }
  cache.generation = generation;
  cache.list = list;
  return list;
}

bool Pixel_Recorder::Owns(const Thread_List* list) const {
  return lists_ && list >= lists_ && list <= lists_ + thread_nb_;
}

int Pixel_Recorder::Append_Slow(Thread_Cache& cache, const void* entry) {
  Lock_Hold hold(kind_.who);
  const int state = State();
  if (state != Record_On) return state == Record_Aborted ? 0 : 1;
  Thread_List* list = cache.generation == generation_.load(std::memory_order_relaxed) && Owns(cache.list)
                          ? cache.list
                          : Find_List(cache);
  const uint32_t n = list->count.load(std::memory_order_relaxed);
  if (n >= list->mark.load(std::memory_order_relaxed) && !Grant(list)) {
    const int answer = Overflow(list);
    if (answer != Overflow_Room) return answer;
  }
  if (n == list->chunk_nb * Chunk && !New_Chunk(list)) return 0;
  std::memcpy(static_cast<uint8_t*>(list->chunk) + size_t(n % Chunk) * kind_.entry_size, entry,
              kind_.entry_size);
  list->count.store(n + 1, std::memory_order_release);
  return 1;
}

uint64_t Pixel_Recorder::Reserved() const {
  uint64_t sum = 0;
  for (int i = 0; i <= thread_nb_; ++i)
    sum += std::max(lists_[i].count.load(std::memory_order_relaxed),
                    lists_[i].mark.load(std::memory_order_relaxed));
  return sum;
}

// Takes back what other threads were allowed and did not use, but for the one entry each may be
// storing right now.
void Pixel_Recorder::Reclaim(const Thread_List* asking) {
  for (int i = 0; i < thread_nb_; ++i) {
    Thread_List& other = lists_[i];
    if (&other == asking) continue;
    const uint32_t count = other.count.load(std::memory_order_relaxed);
    if (other.mark.load(std::memory_order_relaxed) > count + 1)
      other.mark.store(count + 1, std::memory_order_relaxed);
  }
}

// Gives the list an allowance: a share of the room left, up to the end of its chunk.
bool Pixel_Recorder::Grant(Thread_List* list) {
  const uint64_t most = Max_Entries(kind_.entry_size);
  uint64_t reserved = Reserved();
  if (reserved >= most) {
    Reclaim(list);
    reserved = Reserved();
    if (reserved >= most) return false;
  }
  // The shared list's mark stays at 0: every one of its calls stores under the lock, and a mark
  // above its count would let another thread store beside it.
  if (list->shared) return true;
  const uint64_t room = most - reserved;
  const uint32_t n = list->count.load(std::memory_order_relaxed);
  const uint64_t to_chunk_end = (n / Chunk + 1) * uint64_t(Chunk) - n;
  const uint64_t share = std::max<uint64_t>(1, room / uint64_t(thread_nb_));
  list->mark.store(n + uint32_t(std::min({share, room, to_chunk_end})), std::memory_order_relaxed);
  return true;
}

int Pixel_Recorder::Overflow(Thread_List* list) {
  QUARN_REPORT(Trace, "-> Undo_Pixel_Record_%s: overflow at %lld bytes", kind_.name,
               (long long)Undo_Size_Limit());
  if (Overflow_Asks(kind_.asks_flush)) {
    if (Overflow_Dialog() == Overflow_Abort) {
      Abort("Operation aborted");
      return 0;
    }
    if (Grant(list)) return Overflow_Room;
  }
  Overflow_Too_Big(kind_.too_big_class);
  Drop(list);
  return 1;
}

bool Pixel_Recorder::New_Chunk(Thread_List* list) {
  void* chunk = std::malloc(size_t(Chunk) * kind_.entry_size);
  if (!chunk) {
    Memory_Error(kind_.source, __LINE__, "malloc", kind_.var_chunk, Chunk, kind_.entry_size);
    Abort("Operation aborted");
    return false;
  }
  auto** grown = static_cast<void**>(std::realloc(list->chunks, (list->chunk_nb + 1) * sizeof(void*)));
  if (!grown) {
    std::free(chunk);
    Memory_Error(kind_.source, __LINE__, "realloc", kind_.var_list, list->chunk_nb + 1, sizeof(void*));
    Abort("Operation aborted");
    return false;
  }
  grown[list->chunk_nb++] = chunk;
  list->chunks = grown;
  list->chunk = chunk;
  return true;
}

// Every further record call of the operation answers 0. With no other thread storing, the edits
// go back now: a caller may take the abort for the end of its operation and never stop, and what
// the entries point to may be gone by the next start. A dispatch's workers may still be storing,
// so theirs go back at the stop.
void Pixel_Recorder::Abort(const char* why) {
  state_.store(Record_Aborted, std::memory_order_release);
  if (Alone()) {
    Revert();
    for (int i = 0; i <= thread_nb_; ++i) Release_Chunks(lists_[i]);
  }
  QUARN_REPORT(msg::Invalid, "%s", why);
}

// True when no thread but the caller can be storing without the lock: no dispatch lists the
// threads, and the one list filled without the lock is the caller's or nobody's.
bool Pixel_Recorder::Alone() const {
  if (listed_ || !lists_) return false;
  const std::thread::id owner = lists_[0].owner.load(std::memory_order_relaxed);
  return owner == std::thread::id() || owner == std::this_thread::get_id();
}

// The operation goes on without undo: the caller's chunks go now, the others' at the stop (their
// threads may be storing), and the whole command ring is emptied.
void Pixel_Recorder::Drop(Thread_List* own) {
  state_.store(Record_Idle, std::memory_order_release);
  Release_Chunks(*own);
  Release_Chunks(lists_[thread_nb_]);
  Undo_Reset();
}

void Pixel_Recorder::Release_Chunks(Thread_List& list) {
  for (uint32_t c = 0; c < list.chunk_nb; ++c) std::free(list.chunks[c]);
  std::free(list.chunks);
  list.chunks = nullptr;
  list.chunk = nullptr;
  list.chunk_nb = 0;
  list.count.store(0, std::memory_order_relaxed);
  list.mark.store(0, std::memory_order_relaxed);
}

void* Pixel_Recorder::Stop() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Pixel_Stop_%s()", kind_.name);
  Lock_Hold hold(kind_.who);
  const int state = State();
  if (state != Record_On) {
    if (state == Record_Aborted) Revert();
    Release_Lists();
    QUARN_REPORT(Trace, "<<< out Undo: Undo_Pixel_Stop_%s(! recording)", kind_.name);
    return nullptr;
  }
  state_.store(Record_Idle, std::memory_order_release);
  uint64_t total = 0;
  for (int i = 0; i <= thread_nb_; ++i) total += lists_[i].count.load(std::memory_order_acquire);
  void* block = total ? Gather(total) : nullptr;
  Release_Lists();
  if (!block) {
    QUARN_REPORT(Trace, "<<< out Undo: Undo_Pixel_Stop_%s(%s)", kind_.name, total ? "! block" : "empty");
    return nullptr;
  }
  QUARN_REPORT(Trace, kind_.stop_text, int(total));
  Fct_Update(UPDATE_UNDO_RECORDED);
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Pixel_Stop_%s()", kind_.name);
  return block;
}

// One block of every entry, thread after thread, each in its recording order.
void* Pixel_Recorder::Gather(uint64_t total) {
  const size_t size = kind_.entry_size;
  auto* block = static_cast<uint8_t*>(std::malloc(size_t(total + 1) * size));
  if (!block) {
    QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 Memory error in Undo!");
    QUARN_REPORT(msg::Invalid, "\xF1\t Undo for Latest operation is lost.");
    return nullptr;
  }
  uint8_t* at = block;
  for (int i = 0; i <= thread_nb_; ++i) {
    Thread_List& list = lists_[i];
    const uint32_t count = list.count.load(std::memory_order_acquire);
    // Each chunk goes as soon as it is copied, but where a late thread may still be writing.
    const bool keep = Live(i);
    for (uint32_t c = 0; c * Chunk < count; ++c) {
      const size_t bytes = size_t(Chunk_Count(count, c)) * size;
      std::memcpy(at, list.chunks[c], bytes);
      at += bytes;
      if (keep) continue;
      std::free(list.chunks[c]);
      list.chunks[c] = nullptr;
    }
  }
  std::memset(at, 0, size);
  return block;
}

// Applies the aborted operation's entries as an undo, straight from the chunks.
void Pixel_Recorder::Revert() {
  uint64_t total = 0;
  for (int i = 0; lists_ && i <= thread_nb_; ++i) total += lists_[i].count.load(std::memory_order_acquire);
  // Nothing left to give back (an abort gave it back already): the tag marks stay as they are.
  if (!total) return;
  QUARN_REPORT(Trace, "-> Undo_Pixel_Stop_%s: giving back the aborted operation's edits", kind_.name);
  Apply_State state;
  kind_.apply_begin(state);
  for (int i = 0; i <= thread_nb_; ++i) {
    const Thread_List& list = lists_[i];
    const uint32_t count = list.count.load(std::memory_order_acquire);
    for (uint32_t c = 0; c * Chunk < count; ++c) kind_.apply(1, list.chunks[c], Chunk_Count(count, c), state);
  }
  kind_.apply_end(state);
}

// A worker still listed when the recording ends outlived its dispatch's time-out: it may be
// storing into its list right now (also when the dispatch ran one worker at a time).
bool Pixel_Recorder::Live(int index) const {
  if (!listed_ || index >= thread_nb_) return false;
  int count = 0;
  uint32_t* ids = Thread_Id_List(&count);
  return ids && index < count && std::atomic_ref<uint32_t>(ids[index]).load(std::memory_order_relaxed);
}

void Pixel_Recorder::Release_Lists() {
  if (!lists_) return;
  const int list_nb = thread_nb_ + 1;
  auto* threads = static_cast<uint32_t*>(std::calloc(size_t(list_nb), sizeof(uint32_t)));
  int live = 0;
  for (int i = 0; i < thread_nb_; ++i)
    if (Live(i)) {
      const uint32_t id = std::atomic_ref<uint32_t>(Thread_Id_List(nullptr)[i]).load(std::memory_order_relaxed);
      if (threads) threads[live] = id;
      ++live;
    }
  Orphan* orphan = live ? new (std::nothrow) Orphan{lists_, list_nb, threads, live, g_orphans} : nullptr;
  if (orphan) {
    g_orphans = orphan;
    QUARN_REPORT(Trace, "-> Undo_Pixel_%s: %d late thread(s), their lists are kept until they end",
                 kind_.name, live);
  } else if (!live) {
    std::free(threads);
    Free_Lists(lists_, list_nb);
  } else {
    // Cannot keep track of them: better never freed than freed under a running thread.
    std::free(threads);
    QUARN_MEMORY_ERROR("new", "orphan", 1, sizeof(Orphan));
  }
  lists_ = nullptr;
  thread_nb_ = 0;
  listed_ = false;
}

void Thread_Exit(uint32_t thread_id) {
  Lock_Hold hold("Undo_Thread_Exit");
  for (Orphan** at = &g_orphans; *at;) {
    Orphan* o = *at;
    for (int i = 0; o->threads && i < o->thread_nb;)
      if (o->threads[i] == thread_id) o->threads[i] = o->threads[--o->thread_nb];
      else ++i;
    if (o->thread_nb > 0) {
      at = &o->next;
      continue;
    }
    *at = o->next;
    Free_Lists(o->lists, o->list_nb);
    std::free(o->threads);
    delete o;
  }
}

}  // namespace quarn::undo
