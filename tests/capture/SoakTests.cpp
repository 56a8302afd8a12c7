// Repeated captures in one process: every call succeeds and memory does not grow.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>
#include <psapi.h>

#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"

namespace {

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage;
}

}  // namespace

TEST(CaptureSoak, TwoThousandFullScreenCapturesKeepMemoryLevel) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    CaptureSettings::Get().CaptureDelay = 0;
    SIZE_T afterWarmUp = 0;
    int failures = 0;
    for (int i = 1; i <= 2000; ++i) {
        UniqueDib dib(CPictavoUtil().CaptureFullScreen(i % 2));
        if (!dib || dib->biBitCount != 32) ++failures;
        if (i == 100) afterWarmUp = PrivateBytes();
    }
    const SIZE_T atEnd = PrivateBytes();
    EXPECT_EQ(failures, 0);
    EXPECT_LE(atEnd, afterWarmUp + afterWarmUp / 10) << "after 100: " << afterWarmUp << ", after 2000: " << atEnd;
    // A delay of 0 or less means none, and is stored back as 0.
    CaptureSettings::Get().CaptureDelay = -5;
    UniqueDib dib(CPictavoUtil().CaptureFullScreen(0));
    EXPECT_NE(dib, nullptr);
    EXPECT_EQ(CaptureSettings::Get().CaptureDelay, 0);
    CaptureSettings::Get().CaptureDelay = 100;
}
