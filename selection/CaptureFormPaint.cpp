// How the capture form draws itself: the frozen screen, the cross-hair with the cursor's coordinates,
// the selection with its dimension labels and size read-out, the window label and the magnifier.
#include "selection/CaptureForm.h"

#include "selection/OverlayHelpers.h"
#include "selection/OverlayLayout.h"
#include "selection/OverlayPaint.h"
#include "windows/Rectangles.h"

using OverlayLayout::IsRegionMode;
using OverlayLayout::IsWindowMode;

void CaptureForm::OnPaint() {
    OverlayFrame frame(this, m_buffer, m_capture->GetImage());
    if (!frame.ok()) return;
    // Region modes with the mouse up show the cross-hair, unless the highlight still glides back to the
    // cursor (then the selection is drawn) or the session is remote (then neither).
    const bool regionMode = IsRegionMode(m_captureMode);
    const bool gliding = m_windowAnimator && m_windowAnimator->HasNext();
    const bool crossHair = regionMode && !m_mouseDown && !gliding && !IsRemoteSession();
    const bool selection = !regionMode || m_mouseDown || gliding;
    if (crossHair) PaintCrossHair(frame.dc(), frame.origin(), m_cursorPosition, ScreenBounds());
    {
        Gdiplus::Graphics graphics(frame.dc());
        frame.UseClientCoordinates(graphics);
        if (crossHair) PaintCoordinateLabel(graphics, m_cursorPosition);
        if (selection)
            PaintSelection(frame, graphics);
        else
            m_shownSelection = OverlayLayout::SelectionExtent();
        if (m_zoomer.Moving() || regionMode) {
            const OutlineRaster::Target pixels = frame.Pixels();
            m_zoomer.Paint(graphics, m_capture->GetImage(), m_cursorPosition, &pixels, &frame.Rects());
        }
    }
    frame.Present();
}

void CaptureForm::DrawnSelection(Gdiplus::Rect& r, Gdiplus::Rect& c) {
    // The selection never reaches past the screen: a window partly off screen is cut to it.
    const Gdiplus::Rect bounds = ScreenBounds();
    m_captureRect = Rects::Intersection(m_captureRect, Gdiplus::Rect(0, 0, bounds.Width, bounds.Height));
    c = m_captureRect;
    r = m_windowAnimator && m_windowAnimator->HasNext() ? m_windowAnimator->Current() : c;
}

const SelectionLabels& CaptureForm::LaidOutLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r,
                                                  const Gdiplus::Rect& c) {
    const OverlayLayout::SizeTexts texts = OverlayLayout::SelectionTexts(c, OverlayLayout::LabelEdge(m_captureMode),
                                                                         OverlayLayout::ReadoutEdge(m_captureMode));
    std::wstring windowText;
    if (m_showDetails && m_selectedWindow) {
        const std::wstring& title = m_selectedWindow->Text();
        windowText = OverlayLayout::WindowLabelText(m_selectedWindow->Handle(), title,
                                                    title.empty() ? m_selectedWindow->GetProcessPath() : std::wstring());
    }
    // The tick lays out what the paint right after it draws: measured once for both.
    if (!m_labelsValid || !Rects::Same(m_labelsR, r) || !Rects::Same(m_labelsC, c) || m_labels.texts.width != texts.width ||
        m_labels.texts.height != texts.height || m_labels.texts.readout != texts.readout ||
        m_labels.windowText != windowText) {
        m_labels = LayOutSelectionLabels(graphics, r, c, texts, windowText);
        m_labelsR = r;
        m_labelsC = c;
        m_labelsValid = true;
    }
    return m_labels;
}

void CaptureForm::PaintSelection(OverlayFrame& frame, Gdiplus::Graphics& graphics) {
    Gdiplus::Rect r, c;
    DrawnSelection(r, c);
    const SelectionInk ink;
    const OutlineRaster::Target pixels = frame.Pixels();
    DrawSelectionShape(graphics, m_selectionShape, r, ink, &pixels, &frame.Rects());
    const SelectionLabels& labels = LaidOutLabels(graphics, r, c);
    DrawSelectionLabels(graphics, labels, &frame.Rects(), &pixels);
    m_shownSelection = SelectionExtentOf(m_selectionShape, r, labels);
}
