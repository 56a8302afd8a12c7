#pragma once
// A rectangle of a size the caller chose follows the cursor over the frozen screen, by one of five
// anchor points (U, R, B, L, C), and is dropped with a click or Enter.
#include "selection/CatchScreenWnd.h"

class CCatchFixedRgnScrrenWnd : public CCatchScreenWnd {
    DECLARE_DYNAMIC(CCatchFixedRgnScrrenWnd)
public:
    enum Anchor { TopLeft = 0, TopRight = 1, BottomRight = 2, BottomLeft = 3, Centre = 4 };

    // width and height are cut to the screen when the window is created.
    CCatchFixedRgnScrrenWnd(bool includeCursor, int width, int height);
    // Destroys a window still open, so that the cursor clipping is released on every path.
    ~CCatchFixedRgnScrrenWnd() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int GetAnchor() const { return m_anchor; }
    bool AnchorChanged() const { return m_anchorChanged; }

    void Animate() override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnDestroy();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnPaint();
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()

private:
    // Puts the rectangle at p (client coordinates) by the anchor and makes it the shape.
    void PlaceAt(POINT p);
    void SetAnchor(int anchor);

    int m_width;
    int m_height;
    int m_anchor;
    bool m_anchorChanged;
};
