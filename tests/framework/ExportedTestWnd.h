#pragma once
// A window class exported from a DLL of its own, as the capture library exports its windows.
#include <QelFramework/Framework.h>

#ifdef FWTEST_EXPORTED_BUILD
#define FWTEST_API __declspec(dllexport)
#else
#define FWTEST_API __declspec(dllimport)
#endif

constexpr UINT WM_EXPORTED_ONLY = WM_APP + 1;  // answered 100 + wParam by the exported map alone

class FWTEST_API CExportedTestWnd : public CWnd {
    DECLARE_DYNAMIC(CExportedTestWnd)
public:
    // Creates a hidden popup titled "exported" on a class registered from this module.
    BOOL CreateHidden();
    int clicks = 0, moves = 0;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    LRESULT OnExportedOnly(WPARAM wParam, LPARAM);
    DECLARE_MESSAGE_MAP()
};
