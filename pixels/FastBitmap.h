#pragma once
// Direct pixel access to a GDI+ bitmap: the bitmap is locked once and its buffer read and written in
// place, one accessor class per pixel layout, with an optional clip that limits writes.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "GdiplusHandles.h"

// Coordinates of every pixel operation are relative to the top-left corner of the locked area.
class IFastBitmap {
public:
    virtual ~IFastBitmap() = default;
    // The colour's three bytes, in the order of the accessor's layout.
    virtual void ReadPixel(int x, int y, BYTE* color) = 0;
    virtual Gdiplus::ARGB ReadPixel(int x, int y) = 0;
    virtual void WritePixel(int x, int y, const BYTE* color) = 0;
    virtual void WritePixel(int x, int y, Gdiplus::ARGB color) = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual Gdiplus::Bitmap* UnlockAndDetach() = 0;
    virtual Gdiplus::Size Size() const = 0;
    virtual int Height() const = 0;
    virtual int Width() const = 0;
    virtual int Top() const = 0;
    virtual int Left() const = 0;
    virtual int Right() const = 0;
    virtual int Bottom() const = 0;
    virtual bool OwnsBitmap() const = 0;
    virtual void SetOwnsBitmap(bool owns) = 0;
    virtual bool HasAlphaChannel() const = 0;
    virtual void DrawTo(Gdiplus::Graphics* graphics, const Gdiplus::Rect& destination) = 0;
    virtual void DrawTo(Gdiplus::Graphics* graphics, const Gdiplus::Point& destination) = 0;
    virtual bool Contains(int x, int y) const = 0;
    virtual void SetResolution(float horizontal, float vertical) = 0;
};

class IFastBitmapWithClip {
public:
    virtual ~IFastBitmapWithClip() = default;
    virtual Gdiplus::Rect GetClip() const = 0;
    virtual void SetClip(const Gdiplus::Rect& clip) = 0;
    virtual bool IsClipInverted() const = 0;
    virtual void SetClipInverted(bool inverted) = 0;
};

class FastBitmap : public IFastBitmap, public IFastBitmapWithClip {
public:
    // The accessor for bitmap's pixel format, locked on area (clipped to the bitmap; an area without
    // width or height means the whole bitmap). Null for a null bitmap or an unsupported format.
    // The bitmap is borrowed: it must outlive the accessor and is never deleted by it.
    static std::unique_ptr<FastBitmap> Create(Gdiplus::Bitmap* bitmap, Gdiplus::Rect area = Gdiplus::Rect());

    FastBitmap(const FastBitmap&) = delete;
    FastBitmap& operator=(const FastBitmap&) = delete;
    ~FastBitmap() override;

    void Lock() override;
    void Unlock() override;
    Gdiplus::Bitmap* UnlockAndDetach() override;
    Gdiplus::Size Size() const override;
    int Height() const override;
    int Width() const override;
    int Top() const override;
    int Left() const override;
    int Right() const override;
    int Bottom() const override;
    bool OwnsBitmap() const override;
    void SetOwnsBitmap(bool owns) override;
    bool HasAlphaChannel() const override;
    void DrawTo(Gdiplus::Graphics* graphics, const Gdiplus::Rect& destination) override;
    void DrawTo(Gdiplus::Graphics* graphics, const Gdiplus::Point& destination) override;
    bool Contains(int x, int y) const override;
    void SetResolution(float horizontal, float vertical) override;

    void SetClip(const Gdiplus::Rect&) override {}
    void SetClipInverted(bool) override {}

    bool IsLocked() const { return lock_.has_value(); }
    // Row y of the locked buffer, for work on whole rows; null when nothing is locked or y is outside.
    const BYTE* RowPointer(int y) const { return PixelAddress(0, y, 0); }

protected:
    FastBitmap(Gdiplus::Bitmap* bitmap, Gdiplus::Rect area);
    bool InArea(int x, int y) const;
    // Address of (x, y) in the locked buffer, or null when the pixel is outside it or nothing is locked.
    BYTE* PixelAddress(int x, int y, int bytesPerPixel) const;

    int alphaByte_ = 3, redByte_ = 2, greenByte_ = 1, blueByte_ = 0;
    int redSlot_ = 0, greenSlot_ = 1, blueSlot_ = 2, alphaSlot_ = 3;
    Gdiplus::Rect area_;
    bool ownsBitmap_ = false;
    Gdiplus::Bitmap* bitmap_;
    std::optional<qel::BitmapBitsLock> lock_;
    int stride_ = 0;
    BYTE* pointer_ = nullptr;
    int left_ = 0, top_ = 0;
};

// 8 bits per pixel, indexed: reads and writes go through a copy of the palette.
class FastChunkyBitmap : public FastBitmap {
public:
    void ReadPixel(int x, int y, BYTE* color) override;
    Gdiplus::ARGB ReadPixel(int x, int y) override;
    void WritePixel(int x, int y, const BYTE* color) override;
    void WritePixel(int x, int y, Gdiplus::ARGB color) override;

protected:
    FastChunkyBitmap(Gdiplus::Bitmap* bitmap, Gdiplus::Rect area);

private:
    UINT PaletteCount() const;
    const Gdiplus::ARGB* PaletteEntries() const;

    std::vector<BYTE> palette_;  // a ColorPalette: flags, count, entries
    std::map<Gdiplus::ARGB, BYTE> colorCache_;
};

// 24 bits per pixel; the colour byte array is in pixel order: blue, green, red.
class Fast24RgbBitmap : public FastBitmap {
public:
    void ReadPixel(int x, int y, BYTE* color) override;
    Gdiplus::ARGB ReadPixel(int x, int y) override;
    void WritePixel(int x, int y, const BYTE* color) override;
    void WritePixel(int x, int y, Gdiplus::ARGB color) override;

protected:
    using FastBitmap::FastBitmap;
};

// 32 bits per pixel; the colour byte array is red, green, blue. The alpha byte is neither read nor written.
class Fast32RgbBitmap : public FastBitmap {
public:
    void ReadPixel(int x, int y, BYTE* color) override;
    Gdiplus::ARGB ReadPixel(int x, int y) override;
    void WritePixel(int x, int y, const BYTE* color) override;
    void WritePixel(int x, int y, Gdiplus::ARGB color) override;

protected:
    using FastBitmap::FastBitmap;
};

// Adds the write clip. Until SetClip is called every write lands; after it a write lands inside the
// clip, or outside it when the clip is inverted. Reads ignore the clip.
template <typename T>
class FastBitmapWithClip final : public T {
public:
    FastBitmapWithClip(Gdiplus::Bitmap* bitmap, Gdiplus::Rect area) : T(bitmap, area) {}

    Gdiplus::Rect GetClip() const override { return clip_; }
    void SetClip(const Gdiplus::Rect& clip) override {
        clip_ = clip;
        clipSet_ = true;
    }
    bool IsClipInverted() const override { return clipInverted_; }
    void SetClipInverted(bool inverted) override { clipInverted_ = inverted; }

    void WritePixel(int x, int y, const BYTE* color) override {
        if (WriteAllowed(x, y)) T::WritePixel(x, y, color);
    }
    void WritePixel(int x, int y, Gdiplus::ARGB color) override {
        if (WriteAllowed(x, y)) T::WritePixel(x, y, color);
    }
    bool Contains(int x, int y) const override { return T::Contains(x, y) && WriteAllowed(x, y); }

private:
    bool WriteAllowed(int x, int y) const {
        if (!clipSet_) return true;
        const bool inClip =
            x >= clip_.X && x < clip_.X + clip_.Width && y >= clip_.Y && y < clip_.Y + clip_.Height;
        return inClip != clipInverted_;
    }

    Gdiplus::Rect clip_{0, 0, 0, 0};
    bool clipInverted_ = false;
    bool clipSet_ = false;
};
