#include "capture/Capture.h"

#include "capture/ImageHelpers.h"
#include "windows/GdiplusNew.h"
#include "windows/ScreenGeometry.h"

namespace {

bool IsIndexedFormat(Gdiplus::PixelFormat format) {
    return format == PixelFormat1bppIndexed || format == PixelFormat4bppIndexed || format == PixelFormat8bppIndexed;
}

}  // namespace

Capture::Capture()
    : ownedDetails_(std::make_unique<CaptureDetails>()),
      details_(ownedDetails_.get()),
      screenBounds_(ScreenGeometry::VirtualScreenBounds()) {}

Capture::~Capture() = default;

void Capture::SetDetails(ICaptureDetails* details) {
    if (details == details_) {
        // Lent details handed over again now become ours.
        if (!ownedDetails_ && details) ownedDetails_.reset(details);
        return;
    }
    ownedDetails_.reset(details);
    details_ = details;
}

void Capture::LendDetails(ICaptureDetails* details) {
    // Our own details lent back to us stay ours: nobody else would release them.
    if (details != ownedDetails_.get()) ownedDetails_.reset();
    details_ = details;
}

void Capture::SetImage(Gdiplus::Image* image) {
    // Handing back the image already held must not free it.
    if (image == image_.get()) return;
    image_.reset(image);
    if (!image || !IsIndexedFormat(image->GetPixelFormat())) return;

    const UINT width = image->GetWidth();
    const UINT height = image->GetHeight();
    std::unique_ptr<Gdiplus::Bitmap> converted =
        qel::NewBitmap(static_cast<INT>(width), static_cast<INT>(height), PixelFormat32bppARGB);
    if (!converted) return;  // the indexed image is kept as it is
    {
        Gdiplus::Graphics graphics(converted.get());
        graphics.DrawImage(image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    }
    // Kept even when drawing failed: the caller gets a bitmap of the right size and format.
    image_ = std::move(converted);
}

Gdiplus::Rect Capture::GetScreenBounds() {
    if (screenBounds_.Width < 1 || screenBounds_.Height < 1) screenBounds_ = ScreenGeometry::VirtualScreenBounds();
    return screenBounds_;
}

void Capture::SetCursor(HICON cursor) {
    if (cursor && cursor == cursor_.get()) return;
    cursor_.reset();
    if (!cursor) return;
    qel::IconInfo info(cursor);
    if (!info.ok) return;
    cursor_.reset(::CreateIconIndirect(&info.info));
}

bool Capture::Crop(Gdiplus::Rect rect) {
    std::unique_ptr<Gdiplus::Bitmap> cropped = ImageHelpers::CropImage(image_.get(), rect);
    if (!cropped) return false;
    image_ = std::move(cropped);
    location_ = POINT{rect.X, rect.Y};
    MoveCursorLocation(-rect.X, -rect.Y);
    return true;
}

void Capture::MoveCursorLocation(int dx, int dy) {
    cursorLocation_.x += dx;
    cursorLocation_.y += dy;
}
