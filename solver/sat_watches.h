// The learning engine's watch lists: one list of watchers a literal, all kept in a fixed pool.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "state.h"

inline namespace OMBRASEL_CORE {

struct SatWatcher {
    std::uint32_t cref;  // the clause; SAT_BINARY set for a two-literal clause
    i32 blocker;         // a literal of the clause: when it is true the clause need not be visited
};

struct SatWatchList {
    std::uint32_t offset;  // into the active pool
    std::uint32_t size;
    std::uint32_t cap;
};

// Each list is a run of the active pool. A full list moves to the end of the pool with twice
// the room; when the pool is used up, every list is copied into the other pool, packed.
template <i32 LISTS, std::uint32_t POOL>
struct WatchPool {
    SatWatchList lists[LISTS];  // lists[p]: the clauses to visit when literal p becomes true
    SatWatcher pool[2][POOL];   // the active one, and the one compaction copies into
    i32 count;                  // lists in use, for literals 0 to count - 1
    i32 active;                 // the active pool
    std::uint32_t top;          // of the active pool, in use below it
    std::uint32_t limit;        // of each pool: POOL, unless a test asks for less
};

// No list, and the whole pool free.
template <i32 LISTS, std::uint32_t POOL>
void watches_reset(WatchPool<LISTS, POOL>& w)
{
    w.count = 0;
    w.active = 0;
    w.top = 0;
    w.limit = POOL;
}

// An empty list for the next literal, `lit`.
template <i32 LISTS, std::uint32_t POOL>
void watches_add_list(WatchPool<LISTS, POOL>& w, i32 lit)
{
    assert(lit == w.count && w.count < LISTS);
    w.lists[w.count++] = {w.top, 0, 0};
}

template <i32 LISTS, std::uint32_t POOL>
inline SatWatcher* watch_data(WatchPool<LISTS, POOL>& w, i32 lit)
{
    return &w.pool[w.active][w.lists[lit].offset];
}

// Whether, when the lists are laid out anew, each can have half as much room again as it
// holds; otherwise each gets just its size.
template <i32 LISTS, std::uint32_t POOL>
bool watch_room_fits(const WatchPool<LISTS, POOL>& w)
{
    const i32 lits = w.count;
    std::uint64_t used = 0;
    for (i32 p = 0; p < lits; ++p) used += w.lists[p].size;
    assert(used <= w.limit);
    return used + used / 2 + 4u * static_cast<std::uint64_t>(lits) <= w.limit;
}

inline std::uint32_t watch_cap(std::uint32_t size, bool roomy) { return roomy ? size + size / 2 + 4 : size; }

template <i32 LISTS, std::uint32_t POOL>
void compact_watches(WatchPool<LISTS, POOL>& w)
{
    const i32 lits = w.count;
    const bool roomy = watch_room_fits(w);
    const i32 from = w.active;
    const i32 to = 1 - from;
    std::uint32_t top = 0;
    for (i32 p = 0; p < lits; ++p) {
        SatWatchList& list = w.lists[p];
        const SatWatcher* old = &w.pool[from][list.offset];
        std::copy(old, old + list.size, &w.pool[to][top]);
        list.offset = top;
        list.cap = watch_cap(list.size, roomy);
        top += list.cap;
    }
    w.active = to;
    w.top = top;
}

template <i32 LISTS, std::uint32_t POOL>
void grow_watches(WatchPool<LISTS, POOL>& w, i32 lit)
{
    SatWatchList& list = w.lists[lit];
    if (list.offset + list.cap == w.top && w.top + list.cap + 4 <= w.limit) {
        w.top += list.cap + 4;  // the last list grows in place
        list.cap += list.cap + 4;
        return;
    }
    std::uint32_t cap = 2 * list.cap + 4;
    if (w.top + cap > w.limit) {
        compact_watches(w);
        if (list.size < list.cap) return;
        cap = 2 * list.cap + 4;
        if (w.top + cap > w.limit) cap = list.size + 1;
        assert(w.top + cap <= w.limit);
    }
    SatWatcher* pool = w.pool[w.active];
    std::copy(pool + list.offset, pool + list.offset + list.size, pool + w.top);
    list.offset = w.top;
    list.cap = cap;
    w.top += cap;
}

// Appends a watcher to the list of `lit`. The pool may be compacted: a pointer from
// watch_data is to be taken again.
template <i32 LISTS, std::uint32_t POOL>
inline void watch(WatchPool<LISTS, POOL>& w, i32 lit, SatWatcher watcher)
{
    SatWatchList& list = w.lists[lit];
    if (list.size == list.cap) grow_watches(w, lit);
    w.pool[w.active][list.offset + list.size++] = watcher;
}

// Lays every list out anew in the active pool, packed, with room for as many watchers as its
// size says (and more where the pool allows), and empties it, to be filled again.
template <i32 LISTS, std::uint32_t POOL>
void watches_lay_out(WatchPool<LISTS, POOL>& w)
{
    const i32 lits = w.count;
    const bool roomy = watch_room_fits(w);
    std::uint32_t top = 0;
    for (i32 p = 0; p < lits; ++p) {
        SatWatchList& list = w.lists[p];
        list.offset = top;
        list.cap = watch_cap(list.size, roomy);
        top += list.cap;
        list.size = 0;
    }
    w.top = top;
}

}  // namespace OMBRASEL_CORE
