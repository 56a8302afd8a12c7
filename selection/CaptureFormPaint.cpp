// How the capture form draws itself: the frozen screen, the cross-hair with the cursor's coordinates,
// the selection with its dimension labels and size read-out, the window label and the magnifier.
// Only the invalidated area is drawn, into the form's back buffer, and copied to the screen in one BitBlt.
#include "selection/CaptureForm.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "selection/CaptureFormLayout.h"
#include "selection/OverlayHelpers.h"

using CaptureFormLayout::IsRegionMode;
using CaptureFormLayout::IsWindowMode;

namespace {

constexpr int kCheckerboardResource = 1001;
constexpr Gdiplus::ARGB kCrossHairColor = 0xFF20B2AA;
constexpr Gdiplus::ARGB kLabelFill = 0xC8D9F0E3;
constexpr Gdiplus::ARGB kLabelInk = 0xFF2E8B57;
constexpr Gdiplus::ARGB kSelectionFill = 0x323CB371;
constexpr Gdiplus::ARGB kSelectionOutline = 0x32000000;
constexpr Gdiplus::ARGB kReadoutColor = 0xFF20B2AA;
constexpr Gdiplus::ARGB kWindowLabelColor = 0xFFFF8C00;
constexpr float kLabelPoints = 8.0f;
constexpr float kReadoutMeasurePoints = 12.0f;
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

void DrawDimension(Gdiplus::Graphics& graphics, const CaptureFormLayout::DimensionLabel& label,
                   const std::wstring& text, const Gdiplus::Font& font) {
    if (!label.shown) return;
    DrawLabel(graphics, label.box, label.text, text, font);
    Gdiplus::Pen pen(Gdiplus::Color(kLabelInk), 1.0f);
    for (const CaptureFormLayout::Segment& s : label.line) graphics.DrawLine(&pen, s.from, s.to);
    for (const CaptureFormLayout::Segment& s : label.ticks) graphics.DrawLine(&pen, s.from, s.to);
}

// A top-down 32-bit DIB section; bits receives its pixels.
HBITMAP TopDownSection(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// 0xAARRGGBB with its colour multiplied by its alpha, as drawing it over black leaves it.
DWORD OverBlack(DWORD argb) {
    const DWORD a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    DWORD out = a << 24;
    for (int shift = 0; shift <= 16; shift += 8) out |= ((argb >> shift & 0xFF) * a + 127) / 255 << shift;
    return out;
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
                const Gdiplus::Rect& destination, bool translucent) {
    if (!screenshot || destination.Width <= 0 || destination.Height <= 0 || source.Width <= 0) return;
    const float opacity = CaptureSettings::Get().ZoomerOpacity;
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
    const CaptureFormLayout::ZoomerBars z = CaptureFormLayout::ZoomerCrossHair(destination, source.Width);
    Gdiplus::Pen bar(Gdiplus::Color(alpha, 0, 0, 0), static_cast<float>(z.pixel));
    for (const CaptureFormLayout::Segment& s : z.bars) graphics.DrawLine(&bar, s.from, s.to);
    ring.SetColor(Gdiplus::Color(alpha, 255, 255, 255));
    ring.SetWidth(1.0f);
    for (const Gdiplus::Rect& r : z.outlines) graphics.DrawRectangle(&ring, r);
}

bool CaptureForm::PrepareBackground() {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(m_capture->GetImage());
    if (!bitmap) return false;
    const int width = static_cast<int>(bitmap->GetWidth()), height = static_cast<int>(bitmap->GetHeight());
    if (width <= 0 || height <= 0) return false;
    void* bits = nullptr;
    qel::UniqueHbitmap buffer(TopDownSection(width, height, &bits));
    qel::UniqueHdc bufferDc(::CreateCompatibleDC(nullptr));
    if (!buffer || !bufferDc) return false;
    // Selected for the form's life: the DC member is declared after the bitmap, so it goes first.
    ::SelectObject(bufferDc.get(), buffer.get());
    m_bufferDc.reset();
    m_buffer = std::move(buffer);
    m_bufferDc = std::move(bufferDc);
    m_bufferBits = static_cast<DWORD*>(bits);
    m_bufferSize = SIZE{width, height};
    const RECT all{0, 0, width, height};
    m_bufferClean = RestoreBackground(&all, 1);
    return m_bufferClean;
}

bool CaptureForm::RestoreBackground(const RECT* rects, size_t count) {
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(m_capture->GetImage());
    if (!bitmap || !m_bufferBits) return false;
    // The frozen image is read in its own layout where that is one GDI shows as it is (GDI+ then hands out
    // its pixels without converting them); screen copies with parts off every monitor are 32-bit ARGB and
    // are laid over black here, as drawing them would.
    const Gdiplus::PixelFormat native = bitmap->GetPixelFormat();
    const bool straight = native == PixelFormat32bppARGB, rgb24 = native == PixelFormat24bppRGB;
    const Gdiplus::PixelFormat format =
        straight || rgb24 || native == PixelFormat32bppRGB ? native : PixelFormat32bppPARGB;
    const RECT image{0, 0, std::min<LONG>(m_bufferSize.cx, static_cast<LONG>(bitmap->GetWidth())),
                     std::min<LONG>(m_bufferSize.cy, static_cast<LONG>(bitmap->GetHeight()))};
    ::GdiFlush();  // GDI may still be drawing into the buffer
    bool complete = true;
    for (size_t i = 0; i < count; ++i) {
        RECT r;
        if (!::IntersectRect(&r, &rects[i], &image)) continue;
        const int w = r.right - r.left;
        qel::BitmapBitsLock lock(bitmap, Gdiplus::Rect(r.left, r.top, w, r.bottom - r.top), Gdiplus::ImageLockModeRead,
                                 format);
        if (!lock.ok()) {
            complete = false;
            continue;
        }
        for (LONG y = r.top; y < r.bottom; ++y) {
            const BYTE* from = lock.scan0() + static_cast<ptrdiff_t>(y - r.top) * lock.data().Stride;
            DWORD* to = m_bufferBits + static_cast<size_t>(y) * m_bufferSize.cx + r.left;
            if (rgb24) {
                for (int x = 0; x < w; ++x, from += 3) to[x] = 0xFF000000u | from[2] << 16 | from[1] << 8 | from[0];
            } else if (straight) {
                const auto* pixels = reinterpret_cast<const DWORD*>(from);
                for (int x = 0; x < w; ++x) to[x] = OverBlack(pixels[x]);
            } else {
                std::memcpy(to, from, static_cast<size_t>(w) * 4);
            }
        }
    }
    return complete;
}

BOOL CaptureForm::OnEraseBkgnd(CDC*) { return TRUE; }

void CaptureForm::OnPaint() {
    // Only what was invalidated is drawn: the update region, read before BeginPaint validates it, clips
    // the drawing, since a few thin strips can have a screen-sized bounding box.
    qel::UniqueHrgn update(::CreateRectRgn(0, 0, 0, 0));
    const bool clipToUpdate = update && ::GetUpdateRgn(m_hWnd, update.get(), FALSE) > NULLREGION;
    CPaintDC paint(this);
    RECT clip{};
    if (::GetClipBox(paint.GetSafeHdc(), &clip) == ERROR) return;
    const int width = clip.right - clip.left, height = clip.bottom - clip.top;
    if (width <= 0 || height <= 0) return;

    // The frame is drawn into the back buffer, which covers the window; without one, into a bitmap of
    // the clip box whose first pixel is the clip box's corner.
    qel::UniqueHdc scratchDc;
    qel::UniqueHbitmap scratch;
    HDC target = m_bufferDc.get();
    POINT origin{0, 0};
    if (!target) {
        scratchDc.reset(::CreateCompatibleDC(paint.GetSafeHdc()));
        scratch.reset(::CreateCompatibleBitmap(paint.GetSafeHdc(), width, height));
        if (!scratchDc || !scratch) return;
        target = scratchDc.get();
        origin = POINT{clip.left, clip.top};
    }
    qel::SelectScope selectScratch(scratchDc.get(), scratch.get());
    if (clipToUpdate) {
        ::OffsetRgn(update.get(), -origin.x, -origin.y);
        ::SelectClipRgn(target, update.get());
    }

    Gdiplus::Image* screenshot = m_capture->GetImage();
    bool background = target == m_bufferDc.get() && m_bufferClean;
    if (target == m_bufferDc.get() && !m_bufferClean) {
        // The frozen screen goes back under what was invalidated, rectangle by rectangle.
        std::vector<RECT> rects;
        if (clipToUpdate) {
            const DWORD size = ::GetRegionData(update.get(), 0, nullptr);
            std::vector<BYTE> data(size);
            auto* region = reinterpret_cast<RGNDATA*>(data.data());
            if (size && ::GetRegionData(update.get(), size, region) == size) {
                const RECT* first = reinterpret_cast<const RECT*>(region->Buffer);
                rects.assign(first, first + region->rdh.nCount);
            }
        }
        if (rects.empty()) rects.push_back(clip);
        background = RestoreBackground(rects.data(), rects.size());
    }
    if (target == m_bufferDc.get()) m_bufferClean = false;
    if (!background && screenshot) {
        Gdiplus::Graphics graphics(target);
        graphics.TranslateTransform(static_cast<float>(-origin.x), static_cast<float>(-origin.y));
        const INT w = static_cast<INT>(screenshot->GetWidth()), h = static_cast<INT>(screenshot->GetHeight());
        graphics.DrawImage(screenshot, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel);
    }

    // Region modes with the mouse up show the cross-hair, unless the highlight still glides back to the
    // cursor (then the selection is drawn) or the session is remote (then neither).
    const bool regionMode = IsRegionMode(m_captureMode);
    const bool gliding = m_windowAnimator && m_windowAnimator->HasNext();
    const bool crossHair = regionMode && !m_mouseDown && !gliding && !IsRemoteSession();
    if (crossHair) PaintCrossHairLines(target, origin);
    {
        Gdiplus::Graphics graphics(target);
        graphics.TranslateTransform(static_cast<float>(-origin.x), static_cast<float>(-origin.y));
        if (crossHair)
            PaintCoordinateLabel(graphics);
        else if (!regionMode || m_mouseDown || gliding)
            PaintSelection(graphics);
        if (m_zoomAnimator && (m_zoomAnimator->HasNext() || regionMode)) {
            const Gdiplus::Rect source(m_cursorPosition.x - CaptureFormLayout::kZoomerSourceSide / 2,
                                       m_cursorPosition.y - CaptureFormLayout::kZoomerSourceSide / 2,
                                       CaptureFormLayout::kZoomerSourceSide, CaptureFormLayout::kZoomerSourceSide);
            Gdiplus::Rect destination = m_zoomAnimator->Current();
            destination.X += m_cursorPosition.x;
            destination.Y += m_cursorPosition.y;
            DrawZoomer(graphics, screenshot, source, destination, m_zoomerTranslucent);
        }
    }
    ::BitBlt(paint.GetSafeHdc(), clip.left, clip.top, width, height, target, clip.left - origin.x,
             clip.top - origin.y, SRCCOPY);
    ::SelectClipRgn(target, nullptr);
}

void CaptureForm::PaintCrossHairLines(HDC dc, POINT origin) {
    // One dot on, one off, from each line's start: drawn by GDI, since GDI+ dashes a screen-long line
    // slower than the rest of the paint together.
    const Gdiplus::Rect bounds = ScreenBounds();
    const LOGBRUSH brush{BS_SOLID, RGB(0x20, 0xB2, 0xAA), 0};
    qel::UniqueHpen pen(::ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr));
    if (!pen) return;
    qel::SelectScope select(dc, pen.get());
    const int x = m_cursorPosition.x - origin.x, y = m_cursorPosition.y - origin.y;
    ::MoveToEx(dc, x, bounds.Y - origin.y, nullptr);
    ::LineTo(dc, x, bounds.Height - origin.y + 1);
    ::MoveToEx(dc, bounds.X - origin.x, y, nullptr);
    ::LineTo(dc, bounds.Width - origin.x + 1, y);
}

void CaptureForm::PaintCoordinateLabel(Gdiplus::Graphics& graphics) {
    const Gdiplus::Font font(OverlayFontFamily(), kLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    const std::wstring text = CaptureFormLayout::CoordinateText(m_cursorPosition);
    const Gdiplus::Size measured = MeasureRounded(graphics, text, font);
    DrawLabel(graphics, CaptureFormLayout::CoordinateLabelBox(m_cursorPosition, measured),
              Gdiplus::Point(m_cursorPosition.x + 5, m_cursorPosition.y + 5), text, font);
}

void CaptureForm::PaintSelection(Gdiplus::Graphics& graphics) {
    // The selection never reaches past the screen: a window partly off screen is cut to it.
    const Gdiplus::Rect bounds = ScreenBounds();
    {
        const int left = std::max(m_captureRect.X, 0), top = std::max(m_captureRect.Y, 0);
        const int right = std::min(m_captureRect.X + m_captureRect.Width, bounds.Width);
        const int bottom = std::min(m_captureRect.Y + m_captureRect.Height, bounds.Height);
        m_captureRect = Gdiplus::Rect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
    }
    const Gdiplus::Rect& c = m_captureRect;
    const Gdiplus::Rect r = m_windowAnimator && m_windowAnimator->HasNext() ? m_windowAnimator->Current() : c;

    Gdiplus::SolidBrush fill{Gdiplus::Color(kSelectionFill)};
    Gdiplus::Pen outline(Gdiplus::Color(kSelectionOutline), 1.0f);
    switch (m_selectionShape) {
        case 1:
            graphics.FillRectangle(&fill, r);
            graphics.DrawRectangle(&outline, r);
            break;
        case 2:
            graphics.FillEllipse(&fill, r);
            graphics.DrawEllipse(&outline, r);
            break;
        case 3: {
            Gdiplus::GraphicsPath path;
            AddRoundedRectangle(r.X, r.Y, r.Width, r.Height, SelectionCornerRadius(r.Width, r.Height), path);
            graphics.FillPath(&fill, &path);
            graphics.DrawPath(&outline, &path);
            break;
        }
        default:
            break;
    }

    const Gdiplus::Font font(OverlayFontFamily(), kLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    const std::wstring widthText = CaptureFormLayout::WidthLabelText(c, m_captureMode);
    const std::wstring heightText = CaptureFormLayout::HeightLabelText(c, m_captureMode);
    DrawDimension(graphics, CaptureFormLayout::WidthLabel(r, MeasureRounded(graphics, widthText, font)), widthText, font);
    DrawDimension(graphics, CaptureFormLayout::HeightLabel(r, MeasureRounded(graphics, heightText, font)), heightText,
                  font);

    const std::wstring readout = CaptureFormLayout::ReadoutText(c, m_captureMode);
    const Gdiplus::Font measuring(OverlayFontFamily(), kReadoutMeasurePoints, Gdiplus::FontStyleRegular,
                                  Gdiplus::UnitPoint);
    const Gdiplus::SizeF measured = Measure(graphics, readout, measuring);
    const float points = CaptureFormLayout::ReadoutPointSize(c, measured.Width, measured.Height);
    if (points <= 0.0f) return;
    const Gdiplus::Font bold(OverlayFontFamily(), points, Gdiplus::FontStyleBold, Gdiplus::UnitPoint);
    const Gdiplus::PointF at = CaptureFormLayout::ReadoutOrigin(r, c, measured.Width, bold.GetHeight(&graphics));
    Gdiplus::SolidBrush readoutBrush{Gdiplus::Color(kReadoutColor)};
    graphics.DrawString(readout.c_str(), static_cast<INT>(readout.size()), &bold, at, &readoutBrush);

    if (m_showDetails && m_selectedWindow) PaintWindowLabel(graphics, r);
}

void CaptureForm::PaintWindowLabel(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r) {
    const std::wstring& title = m_selectedWindow->Text();
    const std::wstring text = CaptureFormLayout::WindowLabelText(m_selectedWindow->Handle(), title,
                                                                 title.empty() ? m_selectedWindow->GetProcessPath()
                                                                               : std::wstring());
    const Gdiplus::Font font(OverlayFontFamily(), kReadoutMeasurePoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    Gdiplus::SolidBrush brush{Gdiplus::Color(kWindowLabelColor)};
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), &font,
                        Gdiplus::PointF(static_cast<float>(r.X), static_cast<float>(r.Y)), &brush);
}
