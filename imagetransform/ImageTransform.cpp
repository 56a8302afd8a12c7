// The exported operations that touch no device: argument checks live in the pure DIB code. The two that
// read a bitmap or a region through GDI are in ImageTransformGdi.cpp, so that this file builds natively too.
#include <QelImageTransform.h>

#include "DibLayout.h"
#include "DibOps.h"

namespace QelImageTransform {

// No exception may leave the library: every entry point ends in a catch-all.

BITMAPINFOHEADER* CBitmapCreator::CreateDibImage(int width, int height, int bitsPerPixel, int colorsUsed) {
    try {
        return CreateDib(width, height, bitsPerPixel, colorsUsed);
    } catch (...) {
        return nullptr;
    }
}

BITMAPINFOHEADER* CDIB32::CreateBlank32BitsDIB(int width, int height) {
    try {
        return CreateDib(width, height, 32, 0);
    } catch (...) {
        return nullptr;
    }
}

BITMAPINFOHEADER* CDIB32::ConvertTo32BitsDIB(const BITMAPINFOHEADER* source, BITMAPINFOHEADER* target, BYTE alpha,
                                             BYTE keepSourceAlpha) {
    try {
        return ConvertTo32(source, target, alpha, keepSourceAlpha != 0);
    } catch (...) {
        return nullptr;
    }
}

bool CDIB32::Fill32DIBOpacityArea(BITMAPINFOHEADER* dib, const RECT& area, BYTE alpha) {
    try {
        return FillAlpha(dib, &area, 1, alpha);
    } catch (...) {
        return false;
    }
}

bool CDIB32::TransformBlock(BITMAPINFOHEADER* target, POINT sourceOrigin, const BITMAPINFOHEADER* source,
                            POINT targetOrigin) {
    try {
        return CopyBlock(target, sourceOrigin, source, targetOrigin);
    } catch (...) {
        return false;
    }
}

extern "C" void ReleaseDIB(BITMAPINFOHEADER* dib) { FreeDib(dib); }

extern "C" size_t DibBitsOffset(const BITMAPINFOHEADER* dib) {
    DibLayout layout;
    return ReadLayout(dib, layout) ? layout.bitsOffset : 0;
}

}  // namespace QelImageTransform
