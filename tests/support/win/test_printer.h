#pragma once
// A printer for tests: the system's PostScript driver with a small generic description, made the
// default printer, its jobs written to a file. Wine on a test machine has no printer otherwise. The
// printer is removed again when the object goes (and a leftover of a broken run by RemoveLeftover).
#include <windows.h>

#include <string>
#include <vector>

class TestPrinter {
public:
    TestPrinter();
    ~TestPrinter();
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    bool Ready() const { return ready_; }
    static const char* Name();
    // The file the printer's jobs land in; emptied by Clear.
    const std::string& OutputPath() const { return output_; }
    void Clear() const;
    // The text of each page of the last job, as the characters the pages show (UTF-16, no blanks).
    std::vector<std::u16string> Pages() const;

    static void RemoveLeftover();

private:
    bool ready_ = false;
    std::string output_;
};

// The pages of a PostScript file written by the system's driver, as the characters they show
// (blanks left out: they draw nothing).
std::vector<std::u16string> PostScriptPages(const std::string& postscript);
