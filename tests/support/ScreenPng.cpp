// Apart from ScreenInput.cpp: only the executables that save screenshots link GDI+ and its start-up.
#include <cwchar>
#include <memory>

#include "GdiplusHandles.h"
#include "ScreenInput.h"
#include "TestSupport.h"

namespace qeltest {

namespace {

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

void SaveScreenPng(const RECT& area, const std::wstring& name) {
    ScreenCopy copy = CopyScreen(area);
    CLSID png;
    if (copy.pixels.empty() || !qel::EnsureGdiplus() || !PngEncoder(&png)) return;
    const int w = area.right - area.left, h = area.bottom - area.top;
    Gdiplus::Bitmap image(w, h, w * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(copy.pixels.data()));
    image.Save(OutputPath(name).c_str(), &png, nullptr);
}

void SaveImagePng(Gdiplus::Image* image, const std::wstring& name) {
    CLSID png;
    if (image && PngEncoder(&png)) image->Save(OutputPath(name).c_str(), &png, nullptr);
}

}  // namespace qeltest
