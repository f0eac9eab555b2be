#pragma once
// A test of the whole program: the application started afresh before each test on the settings of
// a first run, with its editor control and nothing to undo, and closed after it; the settings key is
// put back as it was.
#include <gtest/gtest.h>

#include "document/win/program_document.h"
#include "document/win/editor_window.h"
#include "support/win/app_harness.h"
#include "support/win/settings_key.h"

class ApplicationTest : public testing::Test {
protected:
    void SetUp() override {
        ClearSettingsKey();
        ASSERT_NE(StartTestApplication(), nullptr);
        ASSERT_NE(EditorControl, nullptr);
        ClearUndo();
    }
    void TearDown() override { CloseTestApplication(); }

    SettingsKeySnapshot snapshot_;
};
