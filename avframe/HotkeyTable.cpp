#include "HotkeyTable.h"

#include <algorithm>

namespace qelav {

obs_hotkey_id HotkeyTable::Add(const char* name, const char* description, obs_hotkey_func func, void* data) {
    auto hotkey = std::make_shared<qel_hotkey>();
    hotkey->id = next_;
    hotkey->name = name ? name : "";
    hotkey->description = description ? description : "";
    hotkey->func = func;
    hotkey->data = data;
    hotkeys_.push_back(std::move(hotkey));
    return next_++;
}

bool HotkeyTable::Remove(obs_hotkey_id id) {
    const auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(), [&](const auto& h) { return h->id == id; });
    if (it == hotkeys_.end()) return false;
    hotkeys_.erase(it);
    return true;
}

bool HotkeyTable::Load(obs_hotkey_id id, const obs_key_combination_t* combinations, size_t count) {
    const auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(), [&](const auto& h) { return h->id == id; });
    if (it == hotkeys_.end()) return false;
    qel_hotkey& hotkey = **it;
    if (combinations && count) hotkey.bindings.assign(combinations, combinations + count);
    else hotkey.bindings.clear();
    hotkey.heldKey = QEL_KEY_NONE;
    return true;
}

bool HotkeyTable::Contains(obs_hotkey_id id) const {
    return std::any_of(hotkeys_.begin(), hotkeys_.end(), [&](const auto& h) { return h->id == id; });
}

std::vector<HotkeyCall> HotkeyTable::OnKey(const KeyEvent& event) {
    std::vector<HotkeyCall> calls;
    if (event.key == QEL_KEY_NONE) return calls;
    for (const auto& hotkey : hotkeys_) {
        if (!event.down) {
            if (hotkey->heldKey != event.key) continue;
            hotkey->heldKey = QEL_KEY_NONE;
            calls.push_back({hotkey, false});
            continue;
        }
        if (hotkey->heldKey != QEL_KEY_NONE) continue;
        const bool bound = std::any_of(hotkey->bindings.begin(), hotkey->bindings.end(), [&](const auto& b) {
            return b.key == event.key && b.modifiers == event.modifiers;
        });
        if (!bound) continue;
        hotkey->heldKey = event.key;
        calls.push_back({hotkey, true});
    }
    return calls;
}

}  // namespace qelav
