#include "capture/DibBitmap.h"

#include "capture/Capture.h"

namespace {

BYTE* TopRow(BITMAPINFOHEADER* dib) {
    const auto stride = static_cast<ptrdiff_t>(dib->biWidth) * 4;
    return reinterpret_cast<BYTE*>(dib) + dib->biSize + stride * (dib->biHeight - 1);
}

}  // namespace

DibBitmap::DibBitmap(UniqueDib dib, Gdiplus::PixelFormat format)
    : DibOwner{std::move(dib)},
      Gdiplus::Bitmap(DibOwner::dib->biWidth, DibOwner::dib->biHeight, -DibOwner::dib->biWidth * 4, format,
                      TopRow(DibOwner::dib.get())) {}

uint32_t* DibBitmap::Row(int y) const {
    return reinterpret_cast<uint32_t*>(TopRow(DibOwner::dib.get()) - static_cast<ptrdiff_t>(DibOwner::dib->biWidth) * 4 * y);
}

UniqueDib DibBitmap::TakeFrom(ICapture* capture) {
    auto* image = dynamic_cast<DibBitmap*>(capture ? capture->GetImage() : nullptr);
    if (!image || !image->DibOwner::dib) return nullptr;
    // Only an image with parts on no monitor has pixels that are not opaque already.
    const bool translucent = image->GetPixelFormat() == PixelFormat32bppARGB;
    UniqueDib dib = std::move(image->DibOwner::dib);
    capture->SetImage(nullptr);  // the GDI+ bitmap goes before anyone writes to its pixels
    const RECT all{0, 0, dib->biWidth, dib->biHeight};
    if (translucent) QelImageTransform::CDIB32::Fill32DIBOpacityArea(dib.get(), all, 255);
    return dib;
}
