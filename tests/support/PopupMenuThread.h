#pragma once
// A popup menu with a submenu, open on a thread of its own so that the test thread can capture it.
#include <windows.h>

#include <thread>
#include <vector>

#include "Handles.h"

namespace qeltest {

class OpenMenu {
public:
    explicit OpenMenu(POINT at) : thread_([this, at] { Run(at); }) {
        for (int i = 0; i < 100 && !owner_; ++i) ::Sleep(20);
    }
    ~OpenMenu() {
        ::PostMessageW(owner_, WM_CANCELMODE, 0, 0), ::PostMessageW(owner_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    OpenMenu(const OpenMenu&) = delete;
    OpenMenu& operator=(const OpenMenu&) = delete;

private:
    void Run(POINT at) {
        HWND wnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, at.x, at.y, 1, 1, nullptr, nullptr, nullptr, nullptr);
        qel::UniqueHmenu menu(::CreatePopupMenu());
        HMENU sub = ::CreatePopupMenu();
        for (const wchar_t* item : {L"Alpha item", L"Beta item"}) ::AppendMenuW(sub, MF_STRING, 20, item);
        ::AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"Open submenu");
        for (const wchar_t* item : {L"First command", L"Second command", L"Third command"}) ::AppendMenuW(menu.get(), MF_STRING, 10, item);
        ::ShowWindow(wnd, SW_SHOW), ::SetForegroundWindow(wnd);
        owner_ = wnd;
        ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, wnd, nullptr);
        ::DestroyWindow(wnd);
    }

    volatile HWND owner_ = nullptr;
    std::thread thread_;
};

// The visible popup menu windows, in z-order.
inline std::vector<RECT> VisibleMenus() {
    std::vector<RECT> menus;
    RECT r;
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w; w = ::FindWindowExW(nullptr, w, L"#32768", nullptr))
        if (::IsWindowVisible(w) && ::GetWindowRect(w, &r)) menus.push_back(r);
    return menus;
}

}  // namespace qeltest
