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

TEST(Layout, InconsistentHeadersAreNotBelieved) {
    struct Case {
        const char* what;
        void (*spoil)(BITMAPINFOHEADER&);
    };
    const Case cases[] = {
        {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -4; }},
        {"zero height", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
        {"most negative height", [](BITMAPINFOHEADER& h) { h.biHeight = LONG_MIN; }},
        {"over 1 GiB", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; h.biHeight = 0x7FFFFFFF; }},
        {"row past 1 GiB", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; h.biHeight = 1; h.biBitCount = 32; }},
        {"bit count 2", [](BITMAPINFOHEADER& h) { h.biBitCount = 2; }},
        {"bit count 0", [](BITMAPINFOHEADER& h) { h.biBitCount = 0; }},
        {"bit count 64", [](BITMAPINFOHEADER& h) { h.biBitCount = 64; }},
        {"bit fields at 8 bits", [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }},
        {"run-length", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
        {"jpeg", [](BITMAPINFOHEADER& h) { h.biCompression = BI_JPEG; }},
        {"257 colours", [](BITMAPINFOHEADER& h) { h.biClrUsed = 257; }},
        {"17 colours at 4 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 4; h.biClrUsed = 17; }},
        {"huge colour count", [](BITMAPINFOHEADER& h) { h.biClrUsed = 0xFFFFFFFF; }},
        {"short header", [](BITMAPINFOHEADER& h) { h.biSize = 39; }},
        {"huge header", [](BITMAPINFOHEADER& h) { h.biSize = 0x80000000; }},
        {"image size too small", [](BITMAPINFOHEADER& h) { h.biSizeImage = 35; }},
    };
    for (const Case& c : cases) {
        BITMAPINFOHEADER h = Valid();
        c.spoil(h);
        DibLayout l;
        EXPECT_FALSE(ReadLayout(&h, l)) << c.what;
    }
    DibLayout l;
    EXPECT_FALSE(ReadLayout(nullptr, l));
    BITMAPINFOHEADER made;
    EXPECT_FALSE(PlanDib(10, -3, 32, BI_RGB, 0, l, made)) << "only bottom-up images are made";
    EXPECT_FALSE(PlanDib(10, 3, 32, BI_RGB, 4, l, made)) << "no table above 8 bits";
    EXPECT_TRUE(PlanDib(16384, 16383, 32, BI_RGB, 0, l, made));
    EXPECT_FALSE(PlanDib(16384, 16384, 32, BI_RGB, 0, l, made));
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
