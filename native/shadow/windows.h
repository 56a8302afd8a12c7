#pragma once
// Natively (no Windows SDK) <windows.h> gives the plain types only; this folder is on the include path
// of the native build alone. See native/WinTypes.h.
#include "../WinTypes.h"
