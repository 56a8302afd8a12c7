// Times the shift search (on its threads) on 1920x1080 32-bit frame pairs of text-like and photo-like
// content against the exhaustive scan and against one memcmp pass over the frames, and stitching
// 2,000 frames of 600x400 against one copy of the stitched image into a new block. Every figure is a ratio to a
// baseline measured in the same run; nothing is asserted. Beside the search: its slowest run, the
// hashing its set-up does, the same search without threads, and what making four threads costs.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "ExhaustiveShiftSearch.h"
#include "scrolling/FrameStitching.h"
#include "scrolling/ShiftSearchThreads.h"
#include "BenchTiming.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kMaxShift = 500;
constexpr int kStripWidth = 600, kStripHeight = 400, kStripFrames = 2000, kStripStep = 17;

using bench::MedianMs;
using bench::Seconds;

volatile int g_sink;  // keeps results nobody reads from being dropped

// A page taller than a frame by the largest shift, rows top-down.
struct Page {
    int width;
    int height;
    std::vector<uint32_t> px;
    uint32_t* Row(int y) { return px.data() + static_cast<size_t>(y) * width; }
};

// White background, lines of dark glyph-like marks with anti-aliased edges, blank rows between lines
// and wider gaps between paragraphs, ragged right edges.
Page TextPage(int width, int height, std::mt19937& rng) {
    Page page{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xFFFFFFFFu)};
    const uint32_t ink[] = {0xFF202020u, 0xFF303030u, 0xFF909090u, 0xFFC0C0C0u};
    int y = 8;
    while (y + 20 <= height) {
        const int end = width - 40 - static_cast<int>(rng() % 400);
        int x = 40 + (rng() % 6 == 0 ? 32 : 0);
        while (x + 10 < end) {
            const int letters = 1 + static_cast<int>(rng() % 9);
            for (int l = 0; l < letters && x + 10 < end; ++l, x += 9) {
                // A glyph: 7 x 12 marks, an ascender or a descender now and then.
                const int top = rng() % 4 == 0 ? 0 : 3, bottom = rng() % 5 == 0 ? 15 : 12;
                for (int gy = top; gy < bottom; ++gy)
                    for (int gx = 0; gx < 7; ++gx)
                        if (rng() % 3 == 0) page.Row(y + gy)[x + gx] = ink[rng() % 4];
            }
            x += 9;
        }
        y += 20 + (rng() % 6 == 0 ? 20 + static_cast<int>(rng() % 40) : 0);
    }
    return page;
}

// Smooth gradients in each channel plus a little noise.
Page PhotoPage(int width, int height, std::mt19937& rng) {
    Page page{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = x / 310.0, v = y / 470.0;
            const double base[3] = {128 + 90 * std::sin(u + 0.3 * v), 128 + 90 * std::cos(0.7 * u - v),
                                    128 + 90 * std::sin(0.4 * u + 1.3 * v + 1.0)};
            uint32_t p = 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                const int value = std::clamp(static_cast<int>(base[c]) + static_cast<int>(rng() % 9) - 4, 0, 255);
                p |= static_cast<uint32_t>(value) << (8 * c);
            }
            page.Row(y)[x] = p;
        }
    return page;
}

// Rows [first, first + height) of the page as a frame of its own, stored bottom-up as a DIB is.
struct OwnFrame {
    std::vector<uint32_t> px;
    FrameView view;
};

OwnFrame Cut(Page& page, int first, int height) {
    OwnFrame f{std::vector<uint32_t>(static_cast<size_t>(page.width) * height), {}};
    for (int y = 0; y < height; ++y)
        std::memcpy(f.px.data() + static_cast<size_t>(height - 1 - y) * page.width, page.Row(first + y),
                    static_cast<size_t>(page.width) * 4);
    const ptrdiff_t stride = static_cast<ptrdiff_t>(page.width) * 4;
    f.view = FrameView{reinterpret_cast<const uint8_t*>(f.px.data()) + stride * (height - 1), -stride, page.width,
                       height, 4};
    return f;
}

const char* Goal(bool met) { return met ? "met" : "MISSED"; }

void SearchCase(const char* content, Page& page, int shift) {
    const OwnFrame previous = Cut(page, 0, kHeight), current = Cut(page, shift, kHeight);
    const std::vector<uint32_t> copy = previous.px;
    const size_t bytes = previous.px.size() * 4;
    // Equal frames, so that memcmp reads every byte of both.
    const double pass = MedianMs(9, [&] { g_sink = g_sink + std::memcmp(previous.px.data(), copy.data(), bytes); });
    int found = -1;
    double worst = 0;
    const double fast = MedianMs(15, [&] { found = FindShift(previous.view, current.view, false); }, &worst);
    const double hashing = MedianMs(7, [&] {
        ShiftSearch search(previous.view, current.view, false);
        g_sink = g_sink + search.CandidateCount();
    });
    const double unthreaded =
        MedianMs(3, [&] { g_sink = g_sink + FindShiftSingleThreaded(previous.view, current.view, false); });
    int exhaustiveShift = -1;
    const double slow = MedianMs(3, [&] { exhaustiveShift = exhaustive::FindShift(previous.view, current.view, false); });
    const double vsExhaustive = slow / fast, vsMemcmp = fast / pass;
    std::printf("%-6s %4d %6d %6d %9.2f %7.2f %9.2f %9.2f %10.1f %7.2f %8.1fx %-6s %6.2fx %-6s\n", content, shift, found,
                exhaustiveShift, fast, worst, hashing, unthreaded, slow, pass, vsExhaustive, Goal(vsExhaustive >= 100),
                vsMemcmp, Goal(vsMemcmp <= 3));
}

void StitchCase() {
    std::mt19937 rng(5);
    const int total = kStripHeight + (kStripFrames - 1) * kStripStep;
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(kStripWidth) * 4;
    std::vector<uint32_t> page(static_cast<size_t>(kStripWidth) * total);
    for (uint32_t& p : page) p = rng();
    const uint8_t* pageBytes = reinterpret_cast<const uint8_t*>(page.data());
    std::vector<uint8_t> out(static_cast<size_t>(rowBytes) * total, 1), copy(out.size(), 1);
    const double memcpyMs = MedianMs(5, [&] { std::memcpy(copy.data(), pageBytes, copy.size()); });
    // What any new image pays before its first byte: fresh pages from the system.
    const double freshMs = MedianMs(5, [&] {
        std::unique_ptr<uint8_t[]> fresh(new uint8_t[copy.size()]);
        std::memcpy(fresh.get(), pageBytes, copy.size());
        g_sink = g_sink + fresh[copy.size() / 2];
    });
    bool ok = true;
    std::vector<double> whole, appends, copies, releases;
    for (int run = 0; run < 5; ++run) {
        const double t0 = Seconds();
        auto image = std::make_unique<StripImage>(false);
        ok = image->Start(FrameView{pageBytes, rowBytes, kStripWidth, kStripHeight, 4}) && ok;
        for (int i = 1; i < kStripFrames; ++i)
            ok = image->Append(FrameView{pageBytes + rowBytes * kStripStep * i, rowBytes, kStripWidth, kStripHeight, 4},
                               kStripStep) && ok;
        const double t1 = Seconds();
        ok = ok && image->Height() == total;
        // The stitched image is a new image, as the worker's is: a new block, written once.
        std::unique_ptr<uint8_t[]> result(new uint8_t[out.size()]);
        if (ok) image->CopyTo(result.get(), rowBytes);
        const double t2 = Seconds();
        if (ok && run == 0) std::memcpy(out.data(), result.get(), out.size());
        image.reset();
        const double t3 = Seconds();
        whole.push_back((t3 - t0) * 1000);
        appends.push_back((t1 - t0) * 1000);
        copies.push_back((t2 - t1) * 1000);
        releases.push_back((t3 - t2) * 1000);
    }
    for (auto* v : {&whole, &appends, &copies, &releases}) std::sort(v->begin(), v->end());
    ok = ok && std::memcmp(out.data(), pageBytes, out.size()) == 0;
    // One copy of the final image is a new image holding its pixels: a new block, written once. A copy
    // into memory already in use is shown beside it; no image that is new can be made that cheaply.
    const double stitchMs = whole[2], ratio = stitchMs / freshMs;
    std::printf("\nstitching %d frames of %dx%d at %d rows into %dx%d (%.1f MB)%s, ms (medians of 5)\n", kStripFrames,
                kStripWidth, kStripHeight, kStripStep, kStripWidth, total, static_cast<double>(out.size()) / 1048576.0,
                ok ? "" : "  WRONG IMAGE");
    std::printf("  memcpy into memory in use      %8.2f\n", memcpyMs);
    std::printf("  one copy of the image (new)    %8.2f  %5.2fx memcpy into memory in use\n", freshMs, freshMs / memcpyMs);
    std::printf("  StripImage, start to release  %8.2f  %5.2fx one copy of the image  goal <= 3x: %s  (%.2fx memcpy into memory in use)\n",
                stitchMs, ratio, Goal(ratio <= 3), stitchMs / memcpyMs);
    std::printf("    Start and appends            %8.2f\n    CopyTo into a new block      %8.2f\n"
                "    release                      %8.2f\n",
                appends[2], copies[2], releases[2]);
}

// What making and joining four search threads costs alone: a 16x16 pair has four candidate ranges
// and almost no pixels.
void ThreadCost() {
    std::vector<uint32_t> a(256), b(256);
    for (size_t i = 0; i < a.size(); ++i) a[i] = b[(i + 16) % b.size()] = static_cast<uint32_t>(i * 2654435761u);
    const FrameView p{reinterpret_cast<const uint8_t*>(a.data()), 64, 16, 16, 4};
    const FrameView n{reinterpret_cast<const uint8_t*>(b.data()), 64, 16, 16, 4};
    const double threads = MedianMs(51, [&] { g_sink = g_sink + FindShift(p, n, false); });
    const double alone = MedianMs(51, [&] { g_sink = g_sink + FindShiftSingleThreaded(p, n, false); });
    std::printf("\nfour search threads made and joined (16x16 pair): %.3f ms; the same search without threads: %.3f ms\n",
                threads, alone);
}

}  // namespace

int main() {
    std::mt19937 rng(1);
    Page text = TextPage(kWidth, kHeight + kMaxShift, rng);
    Page photo = PhotoPage(kWidth, kHeight + kMaxShift, rng);
    std::printf("shift search on %dx%d 32-bit frame pairs, times in ms (medians: FindShift of 15, its set-up of 7, one thread and the exhaustive scan of 3)\n",
                kWidth, kHeight);
    std::printf("%-6s %4s %6s %6s %9s %7s %9s %9s %10s %7s %17s %14s\n", "", "move", "found", "exh.", "FindShift",
                "worst", "hashing", "1 thread", "exhaustive", "memcmp", "vs exh. >=100x", "vs memcmp <=3x");
    for (int shift : {17, 100, 500}) SearchCase("text", text, shift);
    for (int shift : {17, 100, 500}) SearchCase("photo", photo, shift);
    ThreadCost();
    StitchCase();
    return 0;
}
