#pragma once
// The host's hotkey functions, found at run time in the hotkey library beside this one. Without that
// library (or one of its functions) there is no hotkey, and a scrolling capture still runs.
#include <QelAVFrame/hotkey.h>

namespace qel {

struct HotkeyLibrary {
    decltype(&obs_hotkey_register_frontend) registerFrontend = nullptr;
    decltype(&obs_key_from_virtual_key) keyFromVirtualKey = nullptr;
    decltype(&obs_hotkey_load_bindings) loadBindings = nullptr;
    decltype(&obs_hotkey_unregister) unregister = nullptr;

    bool Usable() const { return registerFrontend && keyFromVirtualKey && loadBindings && unregister; }
};

// Loaded on first use and kept for the life of the process.
const HotkeyLibrary& Hotkeys();

}  // namespace qel
