// Runs against the real registry (under Wine in the automated runs).
#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {
namespace {

const char16_t kTestKey[] = u"Software/VornLib Tests/RegistryKey";

class RegistryKeyTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegistryKey parent;
        (void)parent.open(kRegistryCurrentUser, u"Software");
        (void)parent.deleteSubkeyTree(u"VornLib Tests");
        RegistryKey machine;
        (void)machine.open(kRegistryLocalMachine32, u"Software");
        (void)machine.deleteSubkeyTree(u"VornLib Tests");
    }
};

TEST_F(RegistryKeyTest, ValuesRoundTripByKind) {
    RegistryKey key;
    ASSERT_EQ(0u, key.open(kRegistryCurrentUser, kTestKey));
    EXPECT_FALSE(key.exists()) << "opening records the path only";
    EXPECT_EQ(0u, key.writeBoolean(u"Flag", true));
    EXPECT_TRUE(key.exists());
    EXPECT_EQ(0u, key.writeInt32(u"Count", -7));
    EXPECT_EQ(0u, key.writeInt64(u"Big", 1LL << 40));
    EXPECT_EQ(0u, key.writeText(u"Name", u"Vorn Démo"));
    EXPECT_EQ(0u, key.writeFloat(u"Rate", 1.5f));
    EXPECT_EQ(0u, key.writeDouble(u"Whole", 2.0));

    RegistryKey reader; // a fresh key reads what the first one wrote
    ASSERT_EQ(0u, reader.open(kRegistryCurrentUser, u"Software\\VornLib Tests\\RegistryKey"));
    bool flag = false;
    EXPECT_EQ(0u, reader.readBoolean(u"Flag", &flag));
    EXPECT_TRUE(flag);
    int32_t count = 0;
    EXPECT_EQ(0u, reader.readInt32(u"Count", &count));
    EXPECT_EQ(-7, count);
    String name;
    EXPECT_EQ(0u, reader.readText(u"Name", &name));
    EXPECT_EQ(name, u"Vorn Démo");
    float rate = 0;
    EXPECT_EQ(0u, reader.readFloat(u"Rate", &rate));
    EXPECT_FLOAT_EQ(1.5f, rate);
    String whole;
    EXPECT_EQ(0u, reader.readText(u"Whole", &whole));
    EXPECT_EQ(whole, u"2") << "floats are stored as text with {0:g}";
}

TEST_F(RegistryKeyTest, KindMismatchMissingValuesAndBadArguments) {
    RegistryKey key;
    ASSERT_EQ(0u, key.open(kRegistryCurrentUser, kTestKey));
    ASSERT_EQ(0u, key.writeText(u"Text", u"12"));
    ASSERT_EQ(0u, key.writeInt64(u"Big", 5));
    int32_t number = 99;
    EXPECT_EQ(39u, key.readInt32(u"Text", &number));
    EXPECT_EQ(0, number);
    String text(u"stale");
    EXPECT_EQ(39u, key.readText(u"Big", &text));
    EXPECT_TRUE(text.isEmpty());
    bool flag = true;
    EXPECT_EQ(29u, key.readBoolean(u"Missing", &flag));
    EXPECT_FALSE(flag);
    EXPECT_EQ(38u, key.readInt32(nullptr, &number));
    EXPECT_EQ(23u, key.readInt32(u"Text", nullptr));
    EXPECT_EQ(38u, key.writeInt32(nullptr, 1));

    RegistryKey absent;
    ASSERT_EQ(0u, absent.open(kRegistryCurrentUser, u"Software/VornLib Tests/Nowhere"));
    EXPECT_EQ(29u, absent.readInt32(u"Count", &number));
}

TEST_F(RegistryKeyTest, OpenRejectsBadRootsAndPaths) {
    RegistryKey key;
    EXPECT_EQ(5u, key.open(0, u"Software"));
    EXPECT_EQ(5u, key.open(kRegistryLocalMachine64 + 1, u"Software"));
    EXPECT_EQ(31u, key.open(kRegistryCurrentUser, u"/Software"));
    EXPECT_EQ(31u, key.open(kRegistryCurrentUser, u"\\Software"));
    EXPECT_EQ(15u, key.open(kRegistryCurrentUser, nullptr));
    int32_t number = 0;
    EXPECT_EQ(4u, key.readInt32(u"x", &number)) << "nothing was opened";
}

TEST_F(RegistryKeyTest, DeleteSubkeyTreeRules) {
    RegistryKey deep;
    ASSERT_EQ(0u, deep.open(kRegistryCurrentUser, u"Software/VornLib Tests/Tree/A/B"));
    ASSERT_EQ(0u, deep.writeInt32(u"Value", 1));
    deep.close();

    RegistryKey parent;
    ASSERT_EQ(0u, parent.open(kRegistryCurrentUser, u"Software/VornLib Tests"));
    EXPECT_EQ(0u, parent.deleteSubkeyTree(u"Tree"));
    EXPECT_EQ(29u, parent.deleteSubkeyTree(u"Tree")) << "only the subkey is missing";

    RegistryKey gone;
    ASSERT_EQ(0u, gone.open(kRegistryCurrentUser, u"Software/VornLib Tests/Tree/A"));
    EXPECT_FALSE(gone.exists());
    EXPECT_EQ(0u, gone.deleteSubkeyTree(u"B")) << "the key itself does not exist";
}

TEST_F(RegistryKeyTest, LocalMachine32BitView) {
    RegistryKey key;
    ASSERT_EQ(0u, key.open(kRegistryLocalMachine32, u"Software/VornLib Tests/View"));
    ASSERT_EQ(0u, key.writeInt32(u"Bits", 32));
    if (sizeof(void*) == 8) {
        // A 64-bit program sees the 32-bit view under WOW6432Node.
        RegistryKey native;
        ASSERT_EQ(0u,
                  native.open(kRegistryLocalMachine, u"Software/WOW6432Node/VornLib Tests/View"));
        int32_t bits = 0;
        EXPECT_EQ(0u, native.readInt32(u"Bits", &bits));
        EXPECT_EQ(32, bits);
        RegistryKey other;
        ASSERT_EQ(0u, other.open(kRegistryLocalMachine, u"Software/VornLib Tests/View"));
        EXPECT_FALSE(other.exists());
    }
}

} // namespace
} // namespace vorn
