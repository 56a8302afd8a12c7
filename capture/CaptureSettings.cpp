#include "capture/CaptureSettings.h"

CaptureSettings::CaptureSettings()
    : GdiExcludedProducts{L"IntelliJ IDEA"},
      DwmExcludedProducts{L"Citrix ICA Client"},
      CornerClearRows{5, 3, 2, 1, 1} {}

CaptureSettings& CaptureSettings::Get() {
    // Function-local static: thread-safe one-time construction, destroyed at unload.
    static CaptureSettings settings;
    return settings;
}
