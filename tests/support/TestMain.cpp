#include <gtest/gtest.h>
#include <windows.h>

int main(int argc, char** argv) {
    // Screen pixels are compared with window coordinates: never let Wine scale either.
    ::SetProcessDPIAware();
    // A crash must fail the test, not wait on a dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
