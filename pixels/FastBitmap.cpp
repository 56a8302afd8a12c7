#include "pixels/FastBitmap.h"

#include <algorithm>

using Gdiplus::ARGB;

namespace {

ARGB MakeArgb(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | ARGB(b);
}

BYTE Channel(ARGB color, int shift) { return static_cast<BYTE>((color >> shift) & 0xFF); }

}  // namespace

std::unique_ptr<FastBitmap> FastBitmap::Create(Gdiplus::Bitmap* bitmap, Gdiplus::Rect area) {
    if (!bitmap) return nullptr;
    switch (bitmap->GetPixelFormat()) {
    case PixelFormat8bppIndexed:
        return std::make_unique<FastBitmapWithClip<FastChunkyBitmap>>(bitmap, area);
    case PixelFormat24bppRGB:
        return std::make_unique<FastBitmapWithClip<Fast24RgbBitmap>>(bitmap, area);
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
        return std::make_unique<FastBitmapWithClip<Fast32RgbBitmap>>(bitmap, area);
    default:
        return nullptr;
    }
}

FastBitmap::FastBitmap(Gdiplus::Bitmap* bitmap, Gdiplus::Rect area) : bitmap_(bitmap) {
    const int width = static_cast<int>(bitmap_->GetWidth());
    const int height = static_cast<int>(bitmap_->GetHeight());
    if (area.Width > 0 && area.Height > 0) {
        const int x = std::max(area.X, 0), y = std::max(area.Y, 0);
        area = Gdiplus::Rect(x, y, std::min(area.X + area.Width, width) - x, std::min(area.Y + area.Height, height) - y);
        // An area beside the bitmap locks nothing rather than falling back to the whole bitmap.
        if (area.Width <= 0 || area.Height <= 0) area.Width = area.Height = 0;
    } else {
        area = Gdiplus::Rect(0, 0, width, height);
    }
    area_ = area;
    left_ = area_.X;
    top_ = area_.Y;
    Lock();
}

FastBitmap::~FastBitmap() = default;  // the lock member unlocks; the bitmap is borrowed

void FastBitmap::Lock() {
    if (Width() < 1 || Height() < 1 || lock_) return;
    // Read and write: pixels written into the buffer reach the image when it is unlocked.
    lock_.emplace(bitmap_, area_, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                  bitmap_->GetPixelFormat());
    if (!lock_->ok()) {
        lock_.reset();
        return;
    }
    stride_ = lock_->data().Stride;
    pointer_ = lock_->scan0();
}

void FastBitmap::Unlock() {
    lock_.reset();
    pointer_ = nullptr;
}

Gdiplus::Bitmap* FastBitmap::UnlockAndDetach() {
    Unlock();
    ownsBitmap_ = false;
    return bitmap_;
}

Gdiplus::Size FastBitmap::Size() const { return Gdiplus::Size(area_.Width, area_.Height); }
int FastBitmap::Height() const { return area_.Height; }
int FastBitmap::Width() const { return area_.Width; }
int FastBitmap::Top() const { return top_; }
int FastBitmap::Left() const { return left_; }
int FastBitmap::Right() const { return Left() + Width(); }
int FastBitmap::Bottom() const { return Top() + Height(); }
bool FastBitmap::OwnsBitmap() const { return ownsBitmap_; }
void FastBitmap::SetOwnsBitmap(bool owns) { ownsBitmap_ = owns; }
bool FastBitmap::HasAlphaChannel() const { return false; }

void FastBitmap::DrawTo(Gdiplus::Graphics* graphics, const Gdiplus::Rect& destination) {
    Unlock();
    if (!graphics) return;
    graphics->DrawImage(bitmap_, destination, area_.X, area_.Y, area_.Width, area_.Height, Gdiplus::UnitPixel);
}

void FastBitmap::DrawTo(Gdiplus::Graphics* graphics, const Gdiplus::Point& destination) {
    DrawTo(graphics, Gdiplus::Rect(destination.X, destination.Y, area_.Width, area_.Height));
}

bool FastBitmap::Contains(int x, int y) const { return InArea(x, y); }

bool FastBitmap::InArea(int x, int y) const { return x >= 0 && x < area_.Width && y >= 0 && y < area_.Height; }

void FastBitmap::SetResolution(float horizontal, float vertical) { bitmap_->SetResolution(horizontal, vertical); }

BYTE* FastBitmap::PixelAddress(int x, int y, int bytesPerPixel) const {
    // A stray coordinate must not reach memory outside the locked buffer. Bottom-up buffers have a
    // negative stride, so rows may lie below the first one.
    if (!pointer_ || !InArea(x, y)) return nullptr;
    return pointer_ + static_cast<ptrdiff_t>(y) * stride_ + static_cast<ptrdiff_t>(x) * bytesPerPixel;
}

// --- 8 bits per pixel, indexed -------------------------------------------------------------------

FastChunkyBitmap::FastChunkyBitmap(Gdiplus::Bitmap* bitmap, Gdiplus::Rect area) : FastBitmap(bitmap, area) {
    const INT size = bitmap_->GetPaletteSize();
    if (size >= static_cast<INT>(sizeof(Gdiplus::ColorPalette))) {
        palette_.resize(static_cast<size_t>(size));
        if (bitmap_->GetPalette(reinterpret_cast<Gdiplus::ColorPalette*>(palette_.data()), size) != Gdiplus::Ok)
            palette_.clear();
    }
}

UINT FastChunkyBitmap::PaletteCount() const {
    if (palette_.empty()) return 0;
    const auto* palette = reinterpret_cast<const Gdiplus::ColorPalette*>(palette_.data());
    // Never trust the count beyond the bytes actually copied.
    const size_t room = (palette_.size() - offsetof(Gdiplus::ColorPalette, Entries)) / sizeof(ARGB);
    return static_cast<UINT>(std::min<size_t>(palette->Count, room));
}

const ARGB* FastChunkyBitmap::PaletteEntries() const {
    return reinterpret_cast<const Gdiplus::ColorPalette*>(palette_.data())->Entries;
}

void FastChunkyBitmap::ReadPixel(int, int, BYTE*) {}

ARGB FastChunkyBitmap::ReadPixel(int x, int y) {
    BYTE* const p = PixelAddress(x, y, 1);
    if (!p) return 0;
    const BYTE index = p[0];
    return index < PaletteCount() ? PaletteEntries()[index] : 0;
}

void FastChunkyBitmap::WritePixel(int, int, const BYTE*) {}

void FastChunkyBitmap::WritePixel(int x, int y, ARGB color) {
    BYTE* const p = PixelAddress(x, y, 1);
    if (!p) return;
    const auto cached = colorCache_.find(color);
    if (cached != colorCache_.end()) {
        p[0] = cached->second;
        return;
    }
    const UINT count = std::min<UINT>(PaletteCount(), 256);
    const ARGB* entries = PaletteEntries();
    for (UINT i = 0; i < count; ++i) {
        if (entries[i] == color) {
            colorCache_.emplace(color, static_cast<BYTE>(i));
            p[0] = static_cast<BYTE>(i);
            return;
        }
    }
    // Not in the palette: the pixel keeps its colour.
}

// --- 24 bits per pixel ---------------------------------------------------------------------------

void Fast24RgbBitmap::ReadPixel(int x, int y, BYTE* color) {
    BYTE* const p = PixelAddress(x, y, 3);
    if (!p) return;
    color[redByte_] = p[redByte_];
    color[greenByte_] = p[greenByte_];
    color[blueByte_] = p[blueByte_];
}

ARGB Fast24RgbBitmap::ReadPixel(int x, int y) {
    BYTE* const p = PixelAddress(x, y, 3);
    if (!p) return 0;
    return MakeArgb(255, p[redByte_], p[greenByte_], p[blueByte_]);
}

void Fast24RgbBitmap::WritePixel(int x, int y, const BYTE* color) {
    BYTE* const p = PixelAddress(x, y, 3);
    if (!p) return;
    p[redByte_] = color[redByte_];
    p[greenByte_] = color[greenByte_];
    p[blueByte_] = color[blueByte_];
}

void Fast24RgbBitmap::WritePixel(int x, int y, ARGB color) {
    BYTE* const p = PixelAddress(x, y, 3);
    if (!p) return;
    p[redByte_] = Channel(color, 16);
    p[greenByte_] = Channel(color, 8);
    p[blueByte_] = Channel(color, 0);
}

// --- 32 bits per pixel ---------------------------------------------------------------------------

void Fast32RgbBitmap::ReadPixel(int x, int y, BYTE* color) {
    BYTE* const p = PixelAddress(x, y, 4);
    if (!p) return;
    color[redSlot_] = p[redByte_];
    color[greenSlot_] = p[greenByte_];
    color[blueSlot_] = p[blueByte_];
}

ARGB Fast32RgbBitmap::ReadPixel(int x, int y) {
    BYTE* const p = PixelAddress(x, y, 4);
    if (!p) return 0;
    // The stored alpha is not read: callers compare colours, not coverage.
    return MakeArgb(255, p[redByte_], p[greenByte_], p[blueByte_]);
}

void Fast32RgbBitmap::WritePixel(int x, int y, const BYTE* color) {
    BYTE* const p = PixelAddress(x, y, 4);
    if (!p) return;
    p[redByte_] = color[redSlot_];
    p[greenByte_] = color[greenSlot_];
    p[blueByte_] = color[blueSlot_];
}

void Fast32RgbBitmap::WritePixel(int x, int y, ARGB color) {
    BYTE* const p = PixelAddress(x, y, 4);
    if (!p) return;
    // The pixel's alpha stays: clearing a corner whitens it without changing its coverage.
    p[redByte_] = Channel(color, 16);
    p[greenByte_] = Channel(color, 8);
    p[blueByte_] = Channel(color, 0);
}
