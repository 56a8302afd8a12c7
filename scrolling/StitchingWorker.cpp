#include "scrolling/StitchingWorker.h"

#include <QelImageTransform.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "scrolling/FrameStitching.h"
#include "scrolling/ScrollFrameQueue.h"
#include "scrolling/ShiftSearchThreads.h"

namespace {

enum : int { kErrorSize = -3, kErrorWeakMatch = -5, kErrorMerge = -6 };
// Identical frames before line steps give way to wheel steps, and wheel frames before the end.
constexpr int kLineFramesBeforeWheel = 2;
constexpr int kFramesBeforeEnd = 2;
// A frame that differs from the last stitched one in at most this share of its pixels (a caret,
// a clock, an animated icon) has not moved unless some shift matches it better than none does.
constexpr int64_t kSpotsShareDivisor = 50;

struct FrameDeleter {
    FrameRelease release;
    void operator()(BITMAPINFOHEADER* frame) const {
        if (frame) release(frame);
    }
};
using UniqueFrame = std::unique_ptr<BITMAPINFOHEADER, FrameDeleter>;

class Worker {
public:
    Worker(ScrollFrameQueue& queue, bool horizontal)
        : queue_(queue), horizontal_(horizontal), image_(horizontal), previous_(nullptr, {queue.release}) {}

    void Run() {
        queue_.SetWorkerRunning(true);
        UniqueFrame inHand(nullptr, {queue_.release});
        try {
            Loop(inHand);
        } catch (...) {
            queue_.error = kErrorMerge;  // out of memory somewhere in the search or the merge
        }
        inHand.reset();
        previous_.reset();
        queue_.result = Assemble();
        queue_.SetWorkerRunning(false);
    }

private:
    void Loop(UniqueFrame& inHand) {
        for (;;) {
            queue_.WaitForFrame();
            if (!ConsumeWaiting(inHand)) return;
            const DWORD status = queue_.StopStatus();
            if (status & 0xFFFF) {
                // The producer adds its last frames before it posts the status, and they may have
                // come in after the queue was found empty above: they are part of the image.
                if (!ConsumeWaiting(inHand)) return;
                queue_.error = static_cast<int>(status >> 16);
                return;
            }
        }
    }

    bool ConsumeWaiting(UniqueFrame& inHand) {
        while (BITMAPINFOHEADER* frame = queue_.Take()) {
            inHand.reset(frame);
            if (!Consume(inHand)) return false;
        }
        return true;
    }

    // False when the worker must stop; a frame it keeps or releases is taken out of inHand.
    bool Consume(UniqueFrame& inHand) {
        BITMAPINFOHEADER* frame = inHand.get();
        const FrameView view = ViewOfDib(frame);
        if (queue_.firstWidth == -1 && queue_.firstHeight == -1) {
            queue_.firstWidth = frame->biWidth;
            queue_.firstHeight = std::abs(frame->biHeight);
        } else if (view.width == 0 || frame->biWidth != queue_.firstWidth || frame->biHeight != queue_.firstHeight) {
            queue_.error = kErrorSize;
            return false;
        }
        if (image_.Empty()) {
            if (!image_.Start(view)) {
                queue_.error = kErrorMerge;
                return false;
            }
            previous_ = std::move(inHand);
            return true;
        }

        const FrameView previous = ViewOfDib(previous_.get());
        const bool same = horizontal_ ? UnchangedColumns(previous, view) == view.width
                                      : UnchangedRows(previous, view) == view.height;
        int shift = -1;
        bool unmoved = same;
        if (!same) {
            ShiftSearch search(previous, view, horizontal_);
            const int64_t spots = static_cast<int64_t>(view.width) * view.height / kSpotsShareDivisor;
            const bool fewSpots = DifferingPixels(previous, view, spots) <= spots;
            // Only a shift that explains the frame better than none does is a move.
            if (fewSpots) search.SetFloor(search.ScoreAt(0));
            shift = RunShiftSearch(search);
            unmoved = fewSpots && shift < 0;
        }
        if (unmoved) return CountIdentical(inHand);

        identical_ = 0;
        if (shift < 0) {
            queue_.error = kErrorWeakMatch;
            return false;
        }
        // Lines at the end that stayed in place while the content moved (a margin the window never
        // scrolls) are no new content. Where such lines only happen to be equal, both readings give
        // the same pixels.
        const int lines = horizontal_ ? view.width : view.height;
        const int footer = std::min(UnchangedTrailingLines(previous, view, horizontal_), lines - shift);
        previous_.reset();
        if (!image_.Append(view, shift, footer)) {
            inHand.reset();
            queue_.error = kErrorMerge;
            return false;
        }
        previous_ = std::move(inHand);
        return true;
    }

    // An unmoved frame is dropped; the last stitched frame stays the reference.
    bool CountIdentical(UniqueFrame& inHand) {
        const DWORD tag = inHand->biClrImportant;
        inHand.reset();
        if (horizontal_) {
            if (tag == LineScroll && ++identical_ > kFramesBeforeEnd) return finished_ = true, false;
            return true;
        }
        if (tag == LineScroll) {
            if (++identical_ >= kLineFramesBeforeWheel) {
                queue_.SetMethod(WheelScroll);
                identical_ = 0;
            }
        } else if (tag == WheelScroll) {
            if (++identical_ > kFramesBeforeEnd) return finished_ = true, false;
        }
        return true;
    }

    BITMAPINFOHEADER* Assemble() const {
        if (image_.Empty()) return nullptr;
        BITMAPINFOHEADER* dib =
            QelImageTransform::CBitmapCreator::CreateDibImage(image_.Width(), image_.Height(), image_.PixelBytes() * 8, 0);
        if (!dib) return nullptr;
        const FrameView target = ViewOfDib(dib);
        image_.CopyTo(const_cast<uint8_t*>(target.top), target.rowStep);
        return dib;
    }

    ScrollFrameQueue& queue_;
    bool horizontal_;
    StripImage image_;
    UniqueFrame previous_;
    int identical_ = 0;
    bool finished_ = false;
};

DWORD RunWorker(void* queue, bool horizontal) {
    if (!queue) return 0;
    Worker(*static_cast<ScrollFrameQueue*>(queue), horizontal).Run();
    return 0;
}

}  // namespace

DWORD WINAPI VerticalScrollWorker(void* queue) { return RunWorker(queue, false); }
DWORD WINAPI HorizontalScrollWorker(void* queue) { return RunWorker(queue, true); }
