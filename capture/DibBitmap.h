#pragma once
// A GDI+ bitmap over the pixels of a packed 32-bit DIB that it owns. A screen copy is made straight into
// such a DIB, so that the image a capture holds is the DIB a call returns, not a copy of it.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "capture/Dib.h"

class ICapture;

namespace detail {
// A base declared before the bitmap, so that the pixels outlive the GDI+ bitmap laid over them.
struct DibOwner {
    UniqueDib dib;
};
}  // namespace detail

class DibBitmap final : private detail::DibOwner, public Gdiplus::Bitmap {
public:
    // dib: a bottom-up 32-bit BI_RGB DIB whose bits follow its header; format: how GDI+ reads them
    // (32-bit RGB or ARGB).
    DibBitmap(UniqueDib dib, Gdiplus::PixelFormat format);

    // Row y of the image, counted from the top.
    uint32_t* Row(int y) const;

    // Hands the DIB of the capture's image over, every pixel opaque as a returned capture is, and deletes
    // the bitmap (capture->SetImage(nullptr)); null, and nothing changed, when the image is no DibBitmap.
    static UniqueDib TakeFrom(ICapture* capture);
};
