#include "Tools/VornPack/PackPlan.h"

#include <algorithm>
#include <map>

#include "Tools/VornPack/EntryEncoder.h"
#include "Tools/VornPack/PackingMethod.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/LittleEndian.h"

namespace vornpack {

using vorn::BranchFilter;

namespace {

// Files are read in pieces of this size while they are looked at.
constexpr uint32_t kReadPiece = 4u << 20;
// Enough for the PE header of any executable a linker writes.
constexpr uint32_t kHeadLength = 4096;

struct Machine {
    uint16_t machine;
    BranchFilter filter;
};
constexpr Machine kMachines[] = {
    {0x014C, BranchFilter::X86},   // IMAGE_FILE_MACHINE_I386
    {0x8664, BranchFilter::X86},   // IMAGE_FILE_MACHINE_AMD64: the same branch encodings
    {0xAA64, BranchFilter::Arm64}, // IMAGE_FILE_MACHINE_ARM64
};

// The bytes of the sections that hold code, from the section table when the
// head holds it; the whole file where it does not.
uint64_t CodeBytes(const uint8_t* bytes, size_t length, uint32_t header, uint64_t fileSize) {
    constexpr uint32_t kSectionHeader = 40;
    constexpr uint32_t kContainsCode = 0x00000020; // IMAGE_SCN_CNT_CODE
    constexpr uint32_t kExecutable = 0x20000000;   // IMAGE_SCN_MEM_EXECUTE
    if (uint64_t(header) + 24 > length)
        return fileSize;
    const uint32_t sections = vorn::ReadLittleEndian16(bytes + header + 6);
    const uint64_t table = uint64_t(header) + 24 + vorn::ReadLittleEndian16(bytes + header + 20);
    if (table + uint64_t(sections) * kSectionHeader > length)
        return fileSize;
    uint64_t code = 0;
    for (uint32_t i = 0; i < sections; ++i) {
        const uint8_t* section = bytes + table + i * kSectionHeader;
        if (vorn::ReadLittleEndian32(section + 36) & (kContainsCode | kExecutable))
            code += vorn::ReadLittleEndian32(section + 16); // SizeOfRawData
    }
    return code;
}

} // namespace

BranchFilter FilterForImage(const uint8_t* bytes, size_t length, uint64_t fileSize) {
    if (length < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z')
        return BranchFilter::None;
    const uint32_t header = vorn::ReadLittleEndian32(bytes + 0x3C);
    if (header > length - 6 || vorn::ReadLittleEndian32(bytes + header) != 0x00004550)
        return BranchFilter::None; // "PE\0\0"
    const uint16_t machine = vorn::ReadLittleEndian16(bytes + header + 4);
    for (const Machine& known : kMachines) {
        if (known.machine != machine)
            continue;
        // The filter turns the targets of calls into absolute addresses, which
        // repeat; in data (debug information above all) it only scrambles
        // bytes that happen to look like a call. Measured on executables that
        // carry their debug information (a tenth of them code), it made them
        // pack larger.
        if (CodeBytes(bytes, length, header, fileSize) * 3 < fileSize)
            return BranchFilter::None;
        return known.filter;
    }
    return BranchFilter::None;
}

std::vector<uint32_t> SolidOrder(const std::vector<String>& paths) {
    struct Key {
        String extension;
        String name;
        String path;
    };
    std::vector<Key> keys;
    for (const String& path : paths) {
        Key key;
        key.path = path;
        key.path.toLowerCase();
        const int32_t slash = key.path.findLast(u'/');
        key.name = slash < 0 ? key.path : key.path.mid(uint32_t(slash + 1));
        const int32_t dot = key.name.findLast(u'.');
        key.extension = dot <= 0 ? String() : key.name.mid(uint32_t(dot));
        keys.push_back(key);
    }
    std::vector<uint32_t> order(paths.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto compare = [](const String& a, const String& b) { return a.compare(b.data()); };
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const Key& x = keys[a];
        const Key& y = keys[b];
        if (int c = compare(x.extension, y.extension))
            return c < 0;
        if (int c = compare(x.name, y.name))
            return c < 0;
        return compare(x.path, y.path) < 0;
    });
    return order;
}

Result PackPlan::readFile(uint32_t index, uint64_t size, std::vector<uint8_t>* head,
                          uint32_t* checksum, String* message) {
    head->clear();
    *checksum = 0;
    std::vector<uint8_t> piece;
    for (uint64_t offset = 0; offset < size; offset += kReadPiece) {
        const uint32_t length = uint32_t(std::min<uint64_t>(kReadPiece, size - offset));
        const Result result = load_(index, offset, length, &piece, message);
        if (result != vorn::kResultOk)
            return result;
        if (piece.size() != length)
            return vorn::kResultEndOfData;
        *checksum = CombineChecksums(*checksum, ChecksumOf(piece.data(), length), length);
        if (offset == 0)
            head->assign(piece.begin(), piece.begin() + std::min(length, kHeadLength));
    }
    return vorn::kResultOk;
}

Result PackPlan::sameBytes(uint32_t a, uint32_t b, uint64_t size, bool* same, String* message) {
    *same = true;
    std::vector<uint8_t> first;
    std::vector<uint8_t> second;
    for (uint64_t offset = 0; *same && offset < size; offset += kReadPiece) {
        const uint32_t length = uint32_t(std::min<uint64_t>(kReadPiece, size - offset));
        Result result = load_(a, offset, length, &first, message);
        if (result == vorn::kResultOk)
            result = load_(b, offset, length, &second, message);
        if (result != vorn::kResultOk)
            return result;
        *same = first == second;
    }
    return vorn::kResultOk;
}

Result PackPlan::make(const std::vector<uint64_t>& sizes, const std::vector<bool>& groupable,
                      const Load& load, const PlanOptions& options, String* message) {
    load_ = load;
    files_.assign(sizes.size(), FilePlan());
    groups_.clear();
    // Files by size and checksum, to find copies among them.
    std::map<std::pair<uint64_t, uint32_t>, std::vector<uint32_t>> seen;
    PlannedGroup open;
    auto close = [this, &open] {
        if (!open.members.empty())
            groups_.push_back(std::move(open));
        open = PlannedGroup();
    };
    std::vector<uint8_t> head;
    for (uint32_t index = 0; index < sizes.size(); ++index) {
        FilePlan& file = files_[index];
        const uint64_t size = sizes[index];
        Result result = readFile(index, size, &head, &file.checksum, message);
        if (result != vorn::kResultOk)
            return result;
        // A copy names its original's entry, unless that is a member of a group
        // closed already: reading it would decode that group once more.
        bool copied = false;
        std::vector<uint32_t>& alike = seen[{size, file.checksum}];
        for (uint32_t earlier : alike) {
            const FilePlan& original = files_[earlier];
            if (original.how == FilePlan::How::Member && original.group != groups_.size())
                continue;
            if ((result = sameBytes(earlier, index, size, &copied, message)) != vorn::kResultOk)
                return result;
            if (copied) {
                file.how = FilePlan::How::Copy;
                file.original = earlier;
                break;
            }
        }
        if (copied)
            continue;
        alike.push_back(index);
        if (!groupable[index] || size == 0 || size > options.groupSize ||
            IsCompressedAlready(head.data(), head.size()))
            continue;
        const BranchFilter filter =
            options.filters ? FilterForImage(head.data(), head.size(), size) : BranchFilter::None;
        if (!open.members.empty() &&
            (open.size + size > options.groupSize || open.filter != filter))
            close();
        open.filter = filter;
        file.how = FilePlan::How::Member;
        file.group = uint32_t(groups_.size());
        file.start = open.size;
        open.members.push_back(index);
        open.size += size;
    }
    close();
    return vorn::kResultOk;
}

} // namespace vornpack
