// Thread identities: the calling thread's identifier and the dispatch's list of worker identifiers.
#pragma once

#include <cstdint>

namespace quarn {

/// The calling thread's identifier as the thread-identity list holds it (never 0).
uint32_t Thread_Id_Self();

/// The list "$COMPUTER_THREAD_ID" (the variable holds a pointer to its entries), or null while
/// no dispatch runs; count receives "$COMPUTER_THREAD_NB". Entries are read and written through
/// std::atomic_ref: workers clear their own while others read.
uint32_t* Thread_Id_List(int* count);

/// Installs list as "$COMPUTER_THREAD_ID" (null removes it); false when the host has no such
/// variable.
bool Thread_Id_List_Set(uint32_t* list);

/// "$COMPUTER_THREAD_NB", or 1 when the host has no such variable.
int Thread_Count();

/// Position of id in list (count entries), or -1.
int Thread_Id_Find(const uint32_t* list, int count, uint32_t id);

}  // namespace quarn
