// The shift search held to an exhaustive scan on random frame pairs, many at once on the system's threads;
// the candidate ranges; the strip image held to merging line by line over many appends. A failure names the
// seed and the case; QEL_SHIFT_SEED=n runs another seed. The counts of unchanged lines and differing pixels
// are the fuzz target's (tests/fuzz/StitchingFuzz.cpp), on frames of the same kinds.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "ExhaustiveShiftSearch.h"
#include "scrolling/FrameStitching.h"
#include "scrolling/ShiftSearchThreads.h"

namespace {

uint32_t Seed() {
    const char* s = std::getenv("QEL_SHIFT_SEED");
    return s ? static_cast<uint32_t>(std::strtoul(s, nullptr, 10)) : 20261207u;
}

// Pixel values line by line: rows, or columns of a horizontal frame.
struct Grid {
    Grid(int lines, int span) : lines(lines), span(span), px(static_cast<size_t>(lines) * span) {}
    uint32_t* Line(int j) { return px.data() + static_cast<size_t>(j) * span; }

    int lines;
    int span;
    std::vector<uint32_t> px;
};

using exhaustive::Frame;

Frame Lay(const Grid& g, bool horizontal, int pixelBytes, bool bottomUp, std::mt19937& rng) {
    return exhaustive::Lay(g.px.data(), g.lines, g.span, horizontal, pixelBytes, bottomUp, rng());
}

struct Pair {
    Frame previous;
    Frame current;
    std::string description;
};

// The current frame is the previous one moved by a shift (up to past half, 0 now and then, or
// unrelated) under a header that may stay put, with a few pixels changed, or as many of the compared
// ones as bring the match to the edge of the 60 % rule; now and then of another depth or size.
Pair MakePair(bool horizontal, std::mt19937& rng) {
    const bool tiny = rng() % 10 == 0;
    const int lines = 1 + static_cast<int>(rng() % (tiny ? 4 : 64)), span = 1 + static_cast<int>(rng() % (tiny ? 4 : 64));
    const int pixelBytes = rng() % 3 ? 4 : 3, m = lines - lines / 2, pick = static_cast<int>(rng() % 10);
    const int shift = pick < 6 ? 1 + static_cast<int>(rng() % m) : pick < 8 ? static_cast<int>(rng() % lines) : pick < 9 ? 0 : lines;
    // Noise, or a few colours (one: plain), some lines marked, some repeating earlier ones: equal
    // pixels and lines are common on purpose, to tie candidates and make line hashes agree.
    const uint32_t colours = rng() % 4 ? 1 + rng() % 5 : 0, repeats = rng() % 4;
    std::vector<uint32_t> made;
    const auto fill = [&](uint32_t* line) {
        if (!made.empty() && rng() % 4 < repeats) std::copy_n(made.begin() + rng() % (made.size() / span) * span, span, line);
        else for (int k = 0; k < span; ++k) line[k] = colours ? 0xFF000000u | rng() % colours * 0x00302010u : rng();
        if (rng() % 8 == 0) line[rng() % span] = rng();
        made.insert(made.end(), line, line + span);
    };
    Grid previous(lines, span), current(lines, span);
    for (int j = 0; j < lines; ++j) fill(previous.Line(j));
    for (int j = 0; j < lines; ++j) {
        if (j + shift < lines) std::copy_n(previous.Line(j + shift), span, current.Line(j));
        else fill(current.Line(j));
    }
    const int header = rng() % 4 ? 0 : 1 + static_cast<int>(rng() % std::max(1, lines / 4));
    std::copy_n(previous.px.begin(), header * span, current.px.begin());
    const bool edge = rng() % 6 == 0;
    const int compared = std::max(0, std::min(lines / 2, lines - shift - 1)) * span, least = (60 * m * span + 99) / 100;
    const int changed = edge ? std::max(0, compared - least + static_cast<int>(rng() % 3) - 1)
                             : rng() % 3 ? 0 : 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < changed; ++i) current.px[edge ? i : rng() % current.px.size()] ^= 0x00808080u;
    // Now and then another depth, size across, or length (then the previous frame's lines).
    const int mismatch = rng() % 16 ? 0 : 1 + static_cast<int>(rng() % 3);
    Grid shown(mismatch == 3 ? 1 + static_cast<int>(rng() % 64) : lines, span + (mismatch == 2));
    for (int j = 0; j < shown.lines; ++j)
        for (int k = 0; k < shown.span; ++k) shown.Line(j)[k] = j < lines && k < span ? (mismatch == 3 ? previous : current).Line(j)[k] : rng();
    const bool previousBottomUp = rng() % 2, currentBottomUp = rng() % 2;
    std::ostringstream text;
    text << lines << " lines of " << span << ", " << pixelBytes << " bytes, bottom-up " << previousBottomUp << "/" << currentBottomUp
         << ", shift " << shift << ", header " << header << ", changed " << changed << ", mismatch " << mismatch;
    return {Lay(previous, horizontal, pixelBytes, previousBottomUp, rng),
            Lay(shown, horizontal, mismatch == 1 ? 7 - pixelBytes : pixelBytes, currentBottomUp, rng), text.str()};
}

struct Tally {
    std::vector<std::string> failures;
    int found = 0, refused = 0, floored = 0;
};

// The floor, one more random dimension, is now and then one below, at or above the best score, or
// anywhere. One pair in 32 goes through the DIB call.
Tally CheckPairs(bool horizontal, int first, int end) {
    const uint32_t seed = Seed();
    Tally tally;
    for (int i = first; i < end && tally.failures.size() < 10; i += 2) {
        std::seed_seq seq{seed, static_cast<uint32_t>(i), static_cast<uint32_t>(horizontal)};
        std::mt19937 rng(seq);
        const Pair pair = MakePair(horizontal, rng);
        const FrameView &p = pair.previous.view, &n = pair.current.view;
        const ShiftMatch best = exhaustive::Scan(p, n, horizontal);
        const int64_t floors[] = {-1, best.score - 1, best.score, best.score + 1,
                                  static_cast<int64_t>(rng() % (p.width * p.height + 2)) - 1};
        const int64_t floor = floors[rng() % 4 ? 0 : 1 + rng() % 4];
        const int want = exhaustive::FindShift(p, n, horizontal, floor), unfloored = exhaustive::FindShift(p, n, horizontal);
        const auto dib = [](const Frame& f) { return reinterpret_cast<const BITMAPINFOHEADER*>(f.dib.data()); };
        tally.found += want > 0;
        tally.refused += want < 0;
        tally.floored += want < 0 && unfloored > 0;
        std::ostringstream wrong;
        const auto check = [&](const char* what, int64_t value, int64_t expected) {
            if (value != expected) wrong << "; " << what << " " << value << ", not " << expected;
        };
        if (i % 32) check("FindShift", FindShift(p, n, horizontal, floor), want);
        else check("the DIB views", FindShift(ViewOfDib(dib(pair.previous)), ViewOfDib(dib(pair.current)), horizontal, floor), want);
        check("FindShiftSingleThreaded", FindShiftSingleThreaded(p, n, horizontal), unfloored);
        if (wrong.tellp() > 0)
            tally.failures.push_back((horizontal ? "horizontal seed " : "vertical seed ") + std::to_string(seed) + " case " +
                                     std::to_string(i) + " (" + pair.description + ", floor " + std::to_string(floor) + ")" + wrong.str());
    }
    return tally;
}

}  // namespace

// Four callers at once: making search threads under Wine is most of this test's time, and makers
// overlap in part.
TEST(ShiftSearch, MatchesTheExhaustiveScanOnRandomPairs) {
    Tally tallies[4];
    std::vector<std::thread> callers;
    for (int c = 1; c < 4; ++c) callers.emplace_back([&tallies, c] { tallies[c] = CheckPairs(c / 2, c % 2, 5000); });
    tallies[0] = CheckPairs(false, 0, 5000);
    for (std::thread& caller : callers) caller.join();
    for (const Tally& t : tallies) {
        for (const std::string& failure : t.failures) ADD_FAILURE() << failure;
        // The pairs must keep reaching both outcomes, and floors that turn a match away.
        EXPECT_TRUE(t.found > 625 && t.refused > 250 && t.floored > 25) << t.found << ", " << t.refused << ", " << t.floored;
    }
}

TEST(ShiftSearch, CandidateRangesSplitAsTheThreadsAreMade) {
    using Bounds = std::vector<std::pair<int, int>>;
    const auto bounds = [](const std::vector<CandidateRange>& ranges) {
        Bounds b;
        for (const CandidateRange& r : ranges) b.emplace_back(r.first, r.first + r.count);
        return b;
    };
    EXPECT_EQ(bounds(CandidateRanges(10)), (Bounds{{1, 4}, {4, 6}, {6, 9}, {9, 11}}));
    EXPECT_EQ(bounds(CandidateRanges(4)), (Bounds{{1, 2}, {2, 3}, {3, 4}}));
    EXPECT_EQ(bounds(CandidateRanges(5)), (Bounds{{1, 2}, {2, 4}, {4, 5}}));
    for (int m : {1, 0, -3}) EXPECT_TRUE(CandidateRanges(m).empty()) << m;
    for (int m = 2; m <= 5000; ++m) ASSERT_EQ(bounds(CandidateRanges(m)), bounds(exhaustive::Ranges(m))) << "m = " << m;
}

// Frames of random lengths, either row order, random shifts and footers; appends it must refuse in
// between leave the image as it was. Written out either way up with room after each row, which must
// stay untouched.
TEST(StripImage, AssemblesWhatMergingLineByLineBuilds) {
    std::mt19937 rng(Seed() + 13);
    for (int sequence = 0; sequence < 600; ++sequence) {
        const bool horizontal = sequence % 2 == 1;
        const int pixelBytes = rng() % 2 ? 3 : 4, span = 1 + static_cast<int>(rng() % 24);
        SCOPED_TRACE(::testing::Message() << (horizontal ? "horizontal" : "vertical") << " sequence " << sequence);
        StripImage strips(horizontal);
        std::vector<uint32_t> want;  // the image's lines, span pixels each
        for (int f = 0, frames = 1 + static_cast<int>(rng() % 12); f < frames; ++f) {
            Grid g(1 + static_cast<int>(rng() % 24), span);
            for (uint32_t& p : g.px) p = rng();
            const Frame frame = Lay(g, horizontal, pixelBytes, rng() % 2, rng);
            const int length = static_cast<int>(want.size()) / span, bad = f && rng() % 8 == 0 ? 1 + static_cast<int>(rng() % 6) : 0;
            if (f == 0) {
                if (rng() % 8 == 0) {  // a start over an image already begun
                    ASSERT_TRUE(strips.Start(Lay(Grid(3, span + 1), horizontal, 7 - pixelBytes, true, rng).view));
                }
                ASSERT_TRUE(strips.Start(frame.view));
                want = g.px;
            } else if (bad) {  // no shift, more than the frame, a negative footer, one longer than the image, another size or depth
                const Frame odd = Lay(Grid(g.lines, span + (bad == 5)), horizontal, bad == 6 ? 7 - pixelBytes : pixelBytes, true, rng);
                EXPECT_FALSE(strips.Append(bad >= 5 ? odd.view : frame.view, bad == 1 ? 0 : bad == 2 ? g.lines + 1 : 1,
                                           bad == 3 ? -1 : bad == 4 ? length + 1 : 0)) << "refusal " << bad;
            } else {
                const int footer = rng() % 2 ? 0 : static_cast<int>(rng() % (std::min(g.lines - 1, length) + 1));
                const int shift = 1 + static_cast<int>(rng() % (g.lines - footer));
                ASSERT_TRUE(strips.Append(frame.view, shift, footer)) << "shift " << shift << ", footer " << footer;
                want.resize(static_cast<size_t>(length - footer) * span);
                want.insert(want.end(), g.px.end() - (shift + footer) * span, g.px.end());
            }
        }
        const int length = static_cast<int>(want.size()) / span, width = horizontal ? length : span, height = horizontal ? span : length;
        ASSERT_EQ(std::make_tuple(strips.Width(), strips.Height(), strips.PixelBytes()), std::make_tuple(width, height, pixelBytes));
        const ptrdiff_t rowBytes = width * pixelBytes, stride = rowBytes + rng() % 8, step = rng() % 2 ? -stride : stride;
        std::vector<uint8_t> out(stride * height, 0xCD);
        const FrameView got{out.data() + (step < 0 ? stride * (height - 1) : 0), step, width, height, pixelBytes};
        strips.CopyTo(out.data() + (step < 0 ? stride * (height - 1) : 0), step);
        for (int j = 0; j < length; ++j)
            for (int k = 0; k < span; ++k)
                ASSERT_EQ(std::memcmp(horizontal ? got.Pixel(j, k) : got.Pixel(k, j), &want[static_cast<size_t>(j) * span + k], pixelBytes), 0)
                    << "line " << j << ", pixel " << k;
        for (int y = 0; y < height; ++y)
            ASSERT_TRUE(std::all_of(out.begin() + y * stride + rowBytes, out.begin() + (y + 1) * stride, [](uint8_t b) { return b == 0xCD; }));
    }
}
