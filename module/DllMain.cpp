// The library's entry point and application object.
#include <QelFramework/Framework.h>

namespace {

// The library joins the framework's resource search (the checkerboard, the eyedropper) at load.
AFX_EXTENSION_MODULE g_extensionModule = {FALSE, nullptr, nullptr};

HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// The library's application object. AfxGetThread and AfxGetApp keep answering with the host's own.
class CQelPictavoDllApp : public CWinApp {
public:
    CQelPictavoDllApp() noexcept : CWinApp(L"QelPictavoDll", ThisModule()) {}
};

CQelPictavoDllApp theApp;

}  // namespace

// Only bookkeeping runs here (the loader lock is held): GDI+ and the process-wide containers start on
// first use, and GDI+ is never shut down under the lock.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        if (!AfxInitExtensionModule(g_extensionModule, instance)) return FALSE;
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_extensionModule);
    }
    return TRUE;
}
