#pragma once
// The worker of a scrolling capture: takes the frames from the queue, finds how far the content
// moved between each frame and the last one stitched, and appends what is new. It leaves the
// stitched image in the queue's result.
#include <windows.h>

// Thread procedures; the parameter is the capture's ScrollFrameQueue. They return 0.
DWORD WINAPI VerticalScrollWorker(void* queue);
DWORD WINAPI HorizontalScrollWorker(void* queue);
