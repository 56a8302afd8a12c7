#pragma once
// The shift search done the slow, obvious way: every candidate of every thread's range scored over
// every pixel pair, the ranges' results combined one after another. The yardstick the fast search is
// held to, in the tests and the benchmark. The previous frame's compared lines start at its first
// line, so content moved by d lines is candidate d. Also the frames that the tests and the fuzz target
// lay out as packed DIBs.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scrolling/FrameStitching.h"

namespace exhaustive {

// The candidate ranges, one per search thread, in the order the threads are made.
inline std::vector<CandidateRange> Ranges(int m) {
    std::vector<CandidateRange> ranges;
    if (m <= 1) return ranges;
    const float step = static_cast<float>(m) / static_cast<float>(m < 4 ? m : 4);
    for (int first = 1, i = 0; first < m; ++i) {
        const int count = static_cast<int>(static_cast<float>(i + 1) * step + 0.5f) -
                          static_cast<int>(static_cast<float>(i) * step + 0.5f);
        if (count > 0 && count <= m) {
            ranges.push_back({first, count});
            first += count;
        }
    }
    return ranges;
}

// Lines along the searched axis: rows, or columns of a horizontal search.
inline int Lines(const FrameView& f, bool horizontal) { return horizontal ? f.width : f.height; }

// A four-byte pixel compared as one word, as the benchmark's figures assume.
inline bool SamePixel(const uint8_t* a, const uint8_t* b, int pixelBytes) {
    if (pixelBytes != 4) return std::memcmp(a, b, static_cast<size_t>(pixelBytes)) == 0;
    uint32_t x, y;
    std::memcpy(&x, a, 4);
    std::memcpy(&y, b, 4);
    return x == y;
}

// Equal pixel pairs of candidate c: line j of the current frame against line c + j of the previous.
inline int64_t Score(const FrameView& previous, const FrameView& current, bool horizontal, int c) {
    const int lines = Lines(current, horizontal), span = Lines(current, !horizontal);
    const int compared = c + lines / 2 >= lines - 1 ? lines - c - 1 : lines / 2;
    int64_t score = 0;
    for (int j = 0; j < compared; ++j)
        for (int k = 0; k < span; ++k)
            score += SamePixel(horizontal ? current.Pixel(j, k) : current.Pixel(k, j),
                               horizontal ? previous.Pixel(c + j, k) : previous.Pixel(k, c + j), current.pixelBytes);
    return score;
}

// A frame as a packed DIB, and its view.
struct Frame {
    std::vector<uint8_t> dib;
    FrameView view;  // into dib
};

// Lines of span pixels each (pixel k of line j at px[j * span + k]; lines are columns of a horizontal
// frame) as a packed DIB whose row padding holds junk made from junk, which no comparison may read. The
// masks of BI_BITFIELDS are the plain ones, after a 40-byte header or inside a larger one.
inline Frame Lay(const uint32_t* px, int lines, int span, bool horizontal, int pixelBytes, bool bottomUp, uint32_t junk,
                 DWORD headerSize = sizeof(BITMAPINFOHEADER), DWORD compression = BI_RGB) {
    const int width = horizontal ? lines : span, height = horizontal ? span : lines;
    const ptrdiff_t stride = (width * pixelBytes + 3) / 4 * 4;
    const size_t headerBytes = headerSize + (compression == BI_BITFIELDS && headerSize == 40 ? 12 : 0);
    Frame f{std::vector<uint8_t>(headerBytes + static_cast<size_t>(stride) * height), {}};
    for (size_t i = headerBytes; i < f.dib.size(); ++i) f.dib[i] = static_cast<uint8_t>((junk = junk * 1664525u + 1013904223u) >> 24);
    const BITMAPINFOHEADER header{headerSize, width, bottomUp ? height : -height, 1, static_cast<WORD>(pixelBytes * 8),
                                  compression, 0, 0, 0, 0, 0};
    std::memcpy(f.dib.data(), &header, sizeof header);
    const DWORD plain[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    if (compression == BI_BITFIELDS) std::memcpy(f.dib.data() + 40, plain, sizeof plain);
    uint8_t* top = f.dib.data() + headerBytes + (bottomUp ? stride * (height - 1) : 0);
    f.view = FrameView{top, bottomUp ? -stride : stride, width, height, pixelBytes};
    for (int j = 0; j < lines; ++j)
        for (int k = 0; k < span; ++k)
            std::memcpy(top + (horizontal ? k : j) * f.view.rowStep + (horizontal ? j : k) * pixelBytes,
                        &px[static_cast<size_t>(j) * span + k], static_cast<size_t>(pixelBytes));
    return f;
}

// The best score and candidate before the 60 % rule. Within a range a candidate replaces the best only
// with a greater score above floor; a later range's best replaces the first's only when greater.
inline ShiftMatch Scan(const FrameView& previous, const FrameView& current, bool horizontal, int64_t floor = -1) {
    ShiftMatch best{-1, -1};
    if (previous.pixelBytes != current.pixelBytes || previous.width != current.width ||
        previous.height != current.height)
        return best;
    const int lines = Lines(current, horizontal);
    const std::vector<CandidateRange> ranges = Ranges(lines - lines / 2);
    for (size_t i = 0; i < ranges.size(); ++i) {
        ShiftMatch range{0, -1};
        for (int c = ranges[i].first; c < ranges[i].first + ranges[i].count; ++c) {
            const int64_t score = Score(previous, current, horizontal, c);
            if (score > floor && range.score < score) range = {score, c};
        }
        if (i == 0 || range.score > best.score) best = range;
    }
    return best;
}

// The shift, or -1 when the best match covers less than 60 % of m lines of pixels.
inline int FindShift(const FrameView& previous, const FrameView& current, bool horizontal, int64_t floor = -1) {
    const int lines = Lines(current, horizontal);
    const int64_t compared = static_cast<int64_t>(lines - lines / 2) * Lines(current, !horizontal);
    const ShiftMatch best = Scan(previous, current, horizontal, floor);
    return best.candidate < 0 || best.score * 100 / compared < 60 ? -1 : best.candidate;
}

}  // namespace exhaustive
