#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

void ExpectRequest(const char* commandLine, const char* file, bool print) {
    CommandLineRequest request = ParseCommandLine(commandLine);
    EXPECT_EQ(request.fileArgument, file) << "command line: " << commandLine;
    EXPECT_EQ(request.print, print) << "command line: " << commandLine;
}

TEST(CommandLine, NoArgumentGivesNoFileAndNoPrint) {
    ExpectRequest("vemko.exe", "", false);
    ExpectRequest("\"C:\\Program Files\\Vemko\\vemko.exe\"", "", false);
    ExpectRequest("\"C:\\Program Files\\Vemko\\vemko.exe\"   ", "", false);
    ExpectRequest("", "", false);
    ExpectRequest("\"unterminated program name", "", false);
}

TEST(CommandLine, ProgramNameIsSkippedQuotedOrPlain) {
    ExpectRequest("vemko.exe a.txt", "a.txt", false);
    ExpectRequest("\"C:\\Program Files\\vemko.exe\" a.txt", "a.txt", false);
    // Quotes glued to the program name count as delimiters too.
    ExpectRequest("\"vemko.exe\"a.txt", "a.txt", false);
}

TEST(CommandLine, QuotedNameMayHoldBlanksAndEndsAtItsQuote) {
    ExpectRequest("vemko.exe \"C:\\My Texts\\letter one.txt\"", "C:\\My Texts\\letter one.txt", false);
    ExpectRequest("vemko.exe \"C:\\a b.txt\" trailing", "C:\\a b.txt", false);
    ExpectRequest("vemko.exe \"C:\\open end.txt", "C:\\open end.txt", false);
}

TEST(CommandLine, UnquotedArgumentRunsToTheEndBlanksIncluded) {
    ExpectRequest("vemko.exe C:\\My Texts\\a.txt", "C:\\My Texts\\a.txt", false);
    ExpectRequest("vemko.exe one.txt two.txt", "one.txt two.txt", false);
    ExpectRequest("vemko.exe   \"\"  spaced.txt", "spaced.txt", false);
}

TEST(CommandLine, PrintSwitchInEitherCaseBeforeTheName) {
    ExpectRequest("vemko.exe /p a.txt", "a.txt", true);
    ExpectRequest("vemko.exe /P a.txt", "a.txt", true);
    ExpectRequest("vemko.exe /p \"C:\\My Texts\\a b.txt\"", "C:\\My Texts\\a b.txt", true);
    ExpectRequest("vemko.exe /print a.txt", "a.txt", true);
}

TEST(CommandLine, PrintSwitchAloneOrGluedLeavesNoFile) {
    ExpectRequest("vemko.exe /p", "", true);
    ExpectRequest("vemko.exe /P   ", "", true);
    ExpectRequest("vemko.exe /pa.txt", "", true);
}

TEST(CommandLine, SlashWithAnotherLetterIsPartOfTheName) {
    ExpectRequest("vemko.exe /x a.txt", "/x a.txt", false);
    ExpectRequest("vemko.exe /", "/", false);
    ExpectRequest("vemko.exe a.txt /p", "a.txt /p", false);
}

}  // namespace
