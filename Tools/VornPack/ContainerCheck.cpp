#include "Tools/VornPack/ContainerCheck.h"

#include <algorithm>
#include <memory>

#include "Tools/VornPack/VornNames.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {

namespace {

constexpr uint32_t kReadPiece = 1u << 20;

// Reads the open entry to its end, which checks it.
Result ReadToEnd(vorn::Stream* entry, std::vector<uint8_t>* buffer) {
    const uint64_t size = entry->size();
    buffer->resize(size_t(std::min<uint64_t>(size, kReadPiece)));
    for (uint64_t done = 0; done < size;) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(kReadPiece, size - done));
        const Result result = entry->read(buffer->data(), piece);
        if (result != vorn::kResultOk)
            return result;
        done += piece;
    }
    return vorn::kResultOk;
}

} // namespace

Result ReadEntryNames(vorn::ArchiveMount& mount, std::map<uint32_t, String>* names) {
    names->clear();
    std::unique_ptr<vorn::EntryHandle> entry;
    Result result = vorn::EntryHandle::open(&mount, vorn::kEntryNamesName, &entry);
    if (result != vorn::kResultOk)
        return result;
    if (entry->size() > (64u << 20))
        return vorn::kResultCapacityExceeded; // no list of names is that long
    std::vector<uint8_t> bytes(size_t(entry->size()));
    if (!bytes.empty() &&
        (result = entry->read(bytes.data(), uint32_t(bytes.size()))) != vorn::kResultOk)
        return result;
    String name;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = char16_t(bytes[i] | bytes[i + 1] << 8);
        if (unit) {
            name.append(unit);
            continue;
        }
        names->emplace(vorn::NameHash(name.data()), name);
        name.clear();
    }
    return vorn::kResultOk;
}

void CheckContents(vorn::ArchiveMount& mount, ContentCheck* out) {
    *out = ContentCheck();
    std::map<uint32_t, String> names;
    (void)ReadEntryNames(mount, &names); // without names, entries go by hash
    std::vector<uint8_t> buffer;
    out->entries = mount.recordCount();
    // In container order, each solid group's members by their place in it,
    // so that each group is decoded once and its members are served as it
    // decodes: damage then fails the members it is in, and those after it
    // only when the decoder cannot go on.
    struct Place {
        uint64_t unit;
        uint64_t start;
        uint32_t record;
        bool operator<(const Place& other) const {
            return unit != other.unit ? unit < other.unit : start < other.start;
        }
    };
    std::vector<Place> order;
    for (uint32_t i = 0; i < mount.recordCount(); ++i) {
        vorn::EntryHeader header;
        Place place{0, 0, i};
        (void)mount.inspectRecord(i, &header, &place.unit, &place.start); // damage shows when read
        order.push_back(place);
    }
    std::stable_sort(order.begin(), order.end());
    for (const Place& place : order) {
        const uint32_t i = place.record;
        const vorn::DirectoryRecord& record = mount.records()[i];
        vorn::SubStream* entry = nullptr;
        Result result = mount.openRecord(i, &entry);
        if (result == vorn::kResultOk) {
            result = ReadToEnd(entry, &buffer);
            if (result == vorn::kResultOk)
                out->bytes += entry->size();
            (void)mount.releaseEntry(entry);
        }
        if (result == vorn::kResultOk)
            continue;
        const auto named = names.find(record.nameHash);
        out->damaged.push_back(
            named != names.end()
                ? vorn::Format(u"\"{0}\" is damaged (result {1})", {named->second, result})
                : vorn::Format(u"entry {0,08:X} at offset {1} is damaged (result {2})",
                               {record.nameHash, record.offset, result}));
        if (out->firstFailure == vorn::kResultOk)
            out->firstFailure = result;
    }
}

void SortByUnit(vorn::ArchiveMount& mount, std::vector<String>* names,
                std::vector<uint64_t>* units) {
    std::vector<std::pair<uint64_t, String>> keyed;
    for (const String& name : *names) {
        uint64_t unit = 0;
        (void)mount.unitOf(name.data(), &unit); // a damaged entry fails when it is opened
        keyed.emplace_back(unit, name);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    names->clear();
    units->clear();
    for (const auto& entry : keyed) {
        units->push_back(entry.first);
        names->push_back(entry.second);
    }
}

} // namespace vornpack
