#include "tools/AreaMarks.h"

#include "tools/ToolGeometry.h"

namespace qel {

namespace {

constexpr COLORREF kHatchColor = 0x640000;  // dark blue
constexpr COLORREF kLabelText = 0x000000;
constexpr COLORREF kLabelBack = 0xFFFFFF;

// Restores everything an operation changed in the DC's state (colours, modes, selections).
class DcStateScope {
public:
    explicit DcStateScope(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    DcStateScope(const DcStateScope&) = delete;
    DcStateScope& operator=(const DcStateScope&) = delete;
    ~DcStateScope() {
        if (saved_) ::RestoreDC(dc_, saved_);
    }

private:
    HDC dc_;
    int saved_;
};

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM param) {
    reinterpret_cast<std::vector<RECT>*>(param)->push_back(*rect);
    return TRUE;
}

RECT Offset(RECT r, POINT by) { return RECT{r.left - by.x, r.top - by.y, r.right - by.x, r.bottom - by.y}; }

}  // namespace

std::vector<RECT> MonitorRects() {
    std::vector<RECT> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void XorAreaFrame(HDC dc, const RECT& r) {
    if (IsEmptyRect(r)) return;
    UniqueHbrush hatch(::CreateHatchBrush(HS_DIAGCROSS, kHatchColor));
    if (!hatch) return;
    SelectScope select(dc, hatch.get());
    for (const RECT& s : FrameStrips(r)) ::PatBlt(dc, s.left, s.top, s.right - s.left, s.bottom - s.top, PATINVERT);
}

std::vector<AreaMark> LayOutAreaMarks(HDC dc, const RECT& area, const std::vector<RECT>& monitors, POINT dcOrigin) {
    std::vector<AreaMark> marks;
    DcStateScope state(dc);
    ::SelectObject(dc, ::GetStockObject(ANSI_VAR_FONT));
    for (const MonitorPart& p : SplitByMonitors(area, monitors)) {
        AreaMark m;
        m.text = AreaLabelText(p.part);
        SIZE size{};
        ::GetTextExtentPointW(dc, m.text.c_str(), static_cast<int>(m.text.size()), &size);
        const POINT origin = AreaLabelOrigin(p.part, size, p.monitor);
        m.frame = Offset(p.part, dcOrigin);
        m.textOrigin = POINT{origin.x - dcOrigin.x, origin.y - dcOrigin.y};
        m.labelBox = AreaLabelBox(m.textOrigin, size);
        marks.push_back(std::move(m));
    }
    return marks;
}

void DrawAreaLabel(HDC dc, const AreaMark& mark) {
    DcStateScope state(dc);
    ::SelectObject(dc, ::GetStockObject(ANSI_VAR_FONT));
    ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
    ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::SetTextColor(dc, kLabelText);
    ::SetBkColor(dc, kLabelBack);
    ::SetBkMode(dc, TRANSPARENT);
    const RECT& b = mark.labelBox;
    ::RoundRect(dc, b.left, b.top, b.right, b.bottom, 10, 10);
    ::SetBkMode(dc, OPAQUE);
    ::ExtTextOutW(dc, mark.textOrigin.x, mark.textOrigin.y, 0, nullptr, mark.text.c_str(),
                  static_cast<UINT>(mark.text.size()), nullptr);
}

void SaveUnderLabel(HDC dc, AreaMark& mark) {
    const RECT& b = mark.labelBox;
    const int w = b.right - b.left, h = b.bottom - b.top;
    UniqueHdc mem(::CreateCompatibleDC(dc));
    UniqueHbitmap bits(::CreateCompatibleBitmap(dc, w, h));
    if (!mem || !bits) {
        mark.under.reset();
        return;
    }
    {
        SelectScope select(mem.get(), bits.get());
        ::BitBlt(mem.get(), 0, 0, w, h, dc, b.left, b.top, SRCCOPY);
    }
    mark.under = std::move(bits);
}

void RestoreUnderLabel(HDC dc, AreaMark& mark) {
    if (!mark.under) return;
    const RECT& b = mark.labelBox;
    UniqueHdc mem(::CreateCompatibleDC(dc));
    if (mem) {
        SelectScope select(mem.get(), mark.under.get());
        ::BitBlt(dc, b.left, b.top, b.right - b.left, b.bottom - b.top, mem.get(), 0, 0, SRCCOPY);
    }
    mark.under.reset();
}

}  // namespace qel
