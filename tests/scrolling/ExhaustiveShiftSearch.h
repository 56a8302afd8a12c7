#pragma once
// The shift search done the slow, obvious way: every candidate of every thread's range scored over
// every pixel pair, the ranges' results combined one after another. The yardstick the fast search is
// held to, in the tests and the benchmark. The previous frame's compared lines start at its first
// line, so content moved by d lines is candidate d.
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
