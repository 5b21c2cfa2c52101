#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/Uuid.h"

namespace vorn {
namespace {

TEST(UuidText, ParsesAnyDecorationAndPrintsBack) {
    UUID uuid;
    ASSERT_EQ(0u, UUID::Parse(u"{01234567-89AB-CDEF-0123-456789ABCDEF}", &uuid));
    const uint8_t expected[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                  0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(expected[i], uuid.bytes[i]) << i;
    EXPECT_EQ(uuid.toText(), u"01234567-89AB-CDEF-0123-456789ABCDEF");

    UUID same;
    ASSERT_EQ(0u, UUID::Parse(u"0123 4567 89ab cdef 0123 4567 89ab cdef", &same));
    EXPECT_EQ(uuid, same);
}

TEST(UuidText, RejectsWrongDigitCounts) {
    UUID uuid;
    uuid.bytes[0] = 1;
    EXPECT_EQ(5u, UUID::Parse(u"0123456789ABCDEF0123456789ABCDE", &uuid)); // 31 digits
    EXPECT_TRUE(uuid.isNull());
    EXPECT_EQ(5u, UUID::Parse(u"0123456789ABCDEF0123456789ABCDEF01", &uuid)); // 17 bytes
    EXPECT_TRUE(uuid.isNull());
    EXPECT_EQ(5u, UUID::Parse(u"0123456789ABCDEF0123456789ABCDEF0", &uuid)); // odd count
    EXPECT_EQ(5u, UUID::Parse(u"{xyz}", &uuid)) << "non-empty text without digits";
}

TEST(UuidText, EmptyAndNull) {
    UUID uuid;
    EXPECT_EQ(0u, UUID::Parse(u"", &uuid));
    EXPECT_TRUE(uuid.isNull());
    EXPECT_EQ(15u, UUID::Parse(nullptr, &uuid));
    EXPECT_EQ(23u, UUID::Parse(u"", nullptr));
    EXPECT_EQ(UUID().toText(), u"00000000-0000-0000-0000-000000000000");
}

TEST(UuidGuid, FieldsAreBigEndianInText) {
    UUID uuid;
    ASSERT_EQ(0u, UUID::Parse(u"01234567-89AB-CDEF-0123-456789ABCDEF", &uuid));
    const GuidFields guid = uuid.toGuid();
    EXPECT_EQ(0x01234567u, guid.data1);
    EXPECT_EQ(0x89ABu, guid.data2);
    EXPECT_EQ(0xCDEFu, guid.data3);
    EXPECT_EQ(0x01u, guid.data4[0]);
    EXPECT_EQ(0xEFu, guid.data4[7]);
    EXPECT_EQ(uuid, UUID::FromGuid(guid));
    static_assert(sizeof(GuidFields) == 16, "must match the platform GUID");
}

} // namespace
} // namespace vorn
