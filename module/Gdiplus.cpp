#include "GdiplusHandles.h"

#include <mutex>

namespace qel {
namespace {
std::mutex g_gdiplusLock;
ULONG_PTR g_gdiplusToken = 0;
}  // namespace

// Started lazily on first use and not from DllMain: GdiplusStartup creates a thread and waits,
// which the loader lock forbids.
bool EnsureGdiplus() {
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (g_gdiplusToken) return true;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr) == Gdiplus::Ok;
}

void ShutdownGdiplus() {
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (!g_gdiplusToken) return;
    Gdiplus::GdiplusShutdown(g_gdiplusToken);
    g_gdiplusToken = 0;
}

}  // namespace qel
