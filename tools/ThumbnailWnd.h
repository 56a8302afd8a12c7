#pragma once
// The destination window of a compositor thumbnail: the compositor draws the source window into it,
// and whatever the thumbnail leaves uncovered shows a flat background colour.
#include <QelFramework/Framework.h>

class CThumbnailHandleWnd : public CWnd {
    DECLARE_DYNAMIC(CThumbnailHandleWnd)
    DECLARE_MESSAGE_MAP()
public:
    CThumbnailHandleWnd() = default;
    ~CThumbnailHandleWnd() override;

    // Read at every erase; invalidate with erase after changing it.
    COLORREF m_crBackground = RGB(255, 255, 255);

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
};
