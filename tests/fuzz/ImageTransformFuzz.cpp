// libFuzzer target: every entry point of the transform library (include/QelImageTransform.h) that needs no
// device, driven from the input, and held to the textbook rules of DibRules.h. Of the two entry points that
// need GDI, ConvertDDBToDIB and the region form of Fill32DIBOpacityArea, the pure parts run here: the DIB
// planning every conversion shares, and FillAlpha over a list of rectangles as a region gives them.
//
// Input: a Control block (below), then the bytes of a packed DIB. The library gets no block size, so the
// block it is given is exactly as long as the header promises by the textbook rule (bytes past the input
// are filled in), or just the input when the header is one it must refuse: a read or write past either
// is AddressSanitizer's to catch. Sizes stay small (kMaxBlock, kMaxPixels) so that each run is quick.
#include <windows.h>

#include <QelImageTransform.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "DibOps.h"  // FillAlpha: the rectangles of the region form
#include "DibRules.h"

using namespace QelImageTransform;

namespace {

constexpr uint64_t kMaxBlock = 32 << 10;
constexpr uint64_t kMaxPixels = 1 << 12;

#pragma pack(push, 1)
struct Control {
    uint8_t alpha;
    uint8_t keepSourceAlpha;
    uint8_t flags;      // bit 0: a top-down given target as well
    uint8_t fill;       // the byte pattern past the input
    int32_t area[4];    // the alpha fill's rectangle: left, top, right, bottom
    int32_t sourceOrigin[2];
    int32_t targetOrigin[2];
    uint8_t otherWidth;   // the other DIB of the block copies, 1 + value % 48
    uint8_t otherHeight;
    uint8_t spans[2];     // a span for KeepOnlySpans: first, last
    int32_t create[4];    // CreateDibImage: width, height, bits per pixel, colours used
};
#pragma pack(pop)
static_assert(sizeof(Control) == 56, "the corpus program writes this layout");

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "ImageTransformFuzz: %s\n", what);
    std::abort();
}
void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

using Block = std::vector<uint8_t>;
BITMAPINFOHEADER* Dib(Block& b) { return reinterpret_cast<BITMAPINFOHEADER*>(b.data()); }
const uint8_t* Bytes(const BITMAPINFOHEADER* dib) { return reinterpret_cast<const uint8_t*>(dib); }

struct Owned {
    explicit Owned(BITMAPINFOHEADER* d) : dib(d) {}
    ~Owned() { ReleaseDIB(dib); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    BITMAPINFOHEADER* dib;
};

// The block a made DIB occupies, by the textbook rule.
Block Copy(const BITMAPINFOHEADER* dib) {
    const dibrules::Layout l = dibrules::Read(*dib);
    Check(l.valid, "the library made a DIB its own rules refuse");
    return Block(Bytes(dib), Bytes(dib) + l.total);
}

void SetStored(uint8_t* block, const dibrules::Layout& l, int x, int y, uint32_t v) {
    uint8_t* row = const_cast<uint8_t*>(dibrules::Row(block, l, y));
    if (l.bits < 8) {
        const int bit = x * l.bits, shift = 8 - l.bits - bit % 8;
        const unsigned mask = ((1u << l.bits) - 1) << shift;
        row[bit / 8] = static_cast<uint8_t>((row[bit / 8] & ~mask) | ((v << shift) & mask));
        return;
    }
    std::memcpy(row + static_cast<size_t>(x) * (l.bits / 8), &v, static_cast<size_t>(l.bits / 8));
}

// CreateDibImage and CreateBlank32BitsDIB with the input's numbers: made exactly when the rules allow,
// zeroed, with a grey ramp at 8 bits or less.
void CheckCreate(const Control& c) {
    const int w = c.create[0], h = c.create[1], bits = c.create[2], colours = c.create[3];
    BITMAPINFOHEADER want{40, w, h, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, colours > 0 ? static_cast<DWORD>(colours) : 0, 0};
    const dibrules::Layout l = dibrules::Read(want);
    const bool allowed = l.valid && h > 0 && colours >= 0 && bits == want.biBitCount && (bits <= 8 || colours == 0);
    if (allowed && l.total > kMaxBlock) return;  // too large to be quick; large refusals still run
    Owned made(CBitmapCreator::CreateDibImage(w, h, bits, colours));
    Check((made.dib != nullptr) == allowed, "CreateDibImage made what the rules refuse, or refused what they allow");
    if (made.dib) {
        const BITMAPINFOHEADER& m = *made.dib;
        Check(m.biSize == 40 && m.biWidth == w && m.biHeight == h && m.biPlanes == 1 && m.biBitCount == bits &&
                  m.biCompression == BI_RGB && m.biSizeImage == l.total - l.bitsOffset && m.biClrUsed == l.table,
              "CreateDibImage header");
        Check(DibBitsOffset(made.dib) == l.bitsOffset, "DibBitsOffset of a made DIB");
        const uint8_t* b = Bytes(made.dib);
        for (unsigned i = 0; i < l.table; ++i) {
            const uint8_t grey = static_cast<uint8_t>(l.table > 1 ? i * 255 / (l.table - 1) : 0);
            const uint8_t entry[4] = {grey, grey, grey, 0};
            Check(std::memcmp(b + l.tableOffset + 4 * i, entry, 4) == 0, "CreateDibImage grey ramp");
        }
        Check(std::all_of(b + l.bitsOffset, b + l.total, [](uint8_t v) { return v == 0; }), "CreateDibImage zeroed");
    }
    BITMAPINFOHEADER blank{40, w, h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const dibrules::Layout lb = dibrules::Read(blank);
    const bool blankAllowed = lb.valid && h > 0;
    if (blankAllowed && lb.total > kMaxBlock) return;
    Owned made32(CDIB32::CreateBlank32BitsDIB(w, h));
    Check((made32.dib != nullptr) == blankAllowed, "CreateBlank32BitsDIB");
    if (made32.dib) Check(DibBitsOffset(made32.dib) == 40 && made32.dib->biClrUsed == 0, "CreateBlank32BitsDIB layout");
}

// A header the library must refuse: every operation says so and leaves every block as it was.
void CheckRefused(Block& block, const Control& c) {
    const Block before = block;
    BITMAPINFOHEADER* dib = Dib(block);
    Check(DibBitsOffset(dib) == 0, "DibBitsOffset of a refused header");
    Check(CDIB32::ConvertTo32BitsDIB(dib, nullptr, c.alpha, c.keepSourceAlpha) == nullptr, "converted a refused header");
    Owned valid(CDIB32::CreateBlank32BitsDIB(5, 4));
    Check(valid.dib != nullptr, "CreateBlank32BitsDIB(5, 4)");
    const Block validBefore = Copy(valid.dib);
    Check(CDIB32::ConvertTo32BitsDIB(valid.dib, dib, c.alpha, c.keepSourceAlpha) == nullptr, "converted into a refused header");
    const RECT area{c.area[0], c.area[1], c.area[2], c.area[3]};
    Check(!CDIB32::Fill32DIBOpacityArea(dib, area, c.alpha), "filled the alpha of a refused header");
    const POINT from{c.sourceOrigin[0], c.sourceOrigin[1]}, to{c.targetOrigin[0], c.targetOrigin[1]};
    Check(!CDIB32::TransformBlock(dib, from, valid.dib, to), "copied into a refused header");
    Check(!CDIB32::TransformBlock(valid.dib, from, dib, to), "copied from a refused header");
    Check(!CDIB32::TransformBlock(dib, from, dib, to), "copied within a refused header");
    Check(block == before && Copy(valid.dib) == validBefore, "a refused operation changed a block");
}

// The colour the library must give pixel (x, y) at 32 bits, alpha aside; false when the textbook rule here
// does not cover the format (masks other than the implied ones).
bool ExpectedColour(const uint8_t* b, const dibrules::Layout& l, int x, int y, uint32_t* colour) {
    const uint32_t p = dibrules::StoredPixel(b, l, x, y);
    const bool fields = dibrules::Header(b).biCompression == BI_BITFIELDS;
    switch (l.bits) {
        case 1: case 4: case 8: *colour = dibrules::TableColour(b, l, p); return true;
        case 24: *colour = p; return true;
        case 32: *colour = p & 0xFFFFFF; return !fields;
        case 16:
            if (fields) return false;
            {
                const auto widen = [](uint32_t v) { return (v << 3) | (v >> 2); };  // 5 bits to 8
                *colour = widen((p >> 10) & 31) << 16 | widen((p >> 5) & 31) << 8 | widen(p & 31);
            }
            return true;
        default: return false;
    }
}

// The library's conversion of every pixel, top row first.
std::vector<uint32_t> Pixels32(const BITMAPINFOHEADER* dib) {
    const dibrules::Layout l = dibrules::Read(*dib);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < l.rows; ++y)
        for (int x = 0; x < l.width; ++x) pixels.push_back(dibrules::StoredPixel(Bytes(dib), l, x, y));
    return pixels;
}

void CheckConversion(Block& source, const dibrules::Layout& l, const Control& c) {
    const uint8_t* s = source.data();
    const BITMAPINFOHEADER& h = dibrules::Header(s);
    const Block before = source;
    Owned converted(CDIB32::ConvertTo32BitsDIB(Dib(source), nullptr, c.alpha, c.keepSourceAlpha));
    Check(converted.dib != nullptr, "refused to convert a valid DIB");
    Check(source == before, "the conversion changed its source");
    const BITMAPINFOHEADER& m = *converted.dib;
    Check(m.biSize == 40 && m.biWidth == l.width && m.biHeight == l.rows && m.biBitCount == 32 && m.biCompression == BI_RGB,
          "converted header");
    const std::vector<uint32_t> got = Pixels32(converted.dib);
    const bool keep = c.keepSourceAlpha && l.bits == 32 && h.biCompression == BI_RGB;
    for (int y = 0; y < l.rows; ++y)
        for (int x = 0; x < l.width; ++x) {
            const uint32_t p = got[static_cast<size_t>(y) * l.width + x];
            if (keep) {
                Check(p == dibrules::StoredPixel(s, l, x, y), "a kept alpha");
                continue;
            }
            Check(p >> 24 == c.alpha, "the alpha asked for");
            uint32_t colour;
            if (ExpectedColour(s, l, x, y, &colour)) Check((p & 0xFFFFFF) == colour, "a converted colour");
        }
    // Into a given bottom-up target: the same block.
    Owned given(CDIB32::CreateBlank32BitsDIB(l.width, l.rows));
    Check(given.dib != nullptr, "CreateBlank32BitsDIB of the source's size");
    Check(CDIB32::ConvertTo32BitsDIB(Dib(source), given.dib, c.alpha, c.keepSourceAlpha) == given.dib, "refused a given target");
    Check(Copy(given.dib) == Copy(converted.dib), "a given target differs from a new one");
    // A target of another size or depth is refused and left as it was.
    Owned wider(CDIB32::CreateBlank32BitsDIB(l.width + 1, l.rows)), shallower(CBitmapCreator::CreateDibImage(l.width, l.rows, 24, 0));
    for (BITMAPINFOHEADER* wrong : {wider.dib, shallower.dib}) {
        const Block unconverted = Copy(wrong);
        Check(!CDIB32::ConvertTo32BitsDIB(Dib(source), wrong, c.alpha, c.keepSourceAlpha) && Copy(wrong) == unconverted,
              "converted into a target of another size or depth");
    }
    // Into a top-down target (and its header kept): the same pixels.
    if (c.flags & 1) {
        Block topDown(40 + static_cast<size_t>(l.width) * 4 * l.rows, 0xEE);
        const BITMAPINFOHEADER th{40, l.width, -l.rows, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::memcpy(topDown.data(), &th, sizeof(th));
        Check(CDIB32::ConvertTo32BitsDIB(Dib(source), Dib(topDown), c.alpha, c.keepSourceAlpha) == Dib(topDown),
              "refused a top-down target");
        Check(Pixels32(Dib(topDown)) == got && std::memcmp(topDown.data(), &th, sizeof(th)) == 0, "a top-down target");
    }
    // In place, when the source can be its own target.
    if (l.bits == 32 && h.biCompression == BI_RGB) {
        Block self = source;
        Check(CDIB32::ConvertTo32BitsDIB(Dib(self), Dib(self), c.alpha, c.keepSourceAlpha) == Dib(self), "refused in place");
        Check(Pixels32(Dib(self)) == got, "converted in place");
        Check(std::equal(self.begin(), self.begin() + static_cast<ptrdiff_t>(l.bitsOffset), source.begin()),
              "in place changed more than pixels");
    }

}

void CheckAlphaFill(const Block& source, const dibrules::Layout& l, const Control& c) {
    Block dib = source;
    const RECT area{c.area[0], c.area[1], c.area[2], c.area[3]};
    DWORD masks[3];
    dibrules::Masks(source.data(), l, masks);
    const bool alphaFree = l.bits == 32 && ((masks[0] | masks[1] | masks[2]) & 0xFF000000u) == 0;
    const bool ok = CDIB32::Fill32DIBOpacityArea(Dib(dib), area, c.alpha);
    Check(ok == alphaFree, "Fill32DIBOpacityArea accepts exactly 32-bit DIBs with a free top byte");
    Block want = source;
    const auto fill = [&](const RECT& r, uint8_t alpha) {
        for (int y = std::max(r.top, 0); y < std::min<LONG>(r.bottom, l.rows); ++y)
            for (int x = std::max(r.left, 0); x < std::min<LONG>(r.right, l.width); ++x)
                SetStored(want.data(), l, x, y, (dibrules::StoredPixel(want.data(), l, x, y) & 0xFFFFFF) | uint32_t{alpha} << 24);
    };
    if (ok) fill(area, c.alpha);
    Check(dib == want, "the alpha fill changed what it should not, or missed a pixel");
    // The region form's pure part: its rectangles one after another (a GDI region's, natively none).
    const auto plus = [](LONG v, int d) { return static_cast<LONG>(static_cast<uint32_t>(v) + static_cast<uint32_t>(d)); };
    const RECT rects[3] = {area, {plus(area.right, -5), plus(area.top, 1), plus(area.left, 7), area.bottom},
                           {c.area[1], c.area[0], c.area[3], c.area[2]}};
    const uint8_t alpha = static_cast<uint8_t>(c.alpha ^ 0x5A);
    Check(FillAlpha(Dib(dib), rects, 3, alpha) == alphaFree, "FillAlpha of a rectangle list");
    if (alphaFree)
        for (const RECT& r : rects) fill(r, alpha);
    Check(dib == want, "the alpha fill of a rectangle list");
}

// One block copy against the plain rule: target pixel (x, y) reads source pixel (x, y) + (source origin -
// target origin) when that lies in the source and (x, y) is at or past the target origin.
void CheckCopy(Block& target, const Block& sourceBefore, BITMAPINFOHEADER* source, POINT from, POINT to) {
    const Block targetBefore = target;
    Check(CDIB32::TransformBlock(Dib(target), from, source, to), "refused a copy between DIBs of one depth");
    const dibrules::Layout lt = dibrules::Read(dibrules::Header(target.data()));
    const dibrules::Layout ls = dibrules::Read(dibrules::Header(sourceBefore.data()));
    Block want = targetBefore;
    const int64_t dx = int64_t{from.x} - to.x, dy = int64_t{from.y} - to.y;
    const int64_t y0 = std::max<int64_t>({to.y, 0, -dy}), y1 = std::min<int64_t>(lt.rows, ls.rows - dy);
    const int64_t x0 = std::max<int64_t>({to.x, 0, -dx}), x1 = std::min<int64_t>(lt.width, ls.width - dx);
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x)
            SetStored(want.data(), lt, static_cast<int>(x), static_cast<int>(y),
                      dibrules::StoredPixel(sourceBefore.data(), ls, static_cast<int>(x + dx), static_cast<int>(y + dy)));
    Check(target == want, "TransformBlock differs from the plain rule");
}

void CheckBlockCopies(const Block& source, const dibrules::Layout& l, const Control& c) {
    const POINT from{c.sourceOrigin[0], c.sourceOrigin[1]}, to{c.targetOrigin[0], c.targetOrigin[1]};
    Owned made(CBitmapCreator::CreateDibImage(1 + c.otherWidth % 48, 1 + c.otherHeight % 48, l.bits, 0));
    Check(made.dib != nullptr, "CreateDibImage of a small DIB");
    Block other = Copy(made.dib);
    const dibrules::Layout lo = dibrules::Read(dibrules::Header(other.data()));
    for (uint64_t i = lo.bitsOffset; i < lo.total; ++i) other[i] = static_cast<uint8_t>(i * 167 + c.fill);
    // From the input's DIB into another, from another into it, and within it.
    Block copy = source;
    CheckCopy(other, copy, Dib(copy), from, to);
    Check(copy == source, "a copy changed its source");
    const Block otherBefore = other;
    CheckCopy(copy, otherBefore, Dib(other), from, to);
    copy = source;
    CheckCopy(copy, source, Dib(copy), from, to);
    // A depth the target does not have is refused.
    Owned deeper(CBitmapCreator::CreateDibImage(3, 3, l.bits == 32 ? 24 : 32, 0));
    copy = source;
    Check(!CDIB32::TransformBlock(Dib(copy), from, deeper.dib, to) && copy == source, "copied across depths");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Control c{};
    std::memcpy(&c, data, std::min(size, sizeof(c)));
    ReleaseDIB(nullptr);
    CheckCreate(c);
    if (size <= sizeof(c)) return 0;
    const uint8_t* bytes = data + sizeof(c);
    const size_t count = size - sizeof(c);

    BITMAPINFOHEADER h{};
    std::memcpy(&h, bytes, std::min(count, sizeof(h)));
    const dibrules::Layout l = dibrules::Read(h);
    if (!l.valid) {
        Block block(std::max(count, sizeof(h)), 0);
        std::memcpy(block.data(), bytes, count);
        CheckRefused(block, c);
        return 0;
    }
    if (l.total > kMaxBlock || static_cast<uint64_t>(l.width) * l.rows > kMaxPixels) return 0;
    Block block(l.total);
    for (size_t i = 0; i < block.size(); ++i) block[i] = i < count ? bytes[i] : static_cast<uint8_t>(i * 31 + c.fill);
    std::memcpy(block.data(), &h, sizeof(h));  // a short input's header is the zero-padded one read above
    Check(DibBitsOffset(Dib(block)) == l.bitsOffset, "DibBitsOffset differs from the textbook rule");
    CheckConversion(block, l, c);
    CheckAlphaFill(block, l, c);
    CheckBlockCopies(block, l, c);
    return 0;
}
