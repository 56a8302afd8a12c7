// GDI wrappers: ownership, selection bookkeeping, and no handle leak over thousands of windows.
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

TEST(Gdi, ObjectsAreReleasedExactlyOnce) {
    CBrush brush(RGB(1, 2, 3));
    const HGDIOBJ handle = brush.m_hObject;
    ASSERT_EQ(::GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
    {
        CBrush moved(std::move(brush));
        EXPECT_EQ(brush.m_hObject, nullptr);
        EXPECT_EQ(moved.m_hObject, handle);
    }
    EXPECT_EQ(::GetObjectType(handle), 0u);
    EXPECT_FALSE(brush.DeleteObject());  // nothing left to delete twice

    qel::UniqueHpen detached;
    {
        CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
        detached.reset(static_cast<HPEN>(pen.Detach()));
    }
    EXPECT_EQ(::GetObjectType(detached.get()), static_cast<DWORD>(OBJ_PEN));  // detached: survives its wrapper

    CBrush replaced(RGB(9, 9, 9));
    const HGDIOBJ first = replaced.m_hObject;
    ASSERT_TRUE(replaced.CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 100)));  // creating again frees the first
    EXPECT_EQ(::GetObjectType(first), 0u);

    CFont a, b;
    ASSERT_TRUE(a.CreatePointFont(80, L"Arial"));
    ASSERT_TRUE(b.CreatePointFont(120, L"Arial"));
    const HGDIOBJ aHandle = a.m_hObject, bHandle = b.m_hObject;
    a = std::move(b);
    EXPECT_EQ(::GetObjectType(aHandle), 0u);
    EXPECT_EQ(a.m_hObject, bHandle);
    EXPECT_EQ(b.m_hObject, nullptr);

    // Tenths of a point through the screen's vertical resolution, as a character height.
    LOGFONTW lf{};
    ASSERT_TRUE(a.GetLogFont(&lf));
    qel::WindowDc screen(nullptr);
    EXPECT_EQ(lf.lfHeight, -::MulDiv(120, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 720));
    EXPECT_STREQ(lf.lfFaceName, L"Arial");
}

TEST(Gdi, RegionsCombineIntoEmptyObjectsAndPassToWindows) {
    CRgn left, right, both;
    ASSERT_TRUE(left.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(right.CreateRectRgn(5, 5, 20, 20));
    EXPECT_EQ(both.CombineRgn(&left, &right, RGN_OR), COMPLEXREGION);
    CRect box;
    EXPECT_EQ(both.GetRgnBox(&box), COMPLEXREGION);
    EXPECT_EQ(box, CRect(0, 0, 20, 20));
    EXPECT_EQ(both.CombineRgn(&left, nullptr, RGN_AND), ERROR);  // missing operand: refused

    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr));
    EXPECT_NE(w.SetWindowRgn(both, FALSE), 0);
    EXPECT_EQ(both.m_hObject, nullptr);  // the system owns it now
    qel::UniqueHrgn copy(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(w.GetWindowRgn(copy.get()), COMPLEXREGION);

    CWnd none;  // no window: the region stays with its owner
    EXPECT_EQ(none.SetWindowRgn(left, FALSE), 0);
    EXPECT_NE(left.m_hObject, nullptr);
}

TEST(Gdi, DcPutsBackWhatItsSelectionsDisplaced) {
    CBitmap bitmap;
    CBrush brush(RGB(0, 255, 0));
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
    const HGDIOBJ originalBitmap = ::GetCurrentObject(mem, OBJ_BITMAP);
    const HGDIOBJ originalBrush = ::GetCurrentObject(mem, OBJ_BRUSH);
    ASSERT_TRUE(bitmap.CreateBitmap(10, 8, 1, 32, nullptr));

    CBitmap* previous = mem.SelectObject(&bitmap);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->m_hObject, originalBitmap);  // a temporary wrapper, not an owner
    EXPECT_EQ(CBitmap::FromHandle(static_cast<HBITMAP>(originalBitmap)), previous);
    mem.SelectObject(&brush);
    mem.SelectStockObject(BLACK_BRUSH);  // the original is still the one to restore

    mem.FillSolidRect(0, 0, 10, 8, RGB(50, 50, 50));
    mem.SetBkColor(RGB(1, 2, 3));
    mem.FillSolidRect(CRect(0, 0, 1, 1), RGB(4, 5, 6));
    EXPECT_EQ(mem.GetBkColor(), RGB(1, 2, 3));  // filling does not change the DC's colour
    mem.Draw3dRect(0, 0, 10, 8, RGB(255, 255, 0), RGB(0, 0, 255));
    EXPECT_EQ(mem.GetPixel(0, 0), RGB(255, 255, 0));
    EXPECT_EQ(mem.GetPixel(8, 0), RGB(255, 255, 0));
    EXPECT_EQ(mem.GetPixel(9, 0), RGB(0, 0, 255));
    EXPECT_EQ(mem.GetPixel(0, 7), RGB(0, 0, 255));
    EXPECT_EQ(mem.GetPixel(5, 4), RGB(50, 50, 50));

    mem.RestoreOriginalObjects();
    EXPECT_EQ(::GetCurrentObject(mem, OBJ_BITMAP), originalBitmap);
    EXPECT_EQ(::GetCurrentObject(mem, OBJ_BRUSH), originalBrush);
    EXPECT_TRUE(bitmap.DeleteObject());
    EXPECT_EQ(::GetObjectType(originalBitmap), static_cast<DWORD>(OBJ_BITMAP));

    AfxDeleteTempMaps();  // frees the wrappers, never the objects they name
    EXPECT_EQ(::GetObjectType(originalBitmap), static_cast<DWORD>(OBJ_BITMAP));
    const HDC raw = mem.m_hDC;
    EXPECT_TRUE(mem.DeleteDC());
    EXPECT_EQ(::GetObjectType(raw), 0u);
    EXPECT_FALSE(mem.DeleteDC());
}

namespace {

class CChurnWnd : public CWnd {
public:
    int paints = 0;

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc) {
        CBrush brush(RGB(30, 30, 120));
        CRect clip;
        dc->GetClipBox(&clip);
        dc->FillRect(&clip, &brush);
        return TRUE;
    }
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        // Objects before the DC that uses them: the DC is gone (and has put back its originals)
        // before they are deleted.
        CBitmap bitmap;
        CFont font;
        CPen pen(PS_SOLID, 1, RGB(200, 0, 0));
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        bitmap.CreateCompatibleBitmap(&dc, 16, 16);
        CBitmap* oldBitmap = mem.SelectObject(&bitmap);
        font.CreatePointFont(80, L"Arial", &mem);
        mem.SelectObject(&font);  // left selected on purpose
        CPen* oldPen = mem.SelectObject(&pen);
        mem.Rectangle(0, 0, 16, 16);
        mem.SelectObject(oldPen);
        mem.TextOut(1, 1, CString(L"x"));
        dc.BitBlt(0, 0, 16, 16, &mem, 0, 0, SRCCOPY);
        mem.SelectObject(oldBitmap);
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CChurnWnd, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

void Churn(int& paints) {
    CChurnWnd w;
    ASSERT_TRUE(w.CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW), L"", WS_POPUP,
                           CRect(0, 0, 16, 16), nullptr, 0));
    // Shown without activation: Wine under Xvfb stalls when activating windows come and go this fast.
    w.ShowWindow(SW_SHOWNOACTIVATE);
    CBrush brush(RGB(1, 1, 1));
    CDC* dc = w.GetDC();
    ASSERT_NE(dc, nullptr);
    dc->SelectObject(&brush);
    dc->PatBlt(0, 0, 4, 4, PATCOPY);
    EXPECT_EQ(w.ReleaseDC(dc), 1);
    ASSERT_NE(w.GetWindowDC(), nullptr);  // never released by the caller: the window object does it
    {
        CClientDC client(&w);
        CWindowDC whole(&w);
        CWindowDC screen(nullptr);
        client.SelectStockObject(BLACK_PEN);
        whole.SelectObject(&brush);
    }
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
    const int rounds = 3000;
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
