#include "ExportedTestWnd.h"

IMPLEMENT_DYNAMIC(CExportedTestWnd, CWnd)

BEGIN_MESSAGE_MAP(CExportedTestWnd, CWnd)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

BOOL CExportedTestWnd::CreateHidden() {
    return CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), L"exported", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr);
}

void CExportedTestWnd::OnLButtonDown(UINT flags, CPoint point) {
    ++clicks;
    CWnd::OnLButtonDown(flags, point);
}
