#pragma once
// The shift search done the slow, obvious way: every candidate of every thread's range scored over
// every pixel pair, the ranges' results combined one after another. The yardstick that the fast
// search is held to, in the tests and in the benchmark. The first compared line of the previous
// frame is its first line, so content moved by d lines is candidate d.
#include <cstdint>
#include <cstring>
#include <vector>

#include "scrolling/FrameStitching.h"

namespace exhaustive {

struct Range {
    int first;
    int count;
};

struct Best {
    int64_t score;
    int candidate;
};

// The candidate ranges, one per search thread, in the order the threads are made.
inline std::vector<Range> Ranges(int m) {
    std::vector<Range> ranges;
    if (m <= 1) return ranges;
    const int parts = m < 4 ? m : 4;
    const float step = static_cast<float>(m) / static_cast<float>(parts);
    int first = 1, i = 0;
    do {
        const int lo = static_cast<int>(static_cast<float>(i) * step + 0.5f);
        const int hi = static_cast<int>(static_cast<float>(i + 1) * step + 0.5f);
        const int count = hi - lo;
        ++i;
        if (count > 0 && count <= m) {
            ranges.push_back({first, count});
            first += count;
        }
    } while (first < m);
    return ranges;
}

inline bool SamePixel(const uint8_t* a, const uint8_t* b, int pixelBytes) {
    if (pixelBytes == 4) {
        uint32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return x == y;
    }
    for (int i = 0; i < pixelBytes; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

inline const uint8_t* At(const FrameView& f, int x, int y) {
    return f.top + static_cast<ptrdiff_t>(y) * f.rowStep + static_cast<ptrdiff_t>(x) * f.pixelBytes;
}

// Lines along the searched axis (rows, or columns when horizontal) and pixels in each.
inline int Lines(const FrameView& f, bool horizontal) { return horizontal ? f.width : f.height; }
inline int Span(const FrameView& f, bool horizontal) { return horizontal ? f.height : f.width; }

// Lines compared for candidate c.
inline int ComparedLines(int lines, int c) { return c + lines / 2 >= lines - 1 ? lines - c - 1 : lines / 2; }

// Equal pixel pairs: line j of the current frame against line c + j of the previous one.
inline int64_t Score(const FrameView& previous, const FrameView& current, bool horizontal, int c) {
    const int lines = ComparedLines(Lines(current, horizontal), c);
    const int span = Span(current, horizontal);
    int64_t score = 0;
    for (int j = 0; j < lines; ++j)
        for (int k = 0; k < span; ++k) {
            const uint8_t* a = horizontal ? At(current, j, k) : At(current, k, j);
            const uint8_t* b = horizontal ? At(previous, c + j, k) : At(previous, k, c + j);
            score += SamePixel(a, b, current.pixelBytes);
        }
    return score;
}

// One thread's scan: a candidate replaces the best only with a greater score. Scores at or below
// floor do not count.
inline Best ScanRange(const FrameView& previous, const FrameView& current, bool horizontal, Range range,
                      int64_t floor) {
    Best best{0, -1};
    for (int c = range.first; c < range.first + range.count; ++c) {
        if (ComparedLines(Lines(current, horizontal), c) <= 0) continue;
        const int64_t score = Score(previous, current, horizontal, c);
        if (score > floor && best.score < score) best = {score, c};
    }
    return best;
}

// The best score and candidate before the 60 % rule: the first range's, replaced by a later
// range's only when that one is strictly greater.
inline Best Scan(const FrameView& previous, const FrameView& current, bool horizontal, int64_t floor = -1) {
    Best best{-1, -1};
    if (previous.pixelBytes != current.pixelBytes || previous.width != current.width ||
        previous.height != current.height)
        return best;
    const int lines = Lines(current, horizontal);
    const std::vector<Range> ranges = Ranges(lines - lines / 2);
    for (size_t i = 0; i < ranges.size(); ++i) {
        const Best b = ScanRange(previous, current, horizontal, ranges[i], floor);
        if (i == 0 || b.score > best.score) best = b;
    }
    return best;
}

// The shift, or -1 when the best match covers less than 60 % of m lines of pixels.
inline int Decide(const Best& best, const FrameView& current, bool horizontal) {
    const int lines = Lines(current, horizontal);
    const int64_t compared = static_cast<int64_t>(lines - lines / 2) * Span(current, horizontal);
    if (compared <= 0 || best.score * 100 / compared < 60) return -1;
    return best.candidate;
}

inline int FindShift(const FrameView& previous, const FrameView& current, bool horizontal, int64_t floor = -1) {
    if (previous.pixelBytes != current.pixelBytes || previous.width != current.width ||
        previous.height != current.height)
        return -1;
    return Decide(Scan(previous, current, horizontal, floor), current, horizontal);
}

}  // namespace exhaustive
