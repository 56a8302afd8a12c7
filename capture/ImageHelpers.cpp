#include "capture/ImageHelpers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "capture/Dib.h"
#include "pixels/FastBitmap.h"
#include "pixels/PixelRows.h"
#include "windows/GdiplusNew.h"
#include "selection/OverlayHelpers.h"

namespace ImageHelpers {

namespace {

bool IsWholeImage(const Gdiplus::Rect& area, int width, int height) {
    return area.X == 0 && area.Y == 0 && area.Width == width && area.Height == height;
}

Gdiplus::PixelFormat TargetFormat(Gdiplus::PixelFormat requested, Gdiplus::PixelFormat own) {
    const Gdiplus::PixelFormat format = requested ? requested : own;
    switch (format) {
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
    case PixelFormat32bppRGB:
    case PixelFormat24bppRGB:
        return format;
    default:
        return Gdiplus::IsAlphaPixelFormat(format) ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    }
}

// Metadata travels with the copy; without room for the items none is copied.
void CopyPropertyItems(Gdiplus::Image* from, Gdiplus::Image* to) {
    UINT totalSize = 0, count = 0;
    if (from->GetPropertySize(&totalSize, &count) != Gdiplus::Ok || count == 0 || totalSize == 0) return;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[totalSize]);
    if (!buffer) return;
    auto* items = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.get());
    if (from->GetAllPropertyItems(totalSize, count, items) != Gdiplus::Ok) return;
    for (UINT i = 0; i < count; ++i) to->SetPropertyItem(&items[i]);
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> CropImage(Gdiplus::Image* image, Gdiplus::Rect& rect) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(image);
    if (!bitmap) return nullptr;
    const int width = static_cast<int>(bitmap->GetWidth()), height = static_cast<int>(bitmap->GetHeight());
    if (width == 0 || height == 0) return nullptr;

    const int x = std::max(rect.X, 0), y = std::max(rect.Y, 0);
    rect = Gdiplus::Rect(x, y, std::min(rect.X + rect.Width, width) - x, std::min(rect.Y + rect.Height, height) - y);
    // Nothing left: the clone would otherwise read an empty area as the whole image.
    if (rect.Width <= 0 || rect.Height <= 0) return nullptr;
    return std::unique_ptr<Gdiplus::Bitmap>(CloneArea(image, 0, rect));
}

Gdiplus::Bitmap* CloneArea(Gdiplus::Image* image, Gdiplus::PixelFormat format, Gdiplus::Rect area) {
    if (!image) return nullptr;
    const int width = static_cast<int>(image->GetWidth()), height = static_cast<int>(image->GetHeight());
    if (area.Width < 1 || area.Height < 1) {
        area = Gdiplus::Rect(0, 0, width, height);
    } else {
        const int x = std::max(area.X, 0), y = std::max(area.Y, 0);
        area = Gdiplus::Rect(x, y, std::min(area.X + area.Width, width) - x, std::min(area.Y + area.Height, height) - y);
    }
    if (area.Width < 1 || area.Height < 1) return nullptr;

    const Gdiplus::PixelFormat own = image->GetPixelFormat();
    const Gdiplus::PixelFormat target = TargetFormat(format, own);
    // Transparent pixels would turn black in a format without alpha.
    const bool whiteBackground = !Gdiplus::IsAlphaPixelFormat(target) && Gdiplus::IsAlphaPixelFormat(own);
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(image);

    std::unique_ptr<Gdiplus::Bitmap> result;
    if (!IsWholeImage(area, width, height) && !whiteBackground && bitmap) {
        // Only null tells a failure here: the clone inherits the source's sticky last status.
        result.reset(bitmap->Clone(area, target));
        if (!result) return nullptr;
    } else {
        result = qel::NewBitmap(area.Width, area.Height, target);
        if (!result) return nullptr;
        // The source's resolution before drawing, so that nothing is scaled by a DPI ratio.
        result->SetResolution(image->GetHorizontalResolution(), image->GetVerticalResolution());
        Gdiplus::Graphics graphics(result.get());
        if (whiteBackground) {
            graphics.Clear(Gdiplus::Color(0xFFFFFFFF));
        } else {
            graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        }
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.DrawImage(image, Gdiplus::Rect(0, 0, area.Width, area.Height), area.X, area.Y, area.Width,
                           area.Height, Gdiplus::UnitPixel);
    }
    result->SetResolution(image->GetHorizontalResolution(), image->GetVerticalResolution());
    CopyPropertyItems(image, result.get());
    return result.release();
}

Gdiplus::Bitmap* CreateEmptyBitmap(int width, int height, Gdiplus::PixelFormat, const Gdiplus::ARGB* color,
                                   float dpiX, float dpiY) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap = qel::NewBitmap(width, height, PixelFormat32bppARGB);
    if (!bitmap) return nullptr;
    bitmap->SetResolution(dpiX, dpiY);
    // Filled through the bits: a graphics clear may blend a transparent colour onto the zeroed
    // bitmap instead of storing it.
    const Gdiplus::ARGB fill = color ? *color : 0x00FFFFFF;
    qel::BitmapBitsLock lock(bitmap.get(), Gdiplus::Rect(0, 0, width, height), Gdiplus::ImageLockModeWrite,
                             PixelFormat32bppARGB);
    if (lock.ok()) {
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<Gdiplus::ARGB*>(lock.scan0() + static_cast<ptrdiff_t>(y) * lock.data().Stride);
            std::fill(row, row + width, fill);
        }
    } else {
        Gdiplus::Graphics(bitmap.get()).Clear(Gdiplus::Color(fill));
    }
    lock.Unlock();
    return bitmap.release();
}

unsigned CountColor(Gdiplus::Image* image, Gdiplus::ARGB color) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(image);
    if (!bitmap) return 0;
    std::unique_ptr<FastBitmap> pixels = FastBitmap::Create(bitmap);
    std::unique_ptr<Gdiplus::Bitmap> converted;
    if (!pixels) {
        // A layout the accessor cannot read is counted on a 32-bit copy rather than reported as none.
        converted.reset(CloneArea(bitmap, PixelFormat32bppARGB, Gdiplus::Rect()));
        if (!converted) return 0;
        pixels = FastBitmap::Create(converted.get());
    }
    // An unlocked accessor reads nothing; it must not look like a run of black pixels.
    if (!pixels || !pixels->IsLocked()) return 0;
    const Gdiplus::ARGB rgb = color & 0x00FFFFFF;
    const Gdiplus::PixelFormat format = (converted ? converted.get() : bitmap)->GetPixelFormat();
    const int bytesPerPixel = format == PixelFormat24bppRGB ? 3 : Gdiplus::GetPixelFormatSize(format) == 32 ? 4 : 0;
    size_t count = 0;
    for (int y = 0; y < pixels->Height(); ++y) {
        if (bytesPerPixel) {
            count += PixelRows::CountRgb(pixels->RowPointer(y), pixels->Width(), bytesPerPixel, rgb);
            continue;
        }
        for (int x = 0; x < pixels->Width(); ++x) count += (pixels->ReadPixel(x, y) & 0x00FFFFFF) == rgb;
    }
    return static_cast<unsigned>(count);
}

bool RegionContainsRectangle(Gdiplus::Region* region, int x, int y, int width, int height) {
    if (!region) return false;
    const Gdiplus::Point corners[] = {{x, y}, {x + width, y}, {x, y + height}, {x + width, y + height}};
    return std::all_of(std::begin(corners), std::end(corners),
                       [region](const Gdiplus::Point& p) { return region->IsVisible(p) != FALSE; });
}

BITMAPINFOHEADER* CutAlongPath(Gdiplus::Image* source, const Gdiplus::GraphicsPath& path) {
    if (!source || path.GetPointCount() <= 0) return nullptr;
    Gdiplus::RectF bounds;
    if (path.GetBounds(&bounds) != Gdiplus::Ok) return nullptr;
    UniqueDib cut(QelImageTransform::CBitmapCreator::CreateDibImage(RoundToPixels(bounds.Width),
                                                                      RoundToPixels(bounds.Height), 32, 0));
    if (!cut) return nullptr;
    const int width = cut->biWidth, height = cut->biHeight;
    const int stride = width * 4;
    BYTE* bits = reinterpret_cast<BYTE*>(cut.get()) + cut->biSize;
    // A new DIB's content is undefined: what the fill leaves must be transparent.
    std::memset(bits, 0, static_cast<size_t>(stride) * height);

    // Drawn straight into the DIB's rows, last row first.
    Gdiplus::Bitmap target(width, height, -stride, PixelFormat32bppARGB,
                           bits + static_cast<ptrdiff_t>(height - 1) * stride);
    if (target.GetLastStatus() != Gdiplus::Ok) return nullptr;
    std::unique_ptr<Gdiplus::GraphicsPath> moved(path.Clone());
    if (!moved) return nullptr;
    Gdiplus::Status status;
    {
        Gdiplus::Graphics graphics(&target);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        Gdiplus::TextureBrush brush(source, Gdiplus::WrapModeTile);
        Gdiplus::Matrix shift;
        shift.Translate(-bounds.X, -bounds.Y);
        moved->Transform(&shift);
        brush.TranslateTransform(-bounds.X, -bounds.Y);
        // The tiled brush would repeat the source's opposite edge past its own pixels.
        graphics.SetClip(Gdiplus::RectF(-bounds.X, -bounds.Y, static_cast<Gdiplus::REAL>(source->GetWidth()),
                                        static_cast<Gdiplus::REAL>(source->GetHeight())));
        status = graphics.FillPath(&brush, moved.get());
    }
    // A fill that failed would hand back a wholly transparent image as if it were the selection.
    if (status != Gdiplus::Ok) return nullptr;
    return cut.release();
}

}  // namespace ImageHelpers
