#pragma once
// What the process holds, read the ways that also work under Wine, whose process counters stay at 0
// (PrivateUsage, GetGuiResources, GetProcessHandleCount).
#include <windows.h>

#include <string>
#include <vector>

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

// Holds every free USER slot but a reserve for as long as it lives. Under Wine the slots are the server's,
// and each is made through it: probing 32,000 of them takes seconds, probing the reserve a few milliseconds,
// and a leak takes slots from the reserve all the same. The reserve leaves the system what it needs meanwhile.
class UserSlotsHeld {
public:
    explicit UserSlotsHeld(size_t reserve);
    ~UserSlotsHeld();
    UserSlotsHeld(const UserSlotsHeld&) = delete;
    UserSlotsHeld& operator=(const UserSlotsHeld&) = delete;

private:
    std::vector<HMENU> held_;
};

// "committed 1000 -> 1200 (+2.0/call)" for each figure, growth of the objects counted as fewer free ones.
std::string DescribeGrowth(const ResourceLevels& start, const ResourceLevels& end, int calls);

}  // namespace qeltest
