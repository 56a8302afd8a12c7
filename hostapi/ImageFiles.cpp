#include "ImageFiles.h"

#include <QelImageTransform.h>

#include "Handles.h"
#include "PngWriter.h"

#include <objidl.h>
#include <gdiplus.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace hostapi {

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

size_t PackedDibSize(const BITMAPINFOHEADER* dib) {
    if (!dib || dib->biWidth <= 0 || dib->biHeight == 0 || dib->biBitCount == 0 || dib->biBitCount > 32) return 0;
    const size_t stride = ((static_cast<size_t>(dib->biWidth) * dib->biBitCount + 31) / 32) * 4;
    const size_t rows = static_cast<size_t>(dib->biHeight < 0 ? -static_cast<long long>(dib->biHeight) : dib->biHeight);
    const size_t offset = QelImageTransform::DibBitsOffset(dib);
    return offset ? offset + stride * rows : 0;
}

bool SavePng(const BITMAPINFOHEADER* dib, const std::wstring& path, bool* ownWriter) {
    if (ownWriter) *ownWriter = false;
    if (!dib || dib->biBitCount != 32 || dib->biWidth <= 0 || dib->biHeight == 0) return false;
    const size_t offset = QelImageTransform::DibBitsOffset(dib);
    if (offset == 0) return false;
    const int width = dib->biWidth;
    const int height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    if (width <= INT_MAX / 4) {
        const int stride = width * 4;
        BYTE* bits = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(dib) + offset);
        // Bottom-up rows: start at the last row and walk upwards with a negative stride.
        BYTE* scan0 = dib->biHeight > 0 ? bits + static_cast<size_t>(height - 1) * stride : bits;
        const int signedStride = dib->biHeight > 0 ? -stride : stride;
        Gdiplus::Bitmap bitmap(width, height, signedStride, PixelFormat32bppARGB, scan0);
        CLSID png;
        if (bitmap.GetLastStatus() == Gdiplus::Ok && PngEncoder(&png) && bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok)
            return true;
    }
    if (ownWriter) *ownWriter = true;
    return SavePngOwnWriter(dib, path);
}

bool SavePngOwnWriter(const BITMAPINFOHEADER* dib, const std::wstring& path) {
    if (!dib || dib->biBitCount != 32 || dib->biWidth <= 0 || dib->biHeight == 0) return false;
    const size_t height = static_cast<size_t>(dib->biHeight < 0 ? -static_cast<long long>(dib->biHeight) : dib->biHeight);
    const size_t stride = static_cast<size_t>(dib->biWidth) * 4;
    const size_t offset = QelImageTransform::DibBitsOffset(dib);
    if (offset == 0) return false;
    const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + offset;
    const bool bottomUp = dib->biHeight > 0;
    return WritePngFile(path, static_cast<uint32_t>(dib->biWidth), static_cast<uint32_t>(height),
                        [&](uint32_t y) { return bits + (bottomUp ? height - 1 - y : y) * stride; });
}

bool CopyToClipboard(const BITMAPINFOHEADER* dib) {
    const size_t size = PackedDibSize(dib);
    if (!size) return false;
    qel::UniqueHglobal memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return false;
    {
        const qel::GlobalMemoryLock target(memory.get());
        if (!target) return false;
        std::memcpy(target.get(), dib, size);
    }
    bool ok = false;
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ok = ::SetClipboardData(CF_DIB, memory.get()) != nullptr;
        ::CloseClipboard();
    }
    // The clipboard owns the memory once SetClipboardData succeeded.
    if (ok) memory.release();
    return ok;
}

}  // namespace hostapi
