#include "VornLib/telemetry/HitQueue.h"

namespace vorn {

Result HitQueue::push(DateTime queued, const String& text) {
    if (entries_.size() >= kCapacity)
        return kResultFull;
    entries_.push_back(QueuedHit{queued, text});
    return kResultOk;
}

Result HitQueue::takeOldest(QueuedHit* hit) {
    if (!hit)
        return kResultNullOutput;
    if (entries_.empty()) {
        hit->queued = 0;
        hit->text.clear();
        return kResultNoMoreItems;
    }
    *hit = std::move(entries_.front());
    entries_.erase(entries_.begin());
    return kResultOk;
}

} // namespace vorn
