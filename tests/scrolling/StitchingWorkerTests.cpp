// The stitching workers fed with frames made here, as the driver would hand them over: when they
// merge, when they take a frame for unmoved, when they end, and that every frame is released once.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelImageTransform.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdint>
#include <functional>
#include <vector>

#include "Handles.h"
#include "capture/Dib.h"
#include "scrolling/ScrollFrameQueue.h"
#include "scrolling/ShiftSearchThreads.h"
#include "scrolling/StitchingWorker.h"

namespace {

using Picture = std::function<uint32_t(int x, int y)>;

std::atomic<int> g_released{0};
void CountingRelease(BITMAPINFOHEADER* frame) {
    ++g_released;
    QelImageTransform::ReleaseDIB(frame);
}

uint32_t Mix(uint32_t v) {
    v ^= v >> 16;
    v *= 0x7FEB352Du;
    v ^= v >> 15;
    v *= 0x846CA68Bu;
    return v ^ (v >> 16);
}

// Every row and every column distinct.
uint32_t Noise(int x, int y) { return 0xFF000000u | (Mix(static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u) & 0xFFFFFF); }

// Dark marks on white in lines of 14 rows (10 of ink, 4 blank); only the lines listed carry text.
struct Document {
    std::vector<int> inkedLines;
    int lineCount;

    uint32_t operator()(int x, int y) const {
        const int line = y / 14, row = y % 14;
        const bool inked = std::find(inkedLines.begin(), inkedLines.end(), line) != inkedLines.end();
        if (line >= lineCount || row >= 10 || !inked) return 0xFFFFFFFFu;
        // Short lines of glyphs 6 pixels apart, each line its own.
        const uint32_t glyph = Mix(static_cast<uint32_t>(line) * 131u + static_cast<uint32_t>(x / 6));
        if (x / 6 > 4 + static_cast<int>(Mix(line) % 12) || x % 6 == 5) return 0xFFFFFFFFu;
        return (glyph >> (row * 2 + x % 6)) & 1 ? 0xFF202020u : 0xFFFFFFFFu;
    }
};

BITMAPINFOHEADER* MakeFrame(int width, int height, DWORD tag, const Picture& picture) {
    BITMAPINFOHEADER* dib = QelImageTransform::CBitmapCreator::CreateDibImage(width, height, 32, 0);
    if (!dib) return nullptr;
    dib->biClrImportant = tag;
    const FrameView view = ViewOfDib(dib);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = picture(x, y);
            std::memcpy(const_cast<uint8_t*>(view.Pixel(x, y)), &pixel, 4);
        }
    return dib;
}

// The window onto a taller picture at a scroll offset, with rows [0, header) held in place.
Picture Window(const Picture& content, int offset, int header = 0, const Picture& headerPicture = nullptr) {
    return [=](int x, int y) { return y < header ? headerPicture(x, y) : content(x, y - header + offset); };
}

// True when the image is exactly the picture, size included.
::testing::AssertionResult ImageIs(const BITMAPINFOHEADER* image, int width, int height, const Picture& picture) {
    if (!image) return ::testing::AssertionFailure() << "no image";
    const FrameView view = ViewOfDib(image);
    if (view.width != width || view.height != height)
        return ::testing::AssertionFailure() << "size " << view.width << "x" << view.height << ", expected " << width
                                             << "x" << height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, view.Pixel(x, y), 4);
            if (pixel != picture(x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel
                                                     << ", expected " << picture(x, y);
        }
    return ::testing::AssertionSuccess();
}

// One worker on a queue of its own; every frame added is counted.
class WorkerRun {
public:
    explicit WorkerRun(bool horizontal) {
        queue.release = CountingRelease;
        queue.Open(nullptr);
        queue.SetWorkerRunning(true);
        thread_.reset(::CreateThread(nullptr, 0, horizontal ? HorizontalScrollWorker : VerticalScrollWorker, &queue, 0,
                                     nullptr));
        releasedBefore_ = g_released.load();
    }
    ~WorkerRun() {
        if (thread_) {
            queue.PostStopStatus(kScrollStopNormal);
            ::WaitForSingleObject(thread_.get(), INFINITE);
        }
        queue.Empty();
        queue.Release(queue.TakeResult());
    }

    void Add(BITMAPINFOHEADER* frame) {
        ++added_;
        queue.Add(frame, thread_.get());
    }
    // The worker stops by itself (no status is posted), within a bound.
    bool EndsByItself() { return ::WaitForSingleObject(thread_.get(), 30000) == WAIT_OBJECT_0; }
    // Posts the status if the worker still runs, waits for it and takes the image. Every frame added
    // must have been released once by then.
    UniqueDib Finish(DWORD status = kScrollStopNormal) {
        if (queue.WorkerRunning()) queue.PostStopStatus(status);
        ::WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
        queue.Empty();
        EXPECT_EQ(g_released.load() - releasedBefore_, added_) << "frames released";
        return UniqueDib(queue.TakeResult());
    }

    ScrollFrameQueue queue;

private:
    qel::UniqueKernelHandle thread_;
    int releasedBefore_ = 0;
    int added_ = 0;
};

constexpr int kW = 120, kH = 90;

}  // namespace

TEST(StitchingWorker, SeamsAreExactForEveryStepFromOneRowToNearlyHalfTheFrame) {
    for (int step : {1, 7, 44}) {
        WorkerRun run(false);
        int offset = 0;
        for (int i = 0; i < 12; ++i, offset += step) run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, offset)));
        UniqueDib image = run.Finish();
        EXPECT_TRUE(ImageIs(image.get(), kW, kH + 11 * step, Noise)) << "step " << step;
        EXPECT_EQ(run.queue.error, 0);
    }
    // A header that never scrolls stays on top of the image once.
    auto header = [](int x, int y) { return Noise(x + 1000, y + 1000); };
    WorkerRun headed(false);
    for (int i = 0; i < 12; ++i) headed.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 10 * i, 9, header)));
    EXPECT_TRUE(ImageIs(headed.Finish().get(), kW, kH + 110, Window(Noise, 0, 9, header)));

    // A margin at the bottom that never scrolls stays at the bottom of the image once.
    auto footed = [&](int offset) {
        return [=](int x, int y) { return y >= kH - 5 ? header(x, y) : Noise(x, y + offset); };
    };
    WorkerRun footedRun(false);
    for (int i = 0; i < 12; ++i) footedRun.Add(MakeFrame(kW, kH, LineScroll, footed(10 * i)));
    EXPECT_TRUE(ImageIs(footedRun.Finish().get(), kW, kH + 110, [&](int x, int y) {
        return y >= kH + 110 - 5 ? header(x, y - 110) : Noise(x, y);
    }));

    WorkerRun run(true);
    for (int i = 0; i < 8; ++i) run.Add(MakeFrame(kW, kH, LineScroll, [i](int x, int y) { return Noise(x + 9 * i, y); }));
    EXPECT_TRUE(ImageIs(run.Finish().get(), kW + 7 * 9, kH, Noise));

    WorkerRun single(false);  // the capture stopped before a second frame came
    single.Add(MakeFrame(kW, kH, LineScroll, Noise));
    EXPECT_TRUE(ImageIs(single.Finish().get(), kW, kH, Noise));
}

TEST(StitchingWorker, TwoUnmovedLineFramesSwitchToWheelStepsAndThreeUnmovedWheelFramesEnd) {
    WorkerRun run(false);
    run.Add(MakeFrame(kW, kH, LineScroll, Noise));
    run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 5)));
    run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 5)));
    // A move in between starts the count again.
    run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 10)));
    run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 10)));
    run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 10)));
    for (int i = 0; i < 3; ++i) run.Add(MakeFrame(kW, kH, WheelScroll, Window(Noise, 10)));
    ASSERT_TRUE(run.EndsByItself());
    EXPECT_EQ(run.queue.Method(), WheelScroll);
    EXPECT_TRUE(ImageIs(run.Finish().get(), kW, kH + 10, Noise));
}

TEST(StitchingWorker, AHorizontalCaptureEndsAfterThreeUnmovedFramesInARow) {
    WorkerRun run(true);
    auto columns = [](int shift) { return [shift](int x, int y) { return Noise(x + shift, y); }; };
    run.Add(MakeFrame(kW, kH, LineScroll, columns(0)));
    run.Add(MakeFrame(kW, kH, LineScroll, columns(0)));
    run.Add(MakeFrame(kW, kH, LineScroll, columns(0)));
    run.Add(MakeFrame(kW, kH, LineScroll, columns(4)));
    for (int i = 0; i < 3; ++i) run.Add(MakeFrame(kW, kH, LineScroll, columns(4)));
    ASSERT_TRUE(run.EndsByItself());
    EXPECT_EQ(run.queue.Method(), LineScroll) << "the horizontal worker never changes the step";
    EXPECT_TRUE(ImageIs(run.Finish().get(), kW + 4, kH, Noise));
}

TEST(StitchingWorker, AResizedFrameAWeakMatchAndAPostedReasonEachEndWithTheImageSoFar) {
    {
        WorkerRun run(false);
        run.Add(MakeFrame(kW, kH, LineScroll, Noise));
        run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 6)));
        run.Add(MakeFrame(kW + 20, kH, LineScroll, Window(Noise, 12)));
        ASSERT_TRUE(run.EndsByItself());
        EXPECT_EQ(run.queue.error, -3);
        EXPECT_TRUE(ImageIs(run.Finish().get(), kW, kH + 6, Noise));
    }
    {
        // A jump past half the frame leaves too little overlap.
        WorkerRun run(false);
        run.Add(MakeFrame(kW, kH, LineScroll, Noise));
        run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 3)));
        run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 3 + kH / 2 + 10)));
        run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 3 + kH)));
        ASSERT_TRUE(run.EndsByItself());
        EXPECT_EQ(run.queue.error, -5);
        EXPECT_TRUE(ImageIs(run.Finish().get(), kW, kH + 3, Noise));
    }
    // The worker may find the queue empty just before the last frame and the status come in: that
    // frame is still stitched. Repeated, because only some runs meet that moment.
    for (int i = 0; i < 200; ++i) {
        WorkerRun run(false);
        run.Add(MakeFrame(kW, kH, LineScroll, Noise));
        run.Add(MakeFrame(kW, kH, LineScroll, Window(Noise, 8)));
        UniqueDib image = run.Finish(kScrollStopWindowGone);
        EXPECT_EQ(run.queue.error, 0xFFFE) << "every frame added before the status is stitched first";
        ASSERT_TRUE(ImageIs(image.get(), kW, kH + 8, Noise)) << "run " << i;
    }
}

TEST(StitchingWorker, ACaretBlinkingAtTheEndOfADocumentAddsNoRow) {
    const Document doc{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 15};
    const int h = 140, end = 15 * 14 - h;
    auto caret = [&](bool on) {
        return [=](int x, int y) { return on && x == 40 && y >= h - 14 && y < h - 4 ? 0xFF000000u : doc(x, y + end); };
    };
    WorkerRun run(false);
    for (int offset = 0; offset < end; offset += 14) run.Add(MakeFrame(kW, h, LineScroll, Window(doc, offset)));
    run.Add(MakeFrame(kW, h, LineScroll, caret(false)));
    run.Add(MakeFrame(kW, h, LineScroll, caret(true)));
    run.Add(MakeFrame(kW, h, LineScroll, caret(false)));
    run.Add(MakeFrame(kW, h, WheelScroll, caret(true)));
    run.Add(MakeFrame(kW, h, WheelScroll, caret(false)));
    run.Add(MakeFrame(kW, h, WheelScroll, caret(true)));
    ASSERT_TRUE(run.EndsByItself()) << "a blinking caret counts as an unmoved frame";
    EXPECT_TRUE(ImageIs(run.Finish().get(), kW, 15 * 14, doc));
}

TEST(StitchingWorker, ASparseDocumentMovedByOneLineIsAMove) {
    // Few inked lines: the frames differ in well under one pixel in fifty.
    const Document doc{{1, 5, 6, 11, 17, 18, 24, 29, 33, 38}, 42};
    const int h = 150;
    WorkerRun run(false);
    int offset = 0;
    for (; offset + h <= 42 * 14; offset += 14) run.Add(MakeFrame(kW, h, LineScroll, Window(doc, offset)));
    UniqueDib image = run.Finish();
    EXPECT_EQ(run.queue.error, 0);
    EXPECT_TRUE(ImageIs(image.get(), kW, h + offset - 14, doc));
}
