#pragma once
// The registered hotkeys and which of them a key event presses or releases. Pure: no thread, hook or
// window; the caller locks.
#include <QelAVFrame/hotkey.h>

#include <memory>
#include <string>
#include <vector>

// The record handed to callbacks. Shared, so that a callback about to run keeps it alive even when its
// hotkey is unregistered meanwhile.
struct qel_hotkey {
    obs_hotkey_id id = QEL_HOTKEY_INVALID_ID;
    std::string name;
    std::string description;
    obs_hotkey_func func = nullptr;
    void* data = nullptr;
    std::vector<obs_key_combination_t> bindings;
    // The key of the binding now held, QEL_KEY_NONE when none: repeats of a held key press nothing, and
    // its release is reported whatever modifiers are held by then.
    obs_key_t heldKey = QEL_KEY_NONE;
};

namespace qelav {

struct KeyEvent {
    obs_key_t key;
    uint32_t modifiers;  // QEL_KEY_MOD_* bits held
    bool down;
};

struct HotkeyCall {
    std::shared_ptr<qel_hotkey> hotkey;
    bool pressed;
};

class HotkeyTable {
public:
    obs_hotkey_id Add(const char* name, const char* description, obs_hotkey_func func, void* data);
    bool Remove(obs_hotkey_id id);
    // False for an unknown id.
    bool Load(obs_hotkey_id id, const obs_key_combination_t* combinations, size_t count);
    bool Contains(obs_hotkey_id id) const;
    bool Empty() const { return hotkeys_.empty(); }
    // The calls a key event makes, in registration order; marks the hotkeys held or released.
    std::vector<HotkeyCall> OnKey(const KeyEvent& event);

private:
    std::vector<std::shared_ptr<qel_hotkey>> hotkeys_;
    obs_hotkey_id next_ = 1;
};

}  // namespace qelav
