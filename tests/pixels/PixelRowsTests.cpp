// The row loops against a pixel-by-pixel reading of the same bytes, at every width around their
// four-pixel steps, so that the last pixels of a row are neither lost nor read past.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "pixels/PixelRows.h"

TEST(PixelRows, ConversionsAndCountsAgreeWithOnePixelAtATimeAtEveryWidth) {
    for (int width = 0; width <= 13; ++width) {
        std::vector<uint8_t> bytes(static_cast<size_t>(width) * 4);
        // Five values across the whole byte: colours repeat, and a lost high bit shows.
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 % 5 * 63);
        // Room past the row: the loops must leave it alone.
        std::vector<uint32_t> from24(width + 1, 0xDEADBEEF), from32(width + 1, 0xDEADBEEF), overBlack(width + 1, 0xDEADBEEF);
        PixelRows::OpaqueFromBgr24(bytes.data(), from24.data(), width);
        PixelRows::OpaqueFromBgrx32(bytes.data(), from32.data(), width);
        // Opaque and clear pixels, with two partly transparent among them whose alpha changes with the width:
        // fast groups and slow ones, and the rounding of many products.
        std::vector<uint8_t> straight(bytes);
        for (int x = 0; x < width; ++x)
            straight[4 * static_cast<size_t>(x) + 3] = static_cast<uint8_t>(x == 6 || x == 12 ? 1 + (width * 19 + x) % 254 : x % 2 ? 255 : 0);
        PixelRows::OverBlack(straight.data(), overBlack.data(), width);
        size_t count24 = 0, count32 = 0;
        const uint32_t rgb = 0xFC7E00;  // at x = 0, 5 and 10, in four-pixel groups and after them
        for (int x = 0; x < width; ++x) {
            const uint8_t* p3 = &bytes[3 * static_cast<size_t>(x)];
            const uint8_t* p4 = &bytes[4 * static_cast<size_t>(x)];
            const uint32_t c24 = p3[0] | p3[1] << 8 | p3[2] << 16, c32 = p4[0] | p4[1] << 8 | p4[2] << 16;
            EXPECT_EQ(from24[x], 0xFF000000u | c24) << width << " " << x;
            EXPECT_EQ(from32[x], 0xFF000000u | c32) << width << " " << x;
            const uint32_t a = straight[4 * static_cast<size_t>(x) + 3];
            const uint32_t over = a << 24 | (p4[0] * a + 127) / 255 | (p4[1] * a + 127) / 255 << 8 | (p4[2] * a + 127) / 255 << 16;
            EXPECT_EQ(overBlack[x], over) << width << " " << x;
            count24 += c24 == rgb;
            count32 += c32 == rgb;
        }
        EXPECT_TRUE(from24[width] == 0xDEADBEEF && from32[width] == 0xDEADBEEF && overBlack[width] == 0xDEADBEEF) << width;
        EXPECT_EQ(PixelRows::CountRgb(bytes.data(), width, 3, 0xFF000000u | rgb), count24) << width;
        EXPECT_EQ(PixelRows::CountRgb(bytes.data(), width, 4, rgb), count32) << width;
    }
}

TEST(PixelRows, SpansKeepTheirPixelsOpaqueAndEverythingElseBecomesTransparentWhite) {
    std::vector<uint32_t> row(12, 0x00123456);
    // Spans reaching past either end of the row are cut to it.
    const PixelRows::Span spans[] = {{-3, 2}, {5, 7}, {10, 40}};
    PixelRows::KeepOnlySpans(row.data(), 12, spans, 3);
    const std::vector<uint32_t> kept{0xFF123456, 0xFF123456, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0xFF123456,
                                     0xFF123456, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0xFF123456, 0xFF123456};
    EXPECT_EQ(row, kept);
}
