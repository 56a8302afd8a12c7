// Which method captures a window, whether a black print gives way to the screen, and the capture of the
// foreground window: the rules directly, then real windows of this and of other programs.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>
#include <psapi.h>

#include "ScreenInput.h"
#include "capture/Capture.h"
#include "capture/CaptureSession.h"
#include "capture/WindowCaptureChoice.h"
#include "tests/windows/WindowTestSupport.h"
#include "windows/WindowCapture.h"
#include "windows/WindowDetails.h"

using namespace WindowCaptureChoice;
using namespace wintest;
using Gdiplus::Rect;

// The method choice itself is checked on real programs below.
TEST(WindowCaptureChoiceRules, ModuleNamesAndTheBlackCheckPrefersTheLessBlack) {
    EXPECT_TRUE(IsPresentationFrameworkModule(L"presentationframework.aero2.dll"));
    for (const wchar_t* other : {L"PresentationFramewor", L"MyPresentationFramework.dll"}) EXPECT_FALSE(IsPresentationFrameworkModule(other)) << other;

    // Whole percents rounded down, also for counts past 32 bits.
    EXPECT_EQ(BlackShare(0, 0) + BlackShare(99, 10000), 0u);
    EXPECT_EQ(BlackShare(2999, 10000) + BlackShare(5000000000ull, 10000000000ull), 29u + 50u);
    // A screen copy replaces only a blacker print; a larger print only when mostly black; a smaller never.
    const unsigned long long same = 400 * 300;
    EXPECT_TRUE(PreferScreenCopy(same, 30, same, 2) && PreferScreenCopy(same, 51, same / 2, 0));
    EXPECT_FALSE(PreferScreenCopy(same, 30, same, 30) || PreferScreenCopy(same, 50, same / 2, 0) || PreferScreenCopy(same / 2, 100, same, 0));
    // A foreground window parked at x = -32000 counts as minimised.
    EXPECT_TRUE(IsCapturableForeground(false, false, false, -31999) && !IsCapturableForeground(false, true, false, -32000));
}

namespace {

// Makes wnd the foreground window and lets it reach the screen.
void Foreground(HWND wnd) {
    ::ShowWindow(wnd, SW_SHOW), ::SetForegroundWindow(wnd), ::BringWindowToTop(wnd);
    qeltest::PumpFor(250);
}

// Live GDI objects and open kernel handles of this process, found by probing every slot: Wine accepts
// a GDI handle given without its generation bits, and reports no GDI counts otherwise.
int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot) count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    return count;
}
int CountKernelHandles() {
    int count = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 4 * 16384; value += 4) count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return count;
}

constexpr DWORD kPopup = WS_POPUP | WS_VISIBLE;
// Application windows: Wine keeps them below top-most windows even while they are active.
constexpr DWORD kApp = WS_EX_APPWINDOW;

// Real windows; the system's compositor is Wine's unless a test puts the stand-in in place.
class WindowCaptureChoiceOnWindows : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qel::EnsureGdiplus());
        CaptureSettings::Get().CaptureDelay = 0;
    }

    // Captures wnd with the automatic choice; the capture is kept in capture_.
    Gdiplus::Bitmap* CaptureAutomatically(HWND wnd) {
        WindowDetails record(wnd);
        capture_ = std::make_unique<Capture>();
        return CaptureWindow(record, capture_.get(), kAutomatic) ? static_cast<Gdiplus::Bitmap*>(capture_->GetImage()) : nullptr;
    }

    // The one colour an image is made of, or 0 when it has none or several.
    static Gdiplus::ARGB SoleColour(Gdiplus::Image* image) {
        const Gdiplus::ARGB first = image ? PixelAt(image, 0, 0) : 0;
        return image && CountArgb(image, first) == static_cast<int>(image->GetWidth() * image->GetHeight()) ? first : 0;
    }

    SettingsScope settings_;
    std::unique_ptr<Capture> capture_;
};

}  // namespace

TEST_F(WindowCaptureChoiceOnWindows, APrintIsKeptUnderAnotherWindowButABlackOneGivesWayToTheScreen) {
    LookWindow good(At(300, 200, 400, 300), WindowLook(), kPopup, kApp, L"Good printer");
    LookWindow black(At(800, 200, 300, 300), WindowLook{kPaintColour, false}, kPopup, kApp, L"Black printer");
    Foreground(black.get());
    LookWindow cover(At(250, 150, 300, 250), WindowLook{RGB(0, 0, 255)}, kPopup, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    qeltest::PumpFor(200);
    EXPECT_EQ(SoleColour(CaptureAutomatically(good.get())), Opaque(kPrintColour));
    EXPECT_EQ(SoleColour(CaptureAutomatically(black.get())), Opaque(kPaintColour));
    EXPECT_TRUE(capture_->GetLocation().x == 800 && capture_->GetLocation().y == 200 && capture_->GetDetails()->GetTitle() == L"Black printer");
}

TEST_F(WindowCaptureChoiceOnWindows, ExclusionListsAndModulesDecideTheMethodForRealPrograms) {
    // Another program's window, painted black, standing partly left of the screen. Wine prints another
    // program's window black, and the black check keeps such a print when the screen shows it just as
    // black, so each method leaves its own image: a print has the window's size at its origin, a screen
    // copy only the part on the screen; a compositor capture leaves its traces in the stand-in.
    enum Method { kScreen, kPrint, kThumbnail };
    enum Compositor { kNone, kWorking, kFailing };  // kFailing answers no registration, as Wine's
    struct Case {
        const wchar_t* exe;
        Compositor compositor;
        Method expected;
        const wchar_t* extra = L"";
    };
    const Case cases[] = {
        {L"capture_target_plain.exe", kNone, kPrint},        {L"capture_target_idea.exe", kNone, kScreen},
        {L"capture_target_plain.exe", kNone, kScreen, L" framework"}, {L"capture_target_idea.exe", kWorking, kThumbnail},
        {L"capture_target_citrix.exe", kWorking, kPrint},    {L"capture_target_idea.exe", kFailing, kScreen},
        {L"capture_target_plain.exe", kWorking, kThumbnail},
    };
    int n = 0;
    for (const Case& c : cases) {
        FakeCompositor dwm;
        dwm.registerResult = c.compositor == kFailing ? E_NOTIMPL : S_OK;
        CompositorScope useDwm(c.compositor == kNone ? nullptr : &dwm);
        const std::wstring title = L"Qel target " + std::to_wstring(++n);
        HelperProcess program(c.exe, title, std::wstring(L"-100 200 400 300 black") + c.extra);
        ASSERT_TRUE(program.window) << n;
        EXPECT_EQ(HasPresentationFrameworkModule(::GetProcessId(program.process.get())), *c.extra != 0) << n;
        Gdiplus::Bitmap* image = CaptureAutomatically(program.window);
        ASSERT_TRUE(image) << n;
        // The compositor's pixels are not checked: on a display without a window manager Wine raises the
        // target, once brought to the front, over the top-most thumbnail window.
        EXPECT_EQ(dwm.registrations + dwm.updates, c.expected == kThumbnail ? 2 : 0) << n;
        EXPECT_TRUE(c.expected == kThumbnail || SoleColour(image) == 0xFF000000u) << n;
        EXPECT_EQ(qeltest::SizeOf(image), qeltest::Size(c.expected == kScreen ? 300 : 400, 300)) << n;
        EXPECT_TRUE(capture_->GetLocation().x == (c.expected == kScreen ? 0 : -100) && capture_->GetDetails()->GetTitle() == title) << n;
        EXPECT_TRUE(c.compositor != kFailing || dwm.source == program.window) << n;
    }
    EXPECT_FALSE(HasPresentationFrameworkModule(0xFFFFFFF0));
}

TEST_F(WindowCaptureChoiceOnWindows, TheForegroundWindowIsCapturedOnlyWhileItShows) {
    {
        LookWindow other(At(500, 300, 200, 150), WindowLook(), kPopup, kApp, L"Qel other window");
        LookWindow empty(At(100, 100, 0, 0), WindowLook(), kPopup, kApp, L"Qel empty window");
        Foreground(empty.get());
        ASSERT_EQ(::GetForegroundWindow(), empty.get());
        Capture capture;
        ASSERT_TRUE(CaptureActiveWindowStep(&capture));
        // An empty window gives way to another of its process.
        EXPECT_TRUE(capture.GetDetails()->GetTitle() == L"Qel other window" && capture.GetImage()->GetWidth() == 200u);
    }

    // A capture session takes the window with its title, or the whole screen titled "Screen" when the step fails.
    auto expectSession = [](const Rect& r, const wchar_t* title) {
        CaptureSession session(CaptureModeActiveWindow);
        UniqueDib dib(session.RunCapture());
        ASSERT_TRUE(dib);
        EXPECT_TRUE(dib->biWidth == r.Width && dib->biHeight == r.Height && session.ImageLocation().x == r.X);
        EXPECT_EQ(session.ImageTitle(), title);
    };
    LookWindow target(At(260, 180, 420, 280), WindowLook(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, L"Qel foreground");
    Foreground(target.get());
    expectSession(WindowDetails(target.get()).WindowRectangle(), L"Qel foreground");
    ::ShowWindow(target.get(), SW_MINIMIZE);
    // Minimising may hand the foreground to another window; a minimised window can take it back.
    ::SetForegroundWindow(target.get());
    qeltest::PumpFor(200);
    ASSERT_TRUE(::IsIconic(target.get()) && ::GetForegroundWindow() == target.get());
    Capture none;
    EXPECT_TRUE(!CaptureActiveWindowStep(&none) && !none.GetImage());
    expectSession(ScreenGeometry::VirtualScreenBounds(), L"Screen");
    EXPECT_FALSE(CaptureActiveWindowStep(nullptr));
}

TEST_F(WindowCaptureChoiceOnWindows, TheExportedCallTakesTheForegroundNotepadAndTheWholeScreenWhenThereIsNone) {
    const RECT screen = qeltest::VirtualScreen();
    auto expectWholeScreen = [&screen](const char* what) {
        UniqueDib dib(CPictavoUtil().CaptureActiveWindow(0));
        ASSERT_TRUE(dib) << what;
        EXPECT_EQ(qeltest::SizeOf(dib.get()), qeltest::Size(screen.right - screen.left, screen.bottom - screen.top)) << what;
    };
    {
        // Parked where the system keeps minimised windows. Wine hides such a window from the display and
        // takes the foreground from it once its messages run, so it is asked at once.
        LookWindow own(At(260, 180, 420, 280), WindowLook(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, L"Qel parked");
        Foreground(own.get());
        ::SetWindowPos(own.get(), nullptr, -32000, 100, 420, 280, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(::GetForegroundWindow() == own.get() && !::IsIconic(own.get()));
        expectWholeScreen("parked");
        own.wnd.reset();
        qeltest::PumpFor(200);
        ASSERT_EQ(::GetForegroundWindow(), nullptr);
        expectWholeScreen("destroyed");
    }

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    wchar_t commandLine[] = L"notepad.exe";
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    qel::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    // Ended also when a check stops the test early.
    struct EndOnExit {
        HANDLE process;
        ~EndOnExit() { ::TerminateProcess(process, 1); }
    } endOnExit{process.get()};
    HWND notepad = nullptr;
    DWORD owner = 0;
    for (int i = 0; i < 400 && !(notepad = ::FindWindowW(L"Notepad", nullptr)); ++i) ::Sleep(25);
    ASSERT_TRUE(notepad && ::GetWindowThreadProcessId(notepad, &owner) && owner == pi.dwProcessId);
    ::SetWindowPos(notepad, nullptr, 200, 150, 500, 350, SWP_NOZORDER);
    Foreground(notepad);
    ASSERT_EQ(::GetForegroundWindow(), notepad);
    RECT r{};
    ::GetWindowRect(notepad, &r);
    {
        UniqueDib dib(CPictavoUtil().CaptureActiveWindow(0));
        const qeltest::ScreenCopy shown = qeltest::CopyScreen(r);
        ASSERT_TRUE(dib);
        ASSERT_EQ(qeltest::SizeOf(dib.get()), qeltest::Size(r.right - r.left, r.bottom - r.top));
        // The window as the screen shows it; only the blinking caret may differ.
        int differ = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) differ += (DibArgb(dib.get(), x - r.left, y - r.top) & 0xFFFFFF) != shown.At(x, y);
        EXPECT_LT(differ, 100);
    }

    // Minimising may hand the foreground to another window; a minimised window can take it back.
    ::ShowWindow(notepad, SW_MINIMIZE);
    ::SetForegroundWindow(notepad);
    qeltest::PumpFor(300);
    ASSERT_TRUE(::IsIconic(notepad) && ::GetForegroundWindow() == notepad);
    expectWholeScreen("minimised");

    ::TerminateProcess(process.get(), 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 5000), WAIT_OBJECT_0);
    qeltest::PumpFor(200);
    ASSERT_FALSE(::IsWindow(::GetForegroundWindow()));
    expectWholeScreen("process ended");
}

// Windows, GDI objects, kernel handles and memory: the capture's only leak check.
TEST_F(WindowCaptureChoiceOnWindows, AThousandActiveWindowCapturesLeaveNothingBehind) {
    LookWindow target(At(300, 200, 320, 240), WindowLook(), kPopup, kApp, L"Qel thousand");
    Foreground(target.get());
    auto countOwnWindows = [] {
        int count = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND, LPARAM n) { return ++*reinterpret_cast<int*>(n), TRUE; },
                            reinterpret_cast<LPARAM>(&count));
        return count;
    };
    // Caches filled on first use (device contexts of the screen, the compositor library) are not leaks.
    for (int i = 0; i < 3; ++i) UniqueDib(CPictavoUtil().CaptureActiveWindow(i % 2));
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
        return counters.PrivateUsage;
    };
    const int windowsBefore = countOwnWindows(), gdiBefore = CountGdiObjects(), handlesBefore = CountKernelHandles();
    const SIZE_T bytesBefore = privateBytes();
    ASSERT_GT(gdiBefore * handlesBefore, 0);
    int captured = 0;
    for (int i = 0; i < 1000; ++i) {
        UniqueDib dib(CPictavoUtil().CaptureActiveWindow(i % 2));
        captured += dib && dib->biWidth == 320 && dib->biHeight == 240;
    }
    EXPECT_EQ(captured, 1000);
    EXPECT_EQ(countOwnWindows(), windowsBefore);
    EXPECT_EQ(CountGdiObjects(), gdiBefore);
    EXPECT_EQ(CountKernelHandles(), handlesBefore);
    EXPECT_LE(privateBytes(), bytesBefore + bytesBefore / 10) << "before: " << bytesBefore;
}
