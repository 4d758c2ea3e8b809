// The learning engine's variables by activity: a binary max-heap that knows where each one stands.
#pragma once

#include "state.h"

inline namespace OMBRASEL_CORE {

// Variables 0 to CAPACITY - 1; Before{}(a, b) says whether a goes above b (for the solver, is
// more active), so that the heap reads the keys where they are kept.
template <i32 CAPACITY, class Before>
struct VarHeap {
    i32 heap[CAPACITY];  // the variables in heap order
    i32 pos[CAPACITY];   // where each variable stands in heap, -1 when not in it
    i32 size;
};

// Moves the variable at index i up to its place, after it has come to go higher.
template <i32 CAPACITY, class Before>
void heap_up(VarHeap<CAPACITY, Before>& h, i32 i)
{
    const i32 v = h.heap[i];
    while (i > 0) {
        const i32 parent = (i - 1) >> 1;
        if (!Before{}(v, h.heap[parent])) break;
        h.heap[i] = h.heap[parent];
        h.pos[h.heap[i]] = i;
        i = parent;
    }
    h.heap[i] = v;
    h.pos[v] = i;
}

// Moves the variable at index i down to its place, after it has come to go lower.
template <i32 CAPACITY, class Before>
void heap_down(VarHeap<CAPACITY, Before>& h, i32 i)
{
    const i32 v = h.heap[i];
    for (;;) {
        i32 child = 2 * i + 1;
        if (child >= h.size) break;
        if (child + 1 < h.size && Before{}(h.heap[child + 1], h.heap[child])) ++child;
        if (!Before{}(h.heap[child], v)) break;
        h.heap[i] = h.heap[child];
        h.pos[h.heap[i]] = i;
        i = child;
    }
    h.heap[i] = v;
    h.pos[v] = i;
}

// Adds a variable that is not in the heap; one that is stays as it is.
template <i32 CAPACITY, class Before>
void heap_insert(VarHeap<CAPACITY, Before>& h, i32 v)
{
    if (h.pos[v] >= 0) return;
    h.heap[h.size] = v;
    h.pos[v] = h.size;
    ++h.size;
    heap_up(h, h.pos[v]);
}

// Moves a variable up to its place after it has come to go higher (its activity grew); one
// not in the heap stays out.
template <i32 CAPACITY, class Before>
void heap_raise(VarHeap<CAPACITY, Before>& h, i32 v)
{
    if (h.pos[v] >= 0) heap_up(h, h.pos[v]);
}

// Takes the top variable off a heap that is not empty.
template <i32 CAPACITY, class Before>
i32 heap_pop(VarHeap<CAPACITY, Before>& h)
{
    const i32 top = h.heap[0];
    h.pos[top] = -1;
    --h.size;
    if (h.size > 0) {
        h.heap[0] = h.heap[h.size];
        h.pos[h.heap[0]] = 0;
        heap_down(h, 0);
    }
    return top;
}

}  // namespace OMBRASEL_CORE
