// The DIB arithmetic on its own: which headers are believed, and how colour fields widen.
#include <gtest/gtest.h>

#include "DibLayout.h"
#include "PixelConvert.h"

using namespace QelImageTransform;

namespace {

BITMAPINFOHEADER Valid() {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 10;
    h.biHeight = 3;
    h.biPlanes = 1;
    h.biBitCount = 8;
    return h;
}

}  // namespace

TEST(Layout, PartsFollowEachOther) {
    DibLayout l;
    BITMAPINFOHEADER h = Valid();
    ASSERT_TRUE(ReadLayout(&h, l));
    EXPECT_EQ(l.stride, 12u);
    EXPECT_EQ(l.bitsOffset, 40u + 1024u);
    EXPECT_EQ(l.totalBytes, 40u + 1024u + 36u);
    h.biClrUsed = 2;
    h.biSize = 108;
    h.biHeight = -3;
    ASSERT_TRUE(ReadLayout(&h, l));
    EXPECT_TRUE(l.topDown);
    EXPECT_EQ(l.height, 3);
    EXPECT_EQ(l.bitsOffset, 108u + 8u);
    h = Valid();
    h.biBitCount = 16;
    h.biCompression = BI_BITFIELDS;
    h.biClrUsed = 7;  // no table above 8 bits
    ASSERT_TRUE(ReadLayout(&h, l));
    EXPECT_EQ(l.bitsOffset, 52u);
    EXPECT_EQ(l.stride, 20u);
    EXPECT_EQ(RowStride(1, 1), 4u);
    EXPECT_EQ(RowStride(33, 1), 8u);
    EXPECT_EQ(RowStride(3, 24), 12u);
}

// Malformed headers in bulk are in MalformedTests; here the limits of the images this library makes.
TEST(Layout, NewImagesStayWithinTheLimits) {
    DibLayout l;
    BITMAPINFOHEADER made;
    EXPECT_FALSE(PlanDib(10, -3, 32, BI_RGB, 0, l, made)) << "only bottom-up images are made";
    EXPECT_FALSE(PlanDib(10, 3, 32, BI_RGB, 4, l, made)) << "no table above 8 bits";
    EXPECT_FALSE(PlanDib(10, 3, 8, BI_BITFIELDS, 0, l, made));
    EXPECT_TRUE(PlanDib(16384, 16383, 32, BI_RGB, 0, l, made));
    EXPECT_EQ(made.biSizeImage, 16384u * 4 * 16383);
    EXPECT_FALSE(PlanDib(16384, 16384, 32, BI_RGB, 0, l, made)) << "past 1 GiB";
    EXPECT_FALSE(PlanDib(0x7FFFFFFF, 1, 32, BI_RGB, 0, l, made));
}

TEST(Layout, ColourFieldsWidenToFullRange) {
    for (int bits = 1; bits <= 8; ++bits) {
        EXPECT_EQ(WidenField(0, bits), 0);
        EXPECT_EQ(WidenField((1u << bits) - 1, bits), 255) << bits;
    }
    EXPECT_EQ(WidenField(0x10, 5), 0x84);  // 10000 -> 10000100
    EXPECT_EQ(WidenField(0x20, 6), 0x82);
    EXPECT_EQ(WidenField(1, 2), 0x55);
    const MaskField green = DescribeMask(0x07E0);
    EXPECT_EQ(green.shift, 5);
    EXPECT_EQ(green.bits, 6);
    const MaskField wide = DescribeMask(0x3FF00000);  // the top 8 of 10 bits
    EXPECT_EQ(wide.shift, 22);
    EXPECT_EQ(wide.bits, 8);
    EXPECT_EQ(DescribeMask(0).bits, 0);
}
