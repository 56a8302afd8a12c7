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

// What PrintWindow itself draws of wnd over a black bitmap of the window's full size, as 0x00RRGGBB rows.
std::vector<DWORD> RawPrint(HWND wnd, int& width, int& height) {
    RECT r;
    ::GetWindowRect(wnd, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    qel::UniqueHbitmap section(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section) return {};
    std::fill_n(static_cast<DWORD*>(bits), static_cast<size_t>(width) * height, 0u);
    {
        qel::SelectScope select(dc.get(), section.get());
        ::PrintWindow(wnd, dc.get(), 0);
    }
    const auto* pixels = static_cast<const DWORD*>(bits);
    return std::vector<DWORD>(pixels, pixels + static_cast<size_t>(width) * height);
}

}  // namespace

TEST_F(PrintWindowCapture, AWindowWithoutShapeGivesItsOwnPixelsIn24BitsEvenWhenCovered) {
    LookWindow target(At(200, 150, 320, 240), WindowLook{kPaintColour, true, true});
    // A window over most of it: printing does not read the screen.
    LookWindow cover(At(180, 130, 300, 200), WindowLook{RGB(0, 0, 255), true, false, RGB(0, 0, 255)},
                     WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    qeltest::PumpFor(200);
    auto image = Print(target.get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetPixelFormat(), PixelFormat24bppRGB);
    ASSERT_EQ(image->GetWidth(), 320u);
    ASSERT_EQ(image->GetHeight(), 240u);
    int wrong = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) wrong += PixelAt(image.get(), x, y) != (0xFF000000u | PatternRgb(0, x, y));
    EXPECT_EQ(wrong, 0);
}

TEST_F(PrintWindowCapture, AShapedWindowIsTransparentOutsideItsRegion) {
    LookWindow target(At(300, 200, 240, 160), WindowLook{kPaintColour, true, false, kPrintColour});
    ASSERT_NE(::SetWindowRgn(target.get(), ::CreateEllipticRgn(0, 0, 240, 160), TRUE), 0);
    qel::UniqueHrgn shape(::CreateEllipticRgn(0, 0, 240, 160));
    qeltest::PumpFor(200);
    auto image = Print(target.get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetPixelFormat(), PixelFormat32bppARGB);
    ASSERT_EQ(image->GetWidth(), 240u);
    ASSERT_EQ(image->GetHeight(), 160u);
    int inside = 0, outside = 0, wrong = 0;
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 240; ++x) {
            const Gdiplus::ARGB p = PixelAt(image.get(), x, y);
            if (::PtInRegion(shape.get(), x, y)) {
                ++inside;
                wrong += p != Opaque(kPrintColour);
            } else {
                ++outside;
                wrong += (p >> 24) != 0;
            }
        }
    }
    EXPECT_GT(inside, 20000);
    EXPECT_GT(outside, 5000);
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

    int width = 0, height = 0;
    const std::vector<DWORD> raw = RawPrint(target.get(), width, height);
    ASSERT_FALSE(raw.empty());
    auto image = Print(target.get());
    ASSERT_TRUE(image);
    // The same size as the window record's rectangle, which leaves the borders out.
    const Gdiplus::Rect record = WindowDetails(target.get()).WindowRectangle();
    ASSERT_EQ(static_cast<int>(image->GetWidth()), width - 2 * bx);
    ASSERT_EQ(static_cast<int>(image->GetHeight()), height - 2 * by);
    EXPECT_EQ(static_cast<int>(image->GetWidth()), record.Width);
    EXPECT_EQ(static_cast<int>(image->GetHeight()), record.Height);
    // Each pixel is the printed pixel one border in, up to the last one before the far borders.
    int wrong = 0;
    for (int y = 0; y < height - 2 * by; ++y) {
        for (int x = 0; x < width - 2 * bx; ++x)
            wrong += PixelAt(image.get(), x, y) != (0xFF000000u | raw[static_cast<size_t>(y + by) * width + x + bx]);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(PrintWindowCapture, TheCursorOfTheSourceIsDrawnWhereItIsOnTheScreen) {
    LookWindow target(At(400, 300, 200, 150), WindowLook{kPaintColour, true, false, kPrintColour});
    qeltest::PumpFor(200);
    Capture source;
    // A solid black square cursor with its top-left corner at (450, 320).
    BYTE andMask[32 * 4], xorMask[32 * 4];
    std::fill(std::begin(andMask), std::end(andMask), 0x00);
    std::fill(std::begin(xorMask), std::end(xorMask), 0x00);
    qel::UniqueHicon cursor(::CreateCursor(::GetModuleHandleW(nullptr), 0, 0, 32, 32, andMask, xorMask));
    ASSERT_TRUE(cursor);
    source.SetCursor(cursor.get());
    source.SetCursorLocation(POINT{450, 320});
    auto image = Print(target.get(), &source);
    ASSERT_TRUE(image);
    EXPECT_EQ(CountArgb(image.get(), 0xFF000000, Gdiplus::Rect(50, 20, 32, 32)), 32 * 32);
    EXPECT_EQ(CountArgb(image.get(), 0xFF000000), 32 * 32);
    auto plain = Print(target.get());
    EXPECT_EQ(CountArgb(plain.get(), 0xFF000000), 0);
}

TEST(WindowCapturePermissions, FileDescriptionsOfRealProgramsDecide) {
    const std::wstring folder = ExeFolder();
    const std::wstring idea = folder + L"capture_target_idea.exe";
    const std::wstring citrix = folder + L"capture_target_citrix.exe";
    const std::wstring plain = folder + L"capture_target_plain.exe";
    ASSERT_EQ(WindowDetails::GetFileDescription(idea), L"IntelliJ IDEA");
    ASSERT_EQ(WindowDetails::GetFileDescription(citrix), L"Citrix ICA Client");
    ASSERT_EQ(WindowDetails::GetFileDescription(plain), L"");

    EXPECT_FALSE(WindowCapture::PrintWindowPermitted(idea));
    EXPECT_TRUE(WindowCapture::ThumbnailCapturePermitted(idea));
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(citrix));
    EXPECT_FALSE(WindowCapture::ThumbnailCapturePermitted(citrix));
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(plain));
    EXPECT_TRUE(WindowCapture::ThumbnailCapturePermitted(plain));
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(L""));
    EXPECT_TRUE(WindowCapture::ThumbnailCapturePermitted(folder + L"no such program.exe"));

    // An empty list permits everything.
    SettingsScope restore;
    CaptureSettings::Get().GdiExcludedProducts.clear();
    EXPECT_TRUE(WindowCapture::PrintWindowPermitted(idea));
}
