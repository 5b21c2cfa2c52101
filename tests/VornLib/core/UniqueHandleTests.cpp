#include <vector>

#include <gtest/gtest.h>

#include "VornLib/core/UniqueHandle.h"

namespace vorn {
namespace {

std::vector<int> closed;

struct TestTraits {
    using Handle = int;
    static Handle Invalid() { return -1; }
    static void Close(Handle handle) { closed.push_back(handle); }
};
using TestHandle = UniqueHandle<TestTraits>;

class UniqueHandleTest : public ::testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesExactlyOnceOnEveryPath) {
    {
        TestHandle a(3);
        TestHandle b(static_cast<TestHandle&&>(a));
        EXPECT_FALSE(a.isValid());
        EXPECT_EQ(3, b.get());
        TestHandle c(4);
        c = static_cast<TestHandle&&>(b); // closes 4, takes 3
        EXPECT_EQ((std::vector<int>{4}), closed);
        c.reset(5); // closes 3
        EXPECT_EQ((std::vector<int>{4, 3}), closed);
    }
    EXPECT_EQ((std::vector<int>{4, 3, 5}), closed);
}

TEST_F(UniqueHandleTest, ReleaseHandsOwnershipAway) {
    {
        TestHandle a(7);
        EXPECT_EQ(7, a.release());
        EXPECT_FALSE(a);
        TestHandle invalid;
        invalid.reset();
    }
    EXPECT_TRUE(closed.empty());
}

TEST_F(UniqueHandleTest, ReceiveClosesTheOldHandleFirst) {
    TestHandle a(8);
    *a.receive() = 9;
    EXPECT_EQ((std::vector<int>{8}), closed);
    EXPECT_EQ(9, a.get());
}

} // namespace
} // namespace vorn
