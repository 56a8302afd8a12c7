#include "tools/PickColorWnd.h"

#include <QelImageTransform.h>

#include <algorithm>
#include <string>

#include "Handles.h"
#include "tools/ToolGeometry.h"

namespace {

constexpr COLORREF kLabelFill = 0x00FFFF;  // yellow
constexpr COLORREF kEdgeLight = 0xFFFFFF;
constexpr COLORREF kEdgeShadow = 0x99A8AC;

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
    const COLORREF old = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

// An 8-point Arial for the DC's resolution.
qel::UniqueHfont LabelFont(HDC dc) {
    const int height = -::MulDiv(80, ::GetDeviceCaps(dc, LOGPIXELSY), 720);
    return qel::UniqueHfont(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

// A bottom-up DIB section of the given depth.
HBITMAP CreateSection(int width, int height, int bitsPerPixel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPickColorWnd, CWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CPickColorWnd::CPickColorWnd()
    : m_color(0),
      m_position(0, 0),
      m_screen(qel::VirtualScreenRect(::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                                      ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN))) {
    qel::WindowDc screenDc(nullptr);
    if (!screenDc) return;
    const int depth = std::max(::GetDeviceCaps(screenDc.get(), BITSPIXEL) * ::GetDeviceCaps(screenDc.get(), PLANES), 24);
    qel::UniqueHbitmap section(CreateSection(m_screen.Width(), m_screen.Height(), depth));
    qel::UniqueHdc mem(::CreateCompatibleDC(nullptr));
    if (!section || !mem) return;
    {
        qel::SelectScope select(mem.get(), section.get());
        ::BitBlt(mem.get(), 0, 0, m_screen.Width(), m_screen.Height(), screenDc.get(), m_screen.left, m_screen.top,
                 SRCCOPY);
    }
    m_screenshot.reset(QelImageTransform::CBitmapConverter::ConvertDDBToDIB(section.get()));
}

CPickColorWnd::~CPickColorWnd() = default;

BOOL CPickColorWnd::CreatePicker() {
    if (!m_screenshot) return FALSE;
    const LPCTSTR cls = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW, nullptr,
                                            reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)), nullptr);
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, cls, L"", WS_POPUP | WS_VISIBLE, m_screen, nullptr, 0);
}

bool CPickColorWnd::HasScreenshot() const { return m_screenshot != nullptr; }

COLORREF CPickColorWnd::Color() const { return m_color; }

CRect CPickColorWnd::LabelBox(int textWidth) const {
    const int boxWidth = textWidth + 35;
    // The monitor under the cursor bounds the label, so that it never lands outside every monitor.
    const POINT onScreen{m_position.x + m_screen.left, m_position.y + m_screen.top};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    RECT bounds{0, 0, m_screen.Width(), m_screen.Height()};
    if (::GetMonitorInfoW(::MonitorFromPoint(onScreen, MONITOR_DEFAULTTONEAREST), &info)) {
        bounds = RECT{info.rcMonitor.left - m_screen.left, info.rcMonitor.top - m_screen.top,
                      info.rcMonitor.right - m_screen.left, info.rcMonitor.bottom - m_screen.top};
    }
    const POINT at = qel::PickLabelPosition(m_position, boxWidth, bounds);
    return CRect(at.x, at.y, at.x + boxWidth, at.y + qel::kPickLabelHeight);
}

void CPickColorWnd::OnMouseMove(UINT, CPoint point) {
    m_position = point;
    COLORREF color = 0;
    if (qel::DibPixelColor(m_screenshot.get(), point.x, point.y, &color)) m_color = color;
    Invalidate(TRUE);
}

void CPickColorWnd::OnLButtonDown(UINT, CPoint) {}

BOOL CPickColorWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CPickColorWnd::OnPaint() {
    CPaintDC paint(this);
    if (!m_screenshot) return;
    const HDC dc = paint.GetSafeHdc();
    RECT clip{};
    ::GetClipBox(dc, &clip);
    const int cw = clip.right - clip.left, ch = clip.bottom - clip.top;
    if (cw <= 0 || ch <= 0) return;
    qel::UniqueHdc mem(::CreateCompatibleDC(dc));
    qel::UniqueHbitmap buffer(::CreateCompatibleBitmap(dc, cw, ch));
    qel::UniqueHfont font = LabelFont(dc);
    if (!mem || !buffer) return;
    qel::SelectScope selectBuffer(mem.get(), buffer.get());
    qel::SelectScope selectFont(mem.get(), font.get());
    ::SetViewportOrgEx(mem.get(), -clip.left, -clip.top, nullptr);

    const BITMAPINFOHEADER* dib = m_screenshot.get();
    const int height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    // Source y of a bottom-up DIB counts from its bottom row.
    const int srcY = dib->biHeight > 0 ? height - clip.bottom : clip.top;
    // The transform library's rule finds the rows; 0 for a header it does not accept.
    if (const size_t offset = QelImageTransform::DibBitsOffset(dib))
        ::SetDIBitsToDevice(mem.get(), clip.left, clip.top, cw, ch, clip.left, srcY, 0, height,
                            reinterpret_cast<const BYTE*>(dib) + offset, reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS);

    const std::wstring text = qel::PickLabelText(m_color);
    SIZE size{};
    ::GetTextExtentPoint32W(mem.get(), text.c_str(), static_cast<int>(text.size()), &size);
    const CRect box = LabelBox(size.cx);
    FillSolid(mem.get(), box, kLabelFill);
    Draw3dRect(mem.get(), box, kEdgeLight, kEdgeShadow);
    FillSolid(mem.get(), RECT{box.left + 5, box.top + 2, box.left + 25, box.bottom - 2}, m_color);
    RECT textBox{box.left + 30, box.top + 2, box.right, box.bottom - 2};
    ::SetTextColor(mem.get(), 0);
    ::SetBkMode(mem.get(), TRANSPARENT);
    ::DrawTextW(mem.get(), text.c_str(), static_cast<int>(text.size()), &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    ::SetViewportOrgEx(mem.get(), 0, 0, nullptr);
    ::BitBlt(dc, clip.left, clip.top, cw, ch, mem.get(), 0, 0, SRCCOPY);
}
