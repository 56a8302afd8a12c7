#pragma once
// The in-memory result of one capture while it is being made: the image, the cursor that belongs to it,
// where on the screen it was taken, and its descriptive details.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <memory>

#include "Handles.h"
#include "capture/CaptureDetails.h"

class ICapture {
public:
    virtual ~ICapture() = default;
    virtual ICaptureDetails* GetDetails() const = 0;
    // Takes ownership of details; details held before are released unless they were lent.
    virtual void SetDetails(ICaptureDetails* details) = 0;
    // Uses details owned elsewhere; they must outlive this capture and are never released by it.
    virtual void LendDetails(ICaptureDetails* details) = 0;
    virtual Gdiplus::Image* GetImage() const = 0;
    // Takes ownership of image and releases the one held before; indexed images become 32-bit ARGB.
    virtual void SetImage(Gdiplus::Image* image) = 0;
    virtual void DisposeImage() = 0;
    // The stored rectangle, or the virtual screen read again when the stored one is empty.
    virtual Gdiplus::Rect GetScreenBounds() = 0;
    virtual void SetScreenBounds(const Gdiplus::Rect& bounds) = 0;
    virtual HICON GetCursor() const = 0;
    // Keeps a private copy of cursor (null clears it); the caller keeps its own handle.
    virtual void SetCursor(HICON cursor) = 0;
    virtual bool IsCursorVisible() const = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // Top-left corner of the cursor image.
    virtual POINT GetCursorLocation() const = 0;
    virtual void SetCursorLocation(POINT location) = 0;
    // Where on the screen the image's top-left pixel was taken.
    virtual POINT GetLocation() const = 0;
    virtual void SetLocation(POINT location) = 0;
    // Cuts the image to rect (clipped to the image). False, with nothing changed, when there is no
    // bitmap or the clipped rectangle has no width or no height.
    virtual bool Crop(Gdiplus::Rect rect) = 0;
    virtual void MoveCursorLocation(int dx, int dy) = 0;
};

class Capture : public ICapture {
public:
    // Reads the virtual-screen bounds and makes its own details.
    Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    ~Capture() override;

    ICaptureDetails* GetDetails() const override { return details_; }
    void SetDetails(ICaptureDetails* details) override;
    void LendDetails(ICaptureDetails* details) override;
    Gdiplus::Image* GetImage() const override { return image_.get(); }
    void SetImage(Gdiplus::Image* image) override;
    void DisposeImage() override { image_.reset(); }
    Gdiplus::Rect GetScreenBounds() override;
    void SetScreenBounds(const Gdiplus::Rect& bounds) override { screenBounds_ = bounds; }
    HICON GetCursor() const override { return cursor_.get(); }
    void SetCursor(HICON cursor) override;
    bool IsCursorVisible() const override { return cursorVisible_; }
    void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
    POINT GetCursorLocation() const override { return cursorLocation_; }
    void SetCursorLocation(POINT location) override { cursorLocation_ = location; }
    POINT GetLocation() const override { return location_; }
    void SetLocation(POINT location) override { location_ = location; }
    bool Crop(Gdiplus::Rect rect) override;
    void MoveCursorLocation(int dx, int dy) override;

private:
    std::unique_ptr<ICaptureDetails> ownedDetails_;
    ICaptureDetails* details_ = nullptr;
    Gdiplus::Rect screenBounds_;
    std::unique_ptr<Gdiplus::Image> image_;
    qel::UniqueHicon cursor_;
    bool cursorVisible_ = false;
    POINT cursorLocation_{0, 0};
    POINT location_{0, 0};
};
