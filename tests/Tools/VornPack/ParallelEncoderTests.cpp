#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "../../VornLib/data/DataTestSupport.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/ParallelEncoder.h"
#include "VornLib/core/Format.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/EntryHandle.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

// Small and large files interleaved, so that threads finish out of order: a
// file of several blocks among many that take no time.
void FillTree(const fs::path& folder) {
    fs::create_directories(folder / "bin");
    fs::create_directories(folder / "docs" / "en");
    for (int i = 0; i < 24; ++i) {
        const fs::path name = folder / "docs" / "en" / ("page" + std::to_string(i) + ".txt");
        vorn::WriteWholeFile(name, vorn::SampleText(size_t(500 + 3000 * i)));
    }
    vorn::WriteWholeFile(folder / "bin" / "big.dll", vorn::SampleMixed(9u << 20));
    vorn::WriteWholeFile(folder / "bin" / "small.dll", vorn::SampleMixed(70000));
    std::vector<uint8_t> png = vorn::SampleNoise(300000);
    png[0] = 0x89, png[1] = 'P', png[2] = 'N', png[3] = 'G';
    vorn::WriteWholeFile(folder / "bin" / "logo.png", png);
    vorn::WriteWholeFile(folder / "empty.txt", {});
}

TEST(ParallelPacking, AnyNumberOfThreadsGivesTheSameBytes) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    FillTree(source);
    for (const char16_t* method : {u"auto", u"lzo", u"deflate"}) {
        SCOPED_TRACE(vorn::String(method).length());
        const fs::path one = scratch.path() / "one.bin";
        const fs::path three = scratch.path() / "three.bin";
        ASSERT_EQ(0, Pack({TextOf(source), u"-o", TextOf(one), u"--method", method, u"--jobs", u"1",
                           u"--quiet"}));
        ASSERT_EQ(0, Pack({TextOf(source), u"-o", TextOf(three), u"--jobs", u"3", u"--method",
                           method, u"--quiet"}));
        const std::vector<uint8_t> bytes = vorn::ReadWholeFile(one);
        ASSERT_GT(bytes.size(), 1000u);
        EXPECT_TRUE(bytes == vorn::ReadWholeFile(three));
        EXPECT_EQ(0, Verify({TextOf(three)}));
    }
}

TEST(ParallelPacking, BadThreadCountsAreRefusedWithAClearError) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    fs::create_directories(source);
    vorn::WriteWholeFile(source / "a.txt", vorn::SampleText(100));
    const fs::path container = scratch.path() / "payload.bin";
    for (const char16_t* jobs : {u"0", u"-1", u"x", u"257", u"2x", u"", u"99999999999"}) {
        SCOPED_TRACE(vorn::String(jobs).length());
        testing::internal::CaptureStderr();
        EXPECT_EQ(5, Pack({TextOf(source), u"-o", TextOf(container), u"--jobs", jobs}));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, errors.find("VornPack pack: --jobs wants a number of threads "
                                                 "from 1 to 256"))
            << errors;
        EXPECT_FALSE(fs::exists(container));
    }
    EXPECT_EQ(5, Pack({TextOf(source), u"-o", TextOf(container), u"--jobs"})); // no value
    EXPECT_FALSE(fs::exists(container));
    EXPECT_EQ(0, Pack({TextOf(source), u"-o", TextOf(container), u"--jobs", u"256", u"--quiet"}));
}

// File `index` is its own index repeated, with its offset mixed in so that
// pieces out of place show; it fails where told.
struct Files {
    std::vector<uint64_t> sizes;
    uint32_t failAt = ~0u;
    std::atomic<uint32_t> loads{0};
    std::atomic<uint32_t> largestLoad{0};

    static uint8_t Byte(uint32_t index, uint64_t offset) { return uint8_t(index + offset / 4096); }
    std::vector<uint8_t> contents(uint32_t index) const {
        std::vector<uint8_t> bytes(size_t(sizes[index]));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = Byte(index, i);
        return bytes;
    }
    ParallelEncoder::Load load() {
        return [this](uint32_t index, uint64_t offset, uint32_t length, std::vector<uint8_t>* data,
                      vorn::String* message) {
            ++loads;
            for (uint32_t seen = largestLoad; length > seen;)
                largestLoad.compare_exchange_weak(seen, length);
            if (index == failAt) {
                *message = u"cannot read it";
                return vorn::kResultAccessDenied;
            }
            data->resize(length);
            for (uint32_t i = 0; i < length; ++i)
                (*data)[i] = Byte(index, offset + i);
            return vorn::kResultOk;
        };
    }
};

vorn::String NameOf(uint32_t index) {
    return vorn::Format(u"file{0}", {index});
}

// Writes every file through `encoder` into a container and reads each back.
void ExpectWrittenAndReadBack(ParallelEncoder& encoder, const Files& files) {
    vorn::GrowableStream out;
    ContainerWriter writer;
    ASSERT_EQ(0u, writer.begin(&out, 0, 0));
    for (uint32_t i = 0; i < files.sizes.size(); ++i) {
        WrittenFile file;
        encoder.writeNext(&writer, NameOf(i).data(), &file);
        ASSERT_EQ(0u, file.result) << i;
        EXPECT_EQ(files.sizes[i], file.unpackedSize) << i;
    }
    WrittenFile past;
    encoder.writeNext(&writer, u"past", &past);
    EXPECT_EQ(4u, past.result);
    ASSERT_EQ(0u, writer.finish());
    vorn::ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&out));
    for (uint32_t i = 0; i < files.sizes.size(); ++i) {
        std::unique_ptr<vorn::EntryHandle> entry;
        ASSERT_EQ(0u, vorn::EntryHandle::open(&mount, NameOf(i).data(), &entry)) << i;
        std::vector<uint8_t> bytes(size_t(entry->size()));
        if (!bytes.empty()) {
            ASSERT_EQ(0u, entry->read(bytes.data(), uint32_t(bytes.size()))) << i;
        }
        EXPECT_TRUE(bytes == files.contents(i)) << i;
    }
}

TEST(ParallelEncoder, WritesFilesInOrderWithinATinyBudget) {
    Files files;
    files.sizes = {5000, 0, 70000, 1, 300, 9000, 2, 40000};
    // A budget smaller than any file: each is still taken once the writer waits for it.
    ParallelEncoder encoder(*FindMethod(u"store"), 3, 1);
    ASSERT_EQ(0u, encoder.start(files.sizes, files.load(), NameOf));
    ExpectWrittenAndReadBack(encoder, files);
}

// However large a file, no thread ever loads more than a piece of it, and
// the pieces make the same entry whatever the method.
TEST(ParallelEncoder, LargeFilesAreReadAndWrittenPieceByPiece) {
    const uint32_t piece = 64u << 10;
    for (const char16_t* method : {u"store", u"deflate", u"lzo", u"lzma", u"auto"}) {
        SCOPED_TRACE(vorn::String(method).length());
        Files files;
        files.sizes = {3 * uint64_t(piece) + 17, 100, piece, uint64_t(piece) + 1};
        ParallelEncoder encoder(*FindMethod(method), 2, piece, piece);
        ASSERT_EQ(0u, encoder.start(files.sizes, files.load(), NameOf));
        ExpectWrittenAndReadBack(encoder, files);
        EXPECT_LE(files.largestLoad.load(), piece);
    }
}

TEST(ParallelEncoder, AFileLargerThanTheBudgetLeavesNoThreadIdle) {
    const std::vector<uint64_t> sizes = {1000, 10, 10, 10};
    std::atomic<bool> secondLoaded{false};
    ParallelEncoder encoder(*FindMethod(u"store"), 2, 100);
    auto load = [&](uint32_t index, uint64_t, uint32_t length, std::vector<uint8_t>* data,
                    vorn::String*) {
        if (index == 1)
            secondLoaded = true;
        // The first file is still being read when the second one is taken.
        for (int i = 0; index == 0 && !secondLoaded && i < 1000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (index == 0 && !secondLoaded)
            return vorn::kResultTimedOut;
        data->assign(length, uint8_t(index));
        return vorn::kResultOk;
    };
    ASSERT_EQ(0u, encoder.start(sizes, load, NameOf));
    vorn::GrowableStream out;
    ContainerWriter writer;
    ASSERT_EQ(0u, writer.begin(&out, 0, 0));
    for (uint32_t i = 0; i < sizes.size(); ++i) {
        WrittenFile file;
        encoder.writeNext(&writer, NameOf(i).data(), &file);
        EXPECT_EQ(0u, file.result) << i;
    }
}

TEST(ParallelEncoder, AFailureIsHandedBackInItsPlace) {
    Files files;
    files.sizes = std::vector<uint64_t>(40, 20000);
    files.failAt = 5;
    ParallelEncoder encoder(*FindMethod(u"lzma2"), 2);
    ASSERT_EQ(0u, encoder.start(files.sizes, files.load(), NameOf));
    vorn::GrowableStream out;
    ContainerWriter writer;
    ASSERT_EQ(0u, writer.begin(&out, 0, 0));
    for (uint32_t i = 0; i < 5; ++i) {
        WrittenFile file;
        encoder.writeNext(&writer, NameOf(i).data(), &file);
        ASSERT_EQ(0u, file.result) << i;
    }
    WrittenFile failed;
    encoder.writeNext(&writer, u"file5", &failed);
    EXPECT_EQ(17u, failed.result);
    EXPECT_EQ(vorn::String(u"cannot read it"), failed.message);
    // Nothing is started after the failure beyond what was under way.
    EXPECT_LT(files.loads.load(), 5u + 2 * 4 + 1);
}

} // namespace
} // namespace vornpack
