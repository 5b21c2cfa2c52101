// Per-thread records: every thread that runs framework code owns a small
// record reached through a thread-local slot, created on first need and
// released when the thread ends. A second slot holds one per-thread resource.
#pragma once

namespace vorn {

struct ThreadRecord {
    bool mainThread = false;
};

// Allocated first thing in the entry function and freed last.
bool AllocateThreadSlots();
void FreeThreadSlots();

// The calling thread's record, created when missing (null without slots).
ThreadRecord* CurrentThreadRecord();
void ReleaseThreadRecord();

// The per-thread resource: released (with `release`) when the thread's record is.
void SetThreadResource(void* resource, void (*release)(void*));
void* ThreadResource();

} // namespace vorn
