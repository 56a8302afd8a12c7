#pragma once
// Natively <objidl.h> gives nothing: the pure code includes it only because gdiplus.h needs it on Windows.
