#include "scrolling/FrameStitching.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr uint64_t kMix = 0x9E3779B97F4A7C15ull;
constexpr int kMaxSearchThreads = 4;
constexpr int kMatchPercent = 60;

uint64_t Rotl(uint64_t v, int bits) { return (v << bits) | (v >> (64 - bits)); }

uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint32_t LoadPixel(const uint8_t* p, int pixelBytes) {
    uint32_t v = 0;
    std::memcpy(&v, p, static_cast<size_t>(std::min(pixelBytes, 4)));
    return v;
}

// Four lanes of rotate-and-add: cheap enough to run at the speed of memory, and a row that differs
// in one word from another always hashes differently (each step is a bijection). Equal hashes are
// confirmed by comparing the pixels, so a collision costs time, never a wrong result.
uint64_t HashBytes(const uint8_t* p, size_t n) {
    uint64_t a = 1, b = 2, c = 3, d = 4;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        a = Rotl(a, 7) + Load64(p + i);
        b = Rotl(b, 7) + Load64(p + i + 8);
        c = Rotl(c, 7) + Load64(p + i + 16);
        d = Rotl(d, 7) + Load64(p + i + 24);
    }
    for (; i + 8 <= n; i += 8) a = Rotl(a, 7) + Load64(p + i);
    for (; i < n; ++i) b = Rotl(b, 7) + p[i];
    return (a ^ Rotl(b, 17) ^ Rotl(c, 31) ^ Rotl(d, 47) ^ n) * kMix;
}

// Per-column hashes of the first `columns` columns, accumulated a row at a time.
std::vector<uint64_t> ColumnHashes(const FrameView& f, int columns) {
    std::vector<uint64_t> hashes(static_cast<size_t>(columns), 1);
    for (int y = 0; y < f.height; ++y) {
        const uint8_t* row = f.Row(y);
        if (f.pixelBytes == 4) {
            for (int x = 0; x < columns; ++x) hashes[x] = Rotl((hashes[x] ^ LoadPixel(row + 4 * x, 4)) * kMix, 27);
        } else {
            for (int x = 0; x < columns; ++x)
                hashes[x] = Rotl((hashes[x] ^ HashBytes(row + x * f.pixelBytes, f.pixelBytes)) * kMix, 27);
        }
    }
    return hashes;
}

std::vector<uint64_t> RowHashes(const FrameView& f, int rows) {
    std::vector<uint64_t> hashes(static_cast<size_t>(rows));
    for (int y = 0; y < rows; ++y) hashes[y] = HashBytes(f.Row(y), f.RowBytes());
    return hashes;
}

int CountEqualPixels(const uint8_t* a, const uint8_t* b, int count, int pixelBytes) {
    int equal = 0;
    if (pixelBytes == 4) {
        for (int i = 0; i < count; ++i) equal += LoadPixel(a + 4 * i, 4) == LoadPixel(b + 4 * i, 4);
    } else {
        for (int i = 0; i < count; ++i)
            equal += std::memcmp(a + i * pixelBytes, b + i * pixelBytes, static_cast<size_t>(pixelBytes)) == 0;
    }
    return equal;
}

// Index of the first pixel that differs, or count.
int FirstDifference(const uint8_t* a, const uint8_t* b, int count, int pixelBytes) {
    if (std::memcmp(a, b, static_cast<size_t>(count) * pixelBytes) == 0) return count;
    int x = 0;
    while (x < count && std::memcmp(a + x * pixelBytes, b + x * pixelBytes, static_cast<size_t>(pixelBytes)) == 0) ++x;
    return x;
}

bool SameLayout(const FrameView& a, const FrameView& b) {
    return a.pixelBytes == b.pixelBytes && a.width == b.width && a.height == b.height && a.pixelBytes > 0 &&
           a.width > 0 && a.height > 0;
}

}  // namespace

int UnchangedRows(const FrameView& previous, const FrameView& current) {
    if (previous.pixelBytes != current.pixelBytes || previous.width != current.width) return 0;
    const int rows = std::min(previous.height, current.height);
    int y = 0;
    while (y < rows && std::memcmp(previous.Row(y), current.Row(y), previous.RowBytes()) == 0) ++y;
    return y;
}

int UnchangedColumns(const FrameView& previous, const FrameView& current) {
    if (previous.pixelBytes != current.pixelBytes || previous.height != current.height) return 0;
    int columns = std::min(previous.width, current.width);
    for (int y = 0; y < previous.height && columns > 0; ++y)
        columns = FirstDifference(previous.Row(y), current.Row(y), columns, previous.pixelBytes);
    return columns;
}

int UnchangedTrailingLines(const FrameView& previous, const FrameView& current, bool horizontal) {
    if (!SameLayout(previous, current)) return 0;
    if (!horizontal) {
        int rows = 0;
        while (rows < previous.height && std::memcmp(previous.Row(previous.height - 1 - rows),
                                                     current.Row(current.height - 1 - rows), previous.RowBytes()) == 0)
            ++rows;
        return rows;
    }
    int columns = previous.width;
    const int pb = previous.pixelBytes;
    for (int y = 0; y < previous.height && columns > 0; ++y) {
        int equal = 0;
        while (equal < columns && std::memcmp(previous.Pixel(previous.width - 1 - equal, y),
                                              current.Pixel(current.width - 1 - equal, y), static_cast<size_t>(pb)) == 0)
            ++equal;
        columns = equal;
    }
    return columns;
}

int64_t DifferingPixels(const FrameView& previous, const FrameView& current, int64_t limit) {
    if (!SameLayout(previous, current)) return limit + 1;
    int64_t differing = 0;
    for (int y = 0; y < previous.height && differing <= limit; ++y) {
        const uint8_t* a = previous.Row(y);
        const uint8_t* b = current.Row(y);
        if (std::memcmp(a, b, previous.RowBytes()) != 0)
            differing += previous.width - CountEqualPixels(a, b, previous.width, previous.pixelBytes);
    }
    return differing;
}

std::vector<CandidateRange> CandidateRanges(int m) {
    std::vector<CandidateRange> ranges;
    if (m <= 1) return ranges;
    const int parts = m < kMaxSearchThreads ? m : kMaxSearchThreads;
    const float step = static_cast<float>(m) / static_cast<float>(parts);
    int first = 1;
    // The bound on i only guards against a float that never advances; the ranges end long before.
    for (int i = 0; first < m && i <= m + kMaxSearchThreads; ++i) {
        const int lo = static_cast<int>(static_cast<float>(i) * step + 0.5f);
        const int hi = static_cast<int>(static_cast<float>(i + 1) * step + 0.5f);
        const int count = hi - lo;
        if (count > 0 && count <= m) {
            ranges.push_back({first, count});
            first += count;
        }
    }
    return ranges;
}

ShiftSearch::ShiftSearch(const FrameView& previous, const FrameView& current, bool horizontal)
    : previous_(previous), current_(current), horizontal_(horizontal) {
    if (!SameLayout(previous, current)) return;
    lines_ = horizontal ? previous.width : previous.height;
    span_ = horizontal ? previous.height : previous.width;
    m_ = lines_ - lines_ / 2;
    const int64_t compared = static_cast<int64_t>(m_) * span_;
    threshold_ = (kMatchPercent * compared + 99) / 100;
    if (horizontal) {
        previousHashes_ = ColumnHashes(previous, lines_);
        currentHashes_ = ColumnHashes(current, std::min(lines_, lines_ / 2 + 1));
    } else {
        previousHashes_ = RowHashes(previous, lines_);
        currentHashes_ = RowHashes(current, std::min(lines_, lines_ / 2 + 1));
    }
    CountEqualLines();
}

void ShiftSearch::CountEqualLines() {
    // Each line of the new frame meets only the previous lines with its hash, found by sorting,
    // instead of every candidate comparing every line.
    equalLines_.assign(static_cast<size_t>(m_) + 1, 0);
    std::vector<std::pair<uint64_t, int>> sorted;
    sorted.reserve(previousHashes_.size());
    for (int i = 0; i < static_cast<int>(previousHashes_.size()); ++i) sorted.push_back({previousHashes_[i], i});
    std::sort(sorted.begin(), sorted.end());
    const int compared = std::min(static_cast<int>(currentHashes_.size()), lines_ / 2);
    for (int j = 0; j < compared; ++j) {
        auto at = std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(currentHashes_[j], INT_MIN));
        for (; at != sorted.end() && at->first == currentHashes_[j]; ++at) {
            const int c = at->second - j;
            if (c >= 1 && c <= m_ && j < ComparedLines(c)) ++equalLines_[c];
        }
    }
}

int ShiftSearch::ComparedLines(int c) const {
    const int half = lines_ / 2;
    return c + half >= lines_ - 1 ? lines_ - c - 1 : half;
}

uint64_t ShiftSearch::UpperBound(int c) const {
    const int lines = ComparedLines(c);
    const uint64_t equal = static_cast<uint64_t>(equalLines_[c]);
    // A line whose hash differs has at least one differing pixel.
    return equal * span_ + (lines - equal) * static_cast<uint64_t>(span_ - 1);
}

int64_t ShiftSearch::Score(int c, int64_t need) const {
    const int lines = ComparedLines(c);
    if (lines <= 0) return 0;
    const int64_t total = static_cast<int64_t>(lines) * span_;
    const int64_t allowed = total - need;  // mismatches this candidate can afford
    if (allowed < 0) return -1;
    const int pb = current_.pixelBytes;
    int64_t mismatches = 0;
    if (!horizontal_) {
        const size_t rowBytes = current_.RowBytes();
        for (int j = 0; j < lines; ++j) {
            const uint8_t* a = current_.Row(j);
            const uint8_t* b = previous_.Row(c + j);
            if (currentHashes_[j] == previousHashes_[c + j] && std::memcmp(a, b, rowBytes) == 0) continue;
            mismatches += span_ - CountEqualPixels(a, b, span_, pb);
            if (mismatches > allowed) return -1;
        }
    } else {
        // Column pairs, read a row at a time: each row holds one contiguous run of every pair.
        for (int y = 0; y < current_.height; ++y) {
            const uint8_t* a = current_.Row(y);
            const uint8_t* b = previous_.Pixel(c, y);
            if (std::memcmp(a, b, static_cast<size_t>(lines) * pb) == 0) continue;
            mismatches += lines - CountEqualPixels(a, b, lines, pb);
            if (mismatches > allowed) return -1;
        }
    }
    return total - mismatches;
}

int64_t ShiftSearch::ScoreAt(int shift) const {
    if (lines_ == 0 || shift < 0 || shift >= lines_) return 0;
    return std::max<int64_t>(Score(shift, 0), 0);
}

bool ShiftSearch::Seed(ShiftMatch* best) {
    *best = ShiftMatch{};
    if (m_ <= 1) return true;
    // Only the candidates the ranges hold: for some counts they stop short of m.
    std::vector<int> candidates;
    for (const CandidateRange& range : CandidateRanges(m_))
        for (int c = range.first; c < range.first + range.count; ++c)
            if (ComparedLines(c) > 0) candidates.push_back(c);
    int top = -1;
    uint64_t topBound = 0;
    std::vector<uint64_t> bounds(static_cast<size_t>(m_) + 1, 0);
    for (int c : candidates) {
        bounds[c] = UpperBound(c);
        if (top < 0 || bounds[c] > topBound) top = c, topBound = bounds[c];
    }
    const int64_t minimum = std::max(threshold_, floor_ + 1);
    int64_t reach = minimum;  // what any other candidate must reach to matter
    if (top >= 0 && static_cast<int64_t>(topBound) >= minimum) {
        const int64_t score = Score(top, minimum);
        if (score >= minimum) {
            *best = {score, top};
            shared_.store(score, std::memory_order_relaxed);
            reach = score;
        }
    }
    // Done when no other candidate can beat the seed, nor equal it with a smaller shift (the seed
    // is the smallest of those with the highest bound).
    for (int c : candidates) {
        if (c == top) continue;
        const int64_t bound = static_cast<int64_t>(bounds[c]);
        if (bound > reach || (bound == reach && (best->candidate < 0 || c < best->candidate))) return false;
    }
    return true;
}

ShiftMatch ShiftSearch::ScanRange(const CandidateRange& range) {
    ShiftMatch local;
    if (m_ <= 1) return local;
    struct Bounded {
        uint64_t bound;
        int candidate;
    };
    std::vector<Bounded> order;
    order.reserve(static_cast<size_t>(std::max(range.count, 0)));
    for (int c = range.first; c < range.first + range.count; ++c)
        if (ComparedLines(c) > 0) order.push_back({UpperBound(c), c});
    // Likeliest first, so that a good score early rules most of the others out unread.
    std::sort(order.begin(), order.end(), [](const Bounded& a, const Bounded& b) {
        return a.bound != b.bound ? a.bound > b.bound : a.candidate < b.candidate;
    });
    const int64_t minimum = std::max(threshold_, floor_ + 1);
    for (const Bounded& entry : order) {
        const int64_t shared = shared_.load(std::memory_order_relaxed);
        const int64_t bound = static_cast<int64_t>(entry.bound);
        // A score equal to another range's may still win (its candidate may be smaller): only
        // strictly lower scores are ruled out by it. Within the range an equal score wins only
        // for a smaller candidate.
        int64_t need = std::max(minimum, shared);
        if (local.candidate >= 0) need = std::max(need, entry.candidate < local.candidate ? local.score : local.score + 1);
        if (bound < need) {
            if (bound < std::max({minimum, shared, local.score})) break;  // the rest are bounded lower still
            continue;
        }
        const int64_t score = Score(entry.candidate, need);
        if (score < need) continue;
        local = {score, entry.candidate};
        int64_t seen = shared_.load(std::memory_order_relaxed);
        while (seen < score && !shared_.compare_exchange_weak(seen, score, std::memory_order_relaxed)) {
        }
    }
    return local;
}

ShiftMatch ShiftSearch::Combine(const std::vector<ShiftMatch>& results) {
    ShiftMatch best{-1, -1};
    bool first = true;
    for (const ShiftMatch& r : results) {
        if (first || r.score > best.score) best = r;
        first = false;
    }
    return best;
}

int ShiftSearch::Decide(const ShiftMatch& best) const {
    const int64_t compared = static_cast<int64_t>(m_) * span_;
    if (best.candidate < 0 || compared <= 0) return -1;
    return best.score * 100 / compared < kMatchPercent ? -1 : best.candidate;
}

int FindShiftSingleThreaded(const FrameView& previous, const FrameView& current, bool horizontal) {
    ShiftSearch search(previous, current, horizontal);
    std::vector<ShiftMatch> results;
    for (const CandidateRange& range : CandidateRanges(search.CandidateCount())) results.push_back(search.ScanRange(range));
    return results.empty() ? -1 : search.Decide(ShiftSearch::Combine(results));
}

bool StripImage::Start(const FrameView& first) {
    strips_.clear();
    width_ = height_ = 0;
    pixelBytes_ = first.pixelBytes;
    if (first.width <= 0 || first.height <= 0) return false;
    const size_t rowBytes = first.RowBytes();
    const int lines = horizontal_ ? first.width : first.height;
    Strip strip{lines, lines, std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[rowBytes * first.height])};
    if (!strip.pixels) return false;
    for (int y = 0; y < first.height; ++y) std::memcpy(strip.pixels.get() + y * rowBytes, first.Row(y), rowBytes);
    try {
        strips_.push_back(std::move(strip));
    } catch (...) {
        return false;
    }
    width_ = first.width;
    height_ = first.height;
    return true;
}

bool StripImage::Append(const FrameView& frame, int shift, int footer) {
    if (strips_.empty() || shift <= 0 || footer < 0 || frame.pixelBytes != pixelBytes_) return false;
    const int lines = horizontal_ ? frame.width : frame.height;
    const int across = horizontal_ ? frame.height : frame.width;
    int& length = horizontal_ ? width_ : height_;
    if (across != (horizontal_ ? height_ : width_) || shift + footer > lines || footer > length ||
        length > INT_MAX - shift)
        return false;
    // The new lines, then the footer again: it stays at the end of the image.
    const int taken = shift + footer;
    Strip strip{taken, taken, nullptr};
    if (!horizontal_) {
        const size_t rowBytes = frame.RowBytes();
        strip.pixels.reset(new (std::nothrow) uint8_t[rowBytes * taken]);
        if (!strip.pixels) return false;
        for (int y = 0; y < taken; ++y)
            std::memcpy(strip.pixels.get() + y * rowBytes, frame.Row(frame.height - taken + y), rowBytes);
    } else {
        const size_t stripRow = static_cast<size_t>(taken) * pixelBytes_;
        strip.pixels.reset(new (std::nothrow) uint8_t[stripRow * frame.height]);
        if (!strip.pixels) return false;
        for (int y = 0; y < frame.height; ++y)
            std::memcpy(strip.pixels.get() + y * stripRow, frame.Pixel(frame.width - taken, y), stripRow);
    }
    try {
        // Room first, so that trimming the footer is never undone; grown geometrically.
        if (strips_.size() == strips_.capacity()) strips_.reserve(strips_.size() * 2 + 8);
    } catch (...) {
        return false;
    }
    // The footer the image ends with now gives way to the new lines.
    for (int trim = footer; trim > 0;) {
        Strip& last = strips_.back();
        const int cut = std::min(trim, last.lines);
        last.lines -= cut;
        trim -= cut;
        if (last.lines == 0) strips_.pop_back();
    }
    strips_.push_back(std::move(strip));
    length += shift;
    return true;
}

void StripImage::CopyTo(uint8_t* top, ptrdiff_t rowStep) const {
    if (!horizontal_) {
        const size_t rowBytes = static_cast<size_t>(width_) * pixelBytes_;
        int y = 0;
        for (const Strip& strip : strips_)
            for (int r = 0; r < strip.lines; ++r, ++y)
                std::memcpy(top + y * rowStep, strip.pixels.get() + r * rowBytes, rowBytes);
        return;
    }
    for (int y = 0; y < height_; ++y) {
        uint8_t* out = top + y * rowStep;
        for (const Strip& strip : strips_) {
            const size_t bytes = static_cast<size_t>(strip.lines) * pixelBytes_;
            std::memcpy(out, strip.pixels.get() + y * static_cast<size_t>(strip.stride) * pixelBytes_, bytes);
            out += bytes;
        }
    }
}
