// The thumbnail destination window paints its background colour over what it is asked to erase.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "tools/ThumbnailWnd.h"
#include "windows/ScreenCopy.h"

namespace {

using namespace wintest;
using Gdiplus::Rect;

class ThumbnailWnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qel::EnsureGdiplus());
        LPCWSTR windowClass = ::AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
        ASSERT_TRUE(windowClass);
        ASSERT_TRUE(wnd_.CreateEx(WS_EX_TOPMOST, windowClass, L"", WS_POPUP, 200, 150, 300, 200, nullptr, nullptr));
        wnd_.ShowWindow(SW_SHOWNOACTIVATE);
        qeltest::PumpFor(200);
    }
    void TearDown() override { wnd_.DestroyWindow(); }

    std::unique_ptr<Gdiplus::Bitmap> Screen() { return ScreenGeometry::CopyScreenRectangle(nullptr, Rect(200, 150, 300, 200)); }

    CThumbnailHandleWnd wnd_;
};

}  // namespace

TEST_F(ThumbnailWnd, ANewColourFillsWhatIsInvalidatedAndNothingElse) {
    EXPECT_EQ(CountArgb(Screen().get(), 0xFFFFFFFF), 300 * 200);
    wnd_.m_crBackground = RGB(127, 127, 255);
    wnd_.InvalidateRect(nullptr, TRUE);
    qeltest::PumpFor(200);
    EXPECT_EQ(CountArgb(Screen().get(), 0xFF7F7FFF), 300 * 200);
    wnd_.m_crBackground = RGB(200, 100, 0);
    const RECT part{40, 30, 140, 90};
    wnd_.InvalidateRect(&part, TRUE);
    qeltest::PumpFor(200);
    auto shot = Screen();
    EXPECT_EQ(CountArgb(shot.get(), 0xFFC86400, Rect(40, 30, 100, 60)), 100 * 60);
    EXPECT_EQ(CountArgb(shot.get(), 0xFF7F7FFF), 300 * 200 - 100 * 60);
}
