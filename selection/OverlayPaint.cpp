// Drawing every selection overlay shares: the cross-hair with the cursor's coordinates, the selection's
// fill and outline, its dimension labels and size read-out, and the magnifier.
#include "selection/OverlayPaint.h"

#include <QelFramework/Framework.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "GdiplusHandles.h"
#include "selection/OverlayHelpers.h"
#include "windows/Rectangles.h"

namespace {

constexpr int kCheckerboardResource = 1001;
constexpr Gdiplus::ARGB kCrossHairColor = 0xFF20B2AA;
constexpr Gdiplus::ARGB kLabelFill = 0xC8D9F0E3;
constexpr Gdiplus::ARGB kLabelInk = 0xFF2E8B57;
constexpr Gdiplus::ARGB kReadoutColor = 0xFF20B2AA;
constexpr Gdiplus::ARGB kWindowLabelColor = 0xFFFF8C00;
constexpr float kLabelPoints = 8.0f;
constexpr float kReadoutMeasurePoints = 12.0f;  // the read-out is measured at this size
const Gdiplus::RectF kLayoutBox(0, 0, 1000, 500);

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
    {
        const qel::GlobalMemoryLock target(block.get());
        if (!target) return nullptr;
        std::memcpy(target.get(), data, size);
    }
    qel::UniqueCom<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, stream.put())) || !stream) return nullptr;
    block.release();  // the stream frees it now

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

// The whole pixels a text measured as size from at covers.
Gdiplus::Rect TextBounds(Gdiplus::PointF at, Gdiplus::SizeF size) {
    const int left = static_cast<int>(std::floor(at.X)), top = static_cast<int>(std::floor(at.Y));
    const int right = static_cast<int>(std::ceil(at.X + size.Width)), bottom = static_cast<int>(std::ceil(at.Y + size.Height));
    return Gdiplus::Rect(left, top, right - left, bottom - top);
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

// The parts of the repainted rectangles (all of pixels without them) that lie on pixels.
std::vector<RECT> ClipsWithin(const OutlineRaster::Target& pixels, const std::vector<RECT>* repainted) {
    std::vector<RECT> clips;
    if (!repainted) return {pixels.area};
    for (const RECT& r : *repainted) {
        RECT part;
        if (::IntersectRect(&part, &r, &pixels.area)) clips.push_back(part);
    }
    return clips;
}

// color written over every pixel of r within the clips.
void FillOpaque(const OutlineRaster::Target& pixels, const std::vector<RECT>& clips, const RECT& r, uint32_t color) {
    for (const RECT& clip : clips) {
        RECT part;
        if (!::IntersectRect(&part, &clip, &r)) continue;
        for (LONG y = part.top; y < part.bottom; ++y) {
            uint32_t* row = pixels.pixels + static_cast<ptrdiff_t>(y - pixels.area.top) * pixels.stride - pixels.area.left;
            std::fill(row + part.left, row + part.right, color);
        }
    }
}

// The label, its dimension line and end ticks, each only where it touches what is repainted. With
// pixels, the lines (level or upright, opaque, 1 pixel: both end pixels included, none for no length, as
// GDI+ draws them) are written straight into them.
void DrawDimension(Gdiplus::Graphics& graphics, const OverlayLayout::DimensionLabel& label,
                   const std::wstring& text, const Gdiplus::Font& font, const std::vector<RECT>* repainted,
                   const OutlineRaster::Target* pixels) {
    if (!label.shown) return;
    // The text reaches 3 pixels past its box.
    if (Touches(repainted, static_cast<float>(label.box.X), static_cast<float>(label.box.Y),
                static_cast<float>(label.box.Width + 3), static_cast<float>(label.box.Height)))
        DrawLabel(graphics, label.box, label.text, text, font);
    std::vector<const OverlayLayout::Segment*> segments;
    for (const OverlayLayout::Segment& s : label.line)
        if (Touches(repainted, s)) segments.push_back(&s);
    for (const OverlayLayout::Segment& s : label.ticks)
        if (Touches(repainted, s)) segments.push_back(&s);
    if (segments.empty()) return;
    if (pixels && pixels->pixels) {
        graphics.Flush(Gdiplus::FlushIntentionSync);
        ::GdiFlush();  // the box and text are in before the lines go beside them
        const std::vector<RECT> clips = ClipsWithin(*pixels, repainted);
        for (const OverlayLayout::Segment* s : segments) {
            const bool level = s->from.Y == s->to.Y, upright = s->from.X == s->to.X;
            if (level == upright) continue;  // no length (a slanted line is never laid out)
            const RECT line{std::min(s->from.X, s->to.X), std::min(s->from.Y, s->to.Y), std::max(s->from.X, s->to.X) + 1,
                            std::max(s->from.Y, s->to.Y) + 1};
            FillOpaque(*pixels, clips, line, kLabelInk);
        }
        return;
    }
    Gdiplus::Pen pen(Gdiplus::Color(kLabelInk), 1.0f);
    for (const OverlayLayout::Segment* s : segments) graphics.DrawLine(&pen, s->from, s->to);
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

// The rectangles of region (device coordinates) moved by offset; empty when it cannot be read.
std::vector<RECT> RegionRects(HRGN region, POINT offset) {
    std::vector<RECT> rects;
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    if (!size) return rects;
    std::vector<BYTE> data(size);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (::GetRegionData(region, size, header) != size) return rects;
    const RECT* first = reinterpret_cast<const RECT*>(header->Buffer);
    for (DWORD i = 0; i < header->rdh.nCount; ++i) {
        RECT r = first[i];
        ::OffsetRect(&r, offset.x, offset.y);
        rects.push_back(r);
    }
    return rects;
}

// The parts of a that lie in b (client coordinates), appended to out.
void AppendCommon(const std::vector<RECT>& a, const std::vector<RECT>& b, std::vector<RECT>& out) {
    for (const RECT& x : a)
        for (const RECT& y : b) {
            RECT common;
            if (::IntersectRect(&common, &x, &y)) out.push_back(common);
        }
}

// The opaque magnifier's image written straight into the pixels: GDI+ resamples and composes every
// magnified pixel through several conversions, a good part of a frame. Done only where nothing shows
// through: an opaque source wholly on the screenshot, drawn without translucency, with magnified pixels
// of at least 2 (the bars then are plain rectangles). Each pixel takes the source pixel under its
// top-left corner, which is what GDI+ samples with the pixel offset mode set here, computed exactly
// (GDI+ in floating point may put a boundary one column off). inside receives the parts of the clip, the
// circle as GDI+ clips to it, that are repainted. False, with nothing drawn, where this does not apply.
bool MagnifyIntoPixels(Gdiplus::Graphics& graphics, Gdiplus::Image* screenshot, const Gdiplus::Rect& source,
                       const Gdiplus::Rect& destination, const Gdiplus::GraphicsPath& circle,
                       const OutlineRaster::Target& pixels, const std::vector<RECT>* repainted, std::vector<RECT>& inside) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(screenshot);
    const OverlayLayout::ZoomerBars z = OverlayLayout::ZoomerCrossHair(destination, source.Width);
    if (!bitmap || z.pixel < 2 || source.Height <= 0) return false;
    for (const Gdiplus::Rect& o : z.outlines)
        if (o.Width <= 0 || o.Height <= 0) return false;
    if (!OpaqueSource(screenshot, source)) return false;
    qel::BitmapBitsLock lock(bitmap, source, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    if (!lock.ok()) return false;

    // The clip as GDI+ applies it, in the device's pixels.
    Gdiplus::Region clipRegion(&circle);
    qel::UniqueHrgn region(clipRegion.GetHRGN(&graphics));
    if (!region) return false;
    std::vector<RECT> disc;
    const std::vector<RECT> square{Rects::ToRECT(destination)};
    AppendCommon(RegionRects(region.get(), POINT{pixels.area.left, pixels.area.top}), square, disc);
    if (disc.empty()) return false;
    AppendCommon(disc, ClipsWithin(pixels, repainted), inside);

    graphics.Flush(Gdiplus::FlushIntentionSync);
    ::GdiFlush();  // GDI may still be drawing into the pixels
    std::vector<int> columns(static_cast<size_t>(destination.Width));
    for (int i = 0; i < destination.Width; ++i)
        columns[static_cast<size_t>(i)] = static_cast<int>(static_cast<long long>(i) * source.Width / destination.Width);
    for (const RECT& part : inside) {
        for (LONG y = part.top; y < part.bottom; ++y) {
            const long long sy = static_cast<long long>(y - destination.Y) * source.Height / destination.Height;
            const auto* from = reinterpret_cast<const uint32_t*>(lock.scan0() + static_cast<ptrdiff_t>(sy) * lock.data().Stride);
            uint32_t* row = pixels.pixels + static_cast<ptrdiff_t>(y - pixels.area.top) * pixels.stride - pixels.area.left;
            for (LONG x = part.left; x < part.right; ++x) row[x] = from[columns[static_cast<size_t>(x - destination.X)]];
        }
    }
    return true;
}

// The opaque cross-hair bars and their outlines over the magnifier, within clips: the pixels GDI+ gives
// a bar of a pen at least 2 wide (from its start up to its end) and a 1-pixel rectangle outline.
void PaintCrossHairBars(const OverlayLayout::ZoomerBars& z, const OutlineRaster::Target& pixels,
                        const std::vector<RECT>& clips) {
    const int p = z.pixel, h = p / 2;
    for (const OverlayLayout::Segment& s : z.bars) {
        const bool vertical = s.from.X == s.to.X;
        const RECT bar = vertical ? RECT{s.from.X - h, std::min(s.from.Y, s.to.Y), s.from.X - h + p, std::max(s.from.Y, s.to.Y)}
                                  : RECT{std::min(s.from.X, s.to.X), s.from.Y - h, std::max(s.from.X, s.to.X), s.from.Y - h + p};
        FillOpaque(pixels, clips, bar, 0xFF000000u);
    }
    for (const Gdiplus::Rect& o : z.outlines) {
        const LONG right = o.X + o.Width, bottom = o.Y + o.Height;
        FillOpaque(pixels, clips, RECT{o.X, o.Y, right + 1, o.Y + 1}, 0xFFFFFFFFu);
        FillOpaque(pixels, clips, RECT{o.X, bottom, right + 1, bottom + 1}, 0xFFFFFFFFu);
        FillOpaque(pixels, clips, RECT{o.X, o.Y + 1, o.X + 1, bottom}, 0xFFFFFFFFu);
        FillOpaque(pixels, clips, RECT{right, o.Y + 1, right + 1, bottom}, 0xFFFFFFFFu);
    }
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
                const Gdiplus::Rect& destination, bool translucent, float opacity, const OutlineRaster::Target* pixels,
                const std::vector<RECT>* repainted) {
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

    const float scaled = opacity * 255.0f;
    const BYTE alpha = scaled >= 255.0f ? 255 : scaled <= 0.0f ? 0 : static_cast<BYTE>(scaled);
    Gdiplus::Pen ring(Gdiplus::Color(alpha, 255, 255, 255), 2.0f);
    const OverlayLayout::ZoomerBars z = OverlayLayout::ZoomerCrossHair(destination, source.Width);
    std::vector<RECT> inside;
    if (!translucent && pixels && pixels->pixels &&
        MagnifyIntoPixels(graphics, screenshot, source, destination, circle, *pixels, repainted, inside)) {
        graphics.DrawEllipse(&ring, destination);
        ::GdiFlush();  // the pen's pixels are in before the bars go over them
        PaintCrossHairBars(z, *pixels, inside);
        return;
    }

    if (!translucent) {
        Gdiplus::TextureBrush* checkerboard = CheckerboardBrush();
        if (checkerboard && !OpaqueSource(screenshot, source)) graphics.FillRectangle(checkerboard, destination);
        graphics.DrawImage(screenshot, destination, source.X, source.Y, source.Width, source.Height, Gdiplus::UnitPixel);
    } else {
        graphics.DrawImage(screenshot, destination, source.X, source.Y, source.Width, source.Height, Gdiplus::UnitPixel,
                           attributes.get());
    }

    graphics.DrawEllipse(&ring, destination);

    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
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

void DrawSelectionShape(Gdiplus::Graphics& graphics, int shape, const Gdiplus::Rect& r, const SelectionInk& ink,
                        const OutlineRaster::Target* pixels, const std::vector<RECT>* repainted) {
    switch (shape) {
        case 1: {
            if (!pixels || !pixels->pixels || ink.outline.GetWidth() != 1.0f) {
                graphics.FillRectangle(&ink.fill, r);
                graphics.DrawRectangle(&ink.outline, r);
                break;
            }
            // GDI+ composes the whole rectangle, however little of it is repainted: a large selection then
            // costs several frames. The same pixels, composed the same way, are written where repainted.
            Gdiplus::Color outlineColor;
            ink.outline.GetColor(&outlineColor);
            Gdiplus::Rect outline[4];
            const int strips = OverlayLayout::RectangleOutline(r, outline);
            if (!strips) break;
            graphics.Flush(Gdiplus::FlushIntentionSync);
            ::GdiFlush();  // GDI may still be drawing into the pixels
            const RECT whole = pixels->area;
            const RECT* clips = repainted ? repainted->data() : &whole;
            const size_t clipCount = repainted ? repainted->size() : 1;
            const RECT fill{r.X, r.Y, r.X + r.Width, r.Y + r.Height};
            OutlineRaster::BlendRectangle(*pixels, clips, clipCount, fill, kSelectionFill, OutlineRaster::Rounding::Brush);
            for (int i = 0; i < strips; ++i) {
                const RECT strip{outline[i].X, outline[i].Y, outline[i].X + outline[i].Width,
                                 outline[i].Y + outline[i].Height};
                OutlineRaster::BlendRectangle(*pixels, clips, clipCount, strip, outlineColor.GetValue(),
                                              OutlineRaster::Rounding::Pen);
            }
            break;
        }
        case 2:
            graphics.FillEllipse(&ink.fill, r);
            graphics.DrawEllipse(&ink.outline, r);
            break;
        case 3: {
            Gdiplus::GraphicsPath path;
            AddRoundedRectangle(r.X, r.Y, r.Width, r.Height, SelectionCornerRadius(r.Width, r.Height), path);
            graphics.FillPath(&ink.fill, &path);
            graphics.DrawPath(&ink.outline, &path);
            break;
        }
        default:
            break;
    }
}

SelectionLabels LayOutSelectionLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r, const Gdiplus::Rect& c,
                                      const OverlayLayout::SizeTexts& texts, const std::wstring& windowText) {
    SelectionLabels labels;
    labels.texts = texts;
    const Gdiplus::Font font(OverlayFontFamily(), kLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    labels.width = OverlayLayout::WidthLabel(r, MeasureRounded(graphics, texts.width, font));
    labels.height = OverlayLayout::HeightLabel(r, MeasureRounded(graphics, texts.height, font));

    const Gdiplus::Font measuring(OverlayFontFamily(), kReadoutMeasurePoints, Gdiplus::FontStyleRegular,
                                  Gdiplus::UnitPoint);
    const Gdiplus::SizeF measured = Measure(graphics, texts.readout, measuring);
    labels.readoutPoints = OverlayLayout::ReadoutPointSize(c, measured.Width, measured.Height);
    if (labels.readoutPoints <= 0.0f) return labels;
    const Gdiplus::Font bold(OverlayFontFamily(), labels.readoutPoints, Gdiplus::FontStyleBold, Gdiplus::UnitPoint);
    labels.readoutAt = OverlayLayout::ReadoutOrigin(r, c, measured.Width, bold.GetHeight(&graphics));
    labels.readoutSize = Measure(graphics, texts.readout, bold);
    if (!windowText.empty()) {
        labels.windowText = windowText;
        labels.windowAt = Gdiplus::PointF(static_cast<float>(r.X), static_cast<float>(r.Y));
        labels.windowSize = Measure(graphics, windowText, measuring);
    }
    return labels;
}

void DrawSelectionLabels(Gdiplus::Graphics& graphics, const SelectionLabels& labels,
                         const std::vector<RECT>* repainted, const OutlineRaster::Target* pixels) {
    const Gdiplus::Font font(OverlayFontFamily(), kLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    DrawDimension(graphics, labels.width, labels.texts.width, font, repainted, pixels);
    DrawDimension(graphics, labels.height, labels.texts.height, font, repainted, pixels);
    if (labels.readoutPoints <= 0.0f) return;
    if (Touches(repainted, labels.readoutAt.X, labels.readoutAt.Y, labels.readoutSize.Width, labels.readoutSize.Height)) {
        const Gdiplus::Font bold(OverlayFontFamily(), labels.readoutPoints, Gdiplus::FontStyleBold, Gdiplus::UnitPoint);
        Gdiplus::SolidBrush brush{Gdiplus::Color(kReadoutColor)};
        graphics.DrawString(labels.texts.readout.c_str(), static_cast<INT>(labels.texts.readout.size()), &bold,
                            labels.readoutAt, &brush);
    }
    if (!labels.windowText.empty() && Touches(repainted, labels.windowAt.X, labels.windowAt.Y, labels.windowSize.Width,
                                              labels.windowSize.Height)) {
        const Gdiplus::Font regular(OverlayFontFamily(), kReadoutMeasurePoints, Gdiplus::FontStyleRegular,
                                    Gdiplus::UnitPoint);
        Gdiplus::SolidBrush brush{Gdiplus::Color(kWindowLabelColor)};
        graphics.DrawString(labels.windowText.c_str(), static_cast<INT>(labels.windowText.size()), &regular,
                            labels.windowAt, &brush);
    }
}

OverlayLayout::SelectionExtent SelectionExtentOf(int shape, const Gdiplus::Rect& r, const SelectionLabels& labels) {
    OverlayLayout::SelectionExtent extent;
    extent.drawn = true;
    extent.shape = shape;
    extent.r = r;
    extent.width = labels.width;
    extent.height = labels.height;
    extent.widthText = labels.texts.width;
    extent.heightText = labels.texts.height;
    if (labels.readoutPoints > 0.0f) {
        extent.readout = TextBounds(labels.readoutAt, labels.readoutSize);
        extent.readoutText = labels.texts.readout;
        if (!labels.windowText.empty()) {
            extent.windowLabel = TextBounds(labels.windowAt, labels.windowSize);
            extent.windowText = labels.windowText;
        }
    }
    return extent;
}

bool PaintSizeLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r, const Gdiplus::Rect& c,
                     const OverlayLayout::SizeTexts& texts, const std::vector<RECT>* repainted) {
    const SelectionLabels labels = LayOutSelectionLabels(graphics, r, c, texts);
    DrawSelectionLabels(graphics, labels, repainted);
    return labels.readoutPoints > 0.0f;
}
