#include <gtest/gtest.h>

#include "base/ui_text.h"
#include "support/win/app_harness.h"

TEST(Startup, MainWindowHasItsClassAndUntitledTitle) {
    HWND window = StartTestApplication();
    ASSERT_NE(window, nullptr);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "VEMKO");
    EXPECT_EQ(WindowText(window), "[БезИмени]-VEMKO"_ui);
    CloseTestApplication();
}

TEST(Startup, ResourcesOfEveryScriptAreLinkedIn) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)), nullptr);  // version
    EXPECT_NE(LoadImageA(self, MAKEINTRESOURCEA(1), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_NE(LoadImageA(self, MAKEINTRESOURCEA(3), IMAGE_ICON, 16, 16, 0), nullptr);
}
