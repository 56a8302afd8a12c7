#pragma once
// The shift search run over its candidate ranges on up to four threads, and the frame views of
// packed DIB frames.
#include <windows.h>

#include "scrolling/FrameStitching.h"
#include "windows/BaseThread.h"

// Scans one candidate range of a shift search on a thread of its own.
class FindEqualPixelsThread : public CQelBaseThread {
public:
    // Joined on destruction by the base; the search must outlive the thread.
    FindEqualPixelsThread(ShiftSearch* search, CandidateRange range) : search_(search), range_(range) {}

    ShiftMatch Best() const { return best_; }

protected:
    bool OnStart() override;
    DWORD Run() override;
    void OnStopping() override {}
    void OnStopped() override {}

private:
    ShiftSearch* search_;
    CandidateRange range_;
    ShiftMatch best_;
};

// Rows of a vertical search.
class FindVEqualPixelsThread final : public FindEqualPixelsThread {
    using FindEqualPixelsThread::FindEqualPixelsThread;
};
// Columns of a horizontal search.
class FindHEqualPixelsThread final : public FindEqualPixelsThread {
    using FindEqualPixelsThread::FindEqualPixelsThread;
};

// The pixels of a packed DIB from its top row down; width 0 when it is not one.
FrameView ViewOfDib(const BITMAPINFOHEADER* dib);

// How far the content moved between two frames: a shift of 1 or more, or -1 when the frames differ
// in size or depth, are too small to search, or match on less than 60 % of the compared pixels.
// Only a score above floor counts (the default counts every score).
int FindShift(const FrameView& previous, const FrameView& current, bool horizontal, int64_t floor = -1);
// Runs a prepared search over its candidate ranges on up to four threads; the result as above.
int RunShiftSearch(ShiftSearch& search);
