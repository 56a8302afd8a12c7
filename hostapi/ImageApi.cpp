// The image helpers of the C interface: what the host program does with a capture, offered to any host.
#include <pictavo.h>
#include <QelImageTransform.h>

#include "ImageFiles.h"
#include "GdiplusHandles.h"

extern "C" {

// The images are made by the transform library, so they go back to it.
void pictavo_release_image(BITMAPINFOHEADER* image) { QelImageTransform::ReleaseDIB(image); }

int pictavo_save_png(const BITMAPINFOHEADER* image, const wchar_t* path) {
    if (!image || !path || !*path) return 0;
    try {
        // Without GDI+ our own writer still saves the image.
        qel::EnsureGdiplus();
        return hostapi::SavePng(image, path) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int pictavo_copy_to_clipboard(const BITMAPINFOHEADER* image) {
    if (!image) return 0;
    try {
        return hostapi::CopyToClipboard(image) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
