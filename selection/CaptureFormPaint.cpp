// How the capture form draws itself: the frozen screen, the cross-hair with the cursor's coordinates,
// the selection with its dimension labels and size read-out, the window label and the magnifier.
#include "selection/CaptureForm.h"

#include "selection/OverlayHelpers.h"
#include "selection/OverlayLayout.h"
#include "selection/OverlayPaint.h"
#include "windows/Rectangles.h"

using OverlayLayout::IsRegionMode;
using OverlayLayout::IsWindowMode;

namespace {

constexpr Gdiplus::ARGB kWindowLabelColor = 0xFFFF8C00;
constexpr float kWindowLabelPoints = 12.0f;

}  // namespace

void CaptureForm::OnPaint() {
    OverlayFrame frame(this, m_buffer, m_capture->GetImage());
    if (!frame.ok()) return;
    // Region modes with the mouse up show the cross-hair, unless the highlight still glides back to the
    // cursor (then the selection is drawn) or the session is remote (then neither).
    const bool regionMode = IsRegionMode(m_captureMode);
    const bool gliding = m_windowAnimator && m_windowAnimator->HasNext();
    const bool crossHair = regionMode && !m_mouseDown && !gliding && !IsRemoteSession();
    if (crossHair) PaintCrossHair(frame.dc(), frame.origin(), m_cursorPosition, ScreenBounds());
    {
        Gdiplus::Graphics graphics(frame.dc());
        frame.UseClientCoordinates(graphics);
        if (crossHair)
            PaintCoordinateLabel(graphics, m_cursorPosition);
        else if (!regionMode || m_mouseDown || gliding)
            PaintSelection(graphics);
        if (m_zoomer.Moving() || regionMode) m_zoomer.Paint(graphics, m_capture->GetImage(), m_cursorPosition);
    }
    frame.Present();
}

void CaptureForm::PaintSelection(Gdiplus::Graphics& graphics) {
    // The selection never reaches past the screen: a window partly off screen is cut to it.
    const Gdiplus::Rect bounds = ScreenBounds();
    m_captureRect = Rects::Intersection(m_captureRect, Gdiplus::Rect(0, 0, bounds.Width, bounds.Height));
    const Gdiplus::Rect& c = m_captureRect;
    const Gdiplus::Rect r = m_windowAnimator && m_windowAnimator->HasNext() ? m_windowAnimator->Current() : c;

    SelectionInk ink;
    switch (m_selectionShape) {
        case 1:
            graphics.FillRectangle(&ink.fill, r);
            graphics.DrawRectangle(&ink.outline, r);
            break;
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
    const OverlayLayout::SizeTexts texts = OverlayLayout::SelectionTexts(c, OverlayLayout::LabelEdge(m_captureMode),
                                                                         OverlayLayout::ReadoutEdge(m_captureMode));
    if (!PaintSizeLabels(graphics, r, c, texts)) return;
    if (m_showDetails && m_selectedWindow) PaintWindowLabel(graphics, r);
}

void CaptureForm::PaintWindowLabel(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r) {
    const std::wstring& title = m_selectedWindow->Text();
    const std::wstring text = OverlayLayout::WindowLabelText(m_selectedWindow->Handle(), title,
                                                                 title.empty() ? m_selectedWindow->GetProcessPath()
                                                                               : std::wstring());
    const Gdiplus::Font font(OverlayFontFamily(), kWindowLabelPoints, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    Gdiplus::SolidBrush brush{Gdiplus::Color(kWindowLabelColor)};
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), &font,
                        Gdiplus::PointF(static_cast<float>(r.X), static_cast<float>(r.Y)), &brush);
}
