#include "windows/Dwm.h"

#include <atomic>

#include "module/Libraries.h"

namespace qel {
namespace {

template <typename F> F Resolve(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// The system compositor. Missing library or function: E_NOTIMPL, the same answer Wine gives.
class SystemDwm final : public DwmApi {
public:
    SystemDwm() {
        // Kept loaded for the life of the process: freeing it would fall in our own unload,
        // under the loader lock.
        const HMODULE m = LoadSystemLibrary(L"dwmapi.dll");
        isCompositionEnabled_ = Resolve<decltype(isCompositionEnabled_)>(m, "DwmIsCompositionEnabled");
        getWindowAttribute_ = Resolve<decltype(getWindowAttribute_)>(m, "DwmGetWindowAttribute");
        registerThumbnail_ = Resolve<decltype(registerThumbnail_)>(m, "DwmRegisterThumbnail");
        querySourceSize_ = Resolve<decltype(querySourceSize_)>(m, "DwmQueryThumbnailSourceSize");
        updateProperties_ = Resolve<decltype(updateProperties_)>(m, "DwmUpdateThumbnailProperties");
        unregisterThumbnail_ = Resolve<decltype(unregisterThumbnail_)>(m, "DwmUnregisterThumbnail");
        getColorizationColor_ = Resolve<decltype(getColorizationColor_)>(m, "DwmGetColorizationColor");
    }

    HRESULT IsCompositionEnabled(BOOL* enabled) override {
        return isCompositionEnabled_ ? isCompositionEnabled_(enabled) : E_NOTIMPL;
    }
    HRESULT GetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size) override {
        return getWindowAttribute_ ? getWindowAttribute_(wnd, attribute, value, size) : E_NOTIMPL;
    }
    HRESULT RegisterThumbnail(HWND destination, HWND source, HTHUMBNAIL* thumbnail) override {
        return registerThumbnail_ ? registerThumbnail_(destination, source, thumbnail) : E_NOTIMPL;
    }
    HRESULT QueryThumbnailSourceSize(HTHUMBNAIL thumbnail, SIZE* size) override {
        return querySourceSize_ ? querySourceSize_(thumbnail, size) : E_NOTIMPL;
    }
    HRESULT UpdateThumbnailProperties(HTHUMBNAIL thumbnail, const DWM_THUMBNAIL_PROPERTIES* properties) override {
        return updateProperties_ ? updateProperties_(thumbnail, properties) : E_NOTIMPL;
    }
    HRESULT UnregisterThumbnail(HTHUMBNAIL thumbnail) override {
        return unregisterThumbnail_ ? unregisterThumbnail_(thumbnail) : E_NOTIMPL;
    }
    HRESULT GetColorizationColor(DWORD* color, BOOL* opaqueBlend) override {
        return getColorizationColor_ ? getColorizationColor_(color, opaqueBlend) : E_NOTIMPL;
    }

private:
    HRESULT(WINAPI* isCompositionEnabled_)(BOOL*) = nullptr;
    HRESULT(WINAPI* getWindowAttribute_)(HWND, DWORD, PVOID, DWORD) = nullptr;
    HRESULT(WINAPI* registerThumbnail_)(HWND, HWND, PHTHUMBNAIL) = nullptr;
    HRESULT(WINAPI* querySourceSize_)(HTHUMBNAIL, PSIZE) = nullptr;
    HRESULT(WINAPI* updateProperties_)(HTHUMBNAIL, const DWM_THUMBNAIL_PROPERTIES*) = nullptr;
    HRESULT(WINAPI* unregisterThumbnail_)(HTHUMBNAIL) = nullptr;
    HRESULT(WINAPI* getColorizationColor_)(DWORD*, BOOL*) = nullptr;
};

// Read by the enumeration worker as well as the user-interface thread.
std::atomic<DwmApi*> g_pDwmOverride{nullptr};

}  // namespace

DwmApi& Dwm() {
    if (DwmApi* api = g_pDwmOverride.load()) return *api;
    static SystemDwm system;
    return system;
}

void SetDwmForTesting(DwmApi* api) { g_pDwmOverride.store(api); }

DwmThumbnail::DwmThumbnail(HWND destination, HWND source) : api_(&Dwm()) {
    HTHUMBNAIL id = nullptr;
    hr_ = api_->RegisterThumbnail(destination, source, &id);
    if (SUCCEEDED(hr_)) id_ = id;
}

DwmThumbnail& DwmThumbnail::operator=(DwmThumbnail&& o) noexcept {
    if (this != &o) {
        Reset();
        api_ = std::exchange(o.api_, nullptr);
        id_ = std::exchange(o.id_, nullptr);
        hr_ = o.hr_;
    }
    return *this;
}

void DwmThumbnail::Reset() {
    if (id_ && api_) api_->UnregisterThumbnail(id_);
    id_ = nullptr;
}

}  // namespace qel
