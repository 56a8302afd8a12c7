#pragma once
// Ownership for GDI+ objects. The C++ wrappers already dispose in their destructors and are held
// in std::unique_ptr; flat-API objects and locked bits get the types below.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <memory>
#include "Handles.h"

namespace qel {

namespace detail {
inline void DeleteGpGraphics(Gdiplus::GpGraphics* g) { Gdiplus::DllExports::GdipDeleteGraphics(g); }
inline void DisposeGpImage(Gdiplus::GpImage* i) { Gdiplus::DllExports::GdipDisposeImage(i); }
inline void DisposeGpBitmap(Gdiplus::GpBitmap* b) { Gdiplus::DllExports::GdipDisposeImage(b); }
inline void DeleteGpPath(Gdiplus::GpPath* p) { Gdiplus::DllExports::GdipDeletePath(p); }
inline void DeleteGpBrush(Gdiplus::GpBrush* b) { Gdiplus::DllExports::GdipDeleteBrush(b); }
inline void DeleteGpRegion(Gdiplus::GpRegion* r) { Gdiplus::DllExports::GdipDeleteRegion(r); }
}  // namespace detail

using UniqueGpGraphics = UniqueHandle<Gdiplus::GpGraphics*, detail::DeleteGpGraphics>;
using UniqueGpImage = UniqueHandle<Gdiplus::GpImage*, detail::DisposeGpImage>;
using UniqueGpBitmap = UniqueHandle<Gdiplus::GpBitmap*, detail::DisposeGpBitmap>;
using UniqueGpPath = UniqueHandle<Gdiplus::GpPath*, detail::DeleteGpPath>;
using UniqueGpBrush = UniqueHandle<Gdiplus::GpBrush*, detail::DeleteGpBrush>;
using UniqueGpRegion = UniqueHandle<Gdiplus::GpRegion*, detail::DeleteGpRegion>;

template <typename T> using GpPtr = std::unique_ptr<T>;

// Locked bits of a GDI+ bitmap; unlocked when the scope ends.
class BitmapBitsLock {
public:
    BitmapBitsLock(Gdiplus::Bitmap* bitmap, const Gdiplus::Rect& area, UINT mode, Gdiplus::PixelFormat format)
        : bitmap_(bitmap) {
        Gdiplus::Rect r = area;
        locked_ = bitmap && bitmap->LockBits(&r, mode, format, &data_) == Gdiplus::Ok;
    }
    BitmapBitsLock(const BitmapBitsLock&) = delete;
    BitmapBitsLock& operator=(const BitmapBitsLock&) = delete;
    ~BitmapBitsLock() { Unlock(); }
    void Unlock() {
        if (locked_) bitmap_->UnlockBits(&data_);
        locked_ = false;
    }
    bool ok() const { return locked_; }
    const Gdiplus::BitmapData& data() const { return data_; }
    BYTE* scan0() const { return static_cast<BYTE*>(data_.Scan0); }

private:
    Gdiplus::Bitmap* bitmap_;
    Gdiplus::BitmapData data_{};
    bool locked_ = false;
};

// Starts GDI+ for this module on first use; later calls return at once. Never called from DllMain.
bool EnsureGdiplus();
// Shuts GDI+ down if this module started it; the explicit end point, outside the loader lock.
void ShutdownGdiplus();

}  // namespace qel
