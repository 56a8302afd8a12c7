// The window-list worker against real windows, and the thread class under it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include "WindowTestSupport.h"
#include "windows/WindowEnumeration.h"
#include "windows/WindowListHolder.h"

using namespace wintest;

TEST(WindowEnumeration, ReadersSeeAPrefixOfTheFinalListAndChildrenAreReadAsDeepAsTheSettingSays) {
    SettingsScope restore;
    for (const bool deep : {false, true}) {
        CaptureSettings::Get().DeepChildEnumeration = deep;
        // Top-level windows, each over a chain of six nested children.
        std::vector<TestWindow> windows;
        std::vector<HWND> tops, chain;  // chain: under the first top-level window
        for (int i = 0; i < 8; ++i) {
            windows.push_back(TopLevel(L"forest", At(10 + 7 * i, 10 + 5 * i, 400, 300)));
            tops.push_back(windows.back().get());
            for (int d = 0; d < 6; ++d) {
                windows.push_back(Child(windows.back().get(), At(2, 2, 300 - 10 * d, 200)));
                if (i == 0) chain.push_back(windows.back().get());
            }
        }
        // The worker runs to its end while this thread answers its windows' messages, holding the list's
        // lock nearly all the time and letting go only for an instant between looks: the worker, which
        // takes the lock once per record, can then hand over one record or so per look.
        WindowRecordList list;
        WindowListHolder holder(&list);
        auto worker = std::make_unique<RetrieveWindowDetails>(&holder);
        ASSERT_TRUE(worker->Start());
        std::vector<std::vector<HWND>> snapshots;
        MSG msg;
        while (worker->State() != CQelBaseThread::kFinished) {
            WindowListLock lock(holder);
            snapshots.push_back(Handles(*holder.list));
            for (int i = 0; i < 20; ++i, ::Sleep(0))
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        worker->Join();
        const std::vector<HWND> final = Handles(list);
        size_t partial = 0;
        for (const std::vector<HWND>& s : snapshots) {
            ASSERT_TRUE(s.size() <= final.size() && std::equal(s.begin(), s.end(), final.begin()));
            partial += !s.empty() && s.size() < final.size();
        }
        EXPECT_GT(partial, 0u) << "records must be handed over one at a time";
        // The newest window is in front: the forest comes out in reverse order of creation.
        std::vector<ptrdiff_t> positions;
        for (HWND top : tops) positions.push_back(IndexOf(final, top));
        EXPECT_TRUE(positions.back() != -1 && std::is_sorted(positions.rbegin(), positions.rend()));

        // Handed over frozen: the rectangle read by the worker stays.
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& r) { return r->Handle() == tops[0]; });
        ASSERT_NE(it, list.end());
        WindowDetails* record = it->get();
        MoveWindow(tops[0], 300, 300, 200, 200, FALSE);
        Sleep(2100);
        EXPECT_TRUE(RectIs(record->WindowRectangle(), At(10, 10, 400, 300)));
        // With the windows gone, only what was read in advance is left to find.
        windows.clear();
        for (int d = 0; d < 4 && record; ++d) record = Find(record->GetChildren(), chain[d]);
        ASSERT_NE(record, nullptr) << "three levels below the top were read";
        EXPECT_EQ(record->GetChildren().empty(), !deep) << (deep ? "deep" : "shallow");
    }
}

namespace {

// Counts the hooks; Run waits for `release` when given and may throw.
class ProbeThread : public CQelBaseThread {
public:
    std::atomic<int> starts{0}, runs{0}, stoppings{0}, stoppeds{0};
    bool acceptStart = true, throwInStart = false, throwInRun = false;
    HANDLE release = nullptr;
    ~ProbeThread() override {
        if (Joinable()) Join();
    }

protected:
    bool OnStart() override {
        ++starts;
        return throwInStart ? throw std::runtime_error("start") : acceptStart;
    }
    DWORD Run() override {
        ++runs;
        if (release) WaitForSingleObject(release, INFINITE);
        return throwInRun ? throw std::runtime_error("run") : 7;
    }
    void OnStopping() override { ++stoppings; }
    void OnStopped() override { ++stoppeds; }
};

}  // namespace

TEST(BaseThread, StartJoinRestartAndDestructionFollowTheThreadsLife) {
    qel::UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto thread = std::make_unique<ProbeThread>();
    thread->release = release.get();
    ASSERT_TRUE(thread->Start());
    while (thread->State() != CQelBaseThread::kRunning) Sleep(1);
    EXPECT_TRUE(thread->Start()) << "already running";
    EXPECT_EQ(thread->starts, 1);
    SetEvent(release.get());
    thread->Join();
    EXPECT_EQ(thread->State(), CQelBaseThread::kFinished);
    EXPECT_EQ(thread->runs + thread->stoppings + thread->stoppeds, 3);
    // Joined, a new start makes a new thread; an exception in its body just ends it.
    thread->throwInRun = true;
    ASSERT_TRUE(thread->Start());
    thread->Join();
    EXPECT_EQ(thread->runs, 2);
    // Destroying a running thread waits for it: released by another thread a moment later.
    ResetEvent(release.get());
    thread->throwInRun = false;
    ASSERT_TRUE(thread->Start());
    std::atomic<bool> released{false};
    std::thread releaser([&] {
        Sleep(200);
        released = true;
        SetEvent(release.get());
    });
    thread.reset();
    EXPECT_TRUE(released);
    releaser.join();

    // Starts that do not happen, and a join without a thread.
    ProbeThread never, declined, throwing;
    never.Join();
    EXPECT_EQ(never.stoppings * 10 + never.stoppeds, 1);
    declined.acceptStart = false;
    throwing.throwInStart = true;
    EXPECT_FALSE(declined.Start() || throwing.Start());
    EXPECT_EQ(throwing.stoppeds, 1);
    Sleep(50);
    EXPECT_EQ(declined.runs + throwing.runs, 0);
    EXPECT_EQ(declined.State(), CQelBaseThread::kNotStarted);
}
