// Repeated captures in one process: every call succeeds and memory does not grow.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>
#include <psapi.h>

#include <string>

#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"

TEST(CaptureSoak, TwoThousandFullScreenCapturesKeepMemoryLevel) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    // The commit charge, which is the private memory; Wine leaves PrivateUsage at 0 but fills this one.
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        return ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters)) ? counters.PagefileUsage : 0;
    };
    CaptureSettings::Get().CaptureDelay = -5;  // none, and stored back as 0
    SIZE_T afterWarmUp = 0;
    int failures = 0;
    for (int i = 1; i <= 2000; ++i) {
        UniqueDib dib(CPictavoUtil().CaptureFullScreen(i % 2));
        failures += !dib || dib->biBitCount != 32;
        if (i == 100) afterWarmUp = privateBytes();
    }
    EXPECT_EQ(CaptureSettings::Get().CaptureDelay, 0);
    EXPECT_EQ(failures, 0);
    ASSERT_GT(afterWarmUp, 0u) << "no memory figure to compare";
    const SIZE_T atEnd = privateBytes();
    RecordProperty("PrivateBytesAfter100", std::to_string(afterWarmUp)), RecordProperty("PrivateBytesAtEnd", std::to_string(atEnd));
    EXPECT_LE(atEnd, afterWarmUp + afterWarmUp / 10) << "after 100: " << afterWarmUp;
    CaptureSettings::Get().CaptureDelay = 100;
}
