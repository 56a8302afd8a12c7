// The compositor seam: what Wine's own compositor answers and how records fall back, and a stand-in.
#include <gtest/gtest.h>
#include <windows.h>

#include "WindowTestSupport.h"
#include "windows/OsVersion.h"

using namespace wintest;

TEST(DwmSeam, WinesCompositorDegradesToWindowInfoAndFramesComeFromACompositorThatAnswers) {
    if (OsVersion::IsWindows8OrLater()) GTEST_SKIP() << "Windows 7 rules";
    TestWindow wnd = TopLevel(L"composited", At(200, 150, 300, 200));
    const RECT info = WindowInfoRect(wnd.get());
    BOOL enabled = TRUE;
    EXPECT_TRUE(SUCCEEDED(qel::Dwm().IsCompositionEnabled(&enabled)));
    EXPECT_FALSE(enabled);
    RECT frame{};
    EXPECT_EQ(qel::Dwm().GetWindowAttribute(wnd.get(), DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof(frame)), E_NOTIMPL);
    DWORD color = 0;
    EXPECT_TRUE(FAILED(qel::Dwm().GetColorizationColor(&color, &enabled)));
    qel::DwmThumbnail thumbnail(wnd.get(), wnd.get());
    EXPECT_FALSE(thumbnail);
    EXPECT_TRUE(FAILED(thumbnail.hr()));
    EXPECT_FALSE(WindowDetails::IsDwmEnabled());
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    EXPECT_FALSE(WindowDetails(wnd.get()).IsCloaked());

    // A compositor with composition off is never asked for frames.
    FakeDwm dwm;
    CompositorScope scope(&dwm);
    EXPECT_FALSE(WindowDetails::IsDwmEnabled());
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    EXPECT_EQ(dwm.attributeQueries, 0);

    dwm.composition = TRUE;
    dwm.frame = RECT{205, 152, 495, 345};
    EXPECT_TRUE(WindowDetails::IsDwmEnabled());
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), dwm.frame));

    // An empty frame or a refusal falls back to the window's own rectangle.
    dwm.frame = RECT{205, 152, 205, 345};
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    dwm.attributeResult = E_NOTIMPL;
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    // Before Windows 8 nothing is cloaked, and the compositor is not asked.
    dwm.attributeResult = S_OK;
    dwm.cloaked = 1;
    const int asked = dwm.attributeQueries;
    EXPECT_FALSE(WindowDetails(wnd.get()).IsCloaked());
    EXPECT_EQ(dwm.attributeQueries, asked);
}

TEST(DwmSeam, ThumbnailIsUnregisteredOnceThroughItsOwnCompositor) {
    FakeDwm dwm;
    {
        CompositorScope scope(&dwm);
        qel::DwmThumbnail first(nullptr, nullptr);
        ASSERT_TRUE(first);
        qel::DwmThumbnail second(std::move(first));
        EXPECT_FALSE(first);
        qel::DwmThumbnail third(nullptr, nullptr);
        third = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(dwm.unregistrations, 1) << "the thumbnail third held before";
        qel::SetDwmForTesting(nullptr);  // released through the compositor that registered it
    }
    EXPECT_EQ(dwm.registrations, 2);
    EXPECT_EQ(dwm.unregistrations, 2);
}
