// Window classes made by AfxRegisterWndClass: one per distinct set of arguments, registered with
// this module's instance (whose window procedure they use) and unregistered at unload.
#include "State.h"

#include <cwchar>
#include <list>
#include <string>

#include "Handles.h"

namespace afx_detail {
namespace {

struct RegisteredClass {
    std::wstring name;
    bool ownRegistration;  // false when the class already existed (nothing to unregister)
};

SRWLOCK g_classLock = SRWLOCK_INIT;
std::list<RegisteredClass>* g_classes = nullptr;  // a list: the names handed out must not move

}  // namespace

bool IsFrameworkClass(LPCWSTR className) noexcept {
    if (!className || IS_INTRESOURCE(className)) return false;
    qel::ExclusiveLock lock(&g_classLock);
    if (!g_classes) return false;
    for (const RegisteredClass& c : *g_classes)
        if (c.name == className) return true;
    return false;
}

void UnregisterFrameworkClasses() noexcept {
    std::list<RegisteredClass>* classes = nullptr;
    {
        qel::ExclusiveLock lock(&g_classLock);
        classes = std::exchange(g_classes, nullptr);
    }
    if (!classes) return;
    for (const RegisteredClass& c : *classes)
        if (c.ownRegistration) ::UnregisterClassW(c.name.c_str(), FrameworkModule());
    delete classes;
}

}  // namespace afx_detail

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    using namespace afx_detail;
    wchar_t name[96];
    std::swprintf(name, sizeof(name) / sizeof(name[0]), L"QelFw:%p:%x:%p:%p:%p", static_cast<void*>(FrameworkModule()),
                  classStyle, static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    try {
        qel::ExclusiveLock lock(&g_classLock);
        if (!g_classes) g_classes = new std::list<RegisteredClass>();
        for (const RegisteredClass& c : *g_classes)
            if (c.name == name) return c.name.c_str();

        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = classStyle;
        wc.lpfnWndProc = AfxWndProc;
        wc.hInstance = FrameworkModule();
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        bool own = ::RegisterClassExW(&wc) != 0;
        if (!own && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
        g_classes->push_back(RegisteredClass{name, own});
        return g_classes->back().name.c_str();
    } catch (...) {
        return nullptr;
    }
}
