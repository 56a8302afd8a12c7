#pragma once
// What a host includes to use the capture library.
#include "QelPictavo/PictavoUtil.h"
