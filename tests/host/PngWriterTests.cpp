// The host's own PNG writer: its checksums, and its files as GDI+ decodes them.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <string>
#include <vector>

#include "HostImage.h"
#include "PngWriter.h"
#include "TestSupport.h"

TEST(PngWriter, ChecksumsGiveTheirCheckValuesAlsoWhenFedInPieces) {
    const auto* digits = reinterpret_cast<const uint8_t*>("123456789");
    EXPECT_EQ(host::Crc32(digits, 9), 0xCBF43926u);
    EXPECT_EQ(host::Crc32(digits + 4, 5, host::Crc32(digits, 4)), 0xCBF43926u);
    const auto* word = reinterpret_cast<const uint8_t*>("Wikipedia");
    EXPECT_EQ(host::Adler32(word, 9), 0x11E60398u);
    EXPECT_EQ(host::Adler32(word + 3, 6, host::Adler32(word, 3)), 0x11E60398u);
    // Sums that need reducing more than once: a long run of 0xFF.
    const std::vector<uint8_t> ones(100000, 0xFF);
    uint32_t a = 1, b = 0;
    for (uint8_t v : ones) a = (a + v) % 65521, b = (b + a) % 65521;
    EXPECT_EQ(host::Adler32(ones.data(), ones.size()), b << 16 | a);
}

TEST(PngWriter, RowsAreCountedAndASizePngCannotHoldIsRefused) {
    size_t bytes = 0;
    auto sink = [&bytes](const uint8_t*, size_t n) { return bytes += n, true; };
    const uint8_t row[8] = {};
    host::PngStream shortOne(2, 2, sink);
    EXPECT_TRUE(shortOne.AddRow(row));
    EXPECT_FALSE(shortOne.Finish());
    host::PngStream longOne(2, 1, sink);
    EXPECT_TRUE(longOne.AddRow(row));
    EXPECT_FALSE(longOne.AddRow(row));
    EXPECT_FALSE(host::PngStream(0, 5, sink).Ok() || host::PngStream(5, 0x80000000u, sink).Ok());
    host::PngStream failing(1, 1, [](const uint8_t*, size_t) { return false; });
    EXPECT_FALSE(failing.AddRow(row) || failing.Finish());
}

namespace {

// A 32-bit packed DIB whose pixels, alpha included, differ from row to row and column to column.
std::vector<uint8_t> MakeDib(int width, int height, bool bottomUp) {
    std::vector<uint8_t> dib(sizeof(BITMAPINFOHEADER) + static_cast<size_t>(width) * height * 4);
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, bottomUp ? height : -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(dib.data(), &header, sizeof(header));
    auto* pixels = reinterpret_cast<uint32_t*>(dib.data() + sizeof(header));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(bottomUp ? height - 1 - y : y) * width + x] =
                (static_cast<uint32_t>(x * 7 + y) & 0xFF) << 24 | (static_cast<uint32_t>(y) & 0xFFFF) << 8 | (x & 0xFF);
    return dib;
}

// Rows of the decoded file that differ from the DIB's, top row first; -1 when GDI+ cannot read it.
long DifferingRows(const std::wstring& path, const std::vector<uint8_t>& dib) {
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    const int width = header->biWidth, height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    Gdiplus::Bitmap image(path.c_str());
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data;
    if (image.GetLastStatus() != Gdiplus::Ok || static_cast<int>(image.GetWidth()) != width ||
        static_cast<int>(image.GetHeight()) != height ||
        image.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return -1;
    long differing = 0;
    const uint8_t* bits = dib.data() + sizeof(BITMAPINFOHEADER);
    for (int y = 0; y < height; ++y) {
        const uint8_t* expected = bits + static_cast<size_t>(header->biHeight > 0 ? height - 1 - y : y) * width * 4;
        differing += std::memcmp(static_cast<const uint8_t*>(data.Scan0) + static_cast<size_t>(y) * data.Stride, expected, width * 4) != 0;
    }
    image.UnlockBits(&data);
    return differing;
}

}  // namespace

TEST(PngWriter, FilesDecodeToTheSamePixelsSmallAndTall) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    // Small: one stored block in one data chunk. Tall: rows that straddle blocks, many chunks.
    const struct { int width, height; bool bottomUp; } cases[] = {{5, 3, false}, {300, 40000, true}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> dib = MakeDib(c.width, c.height, c.bottomUp);
        const std::wstring path = qeltest::OutputPath(L"png-writer-" + std::to_wstring(c.height) + L".png");
        ASSERT_TRUE(host::SavePngOwnWriter(reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), path));
        EXPECT_EQ(DifferingRows(path, dib), 0) << c.width << "x" << c.height;
        ::DeleteFileW(path.c_str());
    }
    Gdiplus::GdiplusShutdown(token);
}
