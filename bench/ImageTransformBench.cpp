// Times the transform library on a 3840x2160 image. Every figure is given as a ratio to a memcpy of the same
// bytes measured in the same run: into existing memory, and for operations that return a new image, into
// newly allocated memory too (what any new image pays for its fresh pages).
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <QelImageTransform.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "GdiplusHandles.h"
#include "Handles.h"
#include "capture/ImageHelpers.h"

using QelImageTransform::CBitmapConverter;
using QelImageTransform::CBitmapCreator;
using QelImageTransform::CDIB32;

namespace {

constexpr int kWidth = 3840, kHeight = 2160, kRounds = 9;

using Dib = std::unique_ptr<BITMAPINFOHEADER, decltype(&QelImageTransform::ReleaseDIB)>;
Dib Own(BITMAPINFOHEADER* dib) { return Dib(dib, &QelImageTransform::ReleaseDIB); }

uint8_t* Bits(BITMAPINFOHEADER* dib) { return reinterpret_cast<uint8_t*>(dib) + dib->biSize; }

// The median of kRounds runs, in milliseconds.
double Time(const std::function<void()>& work) {
    LARGE_INTEGER freq, a, b;
    ::QueryPerformanceFrequency(&freq);
    std::vector<double> ms;
    for (int i = 0; i < kRounds; ++i) {
        ::QueryPerformanceCounter(&a);
        work();
        ::QueryPerformanceCounter(&b);
        ms.push_back(double(b.QuadPart - a.QuadPart) * 1000.0 / double(freq.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double g_baseline = 1;  // memcpy of the 32-bit image into existing memory, ms
double g_freshBaseline = 1;  // the same into newly allocated memory, ms
volatile uint8_t g_sink;  // keeps a copy nobody reads from being dropped

// bytes: how many bytes the operation writes, so that smaller operations compare with a memcpy of their size.
void Report(const char* what, double ms, double bytesShare = 1.0) {
    std::printf("%-44s %8.2f ms  %6.2f x memcpy (goal 2)\n", what, ms, ms / (g_baseline * bytesShare));
}
void ReportNew(const char* what, double ms) {
    std::printf("%-44s %8.2f ms  %6.2f x memcpy  %6.2f x memcpy into new memory (goal 1.5)\n", what, ms,
                ms / g_baseline, ms / g_freshBaseline);
}

}  // namespace

int main() {
    const size_t bytes32 = size_t(kWidth) * kHeight * 4;
    std::vector<uint8_t> from(bytes32), to(bytes32);
    std::mt19937 rng(1);
    for (auto& b : from) b = uint8_t(rng() % 4);  // few values, so the colour count finds something
    g_baseline = Time([&] { std::memcpy(to.data(), from.data(), bytes32); });
    g_freshBaseline = Time([&] {
        std::unique_ptr<uint8_t[]> fresh(new uint8_t[bytes32]);
        std::memcpy(fresh.get(), from.data(), bytes32);
        g_sink = g_sink + fresh[bytes32 / 2];
    });
    std::printf("image %dx%d, %zu bytes; median of %d runs\n", kWidth, kHeight, bytes32, kRounds);
    std::printf("%-44s %8.2f ms (baseline)\n", "memcpy into existing memory", g_baseline);
    std::printf("%-44s %8.2f ms (baseline for new images)\n", "memcpy into newly allocated memory", g_freshBaseline);

    ReportNew("new blank 32-bit image", Time([&] { Own(CDIB32::CreateBlank32BitsDIB(kWidth, kHeight)); }));
    Dib source24 = Own(CBitmapCreator::CreateDibImage(kWidth, kHeight, 24, 0));
    Dib target = Own(CDIB32::CreateBlank32BitsDIB(kWidth, kHeight));
    if (!source24 || !target) return 1;
    std::memcpy(Bits(source24.get()), from.data(), source24->biSizeImage);
    Report("24 -> 32 bits into an existing image", Time([&] { CDIB32::ConvertTo32BitsDIB(source24.get(), target.get(), 255, 0); }));
    ReportNew("24 -> 32 bits, new image", Time([&] { Own(CDIB32::ConvertTo32BitsDIB(source24.get(), nullptr, 255, 0)); }));

    // Sections like the ones screen copies make, and a device bitmap of the screen's format.
    qel::WindowDc screen(nullptr);
    for (int depth : {24, 32}) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, WORD(depth), BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        qel::UniqueHbitmap section(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!section) return 1;
        std::memcpy(bits, from.data(), size_t(kWidth) * kHeight * depth / 8);
        ReportNew(depth == 24 ? "24-bit DIB section -> DIB" : "32-bit DIB section -> DIB",
               Time([&] { Own(CBitmapConverter::ConvertDDBToDIB(section.get())); }));
    }
    qel::UniqueHbitmap ddb(::CreateCompatibleBitmap(screen.get(), kWidth, kHeight));
    if (!ddb) return 1;
    ReportNew("screen-format device bitmap -> DIB", Time([&] { Own(CBitmapConverter::ConvertDDBToDIB(ddb.get())); }));

    const RECT all{0, 0, kWidth, kHeight};
    Report("alpha fill, whole image", Time([&] { CDIB32::Fill32DIBOpacityArea(target.get(), all, 255); }));
    qel::UniqueHrgn ellipse(::CreateEllipticRgn(0, 0, kWidth, kHeight));
    Report("alpha fill, inscribed ellipse region", Time([&] { CDIB32::Fill32DIBOpacityArea(target.get(), ellipse.get(), 0); }));
    Dib block = Own(CBitmapCreator::CreateDibImage(kWidth / 2, kHeight / 2, 32, 0));
    Report("block copy of a quarter (ratio to its bytes)",
           Time([&] { CDIB32::TransformBlock(block.get(), POINT{kWidth / 4, kHeight / 4}, target.get(), POINT{0, 0}); }),
           0.25);

    // The image helpers' colour count, on a GDI+ bitmap over the same pixels (upside down: a count does not mind).
    if (!qel::EnsureGdiplus()) return 1;
    const int stride = kWidth * 4;
    Gdiplus::Bitmap view(kWidth, kHeight, stride, PixelFormat32bppARGB, Bits(target.get()));
    unsigned found = 0;
    Report("count one colour (image helpers)", Time([&] { found = ImageHelpers::CountColor(&view, 0xFF010203); }));
    std::printf("pixels of colour (1, 2, 3): %u\n", found);
    return 0;
}
