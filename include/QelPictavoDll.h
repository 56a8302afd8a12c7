#pragma once
// What a host includes to use the capture library.
#include "QelPictavo/PictavoUtil.h"
#include "QelPictavo/MouseCaptureWnd.h"
#include "QelPictavo/FlashingWnd.h"
