// A disk that fills up: a file stream reports it as 13 (full), where the
// installer's copy looks for it: at the write for a file larger than the
// stream's cache, at the flush for a small one (the close that follows has
// nothing left to report). The platform's full device stands in for a full
// disk, so the case runs on every machine the tests run on, with no file
// system to mount.
#include <gtest/gtest.h>

#include <vector>

#include "VornLib/data/FileStream.h"

namespace vorn {
namespace {

#ifdef _WIN32
constexpr char16_t kFullDevice[] = u"Z:\\dev\\full"; // Wine's drive Z: is the Unix root
#else
constexpr char16_t kFullDevice[] = u"/dev/full";
#endif

TEST(FullDisk, ALargeWriteFailsAtOnceASmallOneAtTheFlush) {
    const std::vector<uint8_t> bytes(4u << 20, 0x5A);
    FileStream large;
    ASSERT_EQ(0u, large.openWrite(kFullDevice));
    EXPECT_EQ(13u, large.write(bytes.data(), uint32_t(bytes.size())));
    (void)large.close();

    FileStream small;
    ASSERT_EQ(0u, small.openWrite(kFullDevice));
    EXPECT_EQ(0u, small.write(bytes.data(), 100)) << "kept in the cache";
    EXPECT_EQ(13u, small.flush(false));
    (void)small.close();
}

} // namespace
} // namespace vorn
