#include "selection/CatchScreenWnd.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "capture/CaptureSession.h"
#include "capture/CaptureSettings.h"
#include "capture/ImageHelpers.h"
#include "selection/OverlayHelpers.h"
#include "selection/OverlayPaint.h"
#include "windows/Rectangles.h"
#include "windows/ScreenCopy.h"
#include "windows/ScreenGeometry.h"

IMPLEMENT_DYNAMIC(CCatchScreenWnd, AnimatingForm)

BEGIN_MESSAGE_MAP(CCatchScreenWnd, AnimatingForm)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
END_MESSAGE_MAP()

CCatchScreenWnd::CCatchScreenWnd(bool includeCursor)
    : m_cursorPosition(-1, -1), m_captureRect(0, 0, 0, 0), m_shapePath(Gdiplus::FillModeAlternate) {
    m_animationWanted = true;
    m_capture.reset(ScreenGeometry::CaptureCursor(nullptr));
    if (!m_capture) m_capture = std::make_unique<Capture>();
    m_capture->SetCursorVisible(includeCursor && CaptureSettings::Get().CaptureMousePointer);
    if (ICaptureDetails* details = m_capture->GetDetails()) details->SetProperty(L"source", L"screen");
    m_screenBounds = m_capture->GetScreenBounds();
    // Only the worker touches the capture's image and location until Frozen() joins it.
    m_screenshotPending = true;
    m_screenshot.Start([capture = m_capture.get(), bounds = m_screenBounds] {
        ScreenGeometry::CaptureRectangle(capture, bounds);
    });
    RecordScreenResolution(m_capture.get());
    m_cursorPosition = ScreenGeometry::CursorInOverlayCoordinates();
    m_zoomer.Set(CaptureSettings::Get().ZoomerEnabled, m_cursorPosition, m_captureRect, ScreenBounds());
    CheckerboardBrush();
}

CCatchScreenWnd::~CCatchScreenWnd() {
    // A window still open here is destroyed through this class's map, which takes it off the ignore list.
    if (m_hWnd) DestroyWindow();
}

ICapture* CCatchScreenWnd::Frozen() {
    if (m_screenshotPending) {
        m_screenshot.Join();
        m_screenshotPending = false;
        SetImageResolution(m_capture.get());
    }
    return m_capture.get();
}

int CCatchScreenWnd::RunForm() {
    // Made while the screenshot is read; the buffer is made after the first paint, as on the live overlay.
    PrepareOverlay(ScreenBounds());
    Frozen();
    m_buffer.PrepareAfterFirstPaint();
    if (!CreateOverlay(ScreenBounds())) return 0;
    return RunModalLoop();
}

BITMAPINFOHEADER* CCatchScreenWnd::GetResult() {
    return ImageHelpers::CutAlongPath(Frozen()->GetImage(), m_shapePath);
}

void CCatchScreenWnd::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
    HandleBaseKey(ch);
    CWnd::OnKeyDown(ch, repeat, flags);
}

bool CCatchScreenWnd::HandleBaseKey(UINT key) {
    switch (key) {
        case VK_ESCAPE:
            EndModalLoop(2);
            return true;
        case 'M': {
            ICapture* capture = Frozen();
            capture->SetCursorVisible(!capture->IsCursorVisible());
            Invalidate(TRUE);
            return true;
        }
        case 'Z':
            m_zoomer.Toggle(m_cursorPosition, m_captureRect, ScreenBounds());
            Invalidate(TRUE);
            return true;
        default:
            return HandleSharedKeyDown(key);
    }
}

void CCatchScreenWnd::PaintOverlay(bool crossHair, const OverlayLayout::SizeTexts* texts, float outlineWidth) {
    Gdiplus::Image* screenshot = Frozen()->GetImage();
    OverlayFrame frame(this, m_buffer, screenshot);
    if (!frame.ok()) return;
    if (crossHair) PaintCrossHair(frame.dc(), frame.origin(), m_cursorPosition, ScreenBounds());
    {
        Gdiplus::Graphics graphics(frame.dc());
        frame.UseClientCoordinates(graphics);
        if (crossHair) PaintCoordinateLabel(graphics, m_cursorPosition);
        if (texts) {
            // Only what lies on the screen is drawn; the rectangle handed back keeps its full size.
            const Gdiplus::Rect bounds = ScreenBounds();
            const Gdiplus::Rect shown =
                Rects::Intersection(m_captureRect, Gdiplus::Rect(0, 0, bounds.Width, bounds.Height));
            PaintShape(frame, graphics, outlineWidth);
            PaintSizeLabels(graphics, shown, shown, *texts, &frame.Rects());
        }
        m_zoomer.Paint(graphics, screenshot, m_cursorPosition);
    }
    frame.Present();
}

void CCatchScreenWnd::PaintShape(OverlayFrame&, Gdiplus::Graphics& graphics, float outlineWidth) {
    SelectionInk ink(outlineWidth);
    graphics.FillPath(&ink.fill, &m_shapePath);
    graphics.DrawPath(&ink.outline, &m_shapePath);
}

Gdiplus::Rect CCatchScreenWnd::LabelledSelectionBox(CPoint old, const Gdiplus::Rect& oldRect) {
    const Gdiplus::FontFamily* family = OverlayFontFamily();
    const int dx = std::max(std::abs(m_mouseDownPosition.x - old.x), std::abs(m_mouseDownPosition.x - m_cursorPosition.x));
    const int dy = std::max(std::abs(m_mouseDownPosition.y - old.y), std::abs(m_mouseDownPosition.y - m_cursorPosition.y));
    const Gdiplus::Size widthLabel = MeasureText(family, std::to_wstring(dx).c_str(), m_hWnd);
    const Gdiplus::Size heightLabel = MeasureText(family, std::to_wstring(dy).c_str(), m_hWnd);
    return OverlayLayout::LabelledRepaintBox(oldRect, m_captureRect, widthLabel.Width, heightLabel.Height);
}

void CCatchScreenWnd::RepaintTick(CPoint old, const Gdiplus::Rect* selectionChange, bool crossHair) {
    if (selectionChange) InvalidateGdiRect(*selectionChange);
    if (crossHair && !IsRemoteSession()) InvalidateCrossHair(old, m_cursorPosition);
    m_zoomer.Tick(m_hWnd, old, m_cursorPosition, CaptureSettings::Get().ZoomerEnabled, m_captureRect, ScreenBounds());
    UpdateWindow();
}
