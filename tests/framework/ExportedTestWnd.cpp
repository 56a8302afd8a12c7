#include "ExportedTestWnd.h"

IMPLEMENT_DYNAMIC(CExportedTestWnd, CWnd)

BEGIN_MESSAGE_MAP(CExportedTestWnd, CWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_EXPORTED_ONLY, &CExportedTestWnd::OnExportedOnly)
END_MESSAGE_MAP()

BOOL CExportedTestWnd::CreateHidden() {
    return CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), L"exported", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr);
}

void CExportedTestWnd::OnLButtonDown(UINT, CPoint) { ++clicks; }

void CExportedTestWnd::OnMouseMove(UINT, CPoint) { ++moves; }

LRESULT CExportedTestWnd::OnExportedOnly(WPARAM wParam, LPARAM) { return 100 + static_cast<LRESULT>(wParam); }
