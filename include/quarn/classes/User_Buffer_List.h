// User_Buffer_List: the buffers a tree node files under numeric ids, guarded by the node's lock.
#pragma once

#include <cstdint>

class Quarn;
class Quarn_Buffer;

namespace quarn {
struct User_Buffer_Style;
}

/// Ids and buffers of a node, in two parallel arrays grown one entry at a time. Every operation
/// runs under the owning node's lock, because worker threads read buffers while the interface
/// thread files and releases them. The node forwards its User_ operations here.
class User_Buffer_List {
public:
  User_Buffer_List() = default;
  /// Destroys every buffer (the owner is going, so no lock is taken).
  ~User_Buffer_List();
  User_Buffer_List(const User_Buffer_List&) = delete;
  User_Buffer_List& operator=(const User_Buffer_List&) = delete;

  /// Files buffer under id, replacing the pointer of an existing entry; 0 when the arrays cannot grow.
  int Set(Quarn& owner, const quarn::User_Buffer_Style& style, uint32_t id, Quarn_Buffer* buffer);
  /// The buffer filed under id, or null.
  Quarn_Buffer* Get(Quarn& owner, const quarn::User_Buffer_Style& style, uint32_t id);
  /// Destroys the buffer filed under id; 0 when there is none.
  int Delete(Quarn& owner, const quarn::User_Buffer_Style& style, uint32_t id);
  /// Destroys the unlocked buffers whose priority (class B) is level; returns the bytes released.
  uint64_t Cleanup(Quarn& owner, const quarn::User_Buffer_Style& style, uint16_t level);
  /// Bytes held by all buffers.
  uint64_t Memory(Quarn& owner, const quarn::User_Buffer_Style& style);
  /// One dump line per buffer filed under id (every buffer when id is 0).
  void Stool(Quarn& owner, const quarn::User_Buffer_Style& style, int message_class, int depth,
             uint32_t id);

  /// Destroys every buffer and releases the arrays, without the lock (owner destruction).
  void Destroy_All();

  /// Number of entries.
  int Count() const { return user_nb_; }

private:
  int Find(uint32_t id) const;

  int user_nb_ = 0;                  ///< Number of entries.
  uint32_t* user_id_ = nullptr;      ///< Id of each entry.
  Quarn_Buffer** user_pt_ = nullptr; ///< Owned buffer of each entry, parallel to the ids.
};
