#pragma once
// The frozen screen under an overlay, and one paint of an overlay over it. The buffer is made once,
// before the window shows, and holds the frozen image in a GDI section of the window's size: a paint
// puts the frozen pixels back only where it draws, instead of converting the whole image and making a
// screen-sized bitmap each time.
#include <QelFramework/Framework.h>

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

#include "Handles.h"
#include "selection/OutlineRaster.h"

class FrozenScreenBuffer {
public:
    FrozenScreenBuffer() = default;
    FrozenScreenBuffer(const FrozenScreenBuffer&) = delete;
    FrozenScreenBuffer& operator=(const FrozenScreenBuffer&) = delete;

    // Makes the buffer for the frozen image and fills it; false when it could not be made or filled.
    bool Prepare(Gdiplus::Image* frozen);
    // Leaves the buffer to the first paint of part of the window: until then each paint repaints all of
    // it and draws the frozen screen straight into it, so that making and filling a screen-sized buffer
    // does not delay the window's first frame (nor the repaint the system asks for as it shows).
    void PrepareAfterFirstPaint() { deferred_ = true; }
    // Called at the start of each paint: true when a buffer left for later is still not needed, because
    // the paint covers the whole window, which it then draws straight into; otherwise makes that buffer.
    bool BeforePaint(Gdiplus::Image* frozen, bool wholeWindow);
    // Null while there is no buffer.
    HDC dc() const { return dc_.get(); }
    // Puts the frozen pixels back over the rectangles (client coordinates); false when part of them
    // could not be read.
    bool Restore(Gdiplus::Image* frozen, const RECT* rects, size_t count);
    // True while the buffer holds the frozen screen alone.
    bool IsClean() const { return clean_; }
    void MarkDrawn() { clean_ = false; }
    // Its pixels, top-down, covering the client area from (0, 0); null pixels while there is none.
    OutlineRaster::Target Pixels() const {
        return OutlineRaster::Target{reinterpret_cast<uint32_t*>(bits_), static_cast<int>(size_.cx),
                                     RECT{0, 0, size_.cx, size_.cy}};
    }

private:
    // The DC is declared after the bitmap selected into it, so it goes first.
    qel::UniqueHbitmap bitmap_;
    qel::UniqueHdc dc_;
    DWORD* bits_ = nullptr;  // top-down, owned by bitmap_
    SIZE size_{0, 0};
    bool clean_ = false;
    bool deferred_ = false;
};

// One WM_PAINT of an overlay: only what was invalidated is drawn, over the frozen screen put back there,
// into the buffer (or, without one, into a bitmap of the clip box), and Present copies the repainted
// rectangles to the window. The first paint of a buffer left for later draws into the window itself.
// Draw on dc() at client coordinates less origin(), or through a graphics set by UseClientCoordinates.
class OverlayFrame {
public:
    OverlayFrame(CWnd* wnd, FrozenScreenBuffer& buffer, Gdiplus::Image* frozen);
    ~OverlayFrame();
    OverlayFrame(const OverlayFrame&) = delete;
    OverlayFrame& operator=(const OverlayFrame&) = delete;

    // False when there is nothing to paint (empty clip box, or no bitmap to paint into).
    bool ok() const { return target_ != nullptr; }
    HDC dc() const { return target_; }
    POINT origin() const { return origin_; }
    // Sets the graphics on dc() to take client coordinates.
    void UseClientCoordinates(Gdiplus::Graphics& graphics) const;
    // The pixels of dc() for drawing straight into them (after GdiFlush; null pixels when dc() is the
    // window's), and the rectangles being repainted (client coordinates); nothing outside those reaches
    // the window.
    OutlineRaster::Target Pixels() const { return pixels_; }
    const std::vector<RECT>& Rects() const { return rects_; }
    void Present();

private:
    void DrawBackground(FrozenScreenBuffer& buffer, Gdiplus::Image* frozen);
    // The frozen screen straight into the window under the repainted rectangles; false when it could not
    // be read.
    bool DrawFrozenDirect(Gdiplus::Image* frozen);

    qel::UniqueHrgn update_;
    bool clipToUpdate_ = false;
    CPaintDC paint_;
    RECT clip_{};
    qel::UniqueHdc scratchDc_;
    qel::UniqueHbitmap scratch_;
    HDC target_ = nullptr;
    POINT origin_{0, 0};
    HGDIOBJ previousScratch_ = nullptr;
    bool direct_ = false;
    OutlineRaster::Target pixels_{nullptr, 0, RECT{}};
    std::vector<RECT> rects_;
};
