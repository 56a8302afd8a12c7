// Print-window capture of real windows, and the per-process permission tests on real programs.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "capture/Capture.h"
#include "windows/WindowCapture.h"
#include "windows/WindowDetails.h"

namespace {

using namespace wintest;

class PrintWindowCapture : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qel::EnsureGdiplus()); }

    static std::unique_ptr<Gdiplus::Bitmap> Print(HWND wnd, ICapture* cursorSource = nullptr) {
        WindowDetails record(wnd);
        return WindowCapture::CapturePrintWindow(record, cursorSource);
    }
};

}  // namespace

TEST_F(PrintWindowCapture, AWindowWithoutShapeGivesItsOwnPixelsIn24BitsEvenWhenCovered) {
    LookWindow target(At(200, 150, 320, 240), WindowLook{kPaintColour, true, true});
    // A window over most of it: printing does not read the screen.
    LookWindow cover(At(180, 130, 300, 200), WindowLook{RGB(0, 0, 255)}, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    qeltest::PumpFor(200);
    auto image = Print(target.get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetPixelFormat(), PixelFormat24bppRGB);
    ASSERT_EQ(image->GetWidth() * 1000 + image->GetHeight(), 320240u);
    int wrong = 0;
    for (int i = 0; i < 320 * 240; ++i) wrong += PixelAt(image.get(), i % 320, i / 320) != (0xFF000000u | PatternRgb(0, i % 320, i / 320));
    EXPECT_EQ(wrong, 0);
}

TEST_F(PrintWindowCapture, AShapedWindowIsTransparentOutsideItsRegion) {
    LookWindow target(At(300, 200, 240, 160));
    ASSERT_NE(::SetWindowRgn(target.get(), ::CreateEllipticRgn(0, 0, 240, 160), TRUE), 0);
    qel::UniqueHrgn shape(::CreateEllipticRgn(0, 0, 240, 160));
    qeltest::PumpFor(200);
    auto image = Print(target.get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetPixelFormat(), PixelFormat32bppARGB);
    ASSERT_EQ(image->GetWidth() * 1000 + image->GetHeight(), 240160u);
    int inside = 0, wrong = 0;
    for (int i = 0; i < 240 * 160; ++i) {
        const Gdiplus::ARGB p = PixelAt(image.get(), i % 240, i / 240);
        const bool in = ::PtInRegion(shape.get(), i % 240, i / 240);
        inside += in;
        wrong += in ? p != Opaque(kPrintColour) : (p >> 24) != 0;
    }
    EXPECT_TRUE(inside > 20000 && inside < 240 * 160 - 5000) << inside;
    EXPECT_EQ(wrong, 0);
}

TEST_F(PrintWindowCapture, AMaximisedWindowLosesItsBordersAndNothingElse) {
    LookWindow target(At(100, 100, 400, 300), WindowLook{kPaintColour, true, true}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ::ShowWindow(target.get(), SW_MAXIMIZE);
    qeltest::PumpFor(300);
    ASSERT_TRUE(::IsZoomed(target.get()));
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetWindowInfo(target.get(), &info));
    const int bx = static_cast<int>(info.cxWindowBorders), by = static_cast<int>(info.cyWindowBorders);
    ASSERT_GT(bx, 0);
    // What PrintWindow itself draws of the whole window.
    const int width = info.rcWindow.right - info.rcWindow.left, height = info.rcWindow.bottom - info.rcWindow.top;
    BITMAPINFO bmi{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    qel::UniqueHbitmap raw(::CreateDIBSection(dc.get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(raw);
    {
        qel::SelectScope select(dc.get(), raw.get());
        ::PrintWindow(target.get(), dc.get(), 0);
    }
    auto image = Print(target.get());
    ASSERT_TRUE(image);
    // The record's rectangle, which leaves the borders out; each pixel the printed one a border in.
    const Gdiplus::Rect record = WindowDetails(target.get()).WindowRectangle();
    ASSERT_EQ(static_cast<int>(image->GetWidth()), width - 2 * bx);
    ASSERT_EQ(static_cast<int>(image->GetHeight()), height - 2 * by);
    EXPECT_EQ(static_cast<int>(image->GetWidth() * 10000 + image->GetHeight()), record.Width * 10000 + record.Height);
    int wrong = 0;
    for (int y = 0; y < height - 2 * by; ++y)
        for (int x = 0; x < width - 2 * bx; ++x)
            wrong += PixelAt(image.get(), x, y) != (0xFF000000u | static_cast<const DWORD*>(bits)[(y + by) * width + x + bx]);
    EXPECT_EQ(wrong, 0);
}

TEST_F(PrintWindowCapture, TheCursorOfTheSourceIsDrawnWhereItIsOnTheScreen) {
    LookWindow target(At(400, 300, 200, 150));
    qeltest::PumpFor(200);
    // A solid black square cursor with its top-left corner at (450, 320).
    BYTE andMask[32 * 4] = {}, xorMask[32 * 4] = {};
    qel::UniqueHicon cursor(::CreateCursor(::GetModuleHandleW(nullptr), 0, 0, 32, 32, andMask, xorMask));
    ASSERT_TRUE(cursor);
    Capture source;
    source.SetCursor(cursor.get());
    source.SetCursorLocation(POINT{450, 320});
    auto image = Print(target.get(), &source);
    ASSERT_TRUE(image);
    EXPECT_EQ(CountArgb(image.get(), 0xFF000000, Gdiplus::Rect(50, 20, 32, 32)), 32 * 32);
    EXPECT_EQ(CountArgb(image.get(), 0xFF000000), 32 * 32);
    EXPECT_EQ(CountArgb(Print(target.get()).get(), 0xFF000000), 0);
}

TEST(WindowCapturePermissions, FileDescriptionsOfRealProgramsDecide) {
    const std::wstring idea = ExeFolder() + L"capture_target_idea.exe", citrix = ExeFolder() + L"capture_target_citrix.exe";
    const std::wstring plain = ExeFolder() + L"capture_target_plain.exe";
    ASSERT_EQ(WindowDetails::GetFileDescription(citrix), L"Citrix ICA Client");
    EXPECT_TRUE(!WindowCapture::PrintWindowPermitted(idea) && WindowCapture::ThumbnailCapturePermitted(idea));
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(citrix) && !WindowCapture::ThumbnailCapturePermitted(citrix));
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(plain) && WindowCapture::ThumbnailCapturePermitted(plain));
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(L"") && WindowCapture::ThumbnailCapturePermitted(ExeFolder() + L"none.exe"));
    SettingsScope restore;
    CaptureSettings::Get().GdiExcludedProducts.clear();
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(idea)) << "an empty list permits everything";
}
