#pragma once
// The desktop compositor behind one replaceable interface. Its library is loaded from the system
// folder on first use; systems without it (or without a function) answer E_NOTIMPL, as Wine does
// for most calls, and callers take their fallbacks. Tests put their own compositor in its place.
#include <windows.h>
#include <dwmapi.h>

#include <utility>

namespace qel {

class DwmApi {
public:
    virtual ~DwmApi() = default;
    virtual HRESULT IsCompositionEnabled(BOOL* enabled) = 0;
    virtual HRESULT GetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size) = 0;
    virtual HRESULT RegisterThumbnail(HWND destination, HWND source, HTHUMBNAIL* thumbnail) = 0;
    virtual HRESULT QueryThumbnailSourceSize(HTHUMBNAIL thumbnail, SIZE* size) = 0;
    virtual HRESULT UpdateThumbnailProperties(HTHUMBNAIL thumbnail, const DWM_THUMBNAIL_PROPERTIES* properties) = 0;
    virtual HRESULT UnregisterThumbnail(HTHUMBNAIL thumbnail) = 0;
    virtual HRESULT GetColorizationColor(DWORD* color, BOOL* opaqueBlend) = 0;
};

// The compositor in use: the test replacement when one is set, else the system's.
DwmApi& Dwm();
// Sets a replacement (borrowed; it must outlive its use); null goes back to the system's.
void SetDwmForTesting(DwmApi* api);

// A registered thumbnail; unregistered through the compositor that registered it.
class DwmThumbnail {
public:
    DwmThumbnail() = default;
    // Registers source's thumbnail in destination; check with operator bool, hr holds the answer.
    DwmThumbnail(HWND destination, HWND source);
    DwmThumbnail(const DwmThumbnail&) = delete;
    DwmThumbnail& operator=(const DwmThumbnail&) = delete;
    DwmThumbnail(DwmThumbnail&& o) noexcept
        : api_(std::exchange(o.api_, nullptr)), id_(std::exchange(o.id_, nullptr)), hr_(o.hr_) {}
    DwmThumbnail& operator=(DwmThumbnail&& o) noexcept;
    ~DwmThumbnail() { Reset(); }

    explicit operator bool() const { return id_ != nullptr; }
    HTHUMBNAIL get() const { return id_; }
    HRESULT hr() const { return hr_; }
    void Reset();

private:
    DwmApi* api_ = nullptr;
    HTHUMBNAIL id_ = nullptr;
    HRESULT hr_ = E_FAIL;
};

}  // namespace qel
