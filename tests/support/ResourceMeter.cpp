#include "ResourceMeter.h"

#include <cstdio>
#include <vector>

#include "Handles.h"

namespace qeltest {
namespace {

long long CommittedPrivateBytes() {
    long long bytes = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const BYTE* p = nullptr; ::VirtualQuery(p, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) bytes += static_cast<long long>(info.RegionSize);
        const BYTE* next = static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return bytes;
}

// Another thread's allocation during the walk would change the heap under it.
class HeapLockScope {
public:
    explicit HeapLockScope(HANDLE heap) : heap_(::HeapLock(heap) ? heap : nullptr) {}
    ~HeapLockScope() {
        if (heap_) ::HeapUnlock(heap_);
    }
    HeapLockScope(const HeapLockScope&) = delete;
    HeapLockScope& operator=(const HeapLockScope&) = delete;
    explicit operator bool() const { return heap_ != nullptr; }

private:
    HANDLE heap_;
};

long long BusyHeapBytes() {
    std::vector<HANDLE> heaps(64);
    for (DWORD n; (n = ::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data())) > heaps.size();) heaps.resize(n + 16);
    heaps.resize(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    long long bytes = 0;
    for (HANDLE heap : heaps) {
        const HeapLockScope lock(heap);
        if (!lock) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
    }
    return bytes;
}

// Makes objects until the system refuses one; all are freed on return. The cap ends a system without a limit.
template <typename Owner, typename Make>
long long FreeSlots(Make make) {
    std::vector<Owner> made;
    made.reserve(70000);
    for (Owner o(make()); o && made.size() < 1000000; o.reset(make())) made.push_back(std::move(o));
    return static_cast<long long>(made.size());
}


}  // namespace

// The system's handle list, extended form (SystemExtendedHandleInformation), counted for this process.
long long ProcessHandles() {
    struct Entry {
        PVOID object;
        ULONG_PTR processId, handle;
        ULONG access;
        USHORT backTrace, type;
        ULONG attributes, reserved;
    };
    struct List {
        ULONG_PTR count, reserved;
        Entry entries[1];
    };
    using Query = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<ULONG_PTR> buffer(1 << 14);  // ULONG_PTR keeps the entries aligned
    LONG status;
    ULONG needed = 0;
    while ((status = query(64, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), &needed)) == kLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return -1;
    const List* list = reinterpret_cast<const List*>(buffer.data());
    long long mine = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i) mine += list->entries[i].processId == ::GetCurrentProcessId();
    return mine;
}

UserSlotsHeld::UserSlotsHeld(size_t reserve) {
    held_.reserve(70000);
    for (HMENU menu; held_.size() < 1000000 && (menu = ::CreatePopupMenu()) != nullptr;) held_.push_back(menu);
    for (; reserve > 0 && !held_.empty(); --reserve, held_.pop_back()) qel::UniqueHmenu(held_.back());
}

UserSlotsHeld::~UserSlotsHeld() {
    for (HMENU menu : held_) qel::UniqueHmenu{menu};
}

ResourceLevels MeasureResources() {
    ResourceLevels levels;
    levels.gdiFree = FreeSlots<qel::UniqueHbrush>([] { return ::CreateSolidBrush(RGB(1, 2, 3)); });
    levels.userFree = FreeSlots<qel::UniqueHmenu>([] { return ::CreatePopupMenu(); });
    levels.handles = ProcessHandles();
    levels.committedBytes = CommittedPrivateBytes();
    levels.heapBytes = BusyHeapBytes();
    return levels;
}

std::string DescribeGrowth(const ResourceLevels& start, const ResourceLevels& end, int calls) {
    const struct { const char* name; long long from, to; } figures[] = {
        {"committed", start.committedBytes, end.committedBytes}, {"heap", start.heapBytes, end.heapBytes},
        {"GDI free", start.gdiFree, end.gdiFree}, {"USER free", start.userFree, end.userFree},
        {"handles", start.handles, end.handles}};
    std::string text;
    for (const auto& f : figures) {
        char part[128];
        std::snprintf(part, sizeof part, "%s%s %lld -> %lld (%+.2f/call)", text.empty() ? "" : "; ", f.name, f.from, f.to,
                      calls ? double(f.to - f.from) / calls : 0.0);
        text += part;
    }
    return text;
}

}  // namespace qeltest
