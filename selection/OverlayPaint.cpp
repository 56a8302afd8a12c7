// Drawing every selection overlay shares: the cross-hair with the cursor's coordinates, the selection's
// fill and outline, its dimension labels and size read-out, and the magnifier.
#include "selection/OverlayPaint.h"

#include <QelFramework/Framework.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "GdiplusHandles.h"
#include "selection/OverlayHelpers.h"

namespace {

constexpr int kCheckerboardResource = 1001;
constexpr Gdiplus::ARGB kCrossHairColor = 0xFF20B2AA;
constexpr Gdiplus::ARGB kLabelFill = 0xC8D9F0E3;
constexpr Gdiplus::ARGB kLabelInk = 0xFF2E8B57;
constexpr Gdiplus::ARGB kReadoutColor = 0xFF20B2AA;
constexpr float kLabelPoints = 8.0f;
constexpr float kReadoutMeasurePoints = 12.0f;  // the read-out is measured at this size
const Gdiplus::RectF kLayoutBox(0, 0, 1000, 500);

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::unique_ptr<Gdiplus::TextureBrush> LoadCheckerboard() {
    if (!qel::EnsureGdiplus()) return nullptr;
    CResourceHandleScope resources(ThisModule());
    const HINSTANCE module = AfxGetResourceHandle();
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(kCheckerboardResource), L"PNG");
    if (!resource) return nullptr;
    const DWORD size = ::SizeofResource(module, resource);
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!size || !data) return nullptr;

    qel::UniqueHglobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!block) return nullptr;
    void* target = ::GlobalLock(block.get());
    if (!target) return nullptr;
    std::memcpy(target, data, size);
    ::GlobalUnlock(block.get());
    IStream* rawStream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, &rawStream)) || !rawStream) return nullptr;
    block.release();  // the stream frees it now
    std::unique_ptr<IStream, ComRelease> stream(rawStream);

    // The brush keeps its own copy of the image, so bitmap and stream go when this returns.
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.get()));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    auto brush = std::make_unique<Gdiplus::TextureBrush>(bitmap.get(), Gdiplus::WrapModeTile);
    if (brush->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return brush;
}

Gdiplus::SizeF Measure(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font) {
    Gdiplus::RectF bounds;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font, kLayoutBox, nullptr, &bounds);
    return Gdiplus::SizeF(bounds.Width, bounds.Height);
}

Gdiplus::Size MeasureRounded(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font) {
    const Gdiplus::SizeF size = Measure(graphics, text, font);
    return Gdiplus::Size(RoundToPixels(size.Width), RoundToPixels(size.Height));
}

// A rounded label box, filled and outlined, with its text.
void DrawLabel(Gdiplus::Graphics& graphics, const Gdiplus::Rect& box, Gdiplus::Point at, const std::wstring& text,
               const Gdiplus::Font& font) {
    Gdiplus::GraphicsPath path;
    AddRoundedRectangle(box.X, box.Y, box.Width, box.Height, 3, path);
    Gdiplus::SolidBrush fill{Gdiplus::Color(kLabelFill)};
    Gdiplus::Pen outline(Gdiplus::Color(kLabelInk), 1.0f);
    Gdiplus::SolidBrush ink{Gdiplus::Color(kLabelInk)};
    graphics.FillPath(&fill, &path);
    graphics.DrawPath(&outline, &path);
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), &font,
                        Gdiplus::PointF(static_cast<float>(at.X), static_cast<float>(at.Y)), &ink);
}

// Whether the area (grown for pens and glyph overhang) touches what is repainted; everything does when
// nothing narrower is given.
bool Touches(const std::vector<RECT>* repainted, float x, float y, float width, float height) {
    if (!repainted) return true;
    constexpr float margin = 3.0f;
    for (const RECT& a : *repainted)
        if (x - margin < a.right && a.left < x + width + margin && y - margin < a.bottom && a.top < y + height + margin)
            return true;
    return false;
}

bool Touches(const std::vector<RECT>* repainted, const OverlayLayout::Segment& s) {
    const float x = static_cast<float>(std::min(s.from.X, s.to.X)), y = static_cast<float>(std::min(s.from.Y, s.to.Y));
    return Touches(repainted, x, y, static_cast<float>(std::abs(s.to.X - s.from.X)),
                   static_cast<float>(std::abs(s.to.Y - s.from.Y)));
}

// The label, its dimension line and end ticks, each only where it touches what is repainted.
void DrawDimension(Gdiplus::Graphics& graphics, const OverlayLayout::DimensionLabel& label,
                   const std::wstring& text, const Gdiplus::Font& font, const std::vector<RECT>* repainted) {
    if (!label.shown) return;
    // The text reaches 3 pixels past its box.
    if (Touches(repainted, static_cast<float>(label.box.X), static_cast<float>(label.box.Y),
                static_cast<float>(label.box.Width + 3), static_cast<float>(label.box.Height)))
        DrawLabel(graphics, label.box, label.text, text, font);
    Gdiplus::Pen pen(Gdiplus::Color(kLabelInk), 1.0f);
    for (const OverlayLayout::Segment& s : label.line)
        if (Touches(repainted, s)) graphics.DrawLine(&pen, s.from, s.to);
    for (const OverlayLayout::Segment& s : label.ticks)
        if (Touches(repainted, s)) graphics.DrawLine(&pen, s.from, s.to);
}

// True when every pixel of source lies in the image and is opaque: the magnified image then covers the
// magnifier completely and its checkerboard need not be drawn.
bool OpaqueSource(Gdiplus::Image* image, const Gdiplus::Rect& source) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(image);
    if (!bitmap || source.X < 0 || source.Y < 0 || source.X + source.Width > static_cast<INT>(bitmap->GetWidth()) ||
        source.Y + source.Height > static_cast<INT>(bitmap->GetHeight()))
        return false;
    const Gdiplus::PixelFormat format = bitmap->GetPixelFormat();
    if (format == PixelFormat24bppRGB || format == PixelFormat32bppRGB) return true;
    qel::BitmapBitsLock lock(bitmap, source, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    if (!lock.ok()) return false;
    for (int y = 0; y < source.Height; ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(lock.scan0() + static_cast<ptrdiff_t>(y) * lock.data().Stride);
        for (int x = 0; x < source.Width; ++x)
            if (row[x] >> 24 != 255) return false;
    }
    return true;
}

}  // namespace

const Gdiplus::FontFamily* OverlayFontFamily() {
    // The wrapper caches the family for the life of the process.
    return Gdiplus::FontFamily::GenericSansSerif();
}

Gdiplus::TextureBrush* CheckerboardBrush() {
    // Deliberately never released: GDI+ may already be shut down when static objects are destroyed.
    static Gdiplus::TextureBrush* const brush = LoadCheckerboard().release();
    return brush;
}

void DrawZoomer(Gdiplus::Graphics& graphics, Gdiplus::Image* screenshot, const Gdiplus::Rect& source,
                const Gdiplus::Rect& destination, bool translucent, float opacity) {
    if (!screenshot || destination.Width <= 0 || destination.Height <= 0 || source.Width <= 0) return;
    std::unique_ptr<Gdiplus::ImageAttributes> attributes;
    if (translucent) {
        Gdiplus::ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
        matrix.m[3][3] = opacity;
        attributes = std::make_unique<Gdiplus::ImageAttributes>();
        attributes->SetColorMatrix(&matrix, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeBitmap);
    }
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    Gdiplus::GraphicsPath circle;
    circle.AddEllipse(destination);
    graphics.SetClip(&circle, Gdiplus::CombineModeReplace);

    if (!translucent) {
        Gdiplus::TextureBrush* checkerboard = CheckerboardBrush();
        if (checkerboard && !OpaqueSource(screenshot, source)) graphics.FillRectangle(checkerboard, destination);
        graphics.DrawImage(screenshot, destination, source.X, source.Y, source.Width, source.Height, Gdiplus::UnitPixel);
    } else {
        graphics.DrawImage(screenshot, destination, source.X, source.Y, source.Width, source.Height, Gdiplus::UnitPixel,
                           attributes.get());
    }

    const float scaled = opacity * 255.0f;
    const BYTE alpha = scaled >= 255.0f ? 255 : scaled <= 0.0f ? 0 : static_cast<BYTE>(scaled);
    Gdiplus::Pen ring(Gdiplus::Color(alpha, 255, 255, 255), 2.0f);
    graphics.DrawEllipse(&ring, destination);

    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
    const OverlayLayout::ZoomerBars z = OverlayLayout::ZoomerCrossHair(destination, source.Width);
    Gdiplus::Pen bar(Gdiplus::Color(alpha, 0, 0, 0), static_cast<float>(z.pixel));
    for (const OverlayLayout::Segment& s : z.bars) graphics.DrawLine(&bar, s.from, s.to);
    ring.SetColor(Gdiplus::Color(alpha, 255, 255, 255));
    ring.SetWidth(1.0f);
    for (const Gdiplus::Rect& r : z.outlines) graphics.DrawRectangle(&ring, r);
}

void PaintCrossHair(HDC dc, POINT origin, POINT cursor, const Gdiplus::Rect& bounds) {
    // One dot on, one off, from each line's start: drawn by GDI, since GDI+ dashes a screen-long line
    // slower than the rest of the paint together.
    const LOGBRUSH brush{BS_SOLID, RGB(kCrossHairColor >> 16 & 0xFF, kCrossHairColor >> 8 & 0xFF, kCrossHairColor & 0xFF), 0};
    qel::UniqueHpen pen(::ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr));
    if (!pen) return;
    qel::SelectScope select(dc, pen.get());
    const int x = cursor.x - origin.x, y = cursor.y - origin.y;
    ::MoveToEx(dc, x, bounds.Y - origin.y, nullptr);
    ::LineTo(dc, x, bounds.Height - origin.y + 1);
    ::MoveToEx(dc, bounds.X - origin.x, y, nullptr);
    ::LineTo(dc, bounds.Width - origin.x + 1, y);
}

void PaintCoordinateLabel(Gdiplus::Graphics& graphics, POINT cursor) {
    const Gdiplus::Font font(OverlayFontFamily(), kLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    const std::wstring text = OverlayLayout::CoordinateText(cursor);
    const Gdiplus::Size measured = MeasureRounded(graphics, text, font);
    DrawLabel(graphics, OverlayLayout::CoordinateLabelBox(cursor, measured), Gdiplus::Point(cursor.x + 5, cursor.y + 5),
              text, font);
}

SelectionInk::SelectionInk(float outlineWidth)
    : fill(Gdiplus::Color(kSelectionFill)), outline(Gdiplus::Color(kSelectionOutline), outlineWidth) {}

bool PaintSizeLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r, const Gdiplus::Rect& c,
                     const OverlayLayout::SizeTexts& texts, const std::vector<RECT>* repainted) {
    const Gdiplus::Font font(OverlayFontFamily(), kLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    DrawDimension(graphics, OverlayLayout::WidthLabel(r, MeasureRounded(graphics, texts.width, font)), texts.width,
                  font, repainted);
    DrawDimension(graphics, OverlayLayout::HeightLabel(r, MeasureRounded(graphics, texts.height, font)),
                  texts.height, font, repainted);

    const Gdiplus::Font measuring(OverlayFontFamily(), kReadoutMeasurePoints, Gdiplus::FontStyleRegular,
                                  Gdiplus::UnitPoint);
    const Gdiplus::SizeF measured = Measure(graphics, texts.readout, measuring);
    const float points = OverlayLayout::ReadoutPointSize(c, measured.Width, measured.Height);
    if (points <= 0.0f) return false;
    const Gdiplus::Font bold(OverlayFontFamily(), points, Gdiplus::FontStyleBold, Gdiplus::UnitPoint);
    const Gdiplus::PointF at = OverlayLayout::ReadoutOrigin(r, c, measured.Width, bold.GetHeight(&graphics));
    if (repainted) {
        const Gdiplus::SizeF drawn = Measure(graphics, texts.readout, bold);
        if (!Touches(repainted, at.X, at.Y, drawn.Width, drawn.Height)) return true;
    }
    Gdiplus::SolidBrush brush{Gdiplus::Color(kReadoutColor)};
    graphics.DrawString(texts.readout.c_str(), static_cast<INT>(texts.readout.size()), &bold, at, &brush);
    return true;
}
