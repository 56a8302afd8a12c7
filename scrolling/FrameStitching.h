#pragma once
// The image work of a scrolling capture, on plain pixel memory: how many leading rows (columns) two
// frames share, how far the content moved between them, and the growing stitched image.
// No window or device calls here.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A frame's pixels seen from the top row down.
struct FrameView {
    const uint8_t* top = nullptr;  // first byte of the top row
    ptrdiff_t rowStep = 0;         // bytes from a row to the one below it (negative when stored bottom-up)
    int width = 0;
    int height = 0;
    int pixelBytes = 4;

    const uint8_t* Row(int y) const { return top + y * rowStep; }
    const uint8_t* Pixel(int x, int y) const { return Row(y) + static_cast<ptrdiff_t>(x) * pixelBytes; }
    size_t RowBytes() const { return static_cast<size_t>(width) * pixelBytes; }
};

// Equal leading rows counted from the top; 0 when the depths or widths differ.
int UnchangedRows(const FrameView& previous, const FrameView& current);
// Equal leading columns counted from the left; 0 when the depths or heights differ.
int UnchangedColumns(const FrameView& previous, const FrameView& current);
// Equal trailing rows counted from the bottom (columns from the right, for horizontal); 0 when
// the frames differ in size or depth.
int UnchangedTrailingLines(const FrameView& previous, const FrameView& current, bool horizontal);
// Pixels that differ between two frames of one size, counted up to limit + 1.
int64_t DifferingPixels(const FrameView& previous, const FrameView& current, int64_t limit);

// A contiguous run of shift candidates scanned by one search thread.
struct CandidateRange {
    int first;
    int count;
};
// How the candidates 1..m are split over at most four threads; none when m is 1 or less.
std::vector<CandidateRange> CandidateRanges(int m);

struct ShiftMatch {
    int64_t score = 0;
    int candidate = -1;
};

// What the search threads of one shift search share. The frames must have one size and depth.
//
// Candidate c compares the current frame's first lines (rows, or columns for a horizontal search)
// with the previous frame's lines from c on. The result is what scoring every candidate in full
// would give: the highest score, the smallest candidate among equals. Most candidates are never
// scored in full: a line whose hash differs holds at least one differing pixel, which bounds a
// candidate's score before any pixel is read, candidates are scored in the order of their bounds,
// and a count stops as soon as its mismatches show it cannot matter.
class ShiftSearch {
public:
    ShiftSearch(const FrameView& previous, const FrameView& current, bool horizontal);

    // Candidates 1..m are tried.
    int CandidateCount() const { return m_; }
    bool Horizontal() const { return horizontal_; }
    // Only scores above floor matter (default: any).
    void SetFloor(int64_t floor) { floor_ = floor; }

    // Scores in full the candidate whose bound is highest, so that every range starts from its score.
    // True when that settles the search (no other candidate can matter): best is then the result.
    // Steps repeat while a window scrolls, so this is the usual case, and it needs no thread.
    bool Seed(ShiftMatch* best);
    // Scans one range; safe to run for several ranges at once.
    ShiftMatch ScanRange(const CandidateRange& range);
    // The exact score of a shift (0 included), compared over the window of that shift.
    int64_t ScoreAt(int shift) const;
    // Lines compared for shift c.
    int ComparedLines(int c) const;

    // Combines the ranges' results in range order: a later range wins only with a greater score.
    static ShiftMatch Combine(const std::vector<ShiftMatch>& results);
    // The shift when the best score passes the threshold, else -1.
    int Decide(const ShiftMatch& best) const;

private:
    void CountEqualLines();
    uint64_t UpperBound(int c) const;
    // The score of c, or -1 once it is certain to stay below need.
    int64_t Score(int c, int64_t need) const;
    int64_t LinePairScore(int j, int c) const;

    FrameView previous_;
    FrameView current_;
    bool horizontal_;
    int lines_ = 0;  // along the searched axis
    int span_ = 0;   // pixels per line
    int m_ = 0;
    int64_t threshold_ = 0;
    int64_t floor_ = -1;
    std::vector<uint64_t> previousHashes_;
    std::vector<uint64_t> currentHashes_;
    std::vector<int> equalLines_;  // per candidate: compared lines whose hashes are equal
    std::atomic<int64_t> shared_{0};  // the best score any range has reached
};

// The exact shift search without threads (one range after another), for callers that do not need them.
int FindShiftSingleThreaded(const FrameView& previous, const FrameView& current, bool horizontal);

// The stitched image as the strips appended to it; assembled once at the end, so that stitching
// costs time in proportion to the result and never copies what is already stitched.
class StripImage {
public:
    explicit StripImage(bool horizontal) : horizontal_(horizontal) {}

    // The whole first frame. False when memory runs out.
    bool Start(const FrameView& first);
    // The last shift rows (columns) of the frame, below (right of) the image. A footer is that many
    // last rows (columns) that stay in place while the content scrolls: the shift rows above it are
    // the new ones, and the image keeps ending with it. False when memory runs out or the frame does
    // not fit; the image stays as it was.
    bool Append(const FrameView& frame, int shift, int footer = 0);

    bool Empty() const { return strips_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int PixelBytes() const { return pixelBytes_; }
    // Writes the image top row first; rowStep as in FrameView (negative for a bottom-up target).
    void CopyTo(uint8_t* top, ptrdiff_t rowStep) const;

private:
    struct Strip {
        int lines;   // rows of a vertical image, columns of a horizontal one, that belong to the image
        int stride;  // lines stored per row of a horizontal strip
        std::unique_ptr<uint8_t[]> pixels;  // top-down rows of the strip
    };

    bool horizontal_;
    int width_ = 0;
    int height_ = 0;
    int pixelBytes_ = 4;
    std::vector<Strip> strips_;
};
