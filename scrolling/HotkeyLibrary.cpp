#include "scrolling/HotkeyLibrary.h"

#include <windows.h>

#include "module/Libraries.h"

namespace qel {
namespace {

template <typename F> void Resolve(HMODULE module, const char* name, F* out) {
    *out = module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

HotkeyLibrary Load() {
    // Never freed: that would fall in our own unload, under the loader lock.
    const HMODULE m = LoadLibraryBesideThisModule(L"libQelAVFrame.dll");
    HotkeyLibrary library;
    Resolve(m, "obs_hotkey_register_frontend", &library.registerFrontend);
    Resolve(m, "obs_key_from_virtual_key", &library.keyFromVirtualKey);
    Resolve(m, "obs_hotkey_load_bindings", &library.loadBindings);
    Resolve(m, "obs_hotkey_unregister", &library.unregister);
    return library;
}

}  // namespace

const HotkeyLibrary& Hotkeys() {
    static const HotkeyLibrary library = Load();
    return library;
}

}  // namespace qel
