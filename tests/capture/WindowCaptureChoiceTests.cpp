// Which method captures a window, whether a black print gives way to the screen, and the capture of
// the foreground window: the rules directly, then real windows of this and of other programs.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include "capture/Capture.h"
#include "capture/CaptureSession.h"
#include "capture/WindowCaptureChoice.h"
#include "tests/windows/WindowTestSupport.h"
#include "windows/WindowCapture.h"
#include "windows/WindowDetails.h"

namespace {

using namespace WindowCaptureChoice;
using namespace wintest;
using Gdiplus::Rect;

}  // namespace

TEST(WindowCaptureChoiceRules, AutomaticChoiceScansModulesOnlyIfNeededAndTheBlackCheckPrefersTheLessBlack) {
    struct Case {
        bool dwm, modern, print, compositor, framework;
        int method;
        bool scans;
    };
    const Case cases[] = {
        // Compositor off: print-window unless ruled out for the process or it uses the presentation framework.
        {false, false, true, true, false, kPrintWindow, true},  {false, false, true, true, true, kScreenCopy, true},
        {false, false, false, true, true, kScreenCopy, false},  {false, true, true, true, true, kScreenCopy, false},
        // Compositor on: the compositor unless ruled out; a modern app always.
        {true, false, true, true, true, kCompositor, false},    {true, false, true, false, false, kPrintWindow, false},
        {true, false, false, true, false, kCompositor, false},  {true, false, false, false, false, kScreenCopy, false},
        {true, true, false, false, false, kCompositor, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        int asked = 0;
        const int method = ResolveAutomaticMethod(MethodFacts{c.dwm, c.modern, c.print, c.compositor}, [&] { return ++asked, c.framework; });
        EXPECT_EQ(method, c.method) << n;
        EXPECT_EQ(asked, c.scans ? 1 : 0) << n++;
    }
    EXPECT_TRUE(IsPresentationFrameworkModule(L"presentationframework.aero2.dll"));
    for (const wchar_t* other : {L"PresentationFramewor", L"PresentationCore.dll", L"MyPresentationFramework.dll", L""})
        EXPECT_FALSE(IsPresentationFrameworkModule(other)) << other;

    // Whole percents rounded down, also for counts past 32 bits.
    EXPECT_EQ(BlackShare(0, 0) + BlackShare(99, 10000), 0u);
    EXPECT_EQ(BlackShare(2999, 10000), 29u);
    EXPECT_EQ(BlackShare(5000000000ull, 10000000000ull), 50u);
    // A screen copy replaces only a blacker print; a larger print only when mostly black; a smaller never.
    const unsigned long long same = 400 * 300;
    EXPECT_TRUE(PreferScreenCopy(same, 30, same, 2));
    EXPECT_FALSE(PreferScreenCopy(same, 30, same, 30));
    EXPECT_TRUE(PreferScreenCopy(same, 51, same / 2, 0));
    EXPECT_FALSE(PreferScreenCopy(same, 50, same / 2, 0));
    EXPECT_FALSE(PreferScreenCopy(same / 2, 100, same, 0));
    // A foreground window counts unless minimised or parked at x = -32000; a modern app when visible.
    EXPECT_TRUE(IsCapturableForeground(false, false, false, -31999));
    EXPECT_FALSE(IsCapturableForeground(false, true, false, -32000));
    EXPECT_FALSE(IsCapturableForeground(false, true, true, 100));
    EXPECT_TRUE(IsCapturableForeground(true, true, true, -32000));
    EXPECT_FALSE(IsCapturableForeground(true, false, false, 100));
}

namespace {

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
    EXPECT_EQ(capture_->GetLocation().x * 1000 + capture_->GetLocation().y, 800200);
    EXPECT_EQ(capture_->GetDetails()->GetTitle(), L"Black printer");
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
        {L"capture_target_plain.exe", kNone, kPrint},      {L"capture_target_idea.exe", kNone, kScreen},
        {L"capture_target_citrix.exe", kNone, kPrint},     {L"capture_target_plain.exe", kNone, kScreen, L" framework"},
        {L"capture_target_plain.exe", kWorking, kThumbnail}, {L"capture_target_idea.exe", kWorking, kThumbnail},
        {L"capture_target_citrix.exe", kWorking, kPrint},  {L"capture_target_plain.exe", kFailing, kPrint},
        {L"capture_target_idea.exe", kFailing, kScreen},
    };
    int n = 0;
    for (const Case& c : cases) {
        FakeCompositor dwm;
        if (c.compositor == kFailing) dwm.registerResult = E_NOTIMPL;
        std::unique_ptr<CompositorScope> useDwm;
        if (c.compositor != kNone) useDwm = std::make_unique<CompositorScope>(&dwm);
        const std::wstring title = L"Qel target " + std::to_wstring(++n);
        HelperProcess program(c.exe, title, std::wstring(L"-100 200 400 300 black") + c.extra);
        ASSERT_TRUE(program.window()) << n;
        EXPECT_EQ(HasPresentationFrameworkModule(program.id()), *c.extra != 0) << n;
        Gdiplus::Bitmap* image = CaptureAutomatically(program.window());
        ASSERT_TRUE(image) << n;
        // The compositor's pixels are not checked: on a display without a window manager Wine raises the
        // target, once brought to the front, over the top-most thumbnail window.
        EXPECT_EQ(dwm.registrations + dwm.updates, c.expected == kThumbnail ? 2 : 0) << n;
        EXPECT_TRUE(c.expected == kThumbnail || SoleColour(image) == 0xFF000000u) << n;
        EXPECT_EQ(static_cast<int>(image->GetWidth()), c.expected == kScreen ? 300 : 400) << n;
        EXPECT_EQ(static_cast<int>(image->GetHeight()), 300) << n;
        EXPECT_EQ(capture_->GetLocation().x, c.expected == kScreen ? 0 : -100) << n;
        EXPECT_EQ(capture_->GetDetails()->GetTitle(), title) << n;
        EXPECT_TRUE(c.compositor != kFailing || dwm.source == program.window()) << n;
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
        EXPECT_EQ(capture.GetDetails()->GetTitle(), L"Qel other window") << "an empty window gives way to another of its process";
        EXPECT_EQ(capture.GetImage()->GetWidth(), 200u);
    }

    auto expectNoCapture = [](const char* what) {
        Capture none;
        EXPECT_FALSE(CaptureActiveWindowStep(&none)) << what;
        EXPECT_EQ(none.GetImage(), nullptr) << what;
    };
    // A capture session takes the window, or the whole screen when the step fails.
    auto expectSession = [](const Rect& r) {
        CaptureSession session(CaptureModeActiveWindow);
        UniqueDib dib(session.RunCapture());
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->biWidth * 10000 + dib->biHeight, r.Width * 10000 + r.Height);
        EXPECT_EQ(session.ImageLocation().x, r.X);
    };
    LookWindow target(At(260, 180, 420, 280), WindowLook(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, L"Qel foreground");
    Foreground(target.get());
    expectSession(WindowDetails(target.get()).WindowRectangle());
    ::ShowWindow(target.get(), SW_MINIMIZE);
    // Minimising may hand the foreground to another window; a minimised window can take it back.
    ::SetForegroundWindow(target.get());
    qeltest::PumpFor(200);
    ASSERT_TRUE(::IsIconic(target.get()));
    ASSERT_EQ(::GetForegroundWindow(), target.get());
    expectNoCapture("minimised");
    expectSession(ScreenGeometry::VirtualScreenBounds());

    ::ShowWindow(target.get(), SW_RESTORE);
    Foreground(target.get());
    // Parked where the system keeps minimised windows. Wine hides such a window from the display and
    // takes the foreground from it once its messages run, so it is asked at once.
    ::SetWindowPos(target.get(), nullptr, -32000, 100, 420, 280, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(::GetForegroundWindow(), target.get());
    expectNoCapture("parked");

    target.Destroy();
    qeltest::PumpFor(200);
    ASSERT_EQ(::GetForegroundWindow(), nullptr);
    expectNoCapture("gone");
    EXPECT_FALSE(CaptureActiveWindowStep(nullptr));
}

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
    const int windowsBefore = countOwnWindows(), gdiBefore = CountGdiObjects(), handlesBefore = CountKernelHandles();
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
}
