// Apart from ScreenInput.cpp: only the executables that save screenshots link GDI+ and its start-up.
#include <memory>

#include "GdiplusHandles.h"
#include "ImageFiles.h"
#include "ScreenInput.h"
#include "TestSupport.h"

namespace qeltest {

void SaveScreenPng(const RECT& area, const std::wstring& name) {
    ScreenCopy copy = CopyScreen(area);
    CLSID png;
    if (copy.pixels.empty() || !qel::EnsureGdiplus() || !hostapi::PngEncoder(&png)) return;
    const int w = area.right - area.left, h = area.bottom - area.top;
    Gdiplus::Bitmap image(w, h, w * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(copy.pixels.data()));
    image.Save(OutputPath(name).c_str(), &png, nullptr);
}

void SaveImagePng(Gdiplus::Image* image, const std::wstring& name) {
    CLSID png;
    if (image && hostapi::PngEncoder(&png)) image->Save(OutputPath(name).c_str(), &png, nullptr);
}

}  // namespace qeltest
