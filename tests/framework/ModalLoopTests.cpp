// The modal loop: result codes, the ways it ends, WM_QUIT, nesting, the thread's hooks and resources.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <functional>
#include <thread>
#include <vector>

#include "ExportedTestWnd.h"
#include "TestSupport.h"

namespace {

constexpr UINT WM_ACTION = WM_APP + 10;
constexpr UINT WM_EATEN_BY_THREAD = WM_APP + 11;
constexpr UINT WM_EATEN_BY_WINDOW = WM_APP + 12;
constexpr UINT_PTR kWatchdog = 99;

// Runs a scripted action when WM_ACTION arrives. A watchdog timer ends a loop that would
// otherwise hang, with a result no test expects.
class CModalWnd : public CWnd {
public:
    std::function<void(CModalWnd&)> action;
    bool deleteSelf = false;
    int handled[3] = {0, 0, 0};  // WM_ACTION, WM_EATEN_BY_THREAD, WM_EATEN_BY_WINDOW
    int windowPreTranslate = 0;

    BOOL Create() {
        if (!CreateEx(0, AfxRegisterWndClass(0), L"modal", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr)) return FALSE;
        SetTimer(kWatchdog, 5000);
        return TRUE;
    }
    // Posts the action and runs the loop that will see it.
    int Run(std::function<void(CModalWnd&)> what) {
        action = std::move(what);
        PostMessage(WM_ACTION);
        return RunModalLoop();
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        ++windowPreTranslate;
        return msg->message == WM_EATEN_BY_WINDOW;
    }

protected:
    LRESULT OnAction(WPARAM, LPARAM) {
        ++handled[0];
        if (action) action(*this);
        return 0;
    }
    LRESULT OnEatenByThread(WPARAM, LPARAM) { return ++handled[1]; }
    LRESULT OnEatenByWindow(WPARAM, LPARAM) { return ++handled[2]; }
    afx_msg void OnTimer(UINT_PTR id) {
        if (id == kWatchdog) EndModalLoop(-7);
    }
    void PostNcDestroy() override {
        if (deleteSelf) delete this;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalWnd, CWnd)
    ON_MESSAGE(WM_ACTION, &CModalWnd::OnAction)
    ON_MESSAGE(WM_EATEN_BY_THREAD, &CModalWnd::OnEatenByThread)
    ON_MESSAGE(WM_EATEN_BY_WINDOW, &CModalWnd::OnEatenByWindow)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// Sends a message to the window from another thread while its loop waits in GetMessage.
std::thread SendLater(HWND h, UINT message) {
    return std::thread([h, message] {
        ::Sleep(100);
        ::SendMessageW(h, message, 0, 0);
    });
}

}  // namespace

TEST(ModalLoop, EndsWithTheGivenResultOrCancelWhenTheWindowGoes) {
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    for (int code : {IDOK, IDCANCEL}) {
        EXPECT_EQ(w.Run([code](CModalWnd& self) { self.EndModalLoop(code); }), code);
        EXPECT_TRUE(::IsWindow(w.m_hWnd));  // ending the loop leaves the window to its owner
        EXPECT_FALSE(w.ContinueModal());
    }
    w.action = [](CModalWnd& self) { self.EndModalLoop(IDOK); };
    std::thread sender = SendLater(w.m_hWnd, WM_ACTION);
    EXPECT_EQ(w.RunModalLoop(), IDOK);
    sender.join();

    EXPECT_EQ(w.Run([](CModalWnd& self) { self.DestroyWindow(); }), IDCANCEL);
    EXPECT_EQ(w.m_hWnd, nullptr);
    ASSERT_TRUE(w.Create());
    auto endThenDestroy = [](CModalWnd& self) {
        self.EndModalLoop(IDOK);  // a result given before the window went stays the result
        self.DestroyWindow();
    };
    EXPECT_EQ(w.Run(endThenDestroy), IDOK);

    // The object deletes itself when its window goes: the loop must not touch it afterwards.
    auto* self = new CModalWnd;
    self->deleteSelf = true;
    ASSERT_TRUE(self->Create());
    EXPECT_EQ(self->Run([](CModalWnd& s) { s.DestroyWindow(); }), IDCANCEL);

    ASSERT_TRUE(w.Create());
    const HWND h = w.m_hWnd;
    std::thread closer = SendLater(h, WM_CLOSE);
    EXPECT_EQ(w.RunModalLoop(), IDCANCEL);
    closer.join();
    EXPECT_FALSE(::IsWindow(h));
}

TEST(ModalLoop, NestedLoopsEndEachOtherAndQuitReachesTheOutermost) {
    CModalWnd outer, inner;
    ASSERT_TRUE(outer.Create());
    ASSERT_TRUE(inner.Create());
    int innerResult = 0;
    bool outerStillRunningInside = false;
    auto runInner = [&](std::function<void(CModalWnd&)> what) {
        return [&, what](CModalWnd&) { innerResult = inner.Run(what); };
    };
    auto displace = [&](CModalWnd& self) {
        outer.EndModalLoop(IDCANCEL);  // a newer overlay displaces an older one
        outerStillRunningInside = true;
        self.EndModalLoop(IDOK);
    };
    EXPECT_EQ(outer.Run(runInner(displace)), IDCANCEL);
    EXPECT_EQ(innerResult, IDOK);
    EXPECT_TRUE(outerStillRunningInside);

    MSG m{};
    while (::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_EQ(outer.Run(runInner([](CModalWnd&) { ::PostQuitMessage(42); })), IDCANCEL);
    EXPECT_EQ(innerResult, IDCANCEL);
    EXPECT_TRUE(::IsWindow(outer.m_hWnd));
    ASSERT_TRUE(::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 42u);
}

namespace {

class CHookApp : public CWinApp {
public:
    int preTranslate = 0;
    std::vector<LONG> idleCounts;

    BOOL PreTranslateMessage(MSG* msg) override {
        ++preTranslate;
        return msg->message == WM_EATEN_BY_THREAD;
    }
    BOOL OnIdle(LONG count) override {
        idleCounts.push_back(count);
        CWinApp::OnIdle(count);
        return count < 2;  // asks for three calls per idle period
    }
};

}  // namespace

TEST(ModalLoop, ThreadAndWindowHooksSeeEveryMessage) {
    CHookApp app;
    ASSERT_EQ(AfxGetThread(), &app);
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    w.action = [](CModalWnd& self) { self.EndModalLoop(IDOK); };
    // The messages arrive once the loop has gone idle.
    const HWND h = w.m_hWnd;
    std::thread poster([h] {
        ::Sleep(150);
        for (UINT message : {WM_EATEN_BY_THREAD, WM_EATEN_BY_WINDOW, WM_ACTION}) ::PostMessageW(h, message, 0, 0);
    });
    EXPECT_EQ(w.RunModalLoop(), IDOK);
    poster.join();
    ASSERT_GE(app.idleCounts.size(), 3u);
    EXPECT_EQ(std::vector<LONG>(app.idleCounts.begin(), app.idleCounts.begin() + 3), (std::vector<LONG>{0, 1, 2}));
    EXPECT_EQ(w.handled[0], 1);
    EXPECT_EQ(w.handled[1], 0);  // taken by the thread's hook
    EXPECT_EQ(w.handled[2], 0);  // taken by the window's hook
    EXPECT_GE(app.preTranslate, 3);
    EXPECT_GE(w.windowPreTranslate, 2);  // not offered what the thread already took
}

TEST(Thread, EachThreadSeesItsOwnThreadObject) {
    ASSERT_EQ(AfxGetThread(), nullptr);
    {
        CWinApp first(L"first");
        CWinApp second(L"second");  // this thread has one already
        CWinThread* seenBefore = &first;
        bool seenOwn = false;
        CWinApp* appThere = nullptr;
        std::thread worker([&] {
            seenBefore = AfxGetThread();
            CWinApp own(L"worker");
            seenOwn = AfxGetThread() == &own;
            appThere = AfxGetApp();
        });
        worker.join();
        EXPECT_EQ(seenBefore, nullptr);
        EXPECT_TRUE(seenOwn);
        EXPECT_EQ(appThere, &first);  // the process keeps its first application
        EXPECT_EQ(AfxGetThread(), &first);
        EXPECT_EQ(AfxGetApp(), &first);
    }
    EXPECT_EQ(AfxGetThread(), nullptr);
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(Resources, HandleScopeAndExtensionModulesFindTheRightModule) {
    const HINSTANCE exe = ::GetModuleHandleW(nullptr);
    HMODULE library = nullptr;  // the other DLL, which holds string 101; the test program has none
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(RUNTIME_CLASS(CExportedTestWnd)), &library);
    EXPECT_EQ(AfxGetResourceHandle(), exe);
    CString s;
    EXPECT_FALSE(s.LoadString(101));
    {
        CResourceHandleScope scope(library);
        {
            CResourceHandleScope nested(exe);
            EXPECT_EQ(AfxGetResourceHandle(), exe);
        }
        EXPECT_EQ(AfxGetResourceHandle(), library);
        ASSERT_TRUE(s.LoadString(101));
        EXPECT_EQ(s, L"exported string");
    }
    EXPECT_EQ(AfxGetResourceHandle(), exe);

    // An extension module joins the search behind the current handle.
    AFX_EXTENSION_MODULE module{};
    ASSERT_TRUE(AfxInitExtensionModule(module, library));
    EXPECT_TRUE(s.LoadString(101));
    AfxTermExtensionModule(module);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(101 / 16 + 1), RT_STRING), exe);
    EXPECT_FALSE(s.LoadString(101));
}
