// The learning engine's variables by activity: a binary max-heap that knows where each one stands.
#pragma once

#include "state.h"

// Variables 0 to CAPACITY - 1, the one with the highest key on top; the keys (the solver's
// activities) are passed to every operation that moves variables.
template <i32 CAPACITY>
struct VarHeap {
    i32 heap[CAPACITY];  // the variables in heap order
    i32 pos[CAPACITY];   // where each variable stands in heap, -1 when not in it
    i32 size;
};

// Moves the variable at index i up to its place, after its key has grown.
template <i32 CAPACITY>
void heap_up(VarHeap<CAPACITY>& h, i32 i, const double* key)
{
    const i32 v = h.heap[i];
    while (i > 0) {
        const i32 parent = (i - 1) >> 1;
        if (!(key[v] > key[h.heap[parent]])) break;
        h.heap[i] = h.heap[parent];
        h.pos[h.heap[i]] = i;
        i = parent;
    }
    h.heap[i] = v;
    h.pos[v] = i;
}

template <i32 CAPACITY>
void heap_down(VarHeap<CAPACITY>& h, i32 i, const double* key)
{
    const i32 v = h.heap[i];
    for (;;) {
        i32 child = 2 * i + 1;
        if (child >= h.size) break;
        if (child + 1 < h.size && key[h.heap[child + 1]] > key[h.heap[child]]) ++child;
        if (!(key[h.heap[child]] > key[v])) break;
        h.heap[i] = h.heap[child];
        h.pos[h.heap[i]] = i;
        i = child;
    }
    h.heap[i] = v;
    h.pos[v] = i;
}

// Adds a variable that is not in the heap; one that is stays as it is.
template <i32 CAPACITY>
void heap_insert(VarHeap<CAPACITY>& h, i32 v, const double* key)
{
    if (h.pos[v] >= 0) return;
    h.heap[h.size] = v;
    h.pos[v] = h.size;
    ++h.size;
    heap_up(h, h.pos[v], key);
}

// Puts a variable back in its place after its key has grown; one not in the heap stays out.
template <i32 CAPACITY>
void heap_key_grown(VarHeap<CAPACITY>& h, i32 v, const double* key)
{
    if (h.pos[v] >= 0) heap_up(h, h.pos[v], key);
}

// Takes the variable with the highest key off a heap that is not empty.
template <i32 CAPACITY>
i32 heap_pop(VarHeap<CAPACITY>& h, const double* key)
{
    const i32 top = h.heap[0];
    h.pos[top] = -1;
    --h.size;
    if (h.size > 0) {
        h.heap[0] = h.heap[h.size];
        h.pos[h.heap[0]] = 0;
        heap_down(h, 0, key);
    }
    return top;
}
