#pragma once
// The window framework: our own subset of the classic C++ window classes, with their names in the
// global namespace so that exported members keep the signatures hosts expect.
//   Types.h        CPoint, CSize, CRect
//   String.h       CString
//   Collections.h  CList, CArray, POSITION
//   Object.h       CObject, CRuntimeClass, CCmdTarget, DECLARE_/IMPLEMENT_DYNAMIC, message-map tables
//   Gdi.h          CGdiObject, CPen, CBrush, CFont, CBitmap, CRgn, CDC, CPaintDC, CClientDC, CWindowDC
//   Wnd.h          CWnd, the modal loop
//   MessageMap.h   ON_WM_* and ON_MESSAGE entries
//   App.h          CWinThread, CWinApp, AfxGetThread, AfxRegisterWndClass, the resource handle
#include <windows.h>

#include "Export.h"
#include "Types.h"
#include "String.h"
#include "Collections.h"
#include "Object.h"
#include "Gdi.h"
#include "Wnd.h"
#include "MessageMap.h"
#include "App.h"
