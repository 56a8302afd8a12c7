#include "windows/ScreenGeometry.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <mutex>
#include <vector>

#include "windows/Rectangles.h"

namespace {

// Cleared for the rest of the process the first time GetPhysicalCursorPos fails.
std::atomic<bool> g_bPhysicalCursor{true};
using Rects::Bottom;
using Rects::FromRECT;
using Rects::Overlaps;
using Rects::Right;

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT bounds, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(monitor, &info);
    try {
        reinterpret_cast<MonitorList*>(data)->push_back(MonitorEntry{FromRECT(*bounds), FromRECT(info.rcWork), monitor});
    } catch (...) {
        return FALSE;  // nothing may unwind through the system's callback
    }
    return TRUE;
}

}  // namespace

namespace ScreenGeometry {

Gdiplus::Rect BoundsOf(const MonitorList& monitors) {
    long long left = 0, top = 0, right = 0, bottom = 0;
    for (const MonitorEntry& m : monitors) {
        left = std::min<long long>(left, m.bounds.X);
        top = std::min<long long>(top, m.bounds.Y);
        right = std::max(right, Right(m.bounds));
        bottom = std::max(bottom, Bottom(m.bounds));
    }
    return Gdiplus::Rect(static_cast<INT>(left), static_cast<INT>(top), static_cast<INT>(right - left),
                         static_cast<INT>(bottom - top));
}

Gdiplus::Rect MonitorBoundsAt(const MonitorList& monitors, POINT p) {
    for (const MonitorEntry& m : monitors) {
        const Gdiplus::Rect& b = m.bounds;
        if (b.X <= p.x && p.x < Right(b) && b.Y <= p.y && p.y < Bottom(b)) return b;
    }
    Gdiplus::Rect best;
    double bestDistance = FLT_MAX;
    for (const MonitorEntry& m : monitors) {
        const Gdiplus::Rect& b = m.bounds;
        const double dx = static_cast<double>(p.x) - b.Width / 2 - b.X;
        const double dy = static_cast<double>(p.y) - b.Height / 2 - b.Y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = b;
        }
    }
    return best;
}

bool CoveredByMonitors(const MonitorList& monitors, const Gdiplus::Rect& r) {
    if (r.Width <= 0 || r.Height <= 0) return true;
    // Cut r along every monitor edge inside it; each cell is then either wholly on a monitor or wholly off.
    std::vector<long long> xs{r.X, Right(r)}, ys{r.Y, Bottom(r)};
    for (const MonitorEntry& m : monitors) {
        if (!Overlaps(m.bounds, r)) continue;
        xs.push_back(std::clamp<long long>(m.bounds.X, r.X, Right(r)));
        xs.push_back(std::clamp(Right(m.bounds), static_cast<long long>(r.X), Right(r)));
        ys.push_back(std::clamp<long long>(m.bounds.Y, r.Y, Bottom(r)));
        ys.push_back(std::clamp(Bottom(m.bounds), static_cast<long long>(r.Y), Bottom(r)));
    }
    for (auto* edges : {&xs, &ys}) {
        std::sort(edges->begin(), edges->end());
        edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
    }
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        for (size_t j = 0; j + 1 < ys.size(); ++j) {
            const bool covered = std::any_of(monitors.begin(), monitors.end(), [&](const MonitorEntry& m) {
                return m.bounds.X <= xs[i] && xs[i + 1] <= Right(m.bounds) && m.bounds.Y <= ys[j] &&
                       ys[j + 1] <= Bottom(m.bounds);
            });
            if (!covered) return false;
        }
    }
    return true;
}

const MonitorList& ListMonitors() {
    static std::mutex lock;
    static MonitorList monitors;
    // Handed out while nothing was enumerated, so a later fill never changes a list a caller walks.
    static const MonitorList none;
    std::lock_guard<std::mutex> guard(lock);
    if (monitors.empty()) {
        MonitorList found;
        ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
        if (found.empty()) return none;
        monitors.swap(found);
    }
    return monitors;
}

Gdiplus::Rect VirtualScreenBounds() { return BoundsOf(ListMonitors()); }

Gdiplus::Rect MonitorBoundsAt(POINT p) { return MonitorBoundsAt(ListMonitors(), p); }

POINT CursorPosition() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    const bool vistaOrLater =
        ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) && version.dwMajorVersion >= 6;
    POINT p{0, 0};
    if (vistaOrLater && g_bPhysicalCursor.load()) {
        if (::GetPhysicalCursorPos(&p)) return p;
        g_bPhysicalCursor = false;
    }
    ::GetCursorPos(&p);
    return p;
}

POINT ToOverlayCoordinates(POINT p) {
    const Gdiplus::Rect bounds = VirtualScreenBounds();
    return POINT{p.x - bounds.X, p.y - bounds.Y};
}

POINT CursorInOverlayCoordinates() { return ToOverlayCoordinates(CursorPosition()); }

}  // namespace ScreenGeometry
