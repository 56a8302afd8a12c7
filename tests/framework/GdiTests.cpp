// GDI wrappers: ownership, selection bookkeeping, and no handle leak over a thousand painting windows.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <utility>
#include <vector>

#include "Handles.h"
#include "TestSupport.h"

namespace {

// How many more GDI objects the process can create; the per-process handle table is finite, so a
// leak shows as lost capacity.
int GdiCapacity() {
    std::vector<qel::UniqueHbrush> brushes;
    brushes.reserve(70000);
    for (;;) {
        qel::UniqueHbrush b(::CreateSolidBrush(0));
        if (!b) break;
        brushes.push_back(std::move(b));
    }
    return static_cast<int>(brushes.size());
}

}  // namespace

TEST(Gdi, ObjectsAreReleasedExactlyOnceRegionsPassToWindowsAndDcsRestoreTheirSelections) {
    CBrush brush(RGB(1, 2, 3));
    const HGDIOBJ handle = brush.m_hObject;
    { CBrush moved(std::move(brush)); }
    EXPECT_EQ(::GetObjectType(handle), 0u);
    EXPECT_FALSE(brush.DeleteObject());  // nothing left to delete twice

    const HGDIOBJ first = brush.CreateSolidBrush(RGB(9, 9, 9)) ? brush.m_hObject : nullptr;
    ASSERT_TRUE(brush.CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 100)));  // creating again frees the first
    EXPECT_EQ(::GetObjectType(first), 0u);

    CFont a, b;
    ASSERT_TRUE(a.CreatePointFont(80, L"Arial") && b.CreatePointFont(120, L"Arial"));
    const HGDIOBJ aHandle = a.m_hObject, bHandle = b.m_hObject;
    a = std::move(b);
    EXPECT_TRUE(::GetObjectType(aHandle) == 0 && a.m_hObject == bHandle && b.m_hObject == nullptr);

    // Regions pass to windows; DCs put back what their selections displaced.
    CRgn left, right, both;
    ASSERT_TRUE(left.CreateRectRgn(0, 0, 10, 10) && right.CreateRectRgn(5, 5, 20, 20));
    EXPECT_EQ(both.CombineRgn(&left, &right, RGN_OR), COMPLEXREGION);
    CWnd w;
    EXPECT_TRUE(w.SetWindowRgn(left, FALSE) == 0 && left.m_hObject);  // no window: the region stays with its owner
    ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr));
    EXPECT_TRUE(w.SetWindowRgn(both, FALSE) != 0 && both.m_hObject == nullptr);  // the system owns it now
    qel::UniqueHrgn copy(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(w.GetWindowRgn(copy.get()), COMPLEXREGION);

    CBitmap bitmap;
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
    const HGDIOBJ originalBitmap = ::GetCurrentObject(mem, OBJ_BITMAP);
    const HGDIOBJ originalBrush = ::GetCurrentObject(mem, OBJ_BRUSH);
    ASSERT_TRUE(bitmap.CreateBitmap(10, 8, 1, 32, nullptr));
    CBitmap* previous = mem.SelectObject(&bitmap);
    ASSERT_TRUE(previous && previous->m_hObject == originalBitmap);  // a temporary wrapper, not an owner
    mem.SelectObject(&brush);
    mem.SelectStockObject(BLACK_BRUSH);  // the original is still the one to restore
    mem.RestoreOriginalObjects();
    EXPECT_TRUE(::GetCurrentObject(mem, OBJ_BITMAP) == originalBitmap && ::GetCurrentObject(mem, OBJ_BRUSH) == originalBrush);
    EXPECT_TRUE(bitmap.DeleteObject());
    AfxDeleteTempMaps();  // frees the wrappers, never the objects they name
    EXPECT_EQ(::GetObjectType(originalBitmap), static_cast<DWORD>(OBJ_BITMAP));
    const HDC raw = mem.m_hDC;
    EXPECT_TRUE(mem.DeleteDC() && ::GetObjectType(raw) == 0 && !mem.DeleteDC());
}

namespace {

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
        mem.FillSolidRect(0, 0, 60, 50, RGB(220, 40, 90));
        mem.TextOut(1, 1, CString(L"x"));
        dc.BitBlt(0, 0, 60, 50, &mem, 0, 0, SRCCOPY);
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CreateShown(CPaintingWnd& w, const CRect& r) {
    // Shown without activation: Wine under Xvfb stalls when activating windows come and go fast.
    return w.CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW), L"", WS_POPUP, r, nullptr, 0) &&
           w.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void Churn(int& paints) {
    CPaintingWnd w;
    ASSERT_TRUE(CreateShown(w, CRect(0, 0, 16, 16)));
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
    int paints = 0;
    Churn(paints);  // first use creates the system's own cached objects
    AfxDeleteTempMaps();
    const int before = GdiCapacity();
    const int rounds = 1000;
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
    // And a painting window still reaches the screen.
    CPaintingWnd wnd;
    ASSERT_TRUE(CreateShown(wnd, CRect(300, 250, 420, 340)));
    wnd.UpdateWindow();
    qeltest::PumpFor(200);
    qel::WindowDc screen(nullptr);
    EXPECT_EQ(::GetPixel(screen.get(), 330, 280), RGB(220, 40, 90));
}
