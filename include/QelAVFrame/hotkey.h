#pragma once
/* System-wide hotkeys of the host's audio/video framework library: a hotkey is registered with a callback,
 * given key combinations, and its callback is called on the library's own input thread whenever one of
 * them is pressed (pressed true) or released (pressed false), whatever window has the focus.
 * Plain C interface with the C calling convention; every function may be called from any thread. */
#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef QELAVFRAME_BUILD
#define QELAVFRAME_API __declspec(dllexport)
#else
#define QELAVFRAME_API __declspec(dllimport)
#endif
#define QELAVFRAME_CALL __cdecl

#ifdef __cplusplus
extern "C" {
#endif

typedef size_t obs_hotkey_id;
/* Returned when a hotkey cannot be registered; the other functions ignore it. */
#define QEL_HOTKEY_INVALID_ID ((obs_hotkey_id)-1)

/* The library's record of a registered hotkey, handed to its callback; valid during that call only. */
typedef struct qel_hotkey obs_hotkey_t;

/* Key codes: QEL_KEY_NONE, or QEL_KEY_VIRTUAL_BASE plus a Windows virtual-key code 1..254. */
typedef enum qel_key_code {
    QEL_KEY_NONE = 0,
    QEL_KEY_VIRTUAL_BASE = 0x1000,
    QEL_KEY_ESCAPE = QEL_KEY_VIRTUAL_BASE + 0x1B,
    QEL_KEY_LAST = QEL_KEY_VIRTUAL_BASE + 0xFE
} obs_key_t;

/* Modifier bits of a combination; the combination matches only when exactly these are held. */
enum {
    QEL_KEY_MOD_SHIFT = 1u << 0,
    QEL_KEY_MOD_CONTROL = 1u << 1,
    QEL_KEY_MOD_ALT = 1u << 2,
    QEL_KEY_MOD_WIN = 1u << 3
};

typedef struct qel_key_combination {
    uint32_t modifiers;
    obs_key_t key;
} obs_key_combination_t;

typedef void(QELAVFRAME_CALL* obs_hotkey_func)(void* data, obs_hotkey_id id, obs_hotkey_t* hotkey, bool pressed);

/* A new hotkey without bindings. The first registration starts the input thread.
 * QEL_HOTKEY_INVALID_ID when func is null or the thread cannot start. */
QELAVFRAME_API obs_hotkey_id QELAVFRAME_CALL obs_hotkey_register_frontend(const char* name, const char* description,
                                                                           obs_hotkey_func func, void* data);
/* The key code of a virtual key; QEL_KEY_NONE outside 1..254. */
QELAVFRAME_API obs_key_t QELAVFRAME_CALL obs_key_from_virtual_key(int vk);
/* Replaces the hotkey's combinations with num of them (none when num is 0). */
QELAVFRAME_API void QELAVFRAME_CALL obs_hotkey_load_bindings(obs_hotkey_id id, obs_key_combination_t* combinations,
                                                              size_t num);
/* Once this returns, the hotkey's callback is not called again and no call of it is still running on the
 * input thread (called from a callback, it cannot wait for that callback, which is running). The last
 * unregistration ends the input thread: joined before returning, or, from a callback, when that
 * callback has returned. */
QELAVFRAME_API void QELAVFRAME_CALL obs_hotkey_unregister(obs_hotkey_id id);

#ifdef __cplusplus
}
#endif
