#pragma once
// A blinking frame that marks a rectangle of the screen, for instance the area being recorded: a topmost
// popup shaped by its window region into a thin closed frame or four thick corner brackets, XOR-painted
// in a light colour every 100 ms while flashing, so that every second step restores the plain look.
//
// The marked rectangle is kept in screen pixels and the window lies around it (4 pixels beyond it for
// the thin frame, 8 for the brackets). The window is created hidden: the host shows it, starts and stops
// the flashing and destroys it. While movable, the user can drag the brackets to another place on the
// virtual screen.
#include <QelFramework/Framework.h>

#include "Export.h"

class QELPICTAVO_API CFlashingWnd : public CWnd {
public:
    // A private message (WM_APP + 200) that paints one flash step; wParam != 0 paints the whole window.
    static const UINT WM_FLASH_WINDOW;

    CFlashingWnd();
    virtual ~CFlashingWnd();

    // Creates the hidden window around rect (screen pixels) with the thin frame (thin != 0) or the
    // brackets. Nonzero on success.
    int CreateFlashing(const wchar_t* title, RECT& rect, int thin);
    // Marks rect (screen pixels): places the window around it and installs the frame or bracket region.
    void SetUpRegion(const CRect& rect, int thin);
    // Starts the 100 ms flash timer unless it runs.
    void StartFlashing();
    // Stops the timer and leaves the frame unflashed.
    void StopFlashing();
    // One flash step by hand; full paints the whole window instead of the frame outline.
    void DrawFlashingRect(bool full, bool other);
    // One flash step.
    afx_msg void OnTimer(UINT_PTR id);

    // The marked rectangle, in screen pixels.
    CRect Rect() const;
    // Set once a drag has moved the brackets.
    bool NewRegionUsed() const;
    bool NewRegionUsed(bool value);
    // Dragging the frame is possible only while movable; off at construction.
    void SetMovable(bool movable);
    bool Movable() const;

protected:
    afx_msg LRESULT OnFlashWindow(WPARAM wParam, LPARAM lParam);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    void PaintBorder(bool full, bool other);
    void FlashStep(bool full);
    void CheckRect(int dx, int dy);
    void MoveRegion(int dx, int dy);
    void UpdateRegionMove();
    // Places the window around the marked rectangle and gives it the frame (thin) or bracket region.
    bool InstallRegion(bool thin);

    COLORREF m_crFlash;
    COLORREF m_crSecond;
    CRect m_rcRegion;
    HCURSOR m_hMoveCursor;  // a shared system cursor: never destroyed
    bool m_bMovable;
    CPoint m_ptDragStart;
    bool m_bDragging;
    bool m_bNewRegionUsed;
    bool m_bDrawn;
    UINT_PTR m_nTimer;
    bool m_bThin;  // the shape now installed
};
