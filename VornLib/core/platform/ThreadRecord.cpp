#include "VornLib/core/platform/ThreadRecord.h"

#include "VornLib/core/Win32.h"

namespace vorn {
namespace {

DWORD gRecordSlot = TLS_OUT_OF_INDEXES;
DWORD gResourceSlot = TLS_OUT_OF_INDEXES;

struct ThreadResourceHolder {
    void* resource;
    void (*release)(void*);
};

} // namespace

bool AllocateThreadSlots() {
    gRecordSlot = TlsAlloc();
    gResourceSlot = TlsAlloc();
    return gRecordSlot != TLS_OUT_OF_INDEXES && gResourceSlot != TLS_OUT_OF_INDEXES;
}

void FreeThreadSlots() {
    if (gRecordSlot != TLS_OUT_OF_INDEXES)
        TlsFree(gRecordSlot);
    if (gResourceSlot != TLS_OUT_OF_INDEXES)
        TlsFree(gResourceSlot);
    gRecordSlot = gResourceSlot = TLS_OUT_OF_INDEXES;
}

ThreadRecord* CurrentThreadRecord() {
    if (gRecordSlot == TLS_OUT_OF_INDEXES)
        return nullptr;
    auto* record = static_cast<ThreadRecord*>(TlsGetValue(gRecordSlot));
    if (!record) {
        record = new ThreadRecord;
        TlsSetValue(gRecordSlot, record);
    }
    return record;
}

void ReleaseThreadRecord() {
    if (gResourceSlot != TLS_OUT_OF_INDEXES) {
        if (auto* holder = static_cast<ThreadResourceHolder*>(TlsGetValue(gResourceSlot))) {
            if (holder->release)
                holder->release(holder->resource);
            delete holder;
            TlsSetValue(gResourceSlot, nullptr);
        }
    }
    if (gRecordSlot != TLS_OUT_OF_INDEXES) {
        delete static_cast<ThreadRecord*>(TlsGetValue(gRecordSlot));
        TlsSetValue(gRecordSlot, nullptr);
    }
}

void SetThreadResource(void* resource, void (*release)(void*)) {
    if (gResourceSlot == TLS_OUT_OF_INDEXES)
        return;
    auto* holder = static_cast<ThreadResourceHolder*>(TlsGetValue(gResourceSlot));
    if (holder && holder->release)
        holder->release(holder->resource);
    if (!holder)
        holder = new ThreadResourceHolder;
    *holder = {resource, release};
    TlsSetValue(gResourceSlot, holder);
}

void* ThreadResource() {
    if (gResourceSlot == TLS_OUT_OF_INDEXES)
        return nullptr;
    auto* holder = static_cast<ThreadResourceHolder*>(TlsGetValue(gResourceSlot));
    return holder ? holder->resource : nullptr;
}

} // namespace vorn
