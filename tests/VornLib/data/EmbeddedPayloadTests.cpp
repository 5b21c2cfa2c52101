// Runs only in an executable built with EmbeddedPayload.rc.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "TestText.h"
#include "VornLib/core/Win32.h"
#include "VornLib/data/EmbeddedBigFile.h"

namespace vorn {
namespace {

TEST(EmbeddedBigFile, ReadsTheResourceInPlace) {
    EmbeddedBigFile payload;
    ASSERT_EQ(0u, payload.open());
    const std::string expected = "VornLib embedded payload test: read in place, never copied.\n";
    ASSERT_EQ(expected.size(), payload.size());
    std::string got(expected.size(), '\0');
    ASSERT_EQ(0u, payload.read(&got[0], uint32_t(got.size())));
    EXPECT_EQ(expected, got);
    EXPECT_EQ(19u, payload.read(&got[0], 1));
    // The bytes are those of the loaded image itself, not a copy.
    MEMORY_BASIC_INFORMATION region;
    ASSERT_NE(0u, VirtualQuery(payload.bytes(), &region, sizeof(region)));
    EXPECT_EQ(static_cast<void*>(GetModuleHandleW(nullptr)), region.AllocationBase);
    const std::string description = ToPrintable(payload.description().data());
    EXPECT_NE(std::string::npos, description.find("bytes,\"EmbeddedBigFile\")"));
}

} // namespace
} // namespace vorn
