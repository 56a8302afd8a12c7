#pragma once
// What scroll_target.exe shows, shared by the program and the tests that scroll it: its options, the
// picture it scrolls, and what a capture of its client area sees at a scroll position or stitched whole.
//
// The client area is `header` fixed rows at the top, then the content scrolled below them (and sideways
// under the header too). Content (x, y) shows at client (x - scrollX, header + y - scrollY).
//
// A perfect stitch of client-area frames, with (sx, sy) the start position clamped to the scroll range:
// - vertical: clientWidth wide, header + contentHeight - sy high: the header rows once, then content
//   rows sy .. contentHeight-1 of columns sx .. sx+clientWidth-1 (ExpectedVerticalStitch);
// - horizontal: contentWidth - sx wide, clientHeight high: the header rows across the whole width, then
//   content rows sy .. sy+viewHeight-1 of columns sx .. contentWidth-1 (ExpectedHorizontalStitch).
// The header is one colour along each of its rows, so the header of a horizontal stitch is the same
// however the steps fell: each merge appends the last columns of a frame's header again.
// Both assume content at least as large as the view in the scrolled direction; otherwise the window
// never moves and the capture is one frame (ExpectedView).
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace scrolltest {

// No two content rows are equal, nor two columns (up to 2^24 rows and 65536 columns): red and green
// count the rows, blue and green the columns, so a row moved by any amount matches nowhere.
inline uint32_t ScrollContentPixel(int x, int y) {
    const uint32_t r = static_cast<uint32_t>(y) & 0xFF;
    const uint32_t g = ((static_cast<uint32_t>(y) >> 8) ^ (static_cast<uint32_t>(x) >> 8)) & 0xFF;
    const uint32_t b = (static_cast<uint32_t>(x) ^ (static_cast<uint32_t>(y) >> 16)) & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}

// One colour per row (distinct for the first 32768 rows); never equal to a content row, whose blue
// changes from one column to the next.
inline uint32_t ScrollHeaderPixel(int /*x*/, int y) {
    const uint32_t v = static_cast<uint32_t>(y);
    return 0xFF000000u | (v & 0xFF) << 16 | (0x80 | ((v >> 8) & 0x7F)) << 8 | 0x40;
}

// Client pixels right or below content smaller than the view.
constexpr uint32_t kScrollBackground = 0xFFFFFFFF;

struct ScrollTargetOptions {
    int contentWidth = 700, contentHeight = 3000;
    int clientWidth = 500, clientHeight = 400;
    int x = 100, y = 100;  // the window's top-left corner on the screen
    int line = 16;         // pixels per line step, and per 60 units of wheel delta
    int header = 0;        // fixed rows at the top of the client area
    bool verticalBar = true, horizontalBar = true;
    int startX = 0, startY = 0;
    int destroyAfter = 0, resizeAfter = 0, collapseAfter = 0;  // scroll step messages; 0: never
    std::wstring title = L"Qel scroll target";

    int ViewHeight() const { return std::max(0, clientHeight - header); }
    int MaxScrollX() const { return std::max(0, contentWidth - clientWidth); }
    int MaxScrollY() const { return std::max(0, contentHeight - ViewHeight()); }
    int StartX() const { return std::clamp(startX, 0, MaxScrollX()); }
    int StartY() const { return std::clamp(startY, 0, MaxScrollY()); }
};

// A top-down image of 0xAARRGGBB pixels.
struct ScrollImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Fills one client row at a scroll position; content comes from a top-down contentWidth-wide array
// when one is given (the program's prebuilt picture), else it is computed.
inline void FillViewRow(const ScrollTargetOptions& o, int width, int scrollX, int scrollY, int row, uint32_t* out,
                        const uint32_t* content = nullptr) {
    if (row < o.header) {
        for (int x = 0; x < width; ++x) out[x] = ScrollHeaderPixel(x, row);
        return;
    }
    const int cy = scrollY + row - o.header;
    const int inside = cy < o.contentHeight ? std::clamp(o.contentWidth - scrollX, 0, width) : 0;
    if (content)
        std::copy_n(content + static_cast<size_t>(cy) * o.contentWidth + scrollX, inside, out);
    else
        for (int x = 0; x < inside; ++x) out[x] = ScrollContentPixel(scrollX + x, cy);
    std::fill(out + inside, out + width, kScrollBackground);
}

// The client area at a scroll position.
inline ScrollImage ExpectedView(const ScrollTargetOptions& o, int scrollX, int scrollY) {
    ScrollImage image{o.clientWidth, o.clientHeight, {}};
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) FillViewRow(o, image.width, scrollX, scrollY, y, &image.pixels[static_cast<size_t>(y) * image.width]);
    return image;
}

inline ScrollImage ExpectedVerticalStitch(const ScrollTargetOptions& o) {
    const int sx = o.StartX(), sy = o.StartY();
    ScrollImage image{o.clientWidth, o.header + o.contentHeight - sy, {}};
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) FillViewRow(o, image.width, sx, sy, y, &image.pixels[static_cast<size_t>(y) * image.width]);
    return image;
}

inline ScrollImage ExpectedHorizontalStitch(const ScrollTargetOptions& o) {
    const int sx = o.StartX(), sy = o.StartY();
    ScrollImage image{o.contentWidth - sx, o.clientHeight, {}};
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) FillViewRow(o, image.width, sx, sy, y, &image.pixels[static_cast<size_t>(y) * image.width]);
    return image;
}

}  // namespace scrolltest
