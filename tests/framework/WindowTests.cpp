// Message maps (across modules too) and the modal loop's rarer endings, on real windows. Creation, the
// thread's hooks and resource lookup run in every overlay test.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <functional>

#include "ExportedTestWnd.h"

namespace {

// Overrides one handler of its exported base and chains to another.
class CLocalFromExported : public CExportedTestWnd {
public:
    int localClicks = 0;
    UINT mouseFlags = 0;
    CPoint mousePoint;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point) { ++localClicks, CExportedTestWnd::OnLButtonDown(flags, point); }
    afx_msg void OnMouseMove(UINT flags, CPoint point) { mouseFlags = flags, mousePoint = point; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLocalFromExported, CExportedTestWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

}  // namespace

// A class exported from another module keeps its map and runtime class for an object of this module.
TEST(MessageMap, DerivedMapWinsAcrossModulesWithTypedArgumentsAndUnmappedMessagesGetDefaultProcessing) {
    CLocalFromExported w;
    ASSERT_TRUE(w.CreateHidden());  // created by code in the other DLL
    w.SendMessage(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
    EXPECT_EQ(w.moves, 0);
    EXPECT_TRUE(w.mouseFlags == (MK_LBUTTON | MK_SHIFT) && w.mousePoint == CPoint(-5, 7));  // signed coordinates
    w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_TRUE(w.localClicks == 1 && w.clicks == 1);
    EXPECT_EQ(w.SendMessage(WM_EXPORTED_ONLY, 5), 105);
    EXPECT_EQ(w.SendMessage(WM_GETTEXTLENGTH), 8);  // unmapped: default processing
    EXPECT_TRUE(w.IsKindOf(RUNTIME_CLASS(CExportedTestWnd)) && !w.IsKindOf(RUNTIME_CLASS(CWinThread)));
}

namespace {

constexpr UINT WM_ACTION = WM_APP + 10;

// Runs a scripted action when WM_ACTION arrives. A watchdog timer ends a loop that would
// otherwise hang, with a result no test expects.
class CModalWnd : public CWnd {
public:
    std::function<void(CModalWnd&)> action;
    bool deleteSelf = false;

    BOOL Create() { return CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr) && SetTimer(1, 5000); }
    // Posts the action and runs the loop that will see it.
    int Run(std::function<void(CModalWnd&)> what) {
        action = std::move(what);
        PostMessage(WM_ACTION);
        return RunModalLoop();
    }

protected:
    LRESULT OnAction(WPARAM, LPARAM) { return action(*this), 0; }
    afx_msg void OnTimer(UINT_PTR) { EndModalLoop(-7); }
    void PostNcDestroy() override { if (deleteSelf) delete this; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalWnd, CWnd)
    ON_MESSAGE(WM_ACTION, &CModalWnd::OnAction)
    ON_WM_TIMER()
END_MESSAGE_MAP()

}  // namespace

// The ordinary endings (a result, Escape, a displacing overlay) run in every overlay test; these are the rest.
TEST(ModalLoop, KeepsAResultGivenBeforeTheWindowWentSurvivesItsObjectAndPassesQuitOn) {
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    EXPECT_EQ(w.Run([](CModalWnd& self) {
        self.EndModalLoop(IDOK);
        self.DestroyWindow();
    }), IDOK);

    // The object deletes itself when its window goes: the loop must not touch it afterwards.
    auto* self = new CModalWnd;
    self->deleteSelf = true;
    ASSERT_TRUE(self->Create());
    EXPECT_EQ(self->Run([](CModalWnd& s) { s.DestroyWindow(); }), IDCANCEL);

    // WM_QUIT ends a nested loop and reaches the outermost, which puts it back for the thread's own loop.
    CModalWnd inner;
    ASSERT_TRUE(w.Create() && inner.Create());
    MSG m{};
    while (::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) continue;
    int innerResult = 0;
    EXPECT_EQ(w.Run([&](CModalWnd&) { innerResult = inner.Run([](CModalWnd&) { ::PostQuitMessage(42); }); }), IDCANCEL);
    EXPECT_TRUE(innerResult == IDCANCEL && ::IsWindow(w.m_hWnd));
    ASSERT_TRUE(::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 42u);
}
