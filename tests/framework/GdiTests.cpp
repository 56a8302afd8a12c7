// No window class, DC or GDI object leaks over a thousand painting windows that use every kind of DC.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <vector>

#include "Handles.h"
#include "TestSupport.h"

namespace {

// How many more GDI objects the process can create; the per-process handle table is finite, so a
// leak shows as lost capacity.
int GdiCapacity() {
    std::vector<qel::UniqueHbrush> brushes;
    brushes.reserve(70000);
    while (HBRUSH b = ::CreateSolidBrush(0)) brushes.emplace_back(b);
    return static_cast<int>(brushes.size());
}

// Paints through a memory DC whose bitmap and font are left selected: the DC must put back its
// originals before the objects, declared before it, are deleted.
class CPaintingWnd : public CWnd {
public:
    int paints = 0;

protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CBitmap bitmap;
        CFont font;
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        bitmap.CreateCompatibleBitmap(&dc, 60, 50);
        mem.SelectObject(&bitmap);
        font.CreatePointFont(80, L"Arial", &mem);
        mem.SelectObject(&font);
        dc.BitBlt(0, 0, 60, 50, &mem, 0, 0, SRCCOPY);
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// One window, shown without activation (Wine under Xvfb stalls when activating windows come and go fast),
// painted, with DCs of every kind and a window region; adds its paints.
void Churn(int& paints) {
    CPaintingWnd w;
    ASSERT_TRUE(w.CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW), L"", WS_POPUP,
                           CRect(0, 0, 16, 16), nullptr, 0));
    w.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    CBrush brush(RGB(1, 1, 1));
    ASSERT_NE(w.GetWindowDC(), nullptr);  // never released by the caller: the window object does it
    CClientDC(&w).SelectStockObject(BLACK_PEN);
    CWindowDC(&w).SelectObject(&brush);
    CWindowDC(nullptr).SelectObject(&brush);
    CRgn region;
    region.CreateRoundRectRgn(0, 0, 16, 16, 4, 4);
    w.SetWindowRgn(region, FALSE);
    w.UpdateWindow();
    paints += w.paints;
    w.DestroyWindow();
}

}  // namespace

TEST(Gdi, ThousandsOfWindowsAndDCsLeakNoHandle) {
    int paints = 0, rounds = 1000;
    Churn(paints);  // first use creates the system's own cached objects
    AfxDeleteTempMaps();
    const int before = GdiCapacity();
    LPCWSTR className = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
    for (int i = 0; i < rounds; ++i) {
        Churn(paints);
        if (i % 100 == 0) AfxDeleteTempMaps();
        ASSERT_EQ(AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW), className);
    }
    qeltest::PumpFor(50);
    AfxDeleteTempMaps();
    const int after = GdiCapacity();
    EXPECT_GE(paints, rounds * 9 / 10);
    EXPECT_LE(before - after, 16) << "GDI handles lost over " << rounds << " windows";
}
