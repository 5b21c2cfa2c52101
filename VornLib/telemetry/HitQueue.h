// HitQueue: hits waiting for the sender thread, oldest first, each with the
// time it was queued. At most 4096 wait: a collector that cannot keep up must
// not make the process grow without bound. The queue has no lock of its own;
// HitSender holds it under its critical section.
#pragma once

#include <vector>

#include "VornLib/core/DateTime.h"
#include "VornLib/core/String.h"

namespace vorn {

struct QueuedHit {
    DateTime queued = 0;
    String text;
};

class HitQueue {
public:
    static constexpr uint32_t kCapacity = 4096;

    // 13 when the queue is full.
    Result push(DateTime queued, const String& text);
    // 20 when the queue is empty (the output is then cleared).
    Result takeOldest(QueuedHit* hit);
    uint32_t size() const { return uint32_t(entries_.size()); }

private:
    std::vector<QueuedHit> entries_;
};

} // namespace vorn
