#include "scrolling/ShiftSearchThreads.h"

#include <QelImageTransform.h>

#include <cstdlib>
#include <memory>
#include <vector>

bool FindEqualPixelsThread::OnStart() {
    best_ = ShiftMatch{};
    return true;
}

DWORD FindEqualPixelsThread::Run() {
    best_ = search_->ScanRange(range_);
    return 0;
}

FrameView ViewOfDib(const BITMAPINFOHEADER* dib) {
    FrameView view;
    if (!dib || dib->biWidth <= 0 || dib->biHeight == 0 || dib->biPlanes != 1) return view;
    if (dib->biBitCount != 32 && dib->biBitCount != 24) return view;
    // The transform library's rule finds the rows; 0 for a header it does not accept.
    const size_t offset = QelImageTransform::DibBitsOffset(dib);
    if (offset == 0) return view;
    const int height = std::abs(dib->biHeight);
    const ptrdiff_t stride = ((static_cast<ptrdiff_t>(dib->biWidth) * dib->biBitCount + 31) / 32) * 4;
    const uint8_t* bits = reinterpret_cast<const uint8_t*>(dib) + offset;
    view.width = dib->biWidth;
    view.height = height;
    view.pixelBytes = dib->biBitCount / 8;
    // Bottom-up rows keep the top row last.
    view.top = dib->biHeight > 0 ? bits + stride * (height - 1) : bits;
    view.rowStep = dib->biHeight > 0 ? -stride : stride;
    return view;
}

namespace {

template <class Thread>
ShiftMatch ParallelCandidateScan(ShiftSearch& search) {
    const std::vector<CandidateRange> ranges = CandidateRanges(search.CandidateCount());
    std::vector<std::unique_ptr<Thread>> threads;
    for (const CandidateRange& range : ranges) threads.push_back(std::make_unique<Thread>(&search, range));
    if (threads.empty()) return ShiftMatch{};
    std::vector<bool> started;
    for (auto& t : threads) started.push_back(t->Start());
    std::vector<ShiftMatch> results;
    for (size_t i = 0; i < threads.size(); ++i) {
        threads[i]->Join();
        // A range whose thread could not be made is scanned here: the result must not depend on it.
        results.push_back(started[i] ? threads[i]->Best() : search.ScanRange(ranges[i]));
    }
    return ShiftSearch::Combine(results);
}

}  // namespace

int RunShiftSearch(ShiftSearch& search) {
    if (search.CandidateCount() <= 1) return -1;
    try {
        ShiftMatch seeded;
        if (search.Seed(&seeded)) return search.Decide(seeded);
        const ShiftMatch best = search.Horizontal() ? ParallelCandidateScan<FindHEqualPixelsThread>(search)
                                           : ParallelCandidateScan<FindVEqualPixelsThread>(search);
        return search.Decide(best);
    } catch (...) {
        return -1;  // no memory for the threads' records
    }
}

int FindShift(const FrameView& previous, const FrameView& current, bool horizontal, int64_t floor) {
    try {
        ShiftSearch search(previous, current, horizontal);
        search.SetFloor(floor);
        return RunShiftSearch(search);
    } catch (...) {
        return -1;  // no memory for the hashes
    }
}
