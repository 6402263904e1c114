// Tests of media/graphics/soft_image: soft images.
#include "media/graphics/soft_image.h"

#include <gtest/gtest.h>

using namespace ZaDod;

namespace {

struct SoftImages : ::testing::Test {
    void SetUp() override { ASSERT_EQ(InitializeSoftImageManage(), 0); }
    void TearDown() override { TerminateSoftImageManage(); }
};

}  // namespace

TEST_F(SoftImages, MakeDrawAndRead) {
    EXPECT_EQ(InitializeSoftImageManage(), -1);
    const int h = MakeARGB8ColorSoftImage(4, 3);
    ASSERT_NE(h, -1);
    EXPECT_EQ((h >> HANDLE_TYPE_SHIFT), HANDLETYPE_SOFTIMAGE);
    ASSERT_EQ(DrawPixelSoftImage(h, 3, 2, 10, 20, 30, 40), 0);
    int r, g, b, a;
    ASSERT_EQ(GetPixelSoftImage(h, 0, 0, &r, &g, &b, &a), 0);
    EXPECT_EQ(r | g | b | a, 0);
    ASSERT_EQ(GetPixelSoftImage(h, 3, 2, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(g, 20);
    EXPECT_EQ(b, 30);
    EXPECT_EQ(a, 40);
    EXPECT_EQ(DrawPixelSoftImage(h, 4, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(GetPixelSoftImage(h, 0, 3, &r, &g, &b, &a), -1);
}

TEST_F(SoftImages, BadAndDeletedHandles) {
    int r, g, b, a;
    EXPECT_EQ(DrawPixelSoftImage(-1, 0, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(GetPixelSoftImage(12345, 0, 0, &r, &g, &b, &a), -1);
    const int h = MakeARGB8ColorSoftImage(2, 2);
    ASSERT_NE(h, -1);
    // A handle of another type with the same index and check number is refused.
    const int foreign = (h & ~HANDLE_TYPE_MASK) | (HANDLETYPE_GRAPH << HANDLE_TYPE_SHIFT);
    EXPECT_EQ(DrawPixelSoftImage(foreign, 0, 0, 0, 0, 0, 0), -1);
    ASSERT_EQ(SubHandle(h), 0);
    EXPECT_EQ(DrawPixelSoftImage(h, 0, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(MakeARGB8ColorSoftImage(-1, 2), -1);
}

TEST_F(SoftImages, DeleteAllEmptiesTheType) {
    int handles[3];
    for (int& h : handles) {
        h = MakeARGB8ColorSoftImage(8, 8);
        ASSERT_NE(h, -1);
    }
    ASSERT_EQ(DeleteAllSoftImage(), 0);
    for (int h : handles) EXPECT_EQ(GetPixelSoftImage(h, 0, 0, nullptr, nullptr, nullptr, nullptr), -1);
    EXPECT_NE(MakeARGB8ColorSoftImage(1, 1), -1);
}

TEST(SoftImageModule, UnregisteredType) {
    EXPECT_EQ(TerminateSoftImageManage(), -1);
    EXPECT_EQ(MakeARGB8ColorSoftImage(1, 1), -1);
    EXPECT_EQ(DrawPixelSoftImage(0, 0, 0, 0, 0, 0, 0), -1);
}
