// No window class, DC or GDI object leaks over a thousand painting windows that use every kind of DC.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <vector>

#include <unknwn.h>

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

namespace {
int g_closed[2];  // releases seen, per slot
template <int Slot> void CountClose(int) { ++g_closed[Slot]; }
struct MinusOne {
    static int value() { return -1; }
};
struct CountedCom : IUnknown {
    int releases = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return ++releases, 1; }
};
}  // namespace

// Every owner gives its resource back exactly once, a moved-from owner holds nothing, and a failed
// creation (the type's invalid value) is never released.
TEST(Owners, ReleaseOnceLeaveMovedFromEmptyAndNeverReleaseAFailedCreation) {
    using Owned = qel::UniqueHandle<int, CountClose<0>>;
    using OwnedOrMinusOne = qel::UniqueHandle<int, CountClose<1>, MinusOne>;
    {
        Owned a(7);
        Owned b(std::move(a));
        EXPECT_FALSE(a);
        Owned c;
        c = std::move(b);
        EXPECT_EQ(c.get(), 7);
        Owned failed(0);
        OwnedOrMinusOne invalid(-1), zero(0);
        EXPECT_TRUE(zero) << "0 is a value when -1 is the invalid one";
        *zero.put() = 3;  // put releases what was held first
        EXPECT_EQ(g_closed[1], 1);
    }
    EXPECT_EQ(g_closed[0], 1);
    EXPECT_EQ(g_closed[1], 2);

    CountedCom object;
    {
        qel::UniqueCom<CountedCom> first(&object);
        qel::UniqueCom<CountedCom> second(std::move(first));
        qel::UniqueCom<IUnknown> none(nullptr);
    }
    EXPECT_EQ(object.releases, 1);

    SRWLOCK lock = SRWLOCK_INIT;
    {
        qel::SharedLock reading(&lock);
        EXPECT_TRUE(::TryAcquireSRWLockShared(&lock)) << "readers share";
        ::ReleaseSRWLockShared(&lock);
        EXPECT_FALSE(::TryAcquireSRWLockExclusive(&lock));
    }
    {
        qel::ExclusiveLock writing(&lock);
        EXPECT_FALSE(::TryAcquireSRWLockShared(&lock));
    }
    EXPECT_TRUE(::TryAcquireSRWLockExclusive(&lock)) << "a guard left its lock held";

    const qel::UniqueHglobal memory(::GlobalAlloc(GMEM_MOVEABLE, 16));
    ASSERT_TRUE(memory);
    {
        const qel::GlobalMemoryLock locked(memory.get());
        EXPECT_TRUE(locked);
        EXPECT_EQ(::GlobalFlags(memory.get()) & GMEM_LOCKCOUNT, 1u);
        EXPECT_FALSE(qel::GlobalMemoryLock(nullptr));
    }
    EXPECT_EQ(::GlobalFlags(memory.get()) & GMEM_LOCKCOUNT, 0u);
}
