#pragma once
// What scroll_target.exe shows, shared by the program and the tests that scroll it.
//
// The client area is `header` fixed rows at the top, then the content scrolled below them (and sideways
// under the header too). Content (x, y) shows at client (x - scrollX, header + y - scrollY).
// A perfect stitch, from the start position clamped to the scroll range, holds the header rows once and
// the content from there to its end in the scrolled direction. The header is one colour along each row,
// so the header of a horizontal stitch is the same however the steps fell. Both stitches assume content
// at least as large as the view in the scrolled direction; otherwise the capture is one ExpectedView.
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
inline uint32_t ScrollHeaderPixel(int y) {
    const uint32_t v = static_cast<uint32_t>(y);
    return 0xFF000000u | (v & 0xFF) << 16 | (0x80 | ((v >> 8) & 0x7F)) << 8 | 0x40;
}

struct ScrollTargetOptions {
    int contentWidth = 700, contentHeight = 3000;
    int clientWidth = 500, clientHeight = 400;
    int x = 100, y = 100;  // the window's top-left corner on the screen
    int line = 16;         // pixels per line step, and per 60 units of wheel delta
    int header = 0;        // fixed rows at the top of the client area
    bool verticalBar = true, horizontalBar = true;
    int startX = 0, startY = 0;
    int destroyAfter = 0, resizeAfter = 0, collapseAfter = 0;  // scroll step messages; 0: never
    int hangAfter = 0;  // scroll step messages after which the program stops answering; -1: once shown
    std::wstring title = L"Qel scroll target";

    int StartX() const { return std::clamp(startX, 0, std::max(0, contentWidth - clientWidth)); }
    int StartY() const { return std::clamp(startY, 0, std::max(0, contentHeight - (clientHeight - header))); }
};

// A top-down image of 0xAARRGGBB pixels.
struct ScrollImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A client area of width x height at a scroll position; white right of and below content smaller than it.
inline ScrollImage RenderView(const ScrollTargetOptions& o, int width, int height, int scrollX, int scrollY) {
    ScrollImage image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xFFFFFFFFu)};
    for (int row = 0; row < height; ++row) {
        uint32_t* out = &image.pixels[static_cast<size_t>(row) * width];
        const int cy = scrollY + row - o.header;
        if (row < o.header) std::fill(out, out + width, ScrollHeaderPixel(row));
        else if (cy < o.contentHeight)
            for (int x = 0; x < std::min(width, o.contentWidth - scrollX); ++x) out[x] = ScrollContentPixel(scrollX + x, cy);
    }
    return image;
}

inline ScrollImage ExpectedView(const ScrollTargetOptions& o, int scrollX, int scrollY) {
    return RenderView(o, o.clientWidth, o.clientHeight, scrollX, scrollY);
}

inline ScrollImage ExpectedVerticalStitch(const ScrollTargetOptions& o) {
    return RenderView(o, o.clientWidth, o.header + o.contentHeight - o.StartY(), o.StartX(), o.StartY());
}

inline ScrollImage ExpectedHorizontalStitch(const ScrollTargetOptions& o) {
    return RenderView(o, o.contentWidth - o.StartX(), o.clientHeight, o.StartX(), o.StartY());
}

}  // namespace scrolltest
