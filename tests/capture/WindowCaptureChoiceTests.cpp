// Which method captures a window, whether a black print gives way to the screen, and the capture of the
// foreground window: the rules directly, then real windows of this and of other programs.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include "ScreenInput.h"
#include "capture/Capture.h"
#include "capture/CaptureSession.h"
#include "capture/WindowCaptureChoice.h"
#include "tests/windows/WindowTestSupport.h"
#include "windows/WindowDetails.h"

using namespace WindowCaptureChoice;
using namespace wintest;

// The method choice itself is checked on real programs below.
TEST(WindowCaptureChoiceRules, ModuleNamesAndTheBlackCheckPrefersTheLessBlack) {
    EXPECT_TRUE(IsPresentationFrameworkModule(L"presentationframework.aero2.dll"));
    EXPECT_FALSE(IsPresentationFrameworkModule(L"PresentationFramewor") || IsPresentationFrameworkModule(L"MyPresentationFramework.dll"));
    // Whole percents rounded down, also for counts past 32 bits.
    EXPECT_EQ(BlackShare(0, 0) + BlackShare(99, 10000), 0u);
    EXPECT_EQ(BlackShare(2999, 10000) + BlackShare(5000000000ull, 10000000000ull), 29u + 50u);
    // A screen copy replaces only a blacker print; a larger print only when mostly black; a smaller never.
    const unsigned long long same = 400 * 300;
    EXPECT_TRUE(PreferScreenCopy(same, 30, same, 2) && PreferScreenCopy(same, 51, same / 2, 0));
    EXPECT_FALSE(PreferScreenCopy(same, 30, same, 30) || PreferScreenCopy(same, 50, same / 2, 0) || PreferScreenCopy(same / 2, 100, same, 0));
}

namespace {

void Foreground(HWND wnd) {
    ::ShowWindow(wnd, SW_SHOW), ::SetForegroundWindow(wnd), ::BringWindowToTop(wnd);
    qeltest::PumpFor(250);
}

constexpr DWORD kPopup = WS_POPUP | WS_VISIBLE;
// Application windows: Wine keeps them below top-most windows even while they are active.
constexpr DWORD kApp = WS_EX_APPWINDOW;

bool AllOf(Gdiplus::Image* image, Gdiplus::ARGB argb) {
    return image && CountArgb(image, argb) == static_cast<int>(image->GetWidth() * image->GetHeight());
}

// The system's compositor is Wine's unless a test puts the stand-in in place.
class WindowCaptureChoiceOnWindows : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qel::EnsureGdiplus());
        CaptureSettings::Get().CaptureDelay = 0;
    }

    Gdiplus::Bitmap* CaptureAutomatically(HWND wnd) {
        WindowDetails record(wnd);
        capture_ = std::make_unique<Capture>();
        return CaptureWindow(record, capture_.get(), kAutomatic) ? static_cast<Gdiplus::Bitmap*>(capture_->GetImage()) : nullptr;
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
    EXPECT_TRUE(AllOf(CaptureAutomatically(good.get()), Opaque(kPrintColour)));
    EXPECT_TRUE(AllOf(CaptureAutomatically(black.get()), Opaque(kPaintColour)));
    EXPECT_TRUE(capture_->GetLocation().x == 800 && capture_->GetLocation().y == 200 && capture_->GetDetails()->GetTitle() == L"Black printer");
}

TEST_F(WindowCaptureChoiceOnWindows, ExclusionListsAndModulesDecideTheMethodForRealPrograms) {
    // Another program's black window, standing partly left of the screen. The black check keeps a print
    // when the screen shows it just as black, so each method leaves its own image: a print has the window's
    // size at its origin, a screen copy only the part on the screen; a compositor capture leaves its
    // traces in the stand-in.
    enum Method { kScreen, kPrint, kThumbnail };
    enum Compositor { kNone, kWorking, kFailing };  // kFailing answers no registration, as Wine's
    // Which target program (by its file description), with which compositor, takes which method.
    const struct { const wchar_t* program; Compositor compositor; Method expected; const wchar_t* extra; } cases[] = {
        {L"plain", kNone, kPrint, L""},        {L"idea", kNone, kScreen, L""},       {L"plain", kNone, kScreen, L" framework"},
        {L"idea", kWorking, kThumbnail, L""},  {L"citrix", kWorking, kPrint, L""},   {L"idea", kFailing, kScreen, L""},
        {L"plain", kWorking, kThumbnail, L""},
    };
    int n = 0;
    for (const auto& c : cases) {
        FakeCompositor dwm;
        dwm.registerResult = c.compositor == kFailing ? E_NOTIMPL : S_OK;
        CompositorScope useDwm(c.compositor == kNone ? nullptr : &dwm);
        const std::wstring title = L"Qel target " + std::to_wstring(++n);
        HelperProcess target(L"capture_target_" + std::wstring(c.program) + L".exe", title, std::wstring(L"-100 200 400 300") + c.extra);
        ASSERT_TRUE(target.window) << n;
        EXPECT_EQ(HasPresentationFrameworkModule(::GetProcessId(target.process.get())), *c.extra != 0) << n;
        Gdiplus::Bitmap* image = CaptureAutomatically(target.window);
        ASSERT_TRUE(image) << n;
        // The compositor's pixels are not checked: on a display without a window manager Wine raises the
        // target, once brought to the front, over the top-most thumbnail window.
        EXPECT_EQ(dwm.registrations + dwm.updates, c.expected == kThumbnail ? 2 : 0) << n;
        EXPECT_TRUE(c.expected == kThumbnail || AllOf(image, 0xFF000000u)) << n;
        EXPECT_TRUE(qeltest::SizeOf(image) == qeltest::Size(c.expected == kScreen ? 300 : 400, 300) &&
                    capture_->GetLocation().x == (c.expected == kScreen ? 0 : -100) && capture_->GetDetails()->GetTitle() == title) << n;
        EXPECT_TRUE(c.compositor != kFailing || dwm.source == target.window) << n;
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
    EXPECT_FALSE(CaptureActiveWindowStep(nullptr));

    // The exported call, then a session, which also tells the title: "Screen" for the whole virtual screen.
    const auto screen = ScreenGeometry::VirtualScreenBounds();
    auto expectWholeScreen = [&screen](const char* what) {
        CaptureSession session(CaptureModeActiveWindow);
        const UniqueDib dibs[] = {UniqueDib(CPictavoUtil().CaptureActiveWindow(0)), UniqueDib(session.RunCapture())};
        for (const UniqueDib& dib : dibs)
            EXPECT_TRUE(dib && qeltest::SizeOf(dib.get()) == qeltest::Size(screen.Width, screen.Height)) << what;
        EXPECT_TRUE(session.ImageLocation().x == screen.X && session.ImageTitle() == L"Screen") << what;
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

    qeltest::Notepad notepad;
    ASSERT_NE(notepad.window, nullptr) << "notepad.exe did not start";
    ::SetWindowPos(notepad.window, nullptr, 200, 150, 500, 350, SWP_NOZORDER);
    Foreground(notepad.window);
    ASSERT_EQ(::GetForegroundWindow(), notepad.window);
    RECT r{};
    ::GetWindowRect(notepad.window, &r);
    {
        UniqueDib dib(CPictavoUtil().CaptureActiveWindow(0));
        const qeltest::ScreenCopy shown = qeltest::CopyScreen(r);
        ASSERT_TRUE(dib);
        ASSERT_EQ(qeltest::SizeOf(dib.get()), qeltest::Size(r.right - r.left, r.bottom - r.top));
        // Only the blinking caret may differ from the screen.
        int differ = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) differ += (DibArgb(dib.get(), x - r.left, y - r.top) & 0xFFFFFF) != shown.At(x, y);
        EXPECT_LT(differ, 100);
        wchar_t title[256] = L"";
        ::GetWindowTextW(notepad.window, title, 256);
        CaptureSession session(CaptureModeActiveWindow);
        dib.reset(session.RunCapture());
        EXPECT_TRUE(dib && session.ImageLocation().x == r.left && session.ImageTitle() == title);
    }

    // Minimising may hand the foreground to another window; a minimised window can take it back.
    ::ShowWindow(notepad.window, SW_MINIMIZE);
    ::SetForegroundWindow(notepad.window);
    qeltest::PumpFor(300);
    ASSERT_TRUE(::IsIconic(notepad.window) && ::GetForegroundWindow() == notepad.window);
    Capture none;
    EXPECT_TRUE(!CaptureActiveWindowStep(&none) && !none.GetImage());
    expectWholeScreen("minimised");
}
