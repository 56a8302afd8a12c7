#include "selection/CaptureForm.h"

#include <algorithm>
#include <optional>
#include <string>

#include "capture/CaptureSettings.h"
#include "selection/OverlayHelpers.h"
#include "selection/OverlayLayout.h"
#include "selection/OverlayPaint.h"
#include "windows/Rectangles.h"
#include "windows/ScreenGeometry.h"

using OverlayLayout::IsRegionMode;
using OverlayLayout::IsWindowMode;

namespace {

constexpr int kHighlightFrames = 11;
constexpr int kHighlightMargin = 30;  // around the gliding highlight: its labels sit outside it
constexpr int kRegionVariantMode = 11;

// The one form that currently exists; a newer one displaces it.
CaptureForm* g_pCaptureForm = nullptr;

using Rects::Grown;

}  // namespace

IMPLEMENT_DYNAMIC(CaptureForm, AnimatingForm)

BEGIN_MESSAGE_MAP(CaptureForm, AnimatingForm)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_LBUTTONUP()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CaptureForm::CaptureForm(ICapture* capture, WindowListHolder* windows)
    : m_cursorPosition(0, 0),
      m_captureMode(0),
      m_selectionShape(1),
      m_windows(windows),
      m_selectedWindow(nullptr),
      m_captureRect(0, 0, 0, 0),
      m_capture(capture),
      m_showDetails(false),
      m_accepted(false),
      m_topmost(true),
      m_modalResult(0) {
    if (CaptureForm* earlier = g_pCaptureForm) {
        // Its session further down the stack sees the cancelled loop and deletes it.
        if (::IsWindow(earlier->m_hWnd)) earlier->End(2, false);
        g_pCaptureForm = nullptr;
        // Let a displaced form see the end of its loop before the new one shows.
        AfxDispatchPendingMessages();
    }
    m_animationWanted = true;
    g_pCaptureForm = this;
    if (ICaptureDetails* details = m_capture->GetDetails()) m_captureMode = details->GetCaptureMode();
    m_cursorPosition = ScreenGeometry::CursorInOverlayCoordinates();
    if (IsWindowMode(m_captureMode)) {
        m_windowAnimator = std::make_unique<RectangleAnimator>(
            Gdiplus::Rect(m_cursorPosition.x, m_cursorPosition.y, 0, 0), m_captureRect,
            AnimationFrames(kHighlightFrames));
    }
    SetZoomer(CaptureSettings::Get().ZoomerEnabled);
    CheckerboardBrush();
}

CaptureForm::~CaptureForm() {
    // Destroyed here, while this class's WM_DESTROY handler still runs and takes the handle off the
    // ignore list.
    if (m_hWnd) DestroyWindow();
    // A displaced form is deleted after its successor was made current: leave that one in place.
    if (g_pCaptureForm == this) g_pCaptureForm = nullptr;
    if (m_captureMode == kRegionVariantMode && m_capture->GetDetails())
        m_capture->GetDetails()->SetCaptureMode(kRegionVariantMode);
}

CaptureForm* CaptureForm::Current() { return g_pCaptureForm; }

Gdiplus::Rect CaptureForm::ScreenBounds() { return m_capture->GetScreenBounds(); }

int CaptureForm::RunForm() {
    // Made after the first paint: the overlay shows sooner without it.
    m_buffer.PrepareAfterFirstPaint();
    if (!CreateOverlay(ScreenBounds())) return 0;
    const int result = RunModalLoop();
    if (!m_modalResult) m_modalResult = result;
    return 1;
}

void CaptureForm::End(int result, bool accepted) {
    m_accepted = accepted;
    m_modalResult = result;
    EndModalLoop(result);
}

void CaptureForm::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
    const bool windowMode = IsWindowMode(m_captureMode);
    switch (ch) {
        case VK_RETURN:
            if (windowMode)
                End(1, true);
            else if (!m_mouseDown)
                MouseDownStep();
            else
                Finish();
            break;
        case VK_ESCAPE:
            End(2, false);
            break;
        case VK_SPACE:
            SwitchMode();
            break;
        case 'D':
            if (windowMode) {
                m_showDetails = !m_showDetails;
                Invalidate(TRUE);
            }
            break;
        case 'F':
            ToggleTopmost();
            break;
        case 'M':
            m_capture->SetCursorVisible(!m_capture->IsCursorVisible());
            Invalidate(TRUE);
            break;
        case 'Z':
            if (m_captureMode == 1) {
                m_zoomer.Toggle(m_cursorPosition, m_captureRect, ScreenBounds());
                Invalidate(TRUE);
            }
            break;
        default:
            HandleSharedKeyDown(ch);
            break;
    }
    CWnd::OnKeyDown(ch, repeat, flags);
}

void CaptureForm::OnLButtonUp(UINT flags, CPoint point) {
    if (m_mouseDown) Finish();
    CWnd::OnLButtonUp(flags, point);
}

void CaptureForm::Finish() {
    m_mouseDown = false;
    if (IsWindowMode(m_captureMode) && m_selectedWindow) {
        End(1, true);
        return;
    }
    if (m_captureRect.Width > 0 && m_captureRect.Height > 0) {
        // A region includes the pixels of both corners.
        if (m_captureMode == 1 || m_captureMode == kRegionVariantMode) {
            ++m_captureRect.Width;
            ++m_captureRect.Height;
        }
        End(1, true);
        return;
    }
    Invalidate(TRUE);
}

void CaptureForm::SwitchMode() {
    const int highlightFrames = AnimationFrames(kHighlightFrames);
    bool switched = true;
    switch (m_captureMode) {
        case 1:
            m_captureMode = 4;
            // The magnifier shrinks into the cursor; the highlight grows out of it.
            m_zoomer.Set(false, m_cursorPosition, m_captureRect, ScreenBounds());
            m_windowAnimator = std::make_unique<RectangleAnimator>(
                Gdiplus::Rect(m_cursorPosition.x, m_cursorPosition.y, 0, 0), m_captureRect, highlightFrames);
            break;
        case 4:
            m_captureMode = 1;
            if (m_windowAnimator)
                m_windowAnimator->Retarget(Gdiplus::Rect(m_cursorPosition.x, m_cursorPosition.y, 0, 0), highlightFrames);
            SetZoomer(CaptureSettings::Get().ZoomerEnabled);
            break;
        case kRegionVariantMode:
            m_captureMode = 1;
            break;
        default:
            switched = false;
            break;
    }
    if (switched) {
        m_captureRect = Gdiplus::Rect(0, 0, 0, 0);
        Invalidate(TRUE);
    }
    m_selectedWindow = nullptr;
    TrackMouse();
}

void CaptureForm::ToggleTopmost() {
    m_topmost = !m_topmost;
    if (!m_topmost) {
        SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        SetWindowPos(&wndBottom, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    } else {
        SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
        SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        SetFocus();
    }
}

void CaptureForm::SetZoomer(bool on) { m_zoomer.Set(on, m_cursorPosition, m_captureRect, ScreenBounds()); }

WindowDetails* CaptureForm::HitTest(POINT screenPoint) {
    if (!m_windows || !m_windows->list) return nullptr;
    // The enumeration worker is still appending: walk the list only under its lock.
    WindowListLock lock(*m_windows);
    for (const auto& record : *m_windows->list) {
        if (!record || !record->Contains(screenPoint)) continue;
        return IsWindowMode(m_captureMode) ? record->DeepestChildAt(screenPoint) : record.get();
    }
    return nullptr;
}

void CaptureForm::InvalidateSelectionChange() {
    Gdiplus::Rect r, c;
    DrawnSelection(r, c);
    // Measured as the paint measures: on the buffer it draws into.
    std::optional<qel::WindowDc> windowDc;
    HDC dc = m_buffer.dc();
    if (!dc) dc = windowDc.emplace(m_hWnd).get();
    if (!dc) {
        Invalidate(FALSE);
        return;
    }
    Gdiplus::Graphics graphics(dc);
    const OverlayLayout::SelectionExtent next = SelectionExtentOf(m_selectionShape, r, LaidOutLabels(graphics, r, c));
    for (const Gdiplus::Rect& part : OverlayLayout::SelectionChange(m_shownSelection, next)) InvalidateGdiRect(part);
}

void CaptureForm::Animate() {
    if (!m_hWnd) return;
    const CPoint old = m_cursorPosition;
    m_cursorPosition = MousePosition();
    const bool moved = old != m_cursorPosition;
    const bool windowMode = IsWindowMode(m_captureMode);
    const bool highlightMoving = m_windowAnimator && m_windowAnimator->HasNext();
    const bool zoomerMoving = m_zoomer.Moving();
    if (m_selectedWindow && !moved && !highlightMoving && !zoomerMoving) return;

    if (!windowMode && m_mouseDown)
        m_captureRect = OverlayLayout::NormalisedRectangle(m_mouseDownPosition, m_cursorPosition);

    POINT screenPoint{};
    ::GetCursorPos(&screenPoint);
    WindowDetails* previous = m_selectedWindow;
    m_selectedWindow = HitTest(screenPoint);

    const bool newWindow =
        m_selectedWindow && (!previous || previous->Handle() != m_selectedWindow->Handle());
    if (newWindow) {
        const std::wstring& title = m_selectedWindow->Text();
        if (ICaptureDetails* details = m_capture->GetDetails()) {
            details->SetTitle(title);
            details->SetProperty(L"windowtitle", title);
        }
        if (windowMode) {
            const Gdiplus::Rect bounds = ScreenBounds();
            m_captureRect = m_selectedWindow->WindowRectangle();
            m_captureRect.X -= bounds.X;
            m_captureRect.Y -= bounds.Y;
        }
    }

    if (windowMode) {
        if (newWindow && m_windowAnimator) m_windowAnimator->Retarget(m_captureRect, AnimationFrames(kHighlightFrames));
    } else if (!m_mouseDown) {
        if (!IsRemoteSession()) InvalidateCrossHair(old, m_cursorPosition);
    }

    if (m_windowAnimator && m_windowAnimator->HasNext()) {
        InvalidateGdiRect(Grown(m_windowAnimator->Current(), kHighlightMargin));
        InvalidateGdiRect(Grown(m_windowAnimator->Next(), kHighlightMargin));
        if (!windowMode && !m_windowAnimator->HasNext()) Invalidate(TRUE);
    }
    // After the highlight's step: the selection is drawn where the highlight then stands.
    if (!windowMode && m_mouseDown) InvalidateSelectionChange();

    if (m_zoomer.Moving() || !windowMode)
        m_zoomer.Tick(m_hWnd, old, m_cursorPosition, CaptureSettings::Get().ZoomerEnabled && !windowMode, m_captureRect,
                      ScreenBounds());
    UpdateWindow();
}
