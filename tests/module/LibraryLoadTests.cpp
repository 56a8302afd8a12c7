// Libraries the capture library loads by name come from the system folder or from its own folder,
// whatever the current folder and the search path hold.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "module/Libraries.h"
#include "scrolling/HotkeyLibrary.h"
#include "windows/Dwm.h"

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(::towlower(c));
    return s;
}

std::wstring LoadedPath(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const HMODULE module = ::GetModuleHandleW(name);
    return module ? Lower(std::wstring(path, ::GetModuleFileNameW(module, path, MAX_PATH))) : std::wstring();
}

}  // namespace

TEST(LibraryLoading, PathBesideTakesTheModulesFolder) {
    EXPECT_EQ(qel::PathBeside(L"C:\\a\\b\\lib.dll", L"x.dll"), L"C:\\a\\b\\x.dll");
    EXPECT_EQ(qel::PathBeside(L"\\\\server\\share\\lib.dll", L"x.dll"), L"\\\\server\\share\\x.dll");
    EXPECT_EQ(qel::PathBeside(L"lib.dll", L"x.dll"), L"");
    EXPECT_EQ(qel::PathBeside(L"C:\\a\\lib.dll", L""), L"");
}

TEST(LibraryLoading, PlantedCopiesInTheCurrentFolderAndOnThePathAreNeverLoaded) {
    ASSERT_EQ(::GetModuleHandleW(L"dwmapi.dll"), nullptr) << "already loaded: nothing left to check";
    ASSERT_EQ(::GetModuleHandleW(L"libQelAVFrame.dll"), nullptr) << "already loaded: nothing left to check";
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qel-planted-libraries";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // Any loadable library of ours stands in for a planted one.
    wchar_t self[MAX_PATH];
    const std::wstring program(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    const std::wstring stand = qel::PathBeside(program, L"libframework_test_exported.dll");
    for (const wchar_t* name : {L"\\dwmapi.dll", L"\\libQelAVFrame.dll"})
        ASSERT_TRUE(::CopyFileW(stand.c_str(), (folder + name).c_str(), FALSE));
    wchar_t oldFolder[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, oldFolder);
    static wchar_t oldPath[32768];
    ::GetEnvironmentVariableW(L"PATH", oldPath, 32768);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    ::SetEnvironmentVariableW(L"PATH", (folder + L";" + oldPath).c_str());

    BOOL composed = FALSE;
    qel::Dwm().IsCompositionEnabled(&composed);
    const bool hotkeys = qel::Hotkeys().Usable();

    ::SetCurrentDirectoryW(oldFolder);
    ::SetEnvironmentVariableW(L"PATH", oldPath);
    EXPECT_TRUE(hotkeys);
    wchar_t system[MAX_PATH];
    const std::wstring systemFolder = Lower(std::wstring(system, ::GetSystemDirectoryW(system, MAX_PATH)));
    EXPECT_EQ(LoadedPath(L"dwmapi.dll").rfind(systemFolder + L"\\", 0), 0u) << LoadedPath(L"dwmapi.dll");
    // The code under test is linked into this program: its folder is the program's.
    EXPECT_EQ(LoadedPath(L"libQelAVFrame.dll"), Lower(qel::PathBeside(program, L"libQelAVFrame.dll")));
    for (const wchar_t* name : {L"\\dwmapi.dll", L"\\libQelAVFrame.dll"}) {
        EXPECT_EQ(::GetModuleHandleW((folder + name).c_str()), nullptr);
        ::DeleteFileW((folder + name).c_str());
    }
}
