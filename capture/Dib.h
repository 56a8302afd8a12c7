#pragma once
// Ownership of packed DIBs made by the transform library.
#include <windows.h>
#include <memory>

#include <QelImageTransform.h>

struct DibDeleter {
    void operator()(BITMAPINFOHEADER* dib) const { QelImageTransform::ReleaseDIB(dib); }
};
using UniqueDib = std::unique_ptr<BITMAPINFOHEADER, DibDeleter>;
