// Conversions checked pixel by pixel against GDI's own drawing of the same image.
#include <gtest/gtest.h>

#include <cstring>

#include "DibTestSupport.h"
#include "Handles.h"

using namespace dibtest;
using QelImageTransform::CBitmapConverter;
using QelImageTransform::CBitmapCreator;
using QelImageTransform::CDIB32;

namespace {

// Compares colours only; reports the first difference.
void ExpectSameColours(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual, int width,
                       const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        if ((expected[i] ^ actual[i]) & 0xFFFFFFu) {
            ADD_FAILURE() << what << ": pixel (" << i % width << ", " << i / width << ") expected " << std::hex
                          << (expected[i] & 0xFFFFFF) << " got " << (actual[i] & 0xFFFFFF);
            return;
        }
}

}  // namespace

TEST(Conversion, EveryFormatTo32BitsMatchesGdi) {
    std::mt19937 rng(1);
    for (const Format& f : AllFormats())
        for (bool topDown : {false, true}) {
            const std::string what = std::string(f.name) + (topDown ? " top-down" : "");
            const int w = 37, h = 11;  // odd width: partial bytes and row padding
            auto source = MakeDib(w, h, f, topDown, rng);
            const auto expected = RenderWithGdi(Header(source));
            ASSERT_FALSE(expected.empty()) << what;
            auto copy = source;
            OwnedDib converted = Own(CDIB32::ConvertTo32BitsDIB(Header(source), nullptr, 255, 0));
            ASSERT_TRUE(converted) << what;
            EXPECT_EQ(source, copy) << what << ": source changed";
            EXPECT_EQ(converted->biBitCount, 32);
            EXPECT_EQ(converted->biCompression, DWORD(BI_RGB));
            EXPECT_EQ(converted->biWidth, w);
            EXPECT_EQ(converted->biHeight, h) << "results are bottom-up";
            const auto pixels = Pixels32(converted.get());
            ExpectSameColours(expected, pixels, w, what);
            for (uint32_t p : pixels) ASSERT_EQ(p >> 24, 255u) << what;
        }
}

TEST(Conversion, AlphaArgumentsAndGivenTarget) {
    std::mt19937 rng(2);
    auto source = MakeDib(9, 4, AllFormats()[11], false, rng);  // 32-bit BI_RGB with random alpha bytes
    const auto original = Pixels32(Header(source));

    OwnedDib kept = Own(CDIB32::ConvertTo32BitsDIB(Header(source), nullptr, 7, 1));
    ASSERT_TRUE(kept);
    EXPECT_EQ(Pixels32(kept.get()), original);

    // Converted into an existing top-down target of the same size.
    auto target = MakeDib(9, 4, AllFormats()[11], true, rng);
    ASSERT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(target), 7, 0), Header(target));
    const auto written = Pixels32(Header(target));
    for (size_t i = 0; i < original.size(); ++i) ASSERT_EQ(written[i], (original[i] & 0xFFFFFF) | 0x07000000u);

    // A target of another size or depth is refused and left alone.
    auto wrongSize = MakeDib(9, 5, AllFormats()[11], false, rng), wrongDepth = MakeDib(9, 4, AllFormats()[10], false, rng);
    const auto sizeBefore = wrongSize, depthBefore = wrongDepth;
    EXPECT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(wrongSize), 255, 0), nullptr);
    EXPECT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(wrongDepth), 255, 0), nullptr);
    EXPECT_EQ(wrongSize, sizeBefore);
    EXPECT_EQ(wrongDepth, depthBefore);
}

TEST(Conversion, DibSectionsComeBackAtTheirOwnDepth) {
    std::mt19937 rng(3);
    for (const Format& f : AllFormats())
        for (bool topDown : {false, true}) {
            const std::string what = std::string(f.name) + (topDown ? " top-down" : "");
            const int w = 29, h = 7;
            auto source = MakeDib(w, h, f, topDown, rng);
            void* bits = nullptr;
            qel::UniqueHbitmap section(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(source.data()),
                                                          DIB_RGB_COLORS, &bits, nullptr, 0));
            ASSERT_TRUE(section) << what;
            std::memcpy(bits, source.data() + BitsOffset(Header(source)), Stride(Header(source)) * h);

            OwnedDib dib = Own(CBitmapConverter::ConvertDDBToDIB(section.get()));
            ASSERT_TRUE(dib) << what;
            EXPECT_EQ(dib->biBitCount, f.bits) << what;
            EXPECT_EQ(dib->biCompression, f.compression == BI_BITFIELDS && f.masks[0] != 0xFF0000 ? BI_BITFIELDS : BI_RGB) << what;
            EXPECT_EQ(dib->biHeight, h) << what;
            ExpectSameColours(RenderWithGdi(Header(source)), RenderWithGdi(dib.get()), w, what);
            // At the same depth the stored pixels come back unchanged, row for row.
            const size_t used = (size_t(w) * f.bits + 7) / 8;
            for (int y = 0; y < h && f.bits % 8 == 0; ++y)
                ASSERT_EQ(std::memcmp(RowAt(dib.get(), y), RowAt(Header(source), y), used), 0) << what << " row " << y;

            OwnedDib wide = Own(CDIB32::ConvertTo32BitsDIB(dib.get(), nullptr, 255, 0));
            ASSERT_TRUE(wide) << what;
            ExpectSameColours(RenderWithGdi(Header(source)), Pixels32(wide.get()), w, what + " to 32");
        }
}

TEST(Conversion, DeviceBitmapsMatchWhatGdiDrew) {
    const int w = 45, h = 13;
    qel::WindowDc screen(nullptr);
    qel::UniqueHbitmap colour(::CreateCompatibleBitmap(screen.get(), w, h));
    std::vector<uint8_t> maskBits(size_t((w + 15) / 16) * 2 * h);
    std::mt19937 rng(4);
    for (auto& b : maskBits) b = uint8_t(rng());
    qel::UniqueHbitmap mono(::CreateBitmap(w, h, 1, 1, maskBits.data()));
    ASSERT_TRUE(colour && mono);
    {
        qel::UniqueHdc dc(::CreateCompatibleDC(screen.get()));
        qel::SelectScope select(dc.get(), colour.get());
        for (int i = 0; i < 12; ++i) {
            qel::UniqueHbrush brush(::CreateSolidBrush(RGB(rng() & 255, rng() & 255, rng() & 255)));
            const RECT r{int(rng() % w), int(rng() % h), int(rng() % w) + 5, int(rng() % h) + 3};
            ::FillRect(dc.get(), &r, brush.get());
        }
    }
    for (HBITMAP bitmap : {colour.get(), mono.get()}) {
        BITMAP bm{};
        ::GetObjectW(bitmap, sizeof(bm), &bm);
        OwnedDib dib = Own(CBitmapConverter::ConvertDDBToDIB(bitmap));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->biBitCount, bm.bmBitsPixel * bm.bmPlanes);
        ExpectSameColours(RenderWithGdi(bitmap, w, h), RenderWithGdi(dib.get()), w, "device bitmap");
    }
    // Not a bitmap: nothing.
    qel::UniqueHbrush brush(::CreateSolidBrush(0));
    EXPECT_EQ(CBitmapConverter::ConvertDDBToDIB(reinterpret_cast<HBITMAP>(brush.get())), nullptr);
    EXPECT_EQ(CBitmapConverter::ConvertDDBToDIB(nullptr), nullptr);
}

TEST(Conversion, NewImagesHaveTheAskedLayout) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        OwnedDib dib = Own(CBitmapCreator::CreateDibImage(33, 5, bits, bits == 4 ? 3 : 0));
        ASSERT_TRUE(dib) << bits;
        EXPECT_EQ(BitsOffset(dib.get()), 40u + (bits == 4 ? 12u : bits <= 8 ? 4u << bits : 0u));
        // GDI reads the new image as black everywhere: zero bits, table starting at black.
        for (uint32_t p : RenderWithGdi(dib.get())) ASSERT_EQ(p & 0xFFFFFF, 0u) << bits;
    }
    OwnedDib blank = Own(CDIB32::CreateBlank32BitsDIB(3, 2));
    ASSERT_TRUE(blank);
    EXPECT_EQ(BitsOffset(blank.get()), 40u);
    for (uint32_t p : Pixels32(blank.get())) EXPECT_EQ(p, 0u);
}
