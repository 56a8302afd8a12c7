// Loading the library: DllMain sets up no thread or application of its own, and the library's resources
// are found whichever module the resource handle names.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelFramework/Framework.h>

#include "Handles.h"

TEST(Module, LoadingTheLibraryLeavesTheHostsThreadAndAppAloneAndJoinsTheResourceSearch) {
    ASSERT_EQ(AfxGetThread(), nullptr);
    qel::UniqueHmodule library(::LoadLibraryW(L"QelPictavoDll.dll"));
    ASSERT_TRUE(library);
    EXPECT_TRUE(AfxGetThread() == nullptr && AfxGetApp() == nullptr);
    // The eyedropper and the checkerboard are found in the library wherever the resource handle points.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(1001), L"PNG"), library.get());
    {
        CWinApp host(L"host");
        EXPECT_TRUE(AfxGetThread() == &host && AfxGetApp() == &host);
    }
    const HMODULE unloaded = library.get();
    library.reset();
    EXPECT_NE(AfxFindResourceHandle(MAKEINTRESOURCEW(1001), L"PNG"), unloaded);
}
