// How the capture form draws itself: the frozen screen, the cross-hair with the cursor's coordinates,
// the selection with its dimension labels and size read-out, the window label and the magnifier.
// Everything is drawn into an off-screen bitmap of the invalidated area and copied in one BitBlt.
#include "selection/CaptureForm.h"

#include <algorithm>
#include <cstring>
#include <memory>

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
        if (Gdiplus::TextureBrush* checkerboard = CheckerboardBrush()) graphics.FillRectangle(checkerboard, destination);
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
    HBITMAP section = nullptr;
    if (bitmap->GetHBITMAP(Gdiplus::Color(255, 0, 0, 0), &section) != Gdiplus::Ok || !section) return false;
    qel::UniqueHbitmap background(section);
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return false;
    // Selected for the form's life: the DC member is declared after the bitmap, so it is deleted first.
    ::SelectObject(dc.get(), background.get());
    m_backgroundDc.reset();
    m_background = std::move(background);
    m_backgroundDc = std::move(dc);
    return true;
}

BOOL CaptureForm::OnEraseBkgnd(CDC*) { return TRUE; }

void CaptureForm::OnPaint() {
    // Only what was invalidated is drawn: the update region, read before BeginPaint validates it, clips
    // the off-screen bitmap as well, since a few thin strips can have a screen-sized bounding box.
    qel::UniqueHrgn update(::CreateRectRgn(0, 0, 0, 0));
    const bool clipToUpdate = update && ::GetUpdateRgn(m_hWnd, update.get(), FALSE) > NULLREGION;
    CPaintDC paint(this);
    RECT clip{};
    if (::GetClipBox(paint.GetSafeHdc(), &clip) == ERROR) return;
    const int width = clip.right - clip.left, height = clip.bottom - clip.top;
    if (width <= 0 || height <= 0) return;
    qel::UniqueHdc memory(::CreateCompatibleDC(paint.GetSafeHdc()));
    qel::UniqueHbitmap buffer(::CreateCompatibleBitmap(paint.GetSafeHdc(), width, height));
    if (!memory || !buffer) return;
    qel::SelectScope selectBuffer(memory.get(), buffer.get());
    if (clipToUpdate) {
        ::OffsetRgn(update.get(), -clip.left, -clip.top);
        ::SelectClipRgn(memory.get(), update.get());
    }

    Gdiplus::Image* screenshot = m_capture->GetImage();
    if (m_backgroundDc) {
        ::BitBlt(memory.get(), 0, 0, width, height, m_backgroundDc.get(), clip.left, clip.top, SRCCOPY);
    }
    {
        Gdiplus::Graphics graphics(memory.get());
        // Client coordinates throughout: the bitmap's first pixel is the clip box's corner.
        graphics.TranslateTransform(static_cast<float>(-clip.left), static_cast<float>(-clip.top));
        if (!m_backgroundDc && screenshot) {
            graphics.DrawImage(screenshot, Gdiplus::Rect(0, 0, static_cast<INT>(screenshot->GetWidth()),
                                                         static_cast<INT>(screenshot->GetHeight())),
                               0, 0, static_cast<INT>(screenshot->GetWidth()),
                               static_cast<INT>(screenshot->GetHeight()), Gdiplus::UnitPixel);
        }

        const bool regionMode = IsRegionMode(m_captureMode);
        if (regionMode && !m_mouseDown) {
            if (m_windowAnimator && m_windowAnimator->HasNext())
                PaintSelection(graphics);  // the highlight still glides back to the cursor
            else if (!IsRemoteSession())
                PaintCrossHair(graphics);
        } else {
            PaintSelection(graphics);
        }

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
    ::BitBlt(paint.GetSafeHdc(), clip.left, clip.top, width, height, memory.get(), 0, 0, SRCCOPY);
}

void CaptureForm::PaintCrossHair(Gdiplus::Graphics& graphics) {
    const Gdiplus::Rect bounds = ScreenBounds();
    Gdiplus::Pen dotted(Gdiplus::Color(kCrossHairColor), 1.0f);
    dotted.SetDashStyle(Gdiplus::DashStyleDot);
    const int x = m_cursorPosition.x, y = m_cursorPosition.y;
    graphics.DrawLine(&dotted, x, bounds.Y, x, bounds.Height);
    graphics.DrawLine(&dotted, bounds.X, y, bounds.Width, y);

    const Gdiplus::Font font(OverlayFontFamily(), kLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    const std::wstring text = CaptureFormLayout::CoordinateText(m_cursorPosition);
    const Gdiplus::Size measured = MeasureRounded(graphics, text, font);
    DrawLabel(graphics, CaptureFormLayout::CoordinateLabelBox(m_cursorPosition, measured),
              Gdiplus::Point(x + 5, y + 5), text, font);
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
