#pragma once
// The colour picker's window: a topmost copy of the whole virtual screen, frozen when the object is made,
// that follows the mouse with a yellow label "R:.. G:.. B:.." beside a swatch of the colour under it.
#include <QelFramework/Framework.h>

#include <memory>

#include "capture/Dib.h"

class CPickColorWnd : public CWnd {
public:
    // Takes the screenshot; HasScreenshot tells whether that worked.
    CPickColorWnd();
    virtual ~CPickColorWnd();

    // Creates and shows the window over the virtual screen; FALSE without a screenshot or a window.
    virtual BOOL CreatePicker();

    bool HasScreenshot() const;
    // The colour under the cursor at the last mouse move; 0 before any.
    COLORREF Color() const;
    // The label box for the last mouse position and a text width, in client coordinates.
    CRect LabelBox(int textWidth) const;

protected:
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    UniqueDib m_screenshot;  // packed DIB of the virtual screen
    COLORREF m_color;
    CPoint m_position;  // last mouse position, client coordinates
    CRect m_screen;     // the virtual screen the screenshot covers, screen coordinates
};
