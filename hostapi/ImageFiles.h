#pragma once
// Saving and publishing the packed DIBs the library returns.
#include <windows.h>
#include <string>

namespace hostapi {

// GDI+'s PNG encoder; false when GDI+ has none (or is not started).
bool PngEncoder(CLSID* clsid);
// Bytes of a packed DIB: header, masks, colour table and bits. 0 when the header is not plausible.
size_t PackedDibSize(const BITMAPINFOHEADER* dib);
// Writes a 32-bit packed DIB as a PNG with its alpha channel: with GDI+'s encoder, or, when that refuses
// the image or fails, with our own writer (ownWriter then reports true).
bool SavePng(const BITMAPINFOHEADER* dib, const std::wstring& path, bool* ownWriter = nullptr);
// The same with our own writer only, for images of any size.
bool SavePngOwnWriter(const BITMAPINFOHEADER* dib, const std::wstring& path);
// Puts the DIB on the clipboard as CF_DIB.
bool CopyToClipboard(const BITMAPINFOHEADER* dib);

}  // namespace hostapi
