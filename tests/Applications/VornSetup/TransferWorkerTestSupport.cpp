#include "TransferWorkerTestSupport.h"

#include <memory>

#include "TestText.h"
#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "VornLib/data/ResourceFileSystem.h"

namespace vornsetup::transfertests {

using vorn::CompressionKind;
using vorn::GrowableStream;

std::vector<uint8_t> Contents(const std::string& name) {
    if (name == kDeepName)
        return vorn::SampleText(4321);
    if (name == "Readme.txt")
        return vorn::SampleText(5000);
    if (name == "Bin/Tools/Helper.dll")
        return vorn::SampleMixed(300000);
    if (name == "Data/Config.xml")
        return vorn::SampleText(1234);
    if (name == "Empty.dat")
        return {};
    if (name == "Big.bin")
        return vorn::SampleNoise(10 * kMiB, 7);
    if (name == "Docs/Manual.txt")
        return vorn::SampleText(777);
    if (name == "Blocked.bin")
        return vorn::SampleText(99);
    // Its first chunk is stored as it is (noise does not shrink); the second is compressed.
    if (name == "Damaged.bin") {
        std::vector<uint8_t> bytes = vorn::SampleNoise(4 * kMiB, 3);
        const std::vector<uint8_t> text = vorn::SampleText(kMiB);
        bytes.insert(bytes.end(), text.begin(), text.end());
        return bytes;
    }
    // Listed in manifests, absent from the payload.
    if (name == "Missing.bin")
        return {};
    ADD_FAILURE() << "no contents for " << name;
    return {};
}

namespace {

void AddEntry(vornpack::ContainerWriter* writer, const std::string& name, CompressionKind kind,
              bool damage = false) {
    const std::vector<uint8_t> bytes = Contents(name);
    vornpack::EncodedEntry encoded;
    ASSERT_EQ(0u, vornpack::EncodeEntry(kind, bytes.data(), bytes.size(),
                                        vornpack::EncoderSettings(), &encoded));
    if (damage) {
        ASSERT_EQ(CompressionKind::Lzma2, encoded.kind);
        // Past the stored first block: in the middle of the compressed second one.
        const size_t firstBlockEnd = 4 * kMiB + 16;
        ASSERT_GT(encoded.packed.size(), firstBlockEnd + 64);
        encoded.packed[(firstBlockEnd + encoded.packed.size()) / 2] ^= 0x5A;
    }
    const std::u16string entryName = u"App/" + fs::path(name).u16string();
    ASSERT_EQ(0u, writer->addEntry(entryName.c_str(), encoded.kind, encoded.packed.data(),
                                   encoded.packed.size(), bytes.size()));
}

std::unique_ptr<GrowableStream> BuildPayload(bool damaged) {
    auto out = std::make_unique<GrowableStream>();
    vornpack::ContainerWriter writer;
    EXPECT_EQ(0u, writer.begin(out.get(), 0x20240611, 0x10300000));
    if (damaged) {
        AddEntry(&writer, "Damaged.bin", CompressionKind::Lzma2, true);
    } else {
        AddEntry(&writer, "Readme.txt", CompressionKind::Stored);
        AddEntry(&writer, "Bin/Tools/Helper.dll", CompressionKind::Lzma2);
        AddEntry(&writer, "Data/Config.xml", CompressionKind::Lzma2);
        AddEntry(&writer, "Empty.dat", CompressionKind::Stored);
        AddEntry(&writer, "Big.bin", CompressionKind::Stored);
        AddEntry(&writer, "Docs/Manual.txt", CompressionKind::Lzma2);
        AddEntry(&writer, "Blocked.bin", CompressionKind::Stored);
        AddEntry(&writer, kDeepName, CompressionKind::Lzma2);
    }
    EXPECT_EQ(0u, writer.finish());
    return out;
}

DateTime Date(int32_t year, uint32_t month, uint32_t day, uint32_t hour, uint32_t minute,
              uint32_t second) {
    vorn::CalendarTime calendar;
    calendar.year = year;
    calendar.month = month;
    calendar.day = day;
    calendar.hour = hour;
    calendar.minute = minute;
    calendar.second = second;
    return vorn::DateTimeFromCalendar(calendar);
}

} // namespace

// The test program has no payload of its own: two containers stand in for it,
// mounted once for the whole process (the file system keeps using them).
void MountPayload() {
    static const bool mounted = [] {
        static std::unique_ptr<GrowableStream> good = BuildPayload(false);
        static std::unique_ptr<GrowableStream> damaged = BuildPayload(true);
        EXPECT_EQ(0u, vorn::ResourceFileSystem::Instance().mount(good.get()));
        EXPECT_EQ(0u, vorn::ResourceFileSystem::Instance().mount(damaged.get()));
        return true;
    }();
    ASSERT_TRUE(mounted);
}

const DateTime kDates[3] = {Date(2019, 5, 17, 8, 30, 15), Date(2021, 11, 2, 23, 59, 58),
                            Date(2008, 2, 29, 12, 0, 0)};

namespace {

FileEntry File(const std::string& name, size_t index) {
    FileEntry entry;
    entry.relativePath = fs::path(name).u16string().c_str();
    entry.size = Contents(name).size();
    entry.date = kDates[index % 3];
    return entry;
}

} // namespace

InstallManifest Manifest(const ScratchFolder& scratch, const std::vector<std::string>& names) {
    InstallManifest manifest;
    manifest.company = u"Vorn Test Co";
    manifest.name = u"Vorn Demo";
    manifest.sourceRoot = u"App/";
    manifest.installFolder = (scratch.path() / "Vorn Test Co" / "Vorn Demo").u16string().c_str();
    for (const std::string& name : names) {
        manifest.files.push_back(File(name, manifest.files.size()));
        manifest.totalSize += manifest.files.back().size;
    }
    return manifest;
}

fs::path InstallFolder(const InstallManifest& manifest) {
    return fs::path(std::u16string(manifest.installFolder.data()));
}

fs::path Partial(const fs::path& path) {
    return fs::path(path.u16string() + u".VornLib-partial");
}

fs::path PartialFolder(const fs::path& folder) {
    return Partial(folder.parent_path() / folder.filename());
}

} // namespace vornsetup::transfertests
