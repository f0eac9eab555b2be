#pragma once
// The application started for a printing or preview test, with the printing state put back after
// each test; PrinterFixture adds the test printer (the test is skipped when it cannot be installed).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "document/win/editor_window.h"
#include "document/win/document_files.h"
#include "support/win/app_harness.h"
#include "support/win/editor_text.h"
#include "support/win/test_printer.h"
#include "tools/win/printing.h"

// "word 1", "word 2", ... one to a line (the word in 1251).
inline std::string NumberedLines(int count, const char* word) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += std::string(word) + " " + std::to_string(i) + "\r\n";
    return text;
}

class PrintingFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartTestApplication()) << "the application did not start";
        if (!EditorControl) GTEST_SKIP() << "no editor control";
    }
    void TearDown() override {
        Program().printing.pageNumbers = false;
        Program().printing.margins = RECT{2500, 2500, 2500, 2500};
        CloseTestApplication();
        ReleasePrinterChoice();
    }
};

class PrinterFixture : public PrintingFixture {
protected:
    void SetUp() override {
        PrintingFixture::SetUp();
        if (!printer.Ready()) GTEST_SKIP() << "the test printer could not be installed";
        ReleasePrinterChoice();
        printer.Clear();
    }
    TestPrinter printer;
};
