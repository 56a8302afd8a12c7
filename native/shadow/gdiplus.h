#pragma once
// Natively <gdiplus.h> gives GDI+'s geometry value types (Point, PointF, Size, SizeF, Rect, RectF) and
// nothing else. They are taken from MinGW-w64's own gdiplustypes.h, the header the cross build sees, so
// that their members behave alike in both builds; the native CMake project passes its path.
#include <windows.h>

#ifndef QEL_MINGW_GDIPLUSTYPES_H
#error "the native build passes the path of MinGW-w64's gdiplus/gdiplustypes.h as QEL_MINGW_GDIPLUSTYPES_H"
#endif

#ifndef NULL
#define NULL nullptr
#endif

namespace Gdiplus {
typedef float REAL;
// Named by declarations in gdiplustypes.h that nothing here uses.
typedef LONG HRESULT;
typedef int EmfPlusRecordType;
#include QEL_MINGW_GDIPLUSTYPES_H
}  // namespace Gdiplus
