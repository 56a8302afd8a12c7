#include "tools/ThumbnailWnd.h"

IMPLEMENT_DYNAMIC(CThumbnailHandleWnd, CWnd)

BEGIN_MESSAGE_MAP(CThumbnailHandleWnd, CWnd)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CThumbnailHandleWnd::~CThumbnailHandleWnd() = default;

BOOL CThumbnailHandleWnd::OnEraseBkgnd(CDC* dc) {
    CBrush brush(m_crBackground);
    // The handle form: no temporary wrapper object for the brush it displaces.
    const HGDIOBJ previous = dc->SelectObject(brush.GetSafeHandle());
    CRect clip;
    dc->GetClipBox(&clip);
    dc->PatBlt(&clip, PATCOPY);
    // The brush must be out of the DC before it is deleted with the object.
    if (previous) dc->SelectObject(previous);
    return TRUE;
}
