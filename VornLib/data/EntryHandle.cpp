#include "VornLib/data/EntryHandle.h"

#include <new>

namespace vorn {

EntryHandle::~EntryHandle() {
    (void)mount_->releaseEntry(entry_);
}

Result EntryHandle::open(ArchiveMount* mount, const char16_t* name,
                         std::unique_ptr<EntryHandle>* out) {
    if (!mount || !name)
        return mount ? kResultInvalidName : kResultNullInput;
    if (!out)
        return kResultNullOutput;
    out->reset();
    SubStream* entry = nullptr;
    const Result result = mount->openEntry(name, &entry);
    if (result != kResultOk)
        return result;
    out->reset(new (std::nothrow) EntryHandle(mount, entry));
    if (!*out) {
        (void)mount->releaseEntry(entry);
        return kResultOutOfMemory;
    }
    return kResultOk;
}

} // namespace vorn
