// The host's own PNG writer: its checksums, its refusals, and its files as GDI+ decodes them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "GdiplusHandles.h"
#include "ImageFiles.h"
#include "PngWriter.h"
#include "TestSupport.h"

TEST(PngWriter, ChecksumsGiveTheirCheckValuesAlsoWhenFedInPieces) {
    const auto* digits = reinterpret_cast<const uint8_t*>("123456789");
    EXPECT_EQ(hostapi::Crc32(digits + 4, 5, hostapi::Crc32(digits, 4)), 0xCBF43926u);
    EXPECT_EQ(hostapi::Adler32(digits + 4, 5, hostapi::Adler32(digits, 4)), 0x091E01DEu);
    // Sums that need reducing more than once.
    const std::vector<uint8_t> ones(100000, 0xFF);
    uint32_t a = 1, b = 0;
    for (uint8_t v : ones) a = (a + v) % 65521, b = (b + a) % 65521;
    EXPECT_EQ(hostapi::Adler32(ones.data(), ones.size()), b << 16 | a);
}

TEST(PngWriter, RowsAreCountedAndASizePngCannotHoldIsRefused) {
    auto sink = [](const uint8_t*, size_t) { return true; };
    const uint8_t row[8] = {};
    hostapi::PngStream shortOne(2, 2, sink), longOne(2, 1, sink), failing(1, 1, [](const uint8_t*, size_t) { return false; });
    EXPECT_TRUE(shortOne.AddRow(row) && longOne.AddRow(row));
    EXPECT_FALSE(shortOne.Finish() || longOne.AddRow(row) || failing.AddRow(row) || failing.Finish());
    EXPECT_FALSE(hostapi::PngStream(0, 5, sink).Ok() || hostapi::PngStream(5, 0x80000000u, sink).Ok());
}

TEST(PngWriter, FilesDecodeToTheSamePixelsSmallAndTall) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    // Alpha included, every pixel differs from its neighbours in its row and column.
    auto pixel = [](int x, int y) { return (static_cast<uint32_t>(x * 7 + y) & 0xFF) << 24 | (static_cast<uint32_t>(y) & 0xFFFF) << 8 | (x & 0xFF); };
    // Small: one stored block in one data chunk. Tall: rows that straddle blocks, many chunks.
    const struct { int width, height; bool bottomUp; } cases[] = {{5, 3, false}, {300, 40000, true}};
    for (const auto& c : cases) {
        const BITMAPINFOHEADER header{sizeof header, c.width, c.bottomUp ? c.height : -c.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint32_t> dib((sizeof header + static_cast<size_t>(c.width) * c.height * 4) / 4);
        std::memcpy(dib.data(), &header, sizeof header);
        for (int r = 0; r < c.height; ++r)
            for (int x = 0; x < c.width; ++x) dib[sizeof header / 4 + static_cast<size_t>(r) * c.width + x] = pixel(x, c.bottomUp ? c.height - 1 - r : r);
        const std::wstring path = qeltest::OutputPath(L"png-writer-" + std::to_wstring(c.height) + L".png");
        ASSERT_TRUE(hostapi::SavePngOwnWriter(reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), path));
        long differing = -1;  // unreadable
        {
            Gdiplus::Bitmap image(path.c_str());
            const qel::BitmapBitsLock bits(&image, {0, 0, c.width, c.height}, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
            if (bits.ok() && qeltest::SizeOf(&image) == qeltest::Size(c.width, c.height)) differing = 0;
            for (int y = 0; differing >= 0 && y < c.height; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(bits.scan0() + static_cast<size_t>(y) * bits.data().Stride);
                for (int x = 0; x < c.width; ++x) differing += row[x] != pixel(x, y);
            }
        }
        EXPECT_EQ(differing, 0) << c.width << "x" << c.height;
        ::DeleteFileW(path.c_str());
    }
    Gdiplus::GdiplusShutdown(token);
}
