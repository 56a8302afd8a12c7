// Compositor capture through a stand-in compositor, on real windows and the real screen. The same
// source is built into one program per system version (QEL_EXPECTED_WINDOWS 7, 8 or 10), each started
// with that version set for it in the prefix, so the version answers are the system's own.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "capture/Capture.h"
#include "windows/OsVersion.h"
#include "windows/WindowCapture.h"
#include "windows/WindowDetails.h"

namespace {

using namespace wintest;
using Gdiplus::Rect;
using XY = std::pair<long, long>;

// Targets are hidden: the capture brings a visible target to the front, and on a display without a
// window manager Wine then raises it over every top-most window, the thumbnail window included,
// whatever the system's own window order says. The stand-in compositor needs no visible source.
constexpr DWORD kHidden = WS_POPUP;

constexpr Gdiplus::ARGB kBackground = 0xFF7F7FFF;  // pure blue colorization half-way to white
constexpr COLORREF kBackdropColour = RGB(90, 60, 30);
const Gdiplus::ARGB kBackdrop = Opaque(kBackdropColour);
constexpr bool kBefore8 = QEL_EXPECTED_WINDOWS < 8;
constexpr bool kFrom10 = QEL_EXPECTED_WINDOWS >= 10;

class CompositorCapture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qel::EnsureGdiplus());
        ASSERT_TRUE(OsVersion::IsWindows8OrLater() != kBefore8 && OsVersion::IsWindows10OrLater() == kFrom10);
        // A backdrop of a known colour under everything, so that what lies outside the thumbnail shows.
        const Rect screen = ScreenGeometry::VirtualScreenBounds();
        backdrop_ = std::make_unique<LookWindow>(At(screen.X, screen.Y, screen.Width, screen.Height),
                                                 WindowLook{kBackdropColour}, WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
        qeltest::PumpFor(150);
    }

    // Also checks that the thumbnail left nothing behind.
    ICapture* Run(HWND wnd) {
        WindowDetails record(wnd);
        ICapture* result = WindowCapture::CaptureThumbnailWindow(record, &capture_);
        EXPECT_EQ(dwm_.unregistrations, dwm_.registrations);
        EXPECT_TRUE(dwm_.destinationAliveAtEveryUnregister && !::IsWindow(dwm_.destination) && dwm_.source == wnd);
        return result;
    }

    XY ThumbnailAt() const { return {dwm_.destinationAtUpdate.left, dwm_.destinationAtUpdate.top}; }
    Gdiplus::Bitmap* Image() { return static_cast<Gdiplus::Bitmap*>(capture_.GetImage()); }

    static void ExcludeOwnProgramFromPrinting() {
        CaptureSettings::Get().GdiExcludedProducts = {WindowDetails::GetFileDescription(OwnExePath())};
        ASSERT_FALSE(WindowCapture::PrintWindowPermitted(OwnExePath()));
    }

    SettingsScope settings_;
    FakeCompositor dwm_;
    CompositorScope useDwm_{&dwm_};
    Capture capture_;
    std::unique_ptr<LookWindow> backdrop_;
};

}  // namespace

TEST_F(CompositorCapture, AFittingWindowIsCopiedOnTheColorizationBackgroundWithCornersOnlyBefore8) {
    for (const auto& [exStyle, growth] : {std::pair<DWORD, SIZE>{0, {0, 0}}, {WS_EX_TOOLWINDOW, {0, 0}}, {0, {3, 5}}}) {
        CaptureSettings::Get().WindowFrameGrowth = growth;
        LookWindow target(At(300, 200, 400, 300), WindowLook(), kHidden, exStyle);
        qeltest::PumpFor(150);
        ASSERT_TRUE(Run(target.get()) == &capture_ && Image());
        // From Windows 10 the copy reaches past the thumbnail by the frame growth on every side.
        const SIZE g = kFrom10 ? growth : SIZE{0, 0};
        const int width = 400 + 2 * g.cx, height = 300 + 2 * g.cy;
        EXPECT_TRUE(capture_.GetLocation().x == 300 && capture_.GetLocation().y == 200);
        ASSERT_EQ(qeltest::SizeOf(Image()), qeltest::Size(width, height));
        // Before Windows 8 the corners of a window that is not a tool window come back white on a
        // 32-bit image, twelve in each.
        const bool corners = kBefore8 && exStyle == 0;
        EXPECT_EQ(CountArgb(Image(), kBackground, Rect(g.cx, g.cy, 400, 300)), 400 * 300 - (corners ? 4 * 12 : 0));
        EXPECT_EQ(CountArgb(Image(), kBackdrop), width * height - 400 * 300);
        EXPECT_EQ(Image()->GetPixelFormat(), corners ? PixelFormat32bppARGB : PixelFormat32bppRGB);
        for (const Rect& corner : {Rect(0, 0, 8, 8), Rect(width - 8, 0, 8, 8), Rect(0, height - 8, 8, 8), Rect(width - 8, height - 8, 8, 8)})
            EXPECT_EQ(CountArgb(Image(), 0xFFFFFFFF, corner), corners ? 12 : 0);
    }
}

TEST_F(CompositorCapture, AMaximisedWindowIsCopiedWithItsBordersAroundTheThumbnail) {
    ExcludeOwnProgramFromPrinting();
    // Not for maximised windows, not even from Windows 10.
    CaptureSettings::Get().WindowFrameGrowth = SIZE{3, 5};
    // Maximised by its style alone, never shown: a window shown maximised and hidden again at once may
    // stay on the display for a while, over the thumbnail. Its borders lie on the screen.
    LookWindow target(At(100, 100, 800, 600), WindowLook(), WS_OVERLAPPEDWINDOW);
    ::SetWindowLongW(target.get(), GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_MAXIMIZE);
    qeltest::PumpFor(150);
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::IsZoomed(target.get()) && ::GetWindowInfo(target.get(), &info));
    const int b = static_cast<int>(info.cxWindowBorders);
    ASSERT_TRUE(b > 0 && static_cast<int>(info.cyWindowBorders) == b);
    const Rect record = WindowDetails(target.get()).WindowRectangle();
    ASSERT_EQ(record.X, 100 + b);
    ASSERT_TRUE(Run(target.get()) == &capture_ && Image());
    // Before Windows 8 the thumbnail stands one border up and left of the record's rectangle.
    const int at = kBefore8 ? 100 : 100 + b;
    EXPECT_EQ(ThumbnailAt(), XY(at, at));
    // On every version the copy reaches one border further on each side; the corners, lying on the
    // backdrop, are never cleared.
    const int width = 800 + 2 * b, height = 600 + 2 * b;
    ASSERT_EQ(qeltest::SizeOf(Image()), qeltest::Size(width, height));
    EXPECT_EQ(CountArgb(Image(), kBackground, Rect(b, b, 800, 600)), 800 * 600);
    EXPECT_EQ(CountArgb(Image(), kBackdrop), width * height - 800 * 600);
    EXPECT_EQ(Image()->GetPixelFormat(), PixelFormat32bppRGB);
    EXPECT_TRUE(capture_.GetLocation().x == record.X && capture_.GetLocation().y == record.Y);
}

TEST_F(CompositorCapture, AWindowOffTheMonitorsIsShownWhereAMonitorHoldsItOrLeftToPrinting) {
    // A window of the layout that does not fit, and where the monitor search puts its thumbnail: on
    // dual only the taller second monitor holds it.
    const bool dual = qeltest::Layout() == "dual";
    Rect window = dual ? Rect(100, 100, 1500, 1050) : qeltest::Layout() == "left" ? Rect(-1000, 100, 1500, 1050) : Rect(1520, 100, 400, 300);
    LookWindow target(At(window.X, window.Y, window.Width, window.Height), WindowLook(), kHidden);
    qeltest::PumpFor(150);
    ASSERT_TRUE(Run(target.get()) == &capture_ && Image());
    EXPECT_EQ(ThumbnailAt(), dual ? XY(1280, 0) : XY(0, 0));
    ASSERT_EQ(qeltest::SizeOf(Image()), qeltest::Size(window.Width, window.Height));
    EXPECT_EQ(CountArgb(Image(), kBackground), window.Width * window.Height - (kBefore8 ? 4 * 12 : 0));
    // The capture stays where the window is.
    EXPECT_TRUE(capture_.GetLocation().x == window.X && capture_.GetLocation().y == window.Y);

    // No monitor holds a window larger than the screen: printing takes it when it may.
    CaptureSettings::Get().CornerClearEnabled = false;
    const Rect screen = ScreenGeometry::VirtualScreenBounds();
    window = Rect(screen.X + 10, 10, screen.Width + 100, 1200);
    ::MoveWindow(target.get(), window.X, window.Y, window.Width, window.Height, FALSE);
    EXPECT_EQ(Run(target.get()), nullptr);
    EXPECT_TRUE(dwm_.registrations == 2 && dwm_.updates == 1) << dwm_.registrations << " " << dwm_.updates;
    // Not allowed to print: the part on the screen is copied from the thumbnail at the window.
    ExcludeOwnProgramFromPrinting();
    ASSERT_TRUE(Run(target.get()) == &capture_ && Image());
    EXPECT_EQ(ThumbnailAt(), XY(window.X, window.Y));
    const int width = screen.Width - 10, height = screen.Height - 10;
    ASSERT_EQ(qeltest::SizeOf(Image()), qeltest::Size(width, height));
    // Parts of the screen on no monitor stay transparent; everything on one shows the background.
    EXPECT_EQ(CountArgb(Image(), kBackground) + CountArgb(Image(), 0x00FFFFFF), width * height);
    EXPECT_GT(CountArgb(Image(), kBackground), width * height / 2);
}

TEST_F(CompositorCapture, EveryFailureUnregistersAndDestroysTheThumbnailWindow) {
    LookWindow target(At(300, 200, 400, 300), WindowLook(), kHidden);
    qeltest::PumpFor(150);
    // Registration refused, no source size, an empty source.
    const struct { HRESULT registered, sized; std::optional<SIZE> source; } failures[] = {
        {E_NOTIMPL, S_OK, {}}, {S_OK, E_FAIL, {}}, {S_OK, S_OK, SIZE{0, 300}}, {S_OK, S_OK, SIZE{400, -1}}};
    for (const auto& f : failures) {
        dwm_.registerResult = f.registered, dwm_.sizeResult = f.sized, dwm_.sourceSize = f.source;
        EXPECT_TRUE(Run(target.get()) == nullptr && dwm_.destination) << dwm_.registrations;
    }
    EXPECT_TRUE(dwm_.registrations == 3 && dwm_.updates == 0) << dwm_.registrations << " " << dwm_.updates;
    // Nothing of the rectangle on the capture's screen: the capture comes back without an image.
    dwm_.sourceSize.reset();
    capture_.SetScreenBounds(Rect(5000, 5000, 100, 100));
    EXPECT_TRUE(Run(target.get()) == &capture_ && !capture_.GetImage());
    // The window goes while its thumbnail is shown: what the screen holds there is not its image.
    capture_.SetScreenBounds(ScreenGeometry::VirtualScreenBounds());
    dwm_.destroySourceAtUpdate = true;
    EXPECT_TRUE(Run(target.get()) == nullptr && !::IsWindow(target.get()));
}

// Records take their frame and cloaking from the compositor: composition counts as on from Windows 8
// whatever it says, and nothing is cloaked before.
TEST(CompositorRecords, FramesWhileComposingAndCloakedWindowsHiddenFrom8) {
    TestWindow wnd = TopLevel(L"composited", At(200, 150, 300, 200));
    RECT info;
    ::GetWindowRect(wnd.get(), &info);
    FakeCompositor dwm;  // composition off until turned on, window attributes answered
    dwm.composition = FALSE, dwm.attributeResult = S_OK, dwm.target = wnd.get(), dwm.frame = RECT{205, 152, 495, 345};
    CompositorScope scope(&dwm);
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), kBefore8 ? info : dwm.frame));
    dwm.composition = TRUE;
    EXPECT_TRUE(WindowDetails::IsDwmEnabled() && RectIs(WindowDetails(wnd.get()).WindowRectangle(), dwm.frame));
    dwm.frame.right = dwm.frame.left;  // an empty frame, then none: the window's own rectangle
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    dwm.attributeResult = E_NOTIMPL;
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    dwm.attributeResult = S_OK;
    EXPECT_NE(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()), -1);
    dwm.cloaked = 1;
    EXPECT_EQ(WindowDetails(wnd.get()).IsVisible(), kBefore8);
    EXPECT_EQ(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()) != -1, kBefore8);
}
