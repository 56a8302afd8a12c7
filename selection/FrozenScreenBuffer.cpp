#include "selection/FrozenScreenBuffer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "GdiplusHandles.h"
#include "pixels/PixelRows.h"

namespace {

// A top-down 32-bit DIB section; bits receives its pixels.
HBITMAP TopDownSection(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// The update region of the window as rectangles; empty when it cannot be read.
std::vector<RECT> RegionRectangles(HRGN region) {
    std::vector<RECT> rects;
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    std::vector<BYTE> data(size);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (size && ::GetRegionData(region, size, header) == size) {
        const RECT* first = reinterpret_cast<const RECT*>(header->Buffer);
        rects.assign(first, first + header->rdh.nCount);
    }
    return rects;
}

// The pixels of one rectangle of the frozen image, locked for reading and handed out a row at a time as
// they show on the screen. The image is read in its own layout where that is one GDI shows as it is
// (GDI+ then hands out its pixels without converting them); screen copies with parts off every monitor
// are 32-bit ARGB and are laid over black here, as drawing them would.
class FrozenRows {
public:
    FrozenRows(Gdiplus::Bitmap* frozen, const RECT& r)
        : native_(frozen->GetPixelFormat()),
          straight_(native_ == PixelFormat32bppARGB),
          rgb24_(native_ == PixelFormat24bppRGB),
          r_(r),
          lock_(frozen, Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top), Gdiplus::ImageLockModeRead,
                straight_ || rgb24_ || native_ == PixelFormat32bppRGB ? native_ : PixelFormat32bppPARGB) {}
    bool ok() const { return lock_.ok(); }
    // Row y (image coordinates) into to, the rectangle's width of pixels.
    void Convert(LONG y, DWORD* to) const {
        const int w = r_.right - r_.left;
        const BYTE* from = lock_.scan0() + static_cast<ptrdiff_t>(y - r_.top) * lock_.data().Stride;
        if (rgb24_) {
            PixelRows::OpaqueFromBgr24(from, reinterpret_cast<uint32_t*>(to), w);
        } else if (straight_) {
            PixelRows::OverBlack(from, reinterpret_cast<uint32_t*>(to), w);
        } else {
            std::memcpy(to, from, static_cast<size_t>(w) * 4);
        }
    }

private:
    const Gdiplus::PixelFormat native_;
    const bool straight_, rgb24_;
    const RECT r_;
    qel::BitmapBitsLock lock_;
};

RECT ImageRect(Gdiplus::Bitmap* bitmap) {
    return RECT{0, 0, static_cast<LONG>(bitmap->GetWidth()), static_cast<LONG>(bitmap->GetHeight())};
}

}  // namespace

bool FrozenScreenBuffer::Prepare(Gdiplus::Image* frozen) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(frozen);
    if (!bitmap) return false;
    const int width = static_cast<int>(bitmap->GetWidth()), height = static_cast<int>(bitmap->GetHeight());
    if (width <= 0 || height <= 0) return false;
    void* bits = nullptr;
    qel::UniqueHbitmap buffer(TopDownSection(width, height, &bits));
    qel::UniqueHdc bufferDc(::CreateCompatibleDC(nullptr));
    if (!buffer || !bufferDc) return false;
    // Selected for the buffer's life.
    ::SelectObject(bufferDc.get(), buffer.get());
    dc_.reset();
    bitmap_ = std::move(buffer);
    dc_ = std::move(bufferDc);
    bits_ = static_cast<DWORD*>(bits);
    size_ = SIZE{width, height};
    const RECT all{0, 0, width, height};
    clean_ = Restore(frozen, &all, 1);
    return clean_;
}

bool FrozenScreenBuffer::BeforePaint(Gdiplus::Image* frozen, bool wholeWindow) {
    if (!deferred_ || dc_) return false;
    if (wholeWindow) return true;
    // The window keeps what the earlier paints drew wherever this paint does not repaint: the buffer only
    // supplies what is repainted, over the frozen screen it then holds.
    Prepare(frozen);
    return false;
}

bool FrozenScreenBuffer::Restore(Gdiplus::Image* frozen, const RECT* rects, size_t count) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(frozen);
    if (!bitmap || !bits_) return false;
    RECT image = ImageRect(bitmap);
    image.right = std::min(image.right, size_.cx);
    image.bottom = std::min(image.bottom, size_.cy);
    ::GdiFlush();  // GDI may still be drawing into the buffer
    bool complete = true;
    for (size_t i = 0; i < count; ++i) {
        RECT r;
        if (!::IntersectRect(&r, &rects[i], &image)) continue;
        const FrozenRows rows(bitmap, r);
        if (!rows.ok()) {
            complete = false;
            continue;
        }
        for (LONG y = r.top; y < r.bottom; ++y) rows.Convert(y, bits_ + static_cast<size_t>(y) * size_.cx + r.left);
    }
    return complete;
}

namespace {

// Read before BeginPaint validates it: it clips the drawing, since a few thin strips can have a
// screen-sized bounding box.
bool ReadUpdateRegion(HWND wnd, qel::UniqueHrgn& update) {
    update.reset(::CreateRectRgn(0, 0, 0, 0));
    return update && ::GetUpdateRgn(wnd, update.get(), FALSE) > NULLREGION;
}

}  // namespace

OverlayFrame::OverlayFrame(CWnd* wnd, FrozenScreenBuffer& buffer, Gdiplus::Image* frozen)
    : clipToUpdate_(ReadUpdateRegion(wnd->GetSafeHwnd(), update_)), paint_(wnd) {
    if (::GetClipBox(paint_.GetSafeHdc(), &clip_) == ERROR) return;
    const int width = clip_.right - clip_.left, height = clip_.bottom - clip_.top;
    if (width <= 0 || height <= 0) return;
    if (clipToUpdate_) rects_ = RegionRectangles(update_.get());
    if (rects_.empty()) rects_.push_back(clip_);
    RECT client{};
    ::GetClientRect(wnd->GetSafeHwnd(), &client);
    const bool direct = buffer.BeforePaint(frozen, rects_.size() == 1 && ::EqualRect(&rects_[0], &client));
    target_ = buffer.dc();
    pixels_ = buffer.Pixels();
    if (direct) {
        // Drawn into the window as it is: the paint's clip is the update region already.
        if (DrawFrozenDirect(frozen)) {
            target_ = paint_.GetSafeHdc();
            direct_ = true;
            clipToUpdate_ = false;
            pixels_ = OutlineRaster::Target{nullptr, 0, clip_};
            return;
        }
        buffer.Prepare(frozen);
        target_ = buffer.dc();
        pixels_ = buffer.Pixels();
    }
    if (!target_) {
        void* bits = nullptr;
        scratchDc_.reset(::CreateCompatibleDC(paint_.GetSafeHdc()));
        scratch_.reset(TopDownSection(width, height, &bits));
        if (!scratchDc_ || !scratch_) return;
        previousScratch_ = ::SelectObject(scratchDc_.get(), scratch_.get());
        target_ = scratchDc_.get();
        origin_ = POINT{clip_.left, clip_.top};
        pixels_ = OutlineRaster::Target{static_cast<uint32_t*>(bits), width, clip_};
    }
    if (clipToUpdate_) {
        ::OffsetRgn(update_.get(), -origin_.x, -origin_.y);
        ::SelectClipRgn(target_, update_.get());
    }
    DrawBackground(buffer, frozen);
}

OverlayFrame::~OverlayFrame() {
    if (target_ && !direct_) ::SelectClipRgn(target_, nullptr);
    if (previousScratch_) ::SelectObject(scratchDc_.get(), previousScratch_);
}

bool OverlayFrame::DrawFrozenDirect(Gdiplus::Image* frozen) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(frozen);
    if (!bitmap) return false;
    const HDC dc = paint_.GetSafeHdc();
    const RECT image = ImageRect(bitmap);
    // A band of rows at a time through a small buffer that stays in the cache: converting the whole image
    // first would cost a screen-sized buffer, new memory that takes longer to touch than to fill.
    constexpr size_t kBandBytes = 256 * 1024;
    std::vector<DWORD> band;
    for (const RECT& rect : rects_) {
        RECT r;
        if (!::IntersectRect(&r, &rect, &image) || !::EqualRect(&r, &rect))
            ::PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, BLACKNESS);
        if (::IsRectEmpty(&r)) continue;
        const FrozenRows rows(bitmap, r);
        if (!rows.ok()) return false;
        const int w = r.right - r.left;
        const int bandRows = static_cast<int>(std::max<size_t>(1, kBandBytes / 4 / static_cast<size_t>(w)));
        band.resize(static_cast<size_t>(w) * static_cast<size_t>(std::min<LONG>(bandRows, r.bottom - r.top)));
        for (LONG top = r.top; top < r.bottom; top += bandRows) {
            const int n = static_cast<int>(std::min<LONG>(bandRows, r.bottom - top));
            for (int i = 0; i < n; ++i) rows.Convert(top + i, band.data() + static_cast<size_t>(i) * w);
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -n, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            ::SetDIBitsToDevice(dc, r.left, top, static_cast<DWORD>(w), static_cast<DWORD>(n), 0, 0, 0,
                                static_cast<UINT>(n), band.data(), &info, DIB_RGB_COLORS);
        }
    }
    return true;
}

void OverlayFrame::DrawBackground(FrozenScreenBuffer& buffer, Gdiplus::Image* frozen) {
    const bool intoBuffer = target_ == buffer.dc();
    bool background = intoBuffer && buffer.IsClean();
    if (intoBuffer && !buffer.IsClean()) {
        // The frozen screen goes back under what was invalidated, rectangle by rectangle.
        background = buffer.Restore(frozen, rects_.data(), rects_.size());
    }
    if (intoBuffer) buffer.MarkDrawn();
    if (!background && frozen) {
        Gdiplus::Graphics graphics(target_);
        UseClientCoordinates(graphics);
        const INT w = static_cast<INT>(frozen->GetWidth()), h = static_cast<INT>(frozen->GetHeight());
        graphics.DrawImage(frozen, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel);
    }
}

void OverlayFrame::UseClientCoordinates(Gdiplus::Graphics& graphics) const {
    graphics.TranslateTransform(static_cast<float>(-origin_.x), static_cast<float>(-origin_.y));
}

void OverlayFrame::Present() {
    if (!target_ || direct_) return;
    ::BitBlt(paint_.GetSafeHdc(), clip_.left, clip_.top, clip_.right - clip_.left, clip_.bottom - clip_.top, target_,
             clip_.left - origin_.x, clip_.top - origin_.y, SRCCOPY);
}
