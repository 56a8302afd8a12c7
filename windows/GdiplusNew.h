#pragma once
// GDI+ wrapper objects made so that a failure is a null pointer. Their operator new hands back GDI+'s own
// allocation, null when that fails, rather than throwing, and a constructor that fails keeps the status.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <new>
#include <utility>

namespace qel {

// The object, or null when its memory could not be had or it came out in a failed state. Freed through the
// wrapper's own operator delete.
template <typename T, typename... Args>
std::unique_ptr<T> NewGdiplus(Args&&... args) {
    void* memory = T::operator new(sizeof(T));
    if (!memory) return nullptr;
    std::unique_ptr<T> object(::new (memory) T(std::forward<Args>(args)...));
    if (object->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return object;
}

// Whether a bitmap of that size can be asked for at all: rows of 4-byte pixels (the widest format a capture
// makes) whose bytes fit in a signed 32-bit count, which some GDI+ builds multiply out without checking.
inline bool BitmapSizeAllowed(int width, int height) {
    return width > 0 && height > 0 && 4ull * static_cast<unsigned>(width) * static_cast<unsigned>(height) <= 0x7FFFFFFFull;
}

// A new bitmap of that size and format; null for a size beyond what may be asked for, or when it fails.
inline std::unique_ptr<Gdiplus::Bitmap> NewBitmap(int width, int height, Gdiplus::PixelFormat format) {
    if (!BitmapSizeAllowed(width, height)) return nullptr;
    return NewGdiplus<Gdiplus::Bitmap>(width, height, format);
}

}  // namespace qel
