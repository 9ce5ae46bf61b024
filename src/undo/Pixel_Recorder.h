// Pixel_Recorder: per-thread chunked record lists shared by the TAG, GLI and 3D recorders.
#pragma once

#include <quarn/undo/Undo_Pixel.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace quarn::undo {

/// Where the entries of a block point, gathered while a block is applied.
struct Apply_State {
  const uint8_t* lo = nullptr;  ///< Lowest value address written.
  const uint8_t* hi = nullptr;  ///< Highest value address written.
  uint8_t* marks = nullptr;     ///< The tag mark table, or null.
};

/// What sets one recorder apart besides its entry type.
struct Recorder_Kind {
  const char* name;            ///< "TAG", "GLI" or "3D", for the traces.
  uint32_t entry_size;         ///< Bytes of one entry.
  const char* who;             ///< The record function, naming the undo lock's holder.
  const char* stop_text;       ///< Trace of a stop, with the number of entries.
  const char* source;          ///< Source named by memory reports.
  const char* var_nb;          ///< Array names in memory reports: counts,
  const char* var_list;        ///<   chunk lists,
  const char* var_chunk;       ///<   one chunk.
  bool asks_flush;             ///< "$UNDO_FLUSH" skips the overflow dialog.
  uint32_t too_big_class;      ///< Class of the "too big" warning.
  void (*on_start)();          ///< Called when a recording starts, or null.
  /// Begins an application of entries (clears the tag marks).
  void (*apply_begin)(Apply_State& state);
  /// Applies n entries as an undo (undo 1) or a redo (undo 0), in order.
  void (*apply)(uint8_t undo, const void* entries, size_t n, Apply_State& state);
  /// Ends an application: marks and updates.
  void (*apply_end)(Apply_State& state);
};

/// One thread's record list; its count and allowance sit on a cache line of their own.
struct alignas(64) Thread_List {
  std::atomic<uint32_t> count{0};  ///< Entries stored; written by the list's thread only.
  std::atomic<uint32_t> mark{0};   ///< The thread stores without the lock while count < mark.
  void* chunk = nullptr;           ///< Chunk being filled.
  void** chunks = nullptr;         ///< Every chunk of the list, in order.
  uint32_t chunk_nb = 0;           ///< Chunks allocated.
  bool shared = false;             ///< The list of threads without one of their own: locked.
  std::atomic<std::thread::id> owner{};  ///< Thread of the only list when there is no id list.
};

/// A thread's answer to "which list is mine", kept for one recording.
struct Thread_Cache {
  uint64_t generation = 0;
  Thread_List* list = nullptr;
};

/// Recording states.
enum Record_State : int { Record_Idle = 0, Record_On = 1, Record_Aborted = 2 };

/// One recorder: a list per worker of the running dispatch (or one list without a dispatch) plus
/// a locked list for any other thread. A thread appends to its own list without a lock while its
/// allowance lasts; allowances are shares of the room left under "$UNDO_SIZE", handed out under
/// the undo lock, so that the lists together never pass the limit.
class Pixel_Recorder {
public:
  explicit constexpr Pixel_Recorder(const Recorder_Kind& kind) : kind_(kind) {}
  Pixel_Recorder(const Pixel_Recorder&) = delete;
  Pixel_Recorder& operator=(const Pixel_Recorder&) = delete;

  /// Starts a recording (1), or 0 when undo is disabled or memory fails.
  int Start();
  /// Ends the recording: the block of every entry (malloc'd, thread after thread, each in its
  /// order, then a zeroed terminator), or null. An aborted recording is applied as an undo here,
  /// once no thread edits any more, and gives null.
  void* Stop();

  /// The recording state (acquire: a thread that sees Record_On sees its lists).
  int State() const { return state_.load(std::memory_order_acquire); }

  /// Appends one entry for the calling thread, written in place by fill(Entry*); cache is the
  /// thread's own for this recorder. Filling the slot in place, rather than copying an entry
  /// built on the stack, spares the processor a stalled load on every call; everything but a
  /// store into the thread's own chunk is out of line, so that the common call saves no register.
  template <class Entry, class Fill>
  [[gnu::always_inline]] int Append(Thread_Cache& cache, Fill fill) {
    if (cache.generation == generation_.load(std::memory_order_relaxed)) [[likely]] {
      Thread_List* list = cache.list;
      const uint32_t n = list->count.load(std::memory_order_relaxed);
      if (n < list->mark.load(std::memory_order_relaxed)) [[likely]] {
        fill(&static_cast<Entry*>(list->chunk)[n % UNDO_CHUNK_ENTRIES]);
        list->count.store(n + 1, std::memory_order_release);
        return 1;
      }
    }
    return Append_Cold<Entry>(cache, fill);
  }

private:
  /// Append for a thread new to this recording or whose allowance is spent: under the undo lock,
  /// since a worker past its dispatch's time-out may make its first call while the recording
  /// stops and its lists go.
  template <class Entry, class Fill>
  [[gnu::noinline]] int Append_Cold(Thread_Cache& cache, Fill fill) {
    Entry entry;
    fill(&entry);
    return Append_Slow(cache, &entry);
  }

  Thread_List* Find_List(Thread_Cache& cache);
  int Append_Slow(Thread_Cache& cache, const void* entry);
  bool Owns(const Thread_List* list) const;
  bool Grant(Thread_List* list);
  uint64_t Reserved() const;
  void Reclaim(const Thread_List* asking);
  int Overflow(Thread_List* list);
  bool New_Chunk(Thread_List* list);
  void Abort(const char* why);
  bool Alone() const;
  void Drop(Thread_List* own);
  void* Gather(uint64_t total);
  void Revert();
  void Release_Lists();
  void Release_Chunks(Thread_List& list);
  bool Live(int index) const;

  const Recorder_Kind& kind_;
  std::atomic<int> state_{Record_Idle};
  std::atomic<uint64_t> generation_{0};
  Thread_List* lists_ = nullptr;  // thread_nb_ lists of their own, then the shared one
  int thread_nb_ = 0;
  bool listed_ = false;  // a dispatch's identity list gives the threads their lists
};

/// Called on a dispatch worker's thread after its routine returned: frees what a recording kept
/// for that thread after it outlived the dispatch's time-out.
void Thread_Exit(uint32_t thread_id);

}  // namespace quarn::undo
