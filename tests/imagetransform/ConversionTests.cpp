// Conversions checked pixel by pixel against GDI's own reading of the same image.
#include <gtest/gtest.h>

#include <cstring>

#include "DibLayout.h"
#include "DibTestSupport.h"
#include "Handles.h"

using namespace dibtest;
using QelImageTransform::CBitmapConverter;
using QelImageTransform::CDIB32;

namespace {

// Colours only; stops at the first difference.
void ExpectSameColours(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual,
                       const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(expected[i] & 0xFFFFFF, actual[i] & 0xFFFFFF) << what << ", pixel " << i;
}

}  // namespace

// Every format has a 40-byte header below; a longer one moves the table, a short table the rows.
TEST(Layout, LongHeaderAndShortTable) {
    QelImageTransform::DibLayout l;
    const BITMAPINFOHEADER h{108, 10, -3, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    ASSERT_TRUE(QelImageTransform::ReadLayout(&h, l));
    EXPECT_TRUE(l.topDown && l.height == 3);
    EXPECT_EQ(l.bitsOffset, 108u + 8u);
}

// Each format as a packed DIB to 32 bits, and as a DIB section back at its own depth.
TEST(Conversion, EveryFormatMatchesGdiDirectlyAndThroughADibSection) {
    std::mt19937 rng(1);
    for (const Format& f : AllFormats())
        for (bool topDown : {false, true}) {
            const std::string what = std::string(f.name) + (topDown ? " top-down" : "");
            const int w = 37, h = 11;  // odd width: partial bytes and row padding
            auto source = MakeDib(w, h, f, topDown, rng);
            const auto expected = RenderWithGdi(Header(source));
            ASSERT_FALSE(expected.empty()) << what;
            const auto copy = source;
            OwnedDib converted = Own(CDIB32::ConvertTo32BitsDIB(Header(source), nullptr, 255, 0));
            ASSERT_TRUE(converted) << what;
            EXPECT_EQ(source, copy) << what << ": source changed";
            EXPECT_TRUE(converted->biBitCount == 32 && converted->biHeight == h) << what << ": 32 bits, bottom-up";
            const auto pixels = Pixels32(converted.get());
            ExpectSameColours(expected, pixels, what);
            for (uint32_t p : pixels) ASSERT_EQ(p >> 24, 255u) << what;

            void* bits = nullptr;
            qel::UniqueHbitmap section(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(source.data()),
                                                          DIB_RGB_COLORS, &bits, nullptr, 0));
            ASSERT_TRUE(section) << what;
            std::memcpy(bits, source.data() + BitsOffset(Header(source)), Stride(Header(source)) * h);
            OwnedDib dib = Own(CBitmapConverter::ConvertDDBToDIB(section.get()));
            ASSERT_TRUE(dib) << what;
            EXPECT_EQ(dib->biBitCount, f.bits) << what;
            EXPECT_EQ(dib->biCompression, f.compression == BI_BITFIELDS && f.masks[0] != 0xFF0000 ? BI_BITFIELDS : BI_RGB) << what;
            ExpectSameColours(expected, RenderWithGdi(dib.get()), what + " section");
            // At the same depth the stored pixels come back unchanged, row for row.
            const size_t used = (size_t(w) * f.bits + 7) / 8;
            for (int y = 0; y < h && f.bits % 8 == 0; ++y)
                ASSERT_EQ(std::memcmp(RowAt(dib.get(), y), RowAt(Header(source), y), used), 0) << what << " row " << y;
        }
}

// A bitmap of the screen's depth and a monochrome one.
TEST(Conversion, DeviceBitmapsMatchGdi) {
    std::mt19937 rng(4);
    auto source = MakeDib(45, 13, Bgr(), false, rng);
    qel::WindowDc screen(nullptr);
    qel::UniqueHdc memory(::CreateCompatibleDC(nullptr));
    for (HDC dc : {screen.get(), memory.get()}) {
        qel::UniqueHbitmap bitmap(::CreateDIBitmap(dc, Header(source), CBM_INIT, source.data() + BitsOffset(Header(source)),
                                                   reinterpret_cast<BITMAPINFO*>(source.data()), DIB_RGB_COLORS));
        BITMAP bm{};
        ASSERT_TRUE(::GetObjectW(bitmap.get(), sizeof(bm), &bm));
        OwnedDib dib = Own(CBitmapConverter::ConvertDDBToDIB(bitmap.get()));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->biBitCount, bm.bmBitsPixel * bm.bmPlanes);
        ExpectSameColours(RenderWithGdi(bitmap.get(), 45, 13), RenderWithGdi(dib.get()), "device bitmap");
    }
}

TEST(Conversion, AlphaArgumentsAndGivenTarget) {
    std::mt19937 rng(2);
    auto source = MakeDib(9, 4, Bgra(), false, rng);  // random alpha bytes
    const auto original = Pixels32(Header(source));
    OwnedDib kept = Own(CDIB32::ConvertTo32BitsDIB(Header(source), nullptr, 7, 1));
    ASSERT_TRUE(kept);
    EXPECT_EQ(Pixels32(kept.get()), original);

    auto target = MakeDib(9, 4, Bgra(), true, rng);  // top-down, same size
    ASSERT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(target), 7, 0), Header(target));
    const auto written = Pixels32(Header(target));
    for (size_t i = 0; i < original.size(); ++i) ASSERT_EQ(written[i], (original[i] & 0xFFFFFF) | 0x07000000u);

    // A target of another size or depth is refused and left alone.
    for (auto wrong : {MakeDib(9, 5, Bgra(), false, rng), MakeDib(9, 4, Bgr(), false, rng)}) {
        const auto before = wrong;
        EXPECT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(wrong), 255, 0), nullptr);
        EXPECT_EQ(wrong, before);
    }
}

TEST(Conversion, NewImagesAreBlack) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        OwnedDib dib = Own(QelImageTransform::CBitmapCreator::CreateDibImage(33, 5, bits, bits == 4 ? 3 : 0));
        ASSERT_TRUE(dib) << bits;
        EXPECT_EQ(BitsOffset(dib.get()), 40u + (bits == 4 ? 12u : bits <= 8 ? 4u << bits : 0u));
        for (uint32_t p : RenderWithGdi(dib.get())) ASSERT_EQ(p & 0xFFFFFF, 0u) << bits;
    }
    OwnedDib blank = Own(CDIB32::CreateBlank32BitsDIB(3, 2));
    ASSERT_TRUE(blank);
    EXPECT_EQ(BitsOffset(blank.get()), 40u);
    for (uint32_t p : Pixels32(blank.get())) EXPECT_EQ(p, 0u);
}
