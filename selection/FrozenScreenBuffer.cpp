#include "selection/FrozenScreenBuffer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "GdiplusHandles.h"

namespace {

// A top-down 32-bit DIB section; bits receives its pixels.
HBITMAP TopDownSection(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// 0xAARRGGBB with its colour multiplied by its alpha, as drawing it over black leaves it.
DWORD OverBlack(DWORD argb) {
    const DWORD a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    DWORD out = a << 24;
    for (int shift = 0; shift <= 16; shift += 8) out |= ((argb >> shift & 0xFF) * a + 127) / 255 << shift;
    return out;
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

bool FrozenScreenBuffer::Restore(Gdiplus::Image* frozen, const RECT* rects, size_t count) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(frozen);
    if (!bitmap || !bits_) return false;
    // The frozen image is read in its own layout where that is one GDI shows as it is (GDI+ then hands out
    // its pixels without converting them); screen copies with parts off every monitor are 32-bit ARGB and
    // are laid over black here, as drawing them would.
    const Gdiplus::PixelFormat native = bitmap->GetPixelFormat();
    const bool straight = native == PixelFormat32bppARGB, rgb24 = native == PixelFormat24bppRGB;
    const Gdiplus::PixelFormat format =
        straight || rgb24 || native == PixelFormat32bppRGB ? native : PixelFormat32bppPARGB;
    const RECT image{0, 0, std::min<LONG>(size_.cx, static_cast<LONG>(bitmap->GetWidth())),
                     std::min<LONG>(size_.cy, static_cast<LONG>(bitmap->GetHeight()))};
    ::GdiFlush();  // GDI may still be drawing into the buffer
    bool complete = true;
    for (size_t i = 0; i < count; ++i) {
        RECT r;
        if (!::IntersectRect(&r, &rects[i], &image)) continue;
        const int w = r.right - r.left;
        qel::BitmapBitsLock lock(bitmap, Gdiplus::Rect(r.left, r.top, w, r.bottom - r.top), Gdiplus::ImageLockModeRead,
                                 format);
        if (!lock.ok()) {
            complete = false;
            continue;
        }
        for (LONG y = r.top; y < r.bottom; ++y) {
            const BYTE* from = lock.scan0() + static_cast<ptrdiff_t>(y - r.top) * lock.data().Stride;
            DWORD* to = bits_ + static_cast<size_t>(y) * size_.cx + r.left;
            if (rgb24) {
                for (int x = 0; x < w; ++x, from += 3) to[x] = 0xFF000000u | from[2] << 16 | from[1] << 8 | from[0];
            } else if (straight) {
                const auto* pixels = reinterpret_cast<const DWORD*>(from);
                for (int x = 0; x < w; ++x) to[x] = OverBlack(pixels[x]);
            } else {
                std::memcpy(to, from, static_cast<size_t>(w) * 4);
            }
        }
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
    target_ = buffer.dc();
    pixels_ = buffer.Pixels();
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
    if (target_) ::SelectClipRgn(target_, nullptr);
    if (previousScratch_) ::SelectObject(scratchDc_.get(), previousScratch_);
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
    if (!target_) return;
    ::BitBlt(paint_.GetSafeHdc(), clip_.left, clip_.top, clip_.right - clip_.left, clip_.bottom - clip_.top, target_,
             clip_.left - origin_.x, clip_.top - origin_.y, SRCCOPY);
}
