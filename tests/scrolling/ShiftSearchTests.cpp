// The shift search held to an exhaustive scan on random frame pairs, the candidate ranges, the counts
// of unchanged leading lines, and the strip image held to merging frame by frame.
//
// A failure names the seed and the case. QEL_SHIFT_SEED=n runs another seed, QEL_SHIFT_CASE=i only
// case i of the random pairs.
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

int OnlyCase() {
    const char* s = std::getenv("QEL_SHIFT_CASE");
    return s ? std::atoi(s) : -1;
}

// Pixel values by line: pixel k of line j, a line being a row, or a column of a horizontal frame.
struct Grid {
    Grid(int lines, int span) : lines(lines), span(span), px(static_cast<size_t>(lines) * span) {}
    uint32_t& At(int j, int k) { return px[static_cast<size_t>(j) * span + k]; }
    uint32_t At(int j, int k) const { return px[static_cast<size_t>(j) * span + k]; }

    int lines;
    int span;
    std::vector<uint32_t> px;
};

// A frame as a packed DIB, and the view of its pixels (into the DIB, so it does not copy).
struct Frame {
    Frame() = default;
    Frame(Frame&&) = default;
    Frame& operator=(Frame&&) = default;

    const BITMAPINFOHEADER* Dib() const { return reinterpret_cast<const BITMAPINFOHEADER*>(memory.data()); }
    const uint8_t* Bits() const { return memory.data() + sizeof(BITMAPINFOHEADER); }
    ptrdiff_t Stride() const { return (static_cast<ptrdiff_t>(view.width) * view.pixelBytes + 3) / 4 * 4; }

    std::vector<uint8_t> memory;
    FrameView view;
};

// The row padding gets junk: no comparison may read it.
Frame Lay(const Grid& g, bool horizontal, int pixelBytes, bool bottomUp, std::mt19937& rng) {
    Frame f;
    const int width = horizontal ? g.lines : g.span, height = horizontal ? g.span : g.lines;
    const ptrdiff_t stride = (static_cast<ptrdiff_t>(width) * pixelBytes + 3) / 4 * 4;
    f.memory.resize(sizeof(BITMAPINFOHEADER) + static_cast<size_t>(stride) * height);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = bottomUp ? height : -height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(pixelBytes * 8);
    header.biCompression = BI_RGB;
    std::memcpy(f.memory.data(), &header, sizeof header);
    uint8_t* bits = f.memory.data() + sizeof header;
    for (size_t i = sizeof header; i < f.memory.size(); ++i) f.memory[i] = static_cast<uint8_t>(rng());
    uint8_t* top = bottomUp ? bits + stride * (height - 1) : bits;
    const ptrdiff_t step = bottomUp ? -stride : stride;
    for (int j = 0; j < g.lines; ++j)
        for (int k = 0; k < g.span; ++k) {
            const uint32_t v = g.At(j, k);
            const int x = horizontal ? j : k, y = horizontal ? k : j;
            std::memcpy(top + y * step + static_cast<ptrdiff_t>(x) * pixelBytes, &v, static_cast<size_t>(pixelBytes));
        }
    f.view = FrameView{top, step, width, height, pixelBytes};
    return f;
}

enum class Content { Noise, Palette, Stripes, Plain, Text };
const char* const kContentNames[] = {"noise", "few colours", "stripes", "plain", "text"};

// Lines of one kind of content. Equal pixels and equal lines are common on purpose: they make ties
// between candidates, and lines whose hashes agree.
struct LineMaker {
    LineMaker(Content content, int span, std::mt19937& rng) : content(content), rng(rng) {
        const int colourCount = content == Content::Palette ? 2 + static_cast<int>(rng() % 5) : 2;
        for (int i = 0; i < colourCount; ++i) colours.push_back(rng());
        if (content == Content::Text) colours = {0xFFFFFFFFu, 0xFF202020u, 0xFF404040u};
        for (int i = 0, n = 1 + static_cast<int>(rng() % 3); content == Content::Stripes && i < n; ++i) {
            std::vector<uint32_t> line(static_cast<size_t>(span));
            for (uint32_t& p : line) p = colours[rng() % 2];
            stripes.push_back(std::move(line));
        }
    }

    void Fill(Grid& g, int j) {
        const std::vector<uint32_t>& stripe = stripes.empty() ? colours : stripes[rng() % stripes.size()];
        const bool blank = rng() % 5 < 3;
        const int mark = rng() % 8 == 0 ? static_cast<int>(rng() % g.span) : -1;
        for (int k = 0; k < g.span; ++k) {
            uint32_t& p = g.At(j, k);
            switch (content) {
                case Content::Noise: p = rng(); break;
                case Content::Palette: p = colours[rng() % colours.size()]; break;
                case Content::Stripes: p = stripe[k]; break;
                case Content::Plain: p = colours[k == mark ? 1 : 0]; break;
                case Content::Text: p = !blank && rng() % 4 == 0 ? colours[1 + rng() % 2] : colours[0]; break;
            }
        }
    }

    Content content;
    std::mt19937& rng;
    std::vector<uint32_t> colours;
    std::vector<std::vector<uint32_t>> stripes;
};

struct PairCase {
    Frame previous;
    Frame current;
    int floorChoice = 0;  // 0 none; 1, 2, 3: one below, at, above the best score; 4 anywhere
    std::string description;
};

// The current frame is the previous one moved by a shift (or unrelated), maybe with a header that
// stays put and a few pixels changed.
PairCase MakePair(uint32_t seed, int index, bool horizontal) {
    std::seed_seq seq{seed, static_cast<uint32_t>(index), static_cast<uint32_t>(horizontal)};
    std::mt19937 rng(seq);
    PairCase c;
    const bool tiny = rng() % 10 == 0;
    const int lines = 1 + static_cast<int>(rng() % (tiny ? 4 : 64));
    const int span = 1 + static_cast<int>(rng() % (tiny ? 4 : 64));
    const int pixelBytes = rng() % 3 == 0 ? 3 : 4;
    const Content content = static_cast<Content>(rng() % 5);
    LineMaker maker(content, span, rng);
    Grid previous(lines, span), current(lines, span);
    for (int j = 0; j < lines; ++j) maker.Fill(previous, j);
    const int m = lines - lines / 2;
    const int pick = static_cast<int>(rng() % 10);
    const int shift = pick < 6 ? 1 + static_cast<int>(rng() % m) : pick < 9 ? static_cast<int>(rng() % lines) : lines;
    for (int j = 0; j < lines; ++j) {
        if (j + shift >= lines) {
            maker.Fill(current, j);
            continue;
        }
        for (int k = 0; k < span; ++k) current.At(j, k) = previous.At(j + shift, k);
    }
    const int header = rng() % 4 == 0 ? 1 + static_cast<int>(rng() % std::max(1, lines / 4)) : 0;
    for (int j = 0; j < header; ++j)
        for (int k = 0; k < span; ++k) current.At(j, k) = previous.At(j, k);
    const int changed = rng() % 3 == 0 ? 1 + static_cast<int>(rng() % 3) : 0;
    for (int i = 0; i < changed; ++i) current.At(static_cast<int>(rng() % lines), static_cast<int>(rng() % span)) = rng();
    // Now and then frames that cannot be compared: another depth, or another size across the axis.
    const int mismatch = rng() % 50 == 0 ? 1 + static_cast<int>(rng() % 2) : 0;
    Grid other(lines, span + 1);
    for (int j = 0; mismatch == 2 && j < lines; ++j) maker.Fill(other, j);
    const bool previousBottomUp = rng() % 2 == 0, currentBottomUp = rng() % 2 == 0;
    c.previous = Lay(previous, horizontal, pixelBytes, previousBottomUp, rng);
    c.current = Lay(mismatch == 2 ? other : current, horizontal, mismatch == 1 ? 7 - pixelBytes : pixelBytes,
                    currentBottomUp, rng);
    c.floorChoice = rng() % 4 == 0 ? 1 + static_cast<int>(rng() % 4) : 0;
    std::ostringstream text;
    text << c.previous.view.width << "x" << c.previous.view.height << ", " << pixelBytes << " bytes, "
         << (previousBottomUp ? "bottom-up" : "top-down") << " to " << (currentBottomUp ? "bottom-up" : "top-down")
         << ", " << kContentNames[static_cast<int>(content)] << ", shift " << shift << ", header " << header
         << ", changed " << changed << (mismatch == 1 ? ", other depth" : mismatch == 2 ? ", other size" : "");
    c.description = text.str();
    return c;
}

int64_t FloorFor(int choice, const exhaustive::Best& best, const FrameView& view, uint32_t salt) {
    switch (choice) {
        case 1: return best.score - 1;
        case 2: return best.score;
        case 3: return best.score + 1;
        case 4: return static_cast<int64_t>(salt % (static_cast<uint32_t>(view.width) * view.height + 2)) - 1;
        default: return -1;
    }
}

struct Outcome {
    std::vector<std::string> failures;
    int found = 0, refused = 0, floored = 0;
};

// Every way into the fast search against the exhaustive one: the threaded search on views on every
// pair, and beside it the ranges scanned one after another or the single-threaded search, now and
// then the DIB call or a prepared search with a floor run on threads.
Outcome CheckPairs(bool horizontal, int first, int end, int step) {
    const uint32_t seed = Seed();
    Outcome outcome;
    for (int i = first; i < end && outcome.failures.size() < 10; i += step) {
        const PairCase c = MakePair(seed, i, horizontal);
        const FrameView& p = c.previous.view;
        const FrameView& n = c.current.view;
        const exhaustive::Best best = exhaustive::Scan(p, n, horizontal);
        const int64_t floor = FloorFor(c.floorChoice, best, p, seed ^ static_cast<uint32_t>(i) * 2654435761u);
        const int want = exhaustive::FindShift(p, n, horizontal, floor);
        const int threads = FindShift(p, n, horizontal, floor);
        int other = want, otherWant = want;
        const char* how = "";
        if (i % 32 == 0) {
            how = "the DIB call";
            other = horizontal ? FindHorizontalShift(c.previous.Dib(), c.current.Dib(), floor)
                               : FindVerticalShift(c.previous.Dib(), c.current.Dib(), floor);
        } else if (i % 32 == 16) {
            how = "RunShiftSearch";
            ShiftSearch search(p, n, horizontal);
            search.SetFloor(floor);
            other = RunShiftSearch(search);
        } else if (i % 2 == 1) {
            how = "the ranges in turn";
            ShiftSearch search(p, n, horizontal);
            search.SetFloor(floor);
            std::vector<ShiftMatch> results;
            for (const CandidateRange& range : CandidateRanges(search.CandidateCount()))
                results.push_back(search.ScanRange(range));
            other = results.empty() ? -1 : search.Decide(ShiftSearch::Combine(results));
        } else {
            how = "FindShiftSingleThreaded (no floor)";
            other = FindShiftSingleThreaded(p, n, horizontal);
            otherWant = exhaustive::FindShift(p, n, horizontal);
        }
        outcome.found += want > 0;
        outcome.refused += want < 0;
        outcome.floored += floor >= 0 && want < 0 && exhaustive::FindShift(p, n, horizontal) > 0;
        if (threads == want && other == otherWant) continue;
        std::ostringstream text;
        text << (horizontal ? "horizontal" : "vertical") << " seed " << seed << " case " << i << " (" << c.description
             << ", floor " << floor << "): FindShift " << threads << ", " << how << " " << other << "; exhaustive "
             << want << " and " << otherWant << " (best score " << best.score << " at " << best.candidate << ")";
        outcome.failures.push_back(text.str());
    }
    return outcome;
}

// Two callers at once: making a thread under Wine takes about a millisecond, most of this test's time,
// and two makers overlap in part.
void ExpectExhaustiveShifts(bool horizontal, int cases) {
    const int only = OnlyCase();
    Outcome halves[2];
    if (only >= 0) {
        halves[0] = CheckPairs(horizontal, only, only + 1, 1);
    } else {
        std::thread second([&] { halves[1] = CheckPairs(horizontal, 1, cases, 2); });
        halves[0] = CheckPairs(horizontal, 0, cases, 2);
        second.join();
    }
    for (const Outcome& half : halves)
        for (const std::string& failure : half.failures) ADD_FAILURE() << failure;
    // The pairs must keep reaching both outcomes, and floors that turn a match away.
    if (only < 0) {
        EXPECT_GT(halves[0].found + halves[1].found, cases / 4);
        EXPECT_GT(halves[0].refused + halves[1].refused, cases / 10);
        EXPECT_GT(halves[0].floored + halves[1].floored, cases / 100);
    }
}

std::vector<std::pair<int, int>> Bounds(const std::vector<CandidateRange>& ranges) {
    std::vector<std::pair<int, int>> bounds;
    for (const CandidateRange& r : ranges) bounds.emplace_back(r.first, r.first + r.count);
    return bounds;
}

}  // namespace

TEST(ShiftSearch, CandidateRangesSplitAsTheThreadsAreMade) {
    using B = std::vector<std::pair<int, int>>;
    EXPECT_EQ(Bounds(CandidateRanges(10)), (B{{1, 4}, {4, 6}, {6, 9}, {9, 11}}));
    EXPECT_EQ(Bounds(CandidateRanges(4)), (B{{1, 2}, {2, 3}, {3, 4}}));
    EXPECT_EQ(Bounds(CandidateRanges(5)), (B{{1, 2}, {2, 4}, {4, 5}}));
    for (int m : {1, 0, -3}) EXPECT_TRUE(CandidateRanges(m).empty()) << m;
    for (int m = 2; m <= 5000; ++m) {
        B want;
        for (const exhaustive::Range& r : exhaustive::Ranges(m)) want.emplace_back(r.first, r.first + r.count);
        ASSERT_EQ(Bounds(CandidateRanges(m)), want) << "m = " << m;
    }
}

TEST(ShiftSearch, VerticalMatchesTheExhaustiveScan) { ExpectExhaustiveShifts(false, 5000); }

TEST(ShiftSearch, HorizontalMatchesTheExhaustiveScan) { ExpectExhaustiveShifts(true, 5000); }

// A match of exactly 60 % of the m compared lines' pixels counts, one pixel less does not; a floor
// one below the score lets it count, a floor at the score does not.
TEST(ShiftSearch, SixtyPercentAndTheFloorAreSharpEdges) {
    std::mt19937 rng(7);
    for (bool horizontal : {false, true})
        for (int pixelBytes : {3, 4})
            for (const auto& size : {std::make_pair(10, 7), std::make_pair(40, 33), std::make_pair(64, 64)}) {
                // Even line counts: the best candidate compares lines / 2 of the m lines.
                const int lines = size.first, span = size.second, m = lines - lines / 2;
                Grid previous(lines, span), current(lines, span);
                for (uint32_t& p : previous.px) p = rng();
                const int shift = 1 + static_cast<int>(rng() % (lines / 4));
                for (int j = 0; j < lines; ++j)
                    for (int k = 0; k < span; ++k) current.At(j, k) = j + shift < lines ? previous.At(j + shift, k) : rng();
                const int64_t least = (60 * static_cast<int64_t>(m) * span + 99) / 100;
                const int64_t window = static_cast<int64_t>(lines / 2) * span;
                for (int64_t missing : {int64_t{0}, int64_t{1}}) {
                    Grid changed = current;
                    for (int64_t i = 0; i < window - least + missing; ++i) changed.px[static_cast<size_t>(i)] ^= 0x00808080u;
                    const Frame p = Lay(previous, horizontal, pixelBytes, true, rng);
                    const Frame n = Lay(changed, horizontal, pixelBytes, false, rng);
                    const int want = missing ? -1 : shift;
                    SCOPED_TRACE(::testing::Message() << (horizontal ? "horizontal " : "vertical ") << lines << " lines of "
                                                      << span << ", " << pixelBytes << " bytes, shift " << shift
                                                      << ", score " << least - missing);
                    EXPECT_EQ(exhaustive::FindShift(p.view, n.view, horizontal), want);
                    EXPECT_EQ(FindShift(p.view, n.view, horizontal), want);
                    if (missing) continue;
                    EXPECT_EQ(FindShift(p.view, n.view, horizontal, least - 1), shift);
                    EXPECT_EQ(FindShift(p.view, n.view, horizontal, least), -1);
                }
            }
}

namespace {

int PlainUnchangedRows(const FrameView& p, const FrameView& c) {
    if (p.pixelBytes != c.pixelBytes || p.width != c.width) return 0;
    const int rows = std::min(p.height, c.height);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < p.width; ++x)
            if (!exhaustive::SamePixel(exhaustive::At(p, x, y), exhaustive::At(c, x, y), p.pixelBytes)) return y;
    return rows;
}

int PlainUnchangedColumns(const FrameView& p, const FrameView& c) {
    if (p.pixelBytes != c.pixelBytes || p.height != c.height) return 0;
    const int columns = std::min(p.width, c.width);
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < p.height; ++y)
            if (!exhaustive::SamePixel(exhaustive::At(p, x, y), exhaustive::At(c, x, y), p.pixelBytes)) return x;
    return columns;
}

int PlainUnchangedTrailingLines(const FrameView& p, const FrameView& c, bool horizontal) {
    if (p.pixelBytes != c.pixelBytes || p.width != c.width || p.height != c.height) return 0;
    const int lines = horizontal ? p.width : p.height, span = horizontal ? p.height : p.width;
    for (int r = 0; r < lines; ++r)
        for (int k = 0; k < span; ++k) {
            const int x = horizontal ? p.width - 1 - r : k, y = horizontal ? k : p.height - 1 - r;
            if (!exhaustive::SamePixel(exhaustive::At(p, x, y), exhaustive::At(c, x, y), p.pixelBytes)) return r;
        }
    return lines;
}

int64_t PlainDifferingPixels(const FrameView& p, const FrameView& c) {
    int64_t differing = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            differing += !exhaustive::SamePixel(exhaustive::At(p, x, y), exhaustive::At(c, x, y), p.pixelBytes);
    return differing;
}

}  // namespace

// Pairs that share their lines but for a pixel or two, so that runs of equal leading and trailing
// lines are long; now and then of other lengths along the axis (leading lines counted up to the
// shorter, trailing ones none), or of another depth or size across it (none).
TEST(FrameComparison, UnchangedLinesAndDifferingPixelsMatchPlainCounts) {
    std::mt19937 rng(Seed() + 11);
    for (int i = 0; i < 4000; ++i) {
        const bool horizontal = i % 2 == 1;
        const int pixelBytes = rng() % 2 ? 3 : 4;
        const int lines = 1 + static_cast<int>(rng() % 24), span = 1 + static_cast<int>(rng() % 24);
        const int otherLines = rng() % 4 == 0 ? 1 + static_cast<int>(rng() % 24) : lines;
        const int mismatch = rng() % 20 == 0 ? 1 + static_cast<int>(rng() % 2) : 0;
        Grid a(lines, span), b(otherLines, span + (mismatch == 2));
        for (uint32_t& p : a.px) p = rng() % 2 ? 0xFFFFFFFFu : 0xFF000000u;
        for (int j = 0; j < b.lines; ++j)
            for (int k = 0; k < b.span; ++k) b.At(j, k) = j < lines && k < span ? a.At(j, k) : rng();
        for (int n = static_cast<int>(rng() % 3); n > 0; --n)
            b.At(static_cast<int>(rng() % b.lines), static_cast<int>(rng() % b.span)) ^= 1u << (rng() % 32);
        const Frame p = Lay(a, horizontal, pixelBytes, rng() % 2 == 0, rng);
        const Frame c = Lay(b, horizontal, mismatch == 1 ? 7 - pixelBytes : pixelBytes, rng() % 2 == 0, rng);
        SCOPED_TRACE(::testing::Message() << "pair " << i << ": " << p.view.width << "x" << p.view.height << " and "
                                          << c.view.width << "x" << c.view.height << ", " << pixelBytes << " bytes");
        if (horizontal) {
            ASSERT_EQ(UnchangedColumns(p.view, c.view), PlainUnchangedColumns(p.view, c.view));
        } else {
            ASSERT_EQ(UnchangedRows(p.view, c.view), PlainUnchangedRows(p.view, c.view));
        }
        ASSERT_EQ(UnchangedTrailingLines(p.view, c.view, horizontal), PlainUnchangedTrailingLines(p.view, c.view, horizontal));
        if (mismatch || otherLines != lines) continue;
        const int64_t differing = PlainDifferingPixels(p.view, c.view);
        const int64_t limit = rng() % 3;
        ASSERT_EQ(std::min(DifferingPixels(p.view, c.view, limit), limit + 1), std::min(differing, limit + 1));
    }
}

namespace {

// The stitched image merged as a packed DIB would be: rows bottom-up, a new block for every merge.
struct MergedImage {
    ptrdiff_t Stride() const { return (static_cast<ptrdiff_t>(width) * pixelBytes + 3) / 4 * 4; }
    const uint8_t* TopDownRow(int y) const { return bits.data() + Stride() * (height - 1 - y); }

    int width = 0;
    int height = 0;
    int pixelBytes = 4;
    std::vector<uint8_t> bits;
};

MergedImage Begin(const Frame& first) {
    MergedImage image{first.view.width, first.view.height, first.view.pixelBytes, {}};
    image.bits.assign(first.Bits(), first.Bits() + first.Stride() * first.view.height);
    return image;
}

// The frame's last shift + footer lines follow the image less its last footer lines. The bottom
// rows of a bottom-up frame come first in its bits, and so do the image's.
MergedImage MergeBelow(const MergedImage& image, const Frame& frame, int shift, int footer) {
    MergedImage merged{image.width, image.height + shift, image.pixelBytes, {}};
    merged.bits.resize(static_cast<size_t>(merged.Stride()) * merged.height);
    const ptrdiff_t stride = image.Stride();
    std::memcpy(merged.bits.data(), frame.Bits(), static_cast<size_t>((shift + footer) * stride));
    std::memcpy(merged.bits.data() + (shift + footer) * stride, image.bits.data() + footer * stride,
                static_cast<size_t>((image.height - footer) * stride));
    return merged;
}

MergedImage MergeRight(const MergedImage& image, const Frame& frame, int shift, int footer) {
    MergedImage merged{image.width + shift, image.height, image.pixelBytes, {}};
    merged.bits.resize(static_cast<size_t>(merged.Stride()) * merged.height);
    const int pb = image.pixelBytes;
    const size_t kept = static_cast<size_t>(image.width - footer) * pb;
    for (int r = 0; r < image.height; ++r) {
        uint8_t* out = merged.bits.data() + r * merged.Stride();
        std::memcpy(out, image.bits.data() + r * image.Stride(), kept);
        std::memcpy(out + kept, frame.Bits() + r * frame.Stride() + (frame.view.width - shift - footer) * pb,
                    static_cast<size_t>(shift + footer) * pb);
    }
    return merged;
}

Grid NoiseGrid(int lines, int span, std::mt19937& rng) {
    Grid g(lines, span);
    for (uint32_t& p : g.px) p = rng();
    return g;
}

}  // namespace

// Frames of random lengths along the axis, random shifts and footers, given to the strip image now
// bottom-up, now top-down; appends it must refuse in between (no shift, more than the frame, another
// depth or size, a negative footer or one longer than the image) leave the image as it was. Written
// out bottom-up or top-down with room after each row, which must stay untouched.
TEST(StripImage, AssemblesWhatMergingFrameByFrameBuilds) {
    std::mt19937 rng(Seed() + 13);
    for (int sequence = 0; sequence < 600; ++sequence) {
        const bool horizontal = sequence % 2 == 1;
        const int pixelBytes = rng() % 2 ? 3 : 4;
        const int span = 1 + static_cast<int>(rng() % 24);
        const int frames = 1 + static_cast<int>(rng() % 12);
        SCOPED_TRACE(::testing::Message() << (horizontal ? "horizontal" : "vertical") << " sequence " << sequence << ", "
                                          << pixelBytes << " bytes, span " << span);
        StripImage strips(horizontal);
        EXPECT_TRUE(strips.Empty());
        MergedImage want;
        for (int f = 0; f < frames; ++f) {
            const int lines = 1 + static_cast<int>(rng() % 24);
            const Grid g = NoiseGrid(lines, span, rng);
            const Frame bottomUp = Lay(g, horizontal, pixelBytes, true, rng);
            const Frame topDown = Lay(g, horizontal, pixelBytes, false, rng);
            const FrameView& view = rng() % 2 ? bottomUp.view : topDown.view;
            if (f == 0) {
                if (rng() % 8 == 0) {  // a start over an image already begun
                    const Frame earlier = Lay(NoiseGrid(3, span + 1, rng), horizontal, 7 - pixelBytes, true, rng);
                    ASSERT_TRUE(strips.Start(earlier.view));
                }
                ASSERT_TRUE(strips.Start(view));
                want = Begin(bottomUp);
                continue;
            }
            const int length = horizontal ? want.width : want.height;
            const int refusal = rng() % 8 == 0 ? 1 + static_cast<int>(rng() % 6) : 0;
            if (refusal == 0) {
                const int footer = rng() % 2 ? 0 : static_cast<int>(rng() % (std::min(lines - 1, length) + 1));
                const int shift = 1 + static_cast<int>(rng() % (lines - footer));
                ASSERT_TRUE(strips.Append(view, shift, footer)) << "frame " << f << ", shift " << shift << ", footer " << footer;
                want = horizontal ? MergeRight(want, bottomUp, shift, footer) : MergeBelow(want, bottomUp, shift, footer);
                continue;
            }
            const Frame odd = Lay(NoiseGrid(lines, span + (refusal == 4), rng), horizontal,
                                  refusal == 3 ? 7 - pixelBytes : pixelBytes, true, rng);
            const int shift = refusal == 1 ? 0 : refusal == 2 ? lines + 1 : 1;
            const int footer = refusal == 5 ? -1 : refusal == 6 ? length + 1 : 0;
            EXPECT_FALSE(strips.Append(refusal == 3 || refusal == 4 ? odd.view : view, shift, footer))
                << "frame " << f << ", refusal " << refusal;
        }
        ASSERT_FALSE(strips.Empty());
        ASSERT_EQ(std::make_pair(strips.Width(), strips.Height()), std::make_pair(want.width, want.height));
        ASSERT_EQ(strips.PixelBytes(), pixelBytes);
        const size_t rowBytes = static_cast<size_t>(want.width) * pixelBytes;
        const ptrdiff_t stride = static_cast<ptrdiff_t>(rowBytes + rng() % 8);
        std::vector<uint8_t> out(static_cast<size_t>(stride) * want.height, 0xCD);
        const bool outBottomUp = rng() % 2 == 0;
        strips.CopyTo(out.data() + (outBottomUp ? stride * (want.height - 1) : 0), outBottomUp ? -stride : stride);
        for (int y = 0; y < want.height; ++y) {
            const uint8_t* row = out.data() + stride * (outBottomUp ? want.height - 1 - y : y);
            ASSERT_EQ(std::memcmp(row, want.TopDownRow(y), rowBytes), 0) << "row " << y;
            ASSERT_TRUE(std::all_of(row + rowBytes, row + stride, [](uint8_t b) { return b == 0xCD; })) << "row " << y;
        }
    }
}
