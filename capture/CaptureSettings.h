#pragma once
// The library's one settings object: in memory only, fixed defaults, kept for the life of the process.
#include <windows.h>
#include <list>
#include <string>
#include <vector>

struct CaptureSettings {
    SIZE WindowFrameGrowth{0, 0};
    DWORD DwmBackgroundColor = 0x00FFFFFF;
    std::list<std::wstring> GdiExcludedProducts;
    std::list<std::wstring> DwmExcludedProducts;
    bool CornerClearEnabled = true;
    std::vector<int> CornerClearRows;
    bool DisableRemoteOptimization = false;
    bool ForceRemoteOptimization = false;
    float ZoomerOpacity = 1.0f;
    bool ZoomerEnabled = true;
    bool DeepChildEnumeration = true;
    bool ReservedFlag = false;
    int CaptureDelay = 100;
    bool CaptureMousePointer = true;
    struct Region {
        int x, y, width, height;
    } LastCapturedRegion{0, 0, 0, 0};
    int CaptureScreenIndex = 0;
    int WindowCaptureMethod = 4;  // 0 screen copy, 1 print-window, 2 compositor, 4 automatic
    bool ScrollHorizontal = true;
    bool ScrollVertical = true;
    int ScrollDelay = 250;

    CaptureSettings();
    // The single instance, built on first use.
    static CaptureSettings& Get();
};
