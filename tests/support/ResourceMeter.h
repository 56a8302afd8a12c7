#pragma once
// What the process holds, read the ways that also work under Wine, whose process counters stay at 0
// (PrivateUsage, GetGuiResources, GetProcessHandleCount).
#include <windows.h>

#include <string>

namespace qeltest {

struct ResourceLevels {
    long long committedBytes = 0;  // committed private regions of the address space
    long long heapBytes = 0;       // busy blocks of every process heap
    long long gdiFree = 0;         // GDI objects that can still be made (brushes made until refused)
    long long userFree = 0;        // USER objects that can still be made (menus made until refused)
    long long handles = 0;         // kernel handles of the process, from the system's handle list
};

// The objects are probed before memory is read: the first probe grows the heaps, and that growth is then
// in every figure read.
ResourceLevels MeasureResources();
// Kernel handles of the process alone: cheap enough to read around every call.
long long ProcessHandles();

// "committed 1000 -> 1200 (+2.0/call)" for each figure, growth of the objects counted as fewer free ones.
std::string DescribeGrowth(const ResourceLevels& start, const ResourceLevels& end, int calls);

}  // namespace qeltest
