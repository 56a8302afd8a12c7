#pragma once
// Owning wrappers for Win32 handles: one template, one alias per handle kind.
// Raw release calls appear only here; everything else holds these types.
#include <windows.h>
#include <unknwn.h>
#include <type_traits>
#include <utility>

namespace qel {

// Close is the release function; the invalid value defaults to null.
template <typename T, void (*Close)(T), typename Invalid = void>
class UniqueHandle {
public:
    static T InvalidValue() {
        if constexpr (std::is_void_v<Invalid>) return T{};
        else return Invalid::value();
    }

    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != InvalidValue(); }
    T release() { return std::exchange(h_, InvalidValue()); }
    void reset(T h = InvalidValue()) {
        T old = std::exchange(h_, h);
        if (old != InvalidValue()) Close(old);
    }
    // For out-parameters: releases what is held, then hands out the slot.
    T* put() {
        reset();
        return &h_;
    }

private:
    T h_ = InvalidValue();
};

namespace detail {
inline void CloseKernel(HANDLE h) { ::CloseHandle(h); }
inline void DeleteMemDc(HDC h) { ::DeleteDC(h); }
inline void DestroyIconHandle(HICON h) { ::DestroyIcon(h); }
inline void DestroyMenuHandle(HMENU h) { ::DestroyMenu(h); }
inline void DestroyWindowHandle(HWND h) { ::DestroyWindow(h); }
inline void FreeLibraryHandle(HMODULE h) { ::FreeLibrary(h); }
inline void FreeGlobalHandle(HGLOBAL h) { ::GlobalFree(h); }
template <typename T> inline void DeleteGdiObject(T h) { ::DeleteObject(reinterpret_cast<HGDIOBJ>(h)); }
template <typename T> inline void ReleaseComObject(T* object) { object->Release(); }
struct InvalidHandleValue {
    static HANDLE value() { return INVALID_HANDLE_VALUE; }
};
}  // namespace detail

using UniqueKernelHandle = UniqueHandle<HANDLE, detail::CloseKernel>;
// Snapshots and files report failure as INVALID_HANDLE_VALUE rather than null.
using UniqueFileHandle = UniqueHandle<HANDLE, detail::CloseKernel, detail::InvalidHandleValue>;
using UniqueHdc = UniqueHandle<HDC, detail::DeleteMemDc>;  // memory DCs only
using UniqueHbitmap = UniqueHandle<HBITMAP, detail::DeleteGdiObject<HBITMAP>>;
using UniqueHrgn = UniqueHandle<HRGN, detail::DeleteGdiObject<HRGN>>;
using UniqueHbrush = UniqueHandle<HBRUSH, detail::DeleteGdiObject<HBRUSH>>;
using UniqueHpen = UniqueHandle<HPEN, detail::DeleteGdiObject<HPEN>>;
using UniqueHfont = UniqueHandle<HFONT, detail::DeleteGdiObject<HFONT>>;
using UniqueHicon = UniqueHandle<HICON, detail::DestroyIconHandle>;  // icons and cursor copies
using UniqueHmenu = UniqueHandle<HMENU, detail::DestroyMenuHandle>;
using UniqueHwnd = UniqueHandle<HWND, detail::DestroyWindowHandle>;
using UniqueHmodule = UniqueHandle<HMODULE, detail::FreeLibraryHandle>;
using UniqueHglobal = UniqueHandle<HGLOBAL, detail::FreeGlobalHandle>;
// One reference to a COM object.
template <typename T> using UniqueCom = UniqueHandle<T*, detail::ReleaseComObject<T>>;

// Movable global memory locked for the scope; get() is null when the lock failed.
class GlobalMemoryLock {
public:
    explicit GlobalMemoryLock(HGLOBAL memory) : memory_(memory), data_(memory ? ::GlobalLock(memory) : nullptr) {}
    GlobalMemoryLock(const GlobalMemoryLock&) = delete;
    GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;
    ~GlobalMemoryLock() {
        if (data_) ::GlobalUnlock(memory_);
    }
    void* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    HGLOBAL memory_;
    void* data_;
};

// A critical section, initialised with its owner and deleted with it.
class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&cs_); }
    ~CriticalSection() { ::DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    CRITICAL_SECTION* get() { return &cs_; }

private:
    CRITICAL_SECTION cs_;
};

// Holds a critical section for a scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION* cs) : cs_(cs) { ::EnterCriticalSection(cs_); }
    explicit CriticalSectionLock(CriticalSection& cs) : CriticalSectionLock(cs.get()) {}
    ~CriticalSectionLock() { ::LeaveCriticalSection(cs_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION* cs_;
};

// Holds a slim reader/writer lock for a scope, exclusively or shared.
template <void (*Acquire)(PSRWLOCK), void (*Release)(PSRWLOCK)>
class SrwLockGuard {
public:
    explicit SrwLockGuard(SRWLOCK* lock) : lock_(lock) { Acquire(lock_); }
    ~SrwLockGuard() { Release(lock_); }
    SrwLockGuard(const SrwLockGuard&) = delete;
    SrwLockGuard& operator=(const SrwLockGuard&) = delete;

private:
    SRWLOCK* lock_;
};

namespace detail {
inline void AcquireExclusive(PSRWLOCK l) { ::AcquireSRWLockExclusive(l); }
inline void ReleaseExclusive(PSRWLOCK l) { ::ReleaseSRWLockExclusive(l); }
inline void AcquireShared(PSRWLOCK l) { ::AcquireSRWLockShared(l); }
inline void ReleaseShared(PSRWLOCK l) { ::ReleaseSRWLockShared(l); }
}  // namespace detail

using ExclusiveLock = SrwLockGuard<detail::AcquireExclusive, detail::ReleaseExclusive>;
using SharedLock = SrwLockGuard<detail::AcquireShared, detail::ReleaseShared>;

// A DC obtained with GetDC/GetWindowDC: released with the window it came from.
class WindowDc {
public:
    explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(::GetDC(wnd)) {}
    static WindowDc Whole(HWND wnd) { return WindowDc(wnd, ::GetWindowDC(wnd)); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& o) noexcept : wnd_(o.wnd_), dc_(std::exchange(o.dc_, nullptr)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    WindowDc(HWND wnd, HDC dc) : wnd_(wnd), dc_(dc) {}
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a DC for the scope and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// ICONINFO hands out two bitmaps the caller must delete.
struct IconInfo {
    ICONINFO info{};
    bool ok = false;
    explicit IconInfo(HICON icon) {
        ok = icon && ::GetIconInfo(icon, &info);
        mask.reset(info.hbmMask);
        color.reset(info.hbmColor);
    }
    UniqueHbitmap mask;
    UniqueHbitmap color;
};

}  // namespace qel
