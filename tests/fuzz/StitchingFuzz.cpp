// libFuzzer target: the image operations of a scrolling capture (scrolling/FrameStitching, ShiftSearchThreads)
// on two frames of fuzzed size, depth, row order and contents, held to plain counts and to the exhaustive
// shift search of tests/scrolling/ExhaustiveShiftSearch.h: the unchanged leading and trailing lines, the
// differing pixels, the candidate ranges, the shift search single-threaded, through its parts and on its
// threads, the frame views of packed DIBs, and the strip image that merges the frames.
//
// Input: a Control block (below), then the previous frame's pixels and the current frame's changes. Frames
// are at most 32 x 32 (kMaxLines) so that the exhaustive search stays quick.
#include <windows.h>

#include <QelImageTransform.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ExhaustiveShiftSearch.h"
#include "scrolling/FrameStitching.h"
#include "scrolling/ShiftSearchThreads.h"

namespace {

constexpr int kMaxLines = 32;

#pragma pack(push, 1)
struct Control {
    uint8_t flags;    // bit 0 horizontal; 1: 3-byte pixels; 2, 3: previous, current bottom-up; 4: threads;
                      // 5: V5 header (masks inside) for the DIB views; 6: BI_BITFIELDS for them
    uint8_t lines;    // along the searched axis, 1 + value % kMaxLines
    uint8_t span;     // across it, 1 + value % kMaxLines
    uint8_t shift;    // how far the current frame moved, value % (lines + 1)
    uint8_t colours;  // 0: raw bytes; else pixels from a palette of that many colours
    uint8_t mismatch; // 1: another depth, 2: one more across, 3: another length (value % 4)
    uint8_t floor;    // 0..3: no floor, the best score - 1, the best score, + 1; else value - 4
    uint8_t footer;   // footer of the strip image's append
    uint16_t ranges;  // a count for CandidateRanges
};
#pragma pack(pop)

[[noreturn]] void Fail(const char* what, int64_t got, int64_t want) {
    std::fprintf(stderr, "StitchingFuzz: %s: %lld, not %lld\n", what, static_cast<long long>(got), static_cast<long long>(want));
    std::abort();
}
void Expect(const char* what, int64_t got, int64_t want) {
    if (got != want) Fail(what, got, want);
}

using exhaustive::Frame;

bool SamePixel(const FrameView& a, const FrameView& b, int ax, int ay, int bx, int by) {
    return exhaustive::SamePixel(a.Pixel(ax, ay), b.Pixel(bx, by), a.pixelBytes);
}

// Differing pixels of each line, pixel by pixel, up to the shorter frame's length; none for frames of
// another depth or size across.
std::vector<int> DifferingPerLine(const FrameView& p, const FrameView& n, bool horizontal) {
    const int span = exhaustive::Lines(p, !horizontal);
    if (p.pixelBytes != n.pixelBytes || span != exhaustive::Lines(n, !horizontal)) return {};
    std::vector<int> differing(static_cast<size_t>(std::min(exhaustive::Lines(p, horizontal), exhaustive::Lines(n, horizontal))));
    for (int j = 0; j < static_cast<int>(differing.size()); ++j)
        for (int k = 0; k < span; ++k)
            differing[j] += !(horizontal ? SamePixel(p, n, j, k, j, k) : SamePixel(p, n, k, j, k, j));
    return differing;
}

// The strip image of the previous frame and the current one appended with shift and footer, against the
// image merged line by line, written out into a DIB the library makes, as the worker assembles its result.
// Other row steps, and the room after a row, are the unit test's (tests/scrolling/ShiftSearchTests.cpp).
void CheckStrips(const Frame& previous, const Frame& current, bool horizontal, int shift, int footer) {
    const FrameView &p = previous.view, &n = current.view;
    StripImage strips(horizontal);
    if (!strips.Start(p)) Fail("StripImage::Start", 0, 1);
    const int length = exhaustive::Lines(p, horizontal), lines = exhaustive::Lines(n, horizontal);
    const int across = exhaustive::Lines(p, !horizontal);
    const bool fits = shift > 0 && footer >= 0 && n.pixelBytes == p.pixelBytes && exhaustive::Lines(n, !horizontal) == across &&
                      shift + footer <= lines && footer <= length;
    Expect("StripImage::Append accepts exactly what fits", strips.Append(n, shift, footer), fits);
    // The image's lines: the previous frame's but its last footer ones, then the current frame's last
    // shift + footer lines.
    struct Source {
        const FrameView* frame;
        int line;
    };
    std::vector<Source> want;
    for (int j = 0; j < length - (fits ? footer : 0); ++j) want.push_back({&p, j});
    if (fits)
        for (int j = lines - shift - footer; j < lines; ++j) want.push_back({&n, j});
    const int total = static_cast<int>(want.size()), width = horizontal ? total : across, height = horizontal ? across : total;
    Expect("StripImage width", strips.Width(), width);
    Expect("StripImage height", strips.Height(), height);
    BITMAPINFOHEADER* dib = QelImageTransform::CBitmapCreator::CreateDibImage(width, height, p.pixelBytes * 8, 0);
    if (!dib) Fail("CreateDibImage of the stitched size", 0, 1);
    const FrameView target = ViewOfDib(dib);
    Expect("ViewOfDib of a made DIB", target.width, width);
    strips.CopyTo(const_cast<uint8_t*>(target.top), target.rowStep);
    for (int j = 0; j < total; ++j)
        for (int k = 0; k < across; ++k) {
            const Source& s = want[j];
            const bool same = horizontal ? SamePixel(target, *s.frame, j, k, s.line, k) : SamePixel(target, *s.frame, k, j, k, s.line);
            if (!same) Fail("stitched pixel differs at line", j, k);
        }
    QelImageTransform::ReleaseDIB(dib);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Control c{};
    std::memcpy(&c, data, std::min(size, sizeof c));
    const uint8_t* bytes = size > sizeof c ? data + sizeof c : nullptr;
    const size_t count = size > sizeof c ? size - sizeof c : 0;
    size_t at = 0;
    const auto next = [&]() -> uint8_t { return count ? bytes[at++ % count] : static_cast<uint8_t>(at++ * 73); };

    // The candidate ranges against the plain float split, for any count up to 65535.
    {
        const std::vector<CandidateRange> got = CandidateRanges(c.ranges), want = exhaustive::Ranges(c.ranges);
        Expect("CandidateRanges count", static_cast<int64_t>(got.size()), static_cast<int64_t>(want.size()));
        for (size_t i = 0; i < got.size(); ++i) {
            Expect("CandidateRanges first", got[i].first, want[i].first);
            Expect("CandidateRanges count of a range", got[i].count, want[i].count);
        }
    }

    const bool horizontal = c.flags & 1;
    const int pixelBytes = c.flags & 2 ? 3 : 4;
    const int lines = 1 + c.lines % kMaxLines, span = 1 + c.span % kMaxLines, shift = c.shift % (lines + 1);
    std::vector<uint32_t> palette(c.colours ? c.colours : 1);
    for (uint32_t& p : palette) p = 0xFF000000u | next() << 16 | next() << 8 | next();
    const auto pixel = [&]() -> uint32_t {
        if (c.colours) return palette[next() % palette.size()];
        return uint32_t{next()} << 24 | uint32_t{next()} << 16 | uint32_t{next()} << 8 | next();
    };
    std::vector<uint32_t> previous(static_cast<size_t>(lines) * span), current(previous.size());
    for (uint32_t& p : previous) p = pixel();
    for (int j = 0; j < lines; ++j)
        for (int k = 0; k < span; ++k)
            current[static_cast<size_t>(j) * span + k] = j + shift < lines ? previous[static_cast<size_t>(j + shift) * span + k] : pixel();
    // Changes: pairs of (index, xor) bytes from the rest of the input, a few at most.
    for (int i = 0, changes = count ? next() % 8 : 0; i < changes; ++i) current[next() * 7u % current.size()] ^= uint32_t{next()} << (8 * (i % 3));

    // Now and then another depth, one more across, or another length.
    const int mismatch = c.mismatch % 4;
    const int currentLines = mismatch == 3 ? 1 + next() % kMaxLines : lines, currentSpan = span + (mismatch == 2);
    std::vector<uint32_t> shown(static_cast<size_t>(currentLines) * currentSpan);
    for (int j = 0; j < currentLines; ++j)
        for (int k = 0; k < currentSpan; ++k)
            shown[static_cast<size_t>(j) * currentSpan + k] = j < lines && k < span ? current[static_cast<size_t>(j) * span + k] : pixel();
    // BI_BITFIELDS (with the plain masks) only where the library takes it: at 32 bits. The two frames' row
    // padding differs, so that a comparison reading it would show.
    const DWORD headerSize = c.flags & 32 ? 124 : 40;
    const auto compression = [&](int bytes) -> DWORD { return c.flags & 64 && bytes == 4 ? BI_BITFIELDS : BI_RGB; };
    const int currentBytes = mismatch == 1 ? 7 - pixelBytes : pixelBytes;
    const Frame pf = exhaustive::Lay(previous.data(), lines, span, horizontal, pixelBytes, c.flags & 4, next(), headerSize,
                                     compression(pixelBytes));
    const Frame nf = exhaustive::Lay(shown.data(), currentLines, currentSpan, horizontal, currentBytes, c.flags & 8, next() | 0x100u,
                                     headerSize, compression(currentBytes));
    const FrameView &p = pf.view, &n = nf.view;

    // The DIB views find the same pixels as the frames were laid out with.
    for (const Frame* f : {&pf, &nf}) {
        const FrameView v = ViewOfDib(reinterpret_cast<const BITMAPINFOHEADER*>(f->dib.data()));
        Expect("ViewOfDib top", v.top - f->dib.data(), f->view.top - f->dib.data());
        Expect("ViewOfDib row step", v.rowStep, f->view.rowStep);
        Expect("ViewOfDib size", int64_t{v.width} << 32 | v.height, int64_t{f->view.width} << 32 | f->view.height);
        Expect("ViewOfDib pixel bytes", v.pixelBytes, f->view.pixelBytes);
    }

    // Unchanged leading and trailing lines, differing pixels.
    const std::vector<int> differing = DifferingPerLine(p, n, horizontal);
    const auto same = [](int d) { return d == 0; };
    const bool sameLayout = p.width == n.width && p.height == n.height && p.pixelBytes == n.pixelBytes;
    Expect("unchanged leading lines", horizontal ? UnchangedColumns(p, n) : UnchangedRows(p, n),
           std::find_if_not(differing.begin(), differing.end(), same) - differing.begin());
    Expect("unchanged trailing lines", UnchangedTrailingLines(p, n, horizontal),
           sameLayout ? std::find_if_not(differing.rbegin(), differing.rend(), same) - differing.rbegin() : 0);
    const int64_t limit = next() % 4;
    int64_t allDiffering = 0;
    for (int d : differing) allDiffering += d;
    Expect("differing pixels", std::min(DifferingPixels(p, n, limit), limit + 1), sameLayout ? std::min(allDiffering, limit + 1) : limit + 1);

    // The shift search: single-threaded, through its parts with a floor, and on its threads. Each
    // candidate is scored once by the exhaustive scan's Score; its range rule and 60 % rule are applied to
    // those scores with and without the floor (exhaustive::FindShift would score them again each time).
    std::vector<int64_t> scores;
    const int m = lines - lines / 2;
    const std::vector<CandidateRange> ranges = exhaustive::Ranges(m);
    if (sameLayout)
        for (int cand = 0; cand <= m; ++cand) scores.push_back(exhaustive::Score(p, n, horizontal, cand));
    const auto exhaustiveShift = [&](int64_t floor, ShiftMatch* top) {
        ShiftMatch best{-1, -1};
        for (size_t i = 0; sameLayout && i < ranges.size(); ++i) {
            ShiftMatch range{0, -1};
            for (int cand = ranges[i].first; cand < ranges[i].first + ranges[i].count; ++cand)
                if (scores[cand] > floor && range.score < scores[cand]) range = {scores[cand], cand};
            if (i == 0 || range.score > best.score) best = range;
        }
        if (top) *top = best;
        const int64_t compared = static_cast<int64_t>(m) * exhaustive::Lines(n, !horizontal);
        return best.candidate < 0 || best.score * 100 / compared < 60 ? -1 : best.candidate;
    };
    ShiftMatch best;
    const int unfloored = exhaustiveShift(-1, &best);
    const int64_t floors[] = {-1, best.score - 1, best.score, best.score + 1};
    const int64_t floor = c.floor < 4 ? floors[c.floor] : c.floor - 4;
    const int want = exhaustiveShift(floor, nullptr);
    Expect("FindShiftSingleThreaded", FindShiftSingleThreaded(p, n, horizontal), unfloored);
    {
        ShiftSearch search(p, n, horizontal);
        search.SetFloor(floor);
        ShiftMatch seeded;
        int got;
        if (search.Seed(&seeded)) {
            got = search.Decide(seeded);
        } else {
            std::vector<ShiftMatch> results;
            for (const CandidateRange& range : CandidateRanges(search.CandidateCount())) results.push_back(search.ScanRange(range));
            got = search.Decide(ShiftSearch::Combine(results));
        }
        Expect("the shift search's parts", search.CandidateCount() <= 1 ? -1 : got, want);
        // The exact score of the shift the content moved by, of the one found, and of one more from the input.
        if (sameLayout)
            for (int s : {shift, want, next() % (lines + 2) - 1})
                if (s >= 0 && s < lines)
                    Expect("ScoreAt", search.ScoreAt(s), s <= m ? scores[s] : exhaustive::Score(p, n, horizontal, s));
    }
    if (c.flags & 16) Expect("FindShift on threads", FindShift(p, n, horizontal, floor), want);

    // The strip image: the previous frame, then the current one appended.
    CheckStrips(pf, nf, horizontal, want > 0 ? want : shift, c.footer % 8 == 7 ? -1 : c.footer % 8);
    return 0;
}
