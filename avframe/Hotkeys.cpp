// System-wide hotkeys. Key events are caught by a low-level keyboard hook rather than RegisterHotKey: the
// hook leaves the key to the window that has the focus, sees releases as well as presses, and takes any
// set of modifiers without a system-wide reservation that another program could already hold.
//
// The hook lives on a thread of the library's own with a message loop, from the first registration to
// the last unregistration. It only posts each event to its own queue: callbacks run from the loop, so a
// slow callback never holds up the system's input past the hook time-out.
#include <windows.h>

#include <QelAVFrame/hotkey.h>

#include <utility>

#include "Handles.h"
#include "HotkeyTable.h"

namespace {

// A key event posted by the hook to its own thread: wParam the virtual key, lParam modifiers | kKeyDown.
constexpr UINT kKeyMessage = WM_APP + 1;
constexpr LPARAM kKeyDown = 0x10000;

void Unhook(HHOOK hook) { ::UnhookWindowsHookEx(hook); }
using UniqueHook = qel::UniqueHandle<HHOOK, Unhook>;

uint32_t HeldModifiers() {
    const auto held = [](int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; };
    uint32_t m = 0;
    if (held(VK_SHIFT)) m |= QEL_KEY_MOD_SHIFT;
    if (held(VK_CONTROL)) m |= QEL_KEY_MOD_CONTROL;
    if (held(VK_MENU)) m |= QEL_KEY_MOD_ALT;
    if (held(VK_LWIN) || held(VK_RWIN)) m |= QEL_KEY_MOD_WIN;
    return m;
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (down || wParam == WM_KEYUP || wParam == WM_SYSKEYUP)
            ::PostThreadMessageW(::GetCurrentThreadId(), kKeyMessage, key->vkCode,
                                 static_cast<LPARAM>(HeldModifiers()) | (down ? kKeyDown : 0));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&KeyboardHook), &module);
    return module;
}

// The hook's thread.
class InputThread {
public:
    InputThread() = default;
    InputThread(InputThread&& o) noexcept : handle_(std::move(o.handle_)), id_(std::exchange(o.id_, 0)) {}
    InputThread& operator=(InputThread&& o) noexcept {
        handle_ = std::move(o.handle_);
        id_ = std::exchange(o.id_, 0);
        return *this;
    }

    bool Running() const { return static_cast<bool>(handle_); }
    DWORD Id() const { return id_; }

    // Returns once the hook is in place (true) or could not be (false, the thread gone).
    bool Start();
    // Ends the loop and waits for the thread. Never called on the thread itself.
    void Join();
    // Ends the loop; the thread leaves it when the message being handled is done.
    void Quit() const {
        if (id_) ::PostThreadMessageW(id_, WM_QUIT, 0, 0);
    }

private:
    struct Startup {
        HANDLE ready;
        bool hooked;
    };
    static DWORD WINAPI Main(void* param);

    qel::UniqueKernelHandle handle_;
    DWORD id_ = 0;
};

// Every hotkey of the process: the C interface has no context to hang them on.
class HotkeyLibrary {
public:
    static HotkeyLibrary& Instance() {
        static HotkeyLibrary library;
        return library;
    }

    obs_hotkey_id Register(const char* name, const char* description, obs_hotkey_func func, void* data);
    void Load(obs_hotkey_id id, const obs_key_combination_t* combinations, size_t count);
    void Unregister(obs_hotkey_id id);
    // On the input thread: runs the callbacks of one key event.
    void Dispatch(const qelav::KeyEvent& event);

private:
    qel::CriticalSection lock_;  // the table and the thread records
    // Held by the input thread while it runs callbacks, so that unregistering can wait for one in flight.
    qel::CriticalSection dispatching_;
    qelav::HotkeyTable table_;
    InputThread thread_;
    // A thread whose last hotkey was unregistered from its own callback: it ends by itself and is joined
    // by the next registration.
    InputThread ending_;
};

bool InputThread::Start() {
    qel::UniqueKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready) return false;
    Startup startup{ready.get(), false};
    DWORD id = 0;
    qel::UniqueKernelHandle handle(::CreateThread(nullptr, 0, &Main, &startup, 0, &id));
    if (!handle) return false;
    const HANDLE waits[] = {ready.get(), handle.get()};
    ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (!startup.hooked) {
        ::WaitForSingleObject(handle.get(), INFINITE);
        return false;
    }
    handle_ = std::move(handle);
    id_ = id;
    return true;
}

void InputThread::Join() {
    if (!handle_) return;
    Quit();
    ::WaitForSingleObject(handle_.get(), INFINITE);
    handle_.reset();
    id_ = 0;
}

DWORD WINAPI InputThread::Main(void* param) {
    auto* startup = static_cast<Startup*>(param);
    MSG msg;
    // The queue must exist before the starter may post WM_QUIT to it.
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    UniqueHook hook(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHook, ThisModule(), 0));
    startup->hooked = static_cast<bool>(hook);
    ::SetEvent(startup->ready);  // startup is gone from here on
    if (!hook) return 1;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != kKeyMessage || msg.hwnd) continue;
        const obs_key_t key = obs_key_from_virtual_key(static_cast<int>(msg.wParam));
        const uint32_t modifiers = static_cast<uint32_t>(msg.lParam & 0xFFFF);
        HotkeyLibrary::Instance().Dispatch(qelav::KeyEvent{key, modifiers, (msg.lParam & kKeyDown) != 0});
    }
    return 0;
}

obs_hotkey_id HotkeyLibrary::Register(const char* name, const char* description, obs_hotkey_func func, void* data) {
    if (!func) return QEL_HOTKEY_INVALID_ID;
    InputThread ended;
    {
        qel::CriticalSectionLock lock(lock_);
        // Registering from that thread's own last callback: it cannot wait for itself.
        if (ending_.Id() != ::GetCurrentThreadId()) ended = std::move(ending_);
    }
    // Joined outside the lock: its last callbacks may still take it.
    ended.Join();
    qel::CriticalSectionLock lock(lock_);
    if (!thread_.Running() && !thread_.Start()) return QEL_HOTKEY_INVALID_ID;
    return table_.Add(name, description, func, data);
}

void HotkeyLibrary::Load(obs_hotkey_id id, const obs_key_combination_t* combinations, size_t count) {
    qel::CriticalSectionLock lock(lock_);
    table_.Load(id, combinations, count);
}

void HotkeyLibrary::Unregister(obs_hotkey_id id) {
    InputThread stopping;
    bool fromCallback = false;
    {
        qel::CriticalSectionLock lock(lock_);
        if (!table_.Remove(id)) return;
        fromCallback = ::GetCurrentThreadId() == thread_.Id();
        if (table_.Empty()) {
            if (fromCallback) {
                thread_.Quit();
                ending_ = std::move(thread_);
            } else {
                stopping = std::move(thread_);
            }
        }
    }
    if (fromCallback) return;
    // A dispatch that picked this hotkey before it was removed ends before we return.
    { qel::CriticalSectionLock wait(dispatching_); }
    stopping.Join();
}

void HotkeyLibrary::Dispatch(const qelav::KeyEvent& event) {
    qel::CriticalSectionLock dispatching(dispatching_);
    std::vector<qelav::HotkeyCall> calls;
    {
        qel::CriticalSectionLock lock(lock_);
        // A thread on its way out leaves the keys to its successor.
        if (::GetCurrentThreadId() != thread_.Id()) return;
        calls = table_.OnKey(event);
    }
    for (const qelav::HotkeyCall& call : calls) {
        {
            // An earlier callback of this event may have unregistered it.
            qel::CriticalSectionLock lock(lock_);
            if (!table_.Contains(call.hotkey->id)) continue;
        }
        try {
            call.hotkey->func(call.hotkey->data, call.hotkey->id, call.hotkey.get(), call.pressed);
        } catch (...) {
        }
    }
}

}  // namespace

extern "C" {

QELAVFRAME_API obs_hotkey_id QELAVFRAME_CALL obs_hotkey_register_frontend(const char* name, const char* description,
                                                                           obs_hotkey_func func, void* data) {
    try {
        return HotkeyLibrary::Instance().Register(name, description, func, data);
    } catch (...) {
        return QEL_HOTKEY_INVALID_ID;
    }
}

QELAVFRAME_API obs_key_t QELAVFRAME_CALL obs_key_from_virtual_key(int vk) {
    if (vk < 1 || vk > 0xFE) return QEL_KEY_NONE;
    return static_cast<obs_key_t>(QEL_KEY_VIRTUAL_BASE + vk);
}

QELAVFRAME_API void QELAVFRAME_CALL obs_hotkey_load_bindings(obs_hotkey_id id, obs_key_combination_t* combinations,
                                                              size_t num) {
    try {
        HotkeyLibrary::Instance().Load(id, combinations, num);
    } catch (...) {
    }
}

QELAVFRAME_API void QELAVFRAME_CALL obs_hotkey_unregister(obs_hotkey_id id) {
    try {
        HotkeyLibrary::Instance().Unregister(id);
    } catch (...) {
    }
}

}  // extern "C"
