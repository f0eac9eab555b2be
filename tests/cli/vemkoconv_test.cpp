// The command-line tool run as a user runs it: exit codes, messages, files written beside and
// renamed, and blocks that must not change what the whole-text functions give.
#ifdef VEMKOCONV_PATH

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "base/version.h"
#include "support/core/vemkoconv_fixture.h"
#include "encoding/code_page_tables.h"
#include "encoding/encoding_detection.h"
#include "encoding/line_ends.h"
#include "encoding/transforms.h"
#include "encoding/unicode_conversion.h"

using namespace std::string_literals;

namespace {

namespace fs = std::filesystem;

TEST_F(Vemkoconv, ConvertsThroughThePivotWithEveryName) {
    Write("in", "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xAB\0x"s);  // Привет CR LF « NUL x in 1251
    EXPECT_EQ(Run("convert -f windows-1251 -t KOI8-R in"), 0);
    EXPECT_EQ(Read("stdout"), "\xF0\xD2\xC9\xD7\xC5\xD4\r\n<\0x"s);
    EXPECT_EQ(Run("convert -f cp1251 -t 1251 <in"), 0);  // not the identity: « comes back as <
    EXPECT_EQ(Read("stdout"), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n<\0x"s);
    EXPECT_EQ(Run("convert -f 1251 -t Mac -o out in"), 0);
    EXPECT_EQ(Read("out"), "\x8F\xF0\xE8\xE2\xE5\xF2\r\n<\0x"s);
    Write("in866", "\x8F\xE0\xA8\xA2\xA5\xE2\r\n"s);  // Привет CR LF in 866, read from standard input
    EXPECT_EQ(Run("convert -t x-mac-cyrillic -f IBM866 - <in866"), 0);
    EXPECT_EQ(Read("stdout"), "\x8F\xF0\xE8\xE2\xE5\xF2\r\n"s);
    EXPECT_EQ(Run("transform fido -c 1251 in"), 0);
    EXPECT_EQ(Read("stdout"), "\x8Fp\xA8\xA2\xA5\xE2\r\n<\0x"s);
}

TEST_F(Vemkoconv, BadUsageExitsWithTwoAndOneLine) {
    Write("in", "x");
    for (const char* arguments : {"", "convert -f 1251 in", "convert -f utf-7 -t 866 in", "transform qp in in",
                                  "transform translit in", "transform translit -c iso in", "transform rot13 -c 866 in",
                                  "align middle in", "align left --ri ten in", "align left --li", "frobnicate",
                                  "align left --ri 10000000 in", "align left --ri 9 in", "align left --li 81 in",
                                  "align left --fi -1 in",
                                  "convert -f 1251 -t 866 --verbose in", "convert -f auto -t 866 -i in -o out",
                                  "transform translit -c utf-8 in", "align left --lf --crlf in"}) {
        EXPECT_EQ(Run(arguments), 2) << arguments;
        std::string message = Read("stderr");
        EXPECT_EQ(message.rfind("vemkoconv: ", 0), 0u) << arguments;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << arguments;
    }
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Read("stdout").find("vemkoconv convert"), std::string::npos);
    EXPECT_EQ(Run("--version"), 0);
    EXPECT_EQ(Read("stdout"), "vemkoconv " VEMKO_VERSION "\n");
}

TEST_F(Vemkoconv, IoErrorsNameTheFileAndLeaveTheOutputAsItWas) {
    EXPECT_EQ(Run("convert -f 1251 -t 866 missing.txt"), 1);
    EXPECT_NE(Read("stderr").find("missing.txt"), std::string::npos);

    Write("in", "\xC0");
    fs::create_directory(dir_ / "taken");  // nothing can be renamed onto a folder
    const std::size_t before = FilesInFolder();
    EXPECT_EQ(Run("convert -f 1251 -t 866 -o taken in"), 1);
    EXPECT_NE(Read("stderr").find("taken"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
    EXPECT_EQ(FilesInFolder(), before);  // no temporary file left behind

    Write("out", "old");
    EXPECT_EQ(Run("convert -f 1251 -t 866 -o out in"), 0);
    EXPECT_EQ(Read("out"), "\x80");
    EXPECT_EQ(FilesInFolder(), before + 1);
    EXPECT_EQ(Run("convert -f 1251 -t 866 -o nowhere/out in"), 1);
}

TEST_F(Vemkoconv, GuessPrintsOneLinePerFileInOrder) {
    Write("koi", "x\r\n\xF0\xD2\xC9\xD7\xC5\xD4");
    Write("oem", "\x8F\xE0\xA8\xA2\xA5\xE2");
    Write("empty", "");
    std::string late(4092, ' ');
    Write("late", late + "\x80\x85\x88");  // markers past the window do not count
    Write("edge", std::string(4090, ' ') + " \xF0\xD2");  // the look-ahead past the window reads 0
    EXPECT_EQ(Run("guess oem koi ./empty late edge"), 0);
    EXPECT_EQ(Read("stdout"), "oem\t866\nkoi\tkoi8r\n./empty\t1251\nlate\t1251\nedge\t1251\n");
    EXPECT_EQ(Run("guess koi missing oem"), 1);
    EXPECT_EQ(Read("stdout"), "koi\tkoi8r\noem\t866\n");
    EXPECT_NE(Read("stderr").find("missing"), std::string::npos);
    EXPECT_EQ(Run("guess <koi"), 0);  // standard input when no FILE
    EXPECT_EQ(Read("stdout"), "-\tkoi8r\n");
}

TEST_F(Vemkoconv, GuessNamesTheUnicodeViewsTheEditorOpensIn) {
    Write("utf8", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n");
    Write("utf8bom", "\xEF\xBB\xBFplain");
    Write("le", "\xFF\xFE\x1F\x04\x40\x04");
    std::string be;  // told by its zero bytes
    for (int i = 0; i < 20; ++i) be += "\x04\x1F\x04\x40\x04\x38\x04\x32\x04\x35\x04\x42\x00\x20"s;
    Write("be", be);
    Write("ansi", "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(Run("guess utf8 utf8bom le be ansi"), 0);
    EXPECT_EQ(Read("stdout"), "utf8\tutf-8\nutf8bom\tutf-8\nle\tutf-16le\nbe\tutf-16be\nansi\t1251\n");
}

TEST_F(Vemkoconv, EolWritesEveryLineBreakOfTheOutputAsAskedInAnyBlockAndEncoding) {
    // Long enough for several blocks, with line breaks of every kind, pairs split at any place.
    std::string text;
    for (std::size_t i = 0; text.size() < 3 * 1024 * 1024 + 7; ++i)
        text += (i % 5 == 0 ? "\r" : i % 5 == 1 ? "\n" : i % 5 == 2 ? "\r\n" : "\xCF\xF0\xE8") + std::string(i % 13, 'a');
    Write("mixed", text);
    // Compared whole: a difference is told as such, not as a diff of megabytes.
    for (const char* eol : {"crlf", "lf", "cr"}) {
        const LineEndKind kind = eol[0] == 'l' ? LineEndKind::Lf : eol[2] == 'l' ? LineEndKind::CrLf : LineEndKind::Cr;
        const std::string converted = WithLineEnds(text, kind);
        ASSERT_EQ(Run("convert -f 1251 -t 866 --eol="s + eol + " mixed -o out"), 0) << eol;
        std::string expected = converted;
        ConvertCodePage(expected, FromTable[kAnsi1251], ToTable[kOem866]);
        EXPECT_TRUE(Read("out") == expected) << eol;
        ASSERT_EQ(Run("convert -f 1251 -t utf-16le --eol="s + eol + " mixed -o wide"), 0) << eol;
        std::string wide = Read("wide");
        if (wide.compare(0, 2, "\xFF\xFE") == 0) wide.erase(0, 2);
        std::string expectedWide = ConvertText(converted, TextEncoding::Cp1251, TextEncoding::Utf16LE);
        if (expectedWide.compare(0, 2, "\xFF\xFE") == 0) expectedWide.erase(0, 2);
        EXPECT_TRUE(wide == expectedWide) << eol;
        ASSERT_EQ(Run("transform qp --eol="s + eol + " mixed -o qp"), 0) << eol;
        EXPECT_TRUE(Read("qp") == converted) << eol;
    }
    // Without --eol (or with keep) the line breaks stay as they are; in place, a file already in the
    // target gets its line ends alone written anew.
    ASSERT_EQ(Run("convert -f 1251 -t 1251 --eol=keep mixed -o out"), 0);
    EXPECT_TRUE(Read("out") == text);
    Write("letter", "one\r\ntwo\r\n");
    EXPECT_EQ(Run("convert -f auto -t 1251 --eol=lf -i letter"), 0);
    EXPECT_EQ(Read("letter"), "one\ntwo\n");
    EXPECT_EQ(Run("convert -f 1251 -t 866 --eol=unix mixed"), 2);
    EXPECT_NE(Read("stderr").find("--eol"), std::string::npos);
}

TEST_F(Vemkoconv, BlocksGiveWhatTheWholeTextGives) {
    // Long enough for many blocks, with '=' and CR falling on every position around block edges.
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i) {
        text += std::string(static_cast<std::size_t>(i % 97), 'a');
        text += i % 3 ? "=D8" : "=4\r";
        text += i % 5 ? "\r\n\x99\xE3" : "\r";
    }
    Write("in", text);
    EXPECT_EQ(Run("transform qp -o out in"), 0);
    EXPECT_EQ(Read("out"), DecodeQuotedPrintable(text));
    EXPECT_EQ(Run("transform bare-cr -c koi8r <in"), 0);
    EXPECT_EQ(Read("stdout"), RepairBareCr(text));
    EXPECT_EQ(Run("transform translit -c 866 in"), 0);
    EXPECT_EQ(Read("stdout"), Transliterate(text, 1));

    // Through UTF-8: characters of one to four bytes and malformed bytes fall on every block edge; the
    // blocks are read and written while others are converted.
    std::string utf8;
    const char* pieces[] = {"Ж", "ё", "a", "\n", "€", "😀", "«", "\xD0", "\xE2\x82"};
    for (int i = 0; utf8.size() < (3u << 20) + 5; ++i) utf8 += pieces[i % 7 == 6 ? 4 + i % 5 : i % 4];
    Write("u8", utf8);
    std::uint64_t replaced = 0;
    const std::string ansi = ConvertText(utf8, TextEncoding::Utf8, TextEncoding::Cp1251, &replaced);
    EXPECT_EQ(Run("convert -f utf-8 -t 1251 -o out u8"), 3);
    EXPECT_EQ(Read("out"), ansi);
    EXPECT_EQ(Read("stderr"), "vemkoconv: " + std::to_string(replaced) + " characters replaced by '?'\n");
    Write("ansi", ansi);
    EXPECT_EQ(Run("convert -f 1251 -t utf-8 <ansi"), 0);
    EXPECT_EQ(Read("stdout"), ConvertText(ansi, TextEncoding::Cp1251, TextEncoding::Utf8));
    // A write that fails on the way is reported, whichever block it was.
    EXPECT_EQ(Run("convert -f 1251 -t utf-8 -o /dev/full ansi"), 1);
    EXPECT_NE(Read("stderr").find("/dev/full"), std::string::npos);
}

TEST_F(Vemkoconv, AlignsWithTheGivenParagraphSettings) {
    Write("in", "the quick brown fox jumps over the lazy dog\r\nand more text here\r\n");
    EXPECT_EQ(Run("align justify --ri 20 --fi=2 in"), 0);
    EXPECT_EQ(Read("stdout"),
              "  the   quick  brown\r\nfox  jumps  over the\r\nlazy             dog\r\nand more text here\r\n");
    EXPECT_EQ(Run("align left --ig --ri 80 in"), 0);
    EXPECT_EQ(Read("stdout"), "the quick brown fox jumps over the lazy dog and more text here\r\n");
    EXPECT_EQ(Run("align right --li 3 --ri 20 -o out in"), 0);
    EXPECT_EQ(Read("out"), " the quick brown fox\r\n      jumps over the\r\n            lazy dog\r\n"
                           "       and more text\r\n                here\r\n");
}


TEST_F(Vemkoconv, ConvertsToAndFromUtf8CountingWhatBecomesAQuestionMark) {
    Write("u8", "«Ёж» — №1\n");
    EXPECT_EQ(Run("convert --from-code=UTF-8 --to-code=koi8-r --output=out u8"), 3);
    EXPECT_EQ(Read("out"), "?\xB3\xD6? ? ?1\n");
    EXPECT_EQ(Read("stderr"), "vemkoconv: 4 characters replaced by '?'\n");
    EXPECT_EQ(Run("convert -f utf8 -t cp1251 u8 - u8 <u8"), 0);  // joined in order, standard input between
    const std::string line = "\xAB\xA8\xE6\xBB \x97 \xB9" "1\n";
    EXPECT_EQ(Read("stdout"), line + line + line);
    EXPECT_EQ(Read("stderr"), "");
    Write("joined", Read("stdout"));
    EXPECT_EQ(Run("convert -f 1251 -t utf-8 joined"), 0);
    EXPECT_EQ(Read("stdout"), Read("u8") + Read("u8") + Read("u8"));
    // Malformed UTF-8: a '?' for each bad byte.
    Write("bad", "a\xD0\xFF\xE2\x82z");
    EXPECT_EQ(Run("convert -f utf-8 -t mac bad"), 3);
    EXPECT_EQ(Read("stdout"), "a????z");
    EXPECT_EQ(Run("convert -f utf-8 -t utf-16be bad"), 3);
    EXPECT_EQ(Read("stdout"), "\xFE\xFF\0a\0?\0?\0?\0?\0z"s);
    // Between code pages: the editor's conversion unless --exact.
    Write("ansi", "\xAB\xC0\x98");
    EXPECT_EQ(Run("convert -f 1251 -t 866 ansi"), 0);
    EXPECT_EQ(Read("stdout"), "<\x80?");
    EXPECT_EQ(Run("convert --exact -f 1251 -t 866 ansi"), 3);
    EXPECT_EQ(Read("stdout"), "?\x80?");
    // Every listed name is taken.
    Write("plain", "plain");
    EXPECT_EQ(Run("-l"), 0);
    std::istringstream list(Read("stdout"));
    int names = 0;
    for (std::string name; list >> name; ++names) EXPECT_EQ(Run("convert -f utf-8 -t " + name + " plain"), 0) << name;
    EXPECT_GE(names, 30);
    for (const char* alias : {"iso8859-5", "iso_8859-5", "ibm866", "cp878", "mac-cyrillic", "cp10007"})
        EXPECT_EQ(Run("convert -f 866 -t "s + alias + " plain"), 0) << alias;
    for (const char* command : {"convert", "detect", "guess", "transform", "align"}) {
        EXPECT_EQ(Run(command + " --help"s), 0) << command;
        EXPECT_EQ(Read("stdout").rfind("Usage: vemkoconv "s + command, 0), 0u) << command;
    }
}

TEST_F(Vemkoconv, DetectsEachEncodingAndConvertsWhatItDetects) {
    const std::string russian =
        "Ёжик в тумане шёл к медвежонку: считать звёзды. Широкая электрификация южных губерний даст мощный толчок.\n";
    const std::pair<const char*, TextEncoding> encodings[] = {
        {"1251", TextEncoding::Cp1251}, {"866", TextEncoding::Cp866}, {"koi8r", TextEncoding::Koi8R},
        {"iso", TextEncoding::Iso8859_5}, {"mac", TextEncoding::MacCyrillic}, {"utf-8", TextEncoding::Utf8}};
    std::string files, expected;
    for (const auto& [name, encoding] : encodings) {
        Write(name, ConvertText(russian, TextEncoding::Utf8, encoding));
        files += std::string(name) + " ";
        expected += std::string(name) + "\t" + name + "\t";
    }
    Write("ascii", std::string(kDetectionSample, 'x') + ConvertText(russian, TextEncoding::Utf8, TextEncoding::Koi8R));
    Write("empty", "");
    EXPECT_EQ(Run("detect " + files + "ascii empty"), 0);
    std::istringstream lines(Read("stdout"));
    for (const auto& [name, encoding] : encodings) {
        std::string file, found, confidence;
        lines >> file >> found >> confidence;
        EXPECT_EQ(file, name);
        EXPECT_EQ(found, name);
        EXPECT_GT(std::stod(confidence), 0.5) << name;
    }
    std::string rest((std::istreambuf_iterator<char>(lines)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rest, "\nascii\tascii\t1.00\nempty\tascii\t1.00\n");  // only the first 64 KB are read
    EXPECT_EQ(Run("detect <koi8r"), 0);
    EXPECT_EQ(Read("stdout").rfind("-\tkoi8r\t", 0), 0u);
    Write("undecidable", "\xEF\xF0\xE8");  // при both in 1251 and Mac Cyrillic
    EXPECT_EQ(Run("detect 866 undecidable"), 4);
    EXPECT_EQ(Read("stdout").substr(Read("stdout").find('\n') + 1, 20), "undecidable\tunknown\t");
    EXPECT_EQ(Run("convert -f auto -t utf-8 undecidable"), 4);
    EXPECT_NE(Read("stderr").find("undecidable"), std::string::npos);

    EXPECT_EQ(Run("convert -f auto -t utf-8 866 koi8r utf-8 mac"), 0);
    EXPECT_EQ(Read("stdout"), russian + russian + russian + russian);

    // In place: a line a file; a special file and an undecidable one are left alone.
    fs::permissions(dir_ / "koi8r", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("866", dir_ / "link");
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(Run("convert -f auto -t utf-8 --in-place koi8r link utf-8 fifo undecidable empty"), 1);
    EXPECT_EQ(Read("stdout"), "koi8r\tkoi8r\tutf-8\t0\nlink\t866\tutf-8\t0\nutf-8\tutf-8\tutf-8\t0\n"
                              "undecidable\tunknown\tleft alone\t0\nempty\tascii\tascii\t0\n");
    EXPECT_NE(Read("stderr").find("fifo"), std::string::npos);
    EXPECT_NE(Read("stderr").find("undecidable"), std::string::npos);
    EXPECT_EQ(Read("koi8r"), russian);
    EXPECT_EQ(Read("866"), russian);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / "link")));
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir_ / "fifo")));
    EXPECT_EQ(Read("undecidable"), "\xEF\xF0\xE8");
    EXPECT_EQ(fs::status(dir_ / "koi8r").permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Run("convert -f utf-8 -t koi8r -i koi8r 1251"), 3);  // 1251 is not UTF-8: a '?' a letter
    EXPECT_EQ(Read("koi8r"), ConvertText(russian, TextEncoding::Utf8, TextEncoding::Koi8R));

    // A letter whose first half is 1251 and the rest 866: named by its first part, and where the next begins.
    const std::string first =
        "Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства.\r\n"
        "«Ёжик в тумане» — мультфильм, который смотрели все, от мала до велика.\r\n"
        "Вчера вечером мы долго гуляли по набережной и разговаривали о жизни.\r\n"
        "Письмо пришло только через неделю, когда все уже забыли о нём.\r\n"
        "В библиотеке было тихо; лишь изредка шелестели страницы старых книг.\r\n";
    const std::string second =
        "Осенью листья на деревьях становятся жёлтыми, красными и оранжевыми.\r\n"
        "Поезд отправился с вокзала точно по расписанию, несмотря на снегопад.\r\n"
        "Бабушка испекла пироги с капустой и угостила всех соседей.\r\n"
        "Учитель объяснял задачу терпеливо, пока все ученики не поняли решение.\r\n"
        "Рыбаки вернулись на берег с богатым уловом и весёлыми песнями.\r\n";
    const std::string front = ConvertText(first, TextEncoding::Utf8, TextEncoding::Cp1251);
    Write("letter.txt", front + ConvertText(second, TextEncoding::Utf8, TextEncoding::Cp866));
    EXPECT_EQ(Run("detect letter.txt"), 0);
    const std::string said = Read("stdout");
    EXPECT_EQ(said.rfind("letter.txt\t1251\t0.", 0), 0u) << said;
    const std::size_t mixed = said.find("\tmixed: 866 from byte ");
    ASSERT_NE(mixed, std::string::npos) << said;
    const std::size_t from = std::stoul(said.substr(mixed + 22));
    // At a line start near the true one (a line or two may read alike in both).
    EXPECT_LE(from, front.size() + 200);
    EXPECT_GE(from + 200, front.size());
    EXPECT_EQ(Read("letter.txt")[from - 1], '\n');
}

TEST_F(Vemkoconv, AutoConvertsOnlyWhatItCanNameAndLeavesTheRestByteIdentical) {
    const std::string russian = "Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства.\n";
    Write("russian.txt", ConvertText(russian, TextEncoding::Utf8, TextEncoding::Koi8R));
    const std::string german = "Gr\xFC\xDF" "e aus K\xF6ln: die Datei konnte nicht ge\xF6" "ffnet werden, pr\xFC" "fen Sie sie.\n";
    Write("german.txt", german);
    // ISO 8859-7: "The file could not be opened: check that it exists."
    const std::string greek = "\xC4\xE5\xED \xDE\xF4\xE1\xED \xE4\xF5\xED\xE1\xF4\xFC \xF4\xEF \xDC\xED\xEF\xE9\xE3\xEC\xE1 "
                              "\xF4\xEF\xF5 \xE1\xF1\xF7\xE5\xDF\xEF\xF5: \xE5\xEB\xDD\xE3\xEE\xF4\xE5 \xFC\xF4\xE9 \xF5\xF0\xDC\xF1\xF7\xE5\xE9.\n";
    Write("greek.txt", greek);
    std::string program = std::string("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0", 16);
    for (int i = 0; i < 3000; ++i) program += static_cast<char>(i * 7919 % 251);
    Write("program", program);
    Write("utf16.txt", ConvertText(russian, TextEncoding::Utf8, TextEncoding::Utf16LE));

    EXPECT_EQ(Run("detect german.txt greek.txt program russian.txt utf16.txt"), 4);
    std::istringstream lines(Read("stdout"));
    for (const char* name : {"unknown", "unknown", "binary", "koi8r", "utf-16le"}) {
        std::string file, found, confidence;
        lines >> file >> found >> confidence;
        EXPECT_EQ(found, name) << file;
    }
    EXPECT_EQ(Run("convert -f auto -t utf-8 -i german.txt greek.txt program russian.txt utf16.txt"), 4);
    EXPECT_EQ(Read("stdout"), "german.txt\tunknown\tleft alone\t0\ngreek.txt\tunknown\tleft alone\t0\n"
                              "program\tbinary\tleft alone\t0\nrussian.txt\tkoi8r\tutf-8\t0\nutf16.txt\tutf-16le\tutf-8\t0\n");
    EXPECT_EQ(Read("german.txt"), german);
    EXPECT_EQ(Read("greek.txt"), greek);
    EXPECT_EQ(Read("program"), program);
    EXPECT_EQ(Read("russian.txt"), russian);
    EXPECT_EQ(Read("utf16.txt"), russian);
    EXPECT_EQ(Run("convert -f auto -t utf-8 -o out german.txt"), 4);
    EXPECT_FALSE(fs::exists(dir_ / "out"));

    // A name below the confidence asked for is left alone too (a short text whose only capital tells
    // 1251 from Mac Cyrillic); --min-confidence lowers the bar.
    const std::string lower = ConvertText("Файлът не може да бъде отворен.\n", TextEncoding::Utf8,
                                          TextEncoding::Cp1251);
    Write("lower.txt", lower);
    const Detection d = DetectEncoding(lower, true);
    ASSERT_TRUE(d.kind == Detection::Kind::Encoding && d.encoding == TextEncoding::Cp1251) << d.confidence;
    ASSERT_LT(d.confidence, kAutoConfidence);
    EXPECT_EQ(Run("convert -f auto -t utf-8 -i lower.txt"), 4);
    EXPECT_EQ(Read("lower.txt"), lower);
    EXPECT_NE(Read("stderr").find("below 0.90"), std::string::npos);
    char option[64];
    std::snprintf(option, sizeof option, "--min-confidence=%.3f", d.confidence - 0.005);
    EXPECT_EQ(Run("convert -f auto -t utf-8 -i lower.txt "s + option), 0);
    EXPECT_NE(Read("lower.txt"), lower);
    EXPECT_EQ(Run("detect --min-confidence=2 lower.txt"), 2);
}

TEST_F(Vemkoconv, AlignKeepsTheInputsLineEnds) {
    Write("lf", "one two three four\nfive six\n\nseven eight\n");
    EXPECT_EQ(Run("align left --ri 12 lf"), 0);
    EXPECT_EQ(Read("stdout"), "one two\nthree four\nfive six\n\nseven eight\n");
    EXPECT_EQ(Run("align left --ri 12 --crlf lf"), 0);
    EXPECT_EQ(Read("stdout"), "one two\r\nthree four\r\nfive six\r\n\r\nseven eight\r\n");
    Write("crlf", "one two three four\r\nfive six\r\n\r\nseven eight\r\n");
    EXPECT_EQ(Run("align left --ri 12 crlf"), 0);
    EXPECT_EQ(Read("stdout"), "one two\r\nthree four\r\nfive six\r\n\r\nseven eight\r\n");
    EXPECT_EQ(Run("align left --ri 12 --lf crlf"), 0);
    EXPECT_EQ(Read("stdout"), "one two\nthree four\nfive six\n\nseven eight\n");
}

TEST_F(Vemkoconv, OutputThatIsNoRegularFileIsWrittenThroughNeverReplaced) {
    Write("in", "\xCF\xF0\xE8\xE2\xE5\xF2");
    // A FIFO: the reader gets the text and the FIFO stays a FIFO.
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    std::string fromFifo;
    std::thread reader([&] {
        std::ifstream in(Path("fifo"), std::ios::binary);
        fromFifo.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    EXPECT_EQ(Run("convert -f 1251 -t koi8r -o fifo in"), 0);
    reader.join();
    EXPECT_EQ(fromFifo, "\xF0\xD2\xC9\xD7\xC5\xD4");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir_ / "fifo")));

    // A symbolic link, also through a second link and a folder: the target gets the text, keeping its
    // mode, and each link stays a link.
    fs::create_directory(dir_ / "sub");
    Write("sub/target", "old");
    fs::permissions(dir_ / "sub/target", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("sub/target", dir_ / "link");
    fs::create_symlink("link", dir_ / "link2");
    const std::size_t before = FilesInFolder();
    EXPECT_EQ(Run("convert -f 1251 -t 866 -o link2 in"), 0);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / "link")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / "link2")));
    EXPECT_EQ(Read("sub/target"), "\x8F\xE0\xA8\xA2\xA5\xE2");
    EXPECT_EQ(fs::status(dir_ / "sub/target").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FilesInFolder(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "sub"), fs::directory_iterator()), 1);

    // A dangling link: its target is made.
    fs::create_symlink("sub/made", dir_ / "dangling");
    EXPECT_EQ(Run("convert -f 1251 -t 1251 -o dangling in"), 0);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / "dangling")));
    EXPECT_EQ(Read("sub/made"), Read("in"));

    // A link loop is an error that leaves the links alone.
    fs::create_symlink("loop2", dir_ / "loop1");
    fs::create_symlink("loop1", dir_ / "loop2");
    EXPECT_EQ(Run("convert -f 1251 -t 866 -o loop1 in"), 1);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / "loop1")));

    // A regular file keeps its mode, executable bits included.
    Write("plain", "old");
    fs::permissions(dir_ / "plain", fs::perms::owner_all | fs::perms::others_read);
    EXPECT_EQ(Run("transform qp -o plain in"), 0);
    EXPECT_EQ(Read("plain"), Read("in"));
    EXPECT_EQ(fs::status(dir_ / "plain").permissions() & fs::perms::all, fs::perms::owner_all | fs::perms::others_read);
}

TEST_F(Vemkoconv, HangupInterruptTerminateRemoveTheTemporaryFile) {
    for (int signal : {SIGHUP, SIGINT, SIGTERM}) {
        ASSERT_EQ(::mkfifo(Path("slow").c_str(), 0600), 0);
        Write("out", "old");
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::execl(VEMKOCONV_PATH, VEMKOCONV_PATH, "convert", "-f", "1251", "-t", "866", "-o", Path("out").c_str(),
                    Path("slow").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int fifo = ::open(Path("slow").c_str(), O_WRONLY);
        ASSERT_GE(fifo, 0);
        ASSERT_EQ(::write(fifo, "\xC0", 1), 1);
        // The temporary file exists once the input is open and the first byte is on its way.
        for (int i = 0; i < 500 && FilesInFolder() < 3; ++i) ::usleep(10000);
        EXPECT_EQ(FilesInFolder(), 3u) << signal;  // out, slow, the temporary
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(fifo);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(Read("out"), "old") << signal;
        fs::remove(dir_ / "slow");
        fs::remove(dir_ / "out");
        EXPECT_EQ(FilesInFolder(), 0u) << signal;
    }
}

TEST_F(Vemkoconv, RepairUndoesMisreadingsAndLeavesCorrectTextsByteIdentical) {
    const std::string text = "Привет, как дела? Всё хорошо, спасибо.\n";
    Write("utf8-as-1251.txt", "РџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°? Р’СЃС‘ С…РѕСЂРѕС€Рѕ, СЃРїР°СЃРёР±Рѕ.\n");
    Write("utf8-as-1252.txt", "ÐŸÑ€Ð¸Ð²ÐµÑ‚, ÐºÐ°Ðº Ð´ÐµÐ»Ð°? Ð’Ñ\xC2\x81Ñ‘ Ñ…Ð¾Ñ€Ð¾ÑˆÐ¾, Ñ\xC2\x81Ð¿Ð°Ñ\xC2\x81Ð¸Ð±Ð¾.\n");
    Write("koi8-as-1251.txt", "рТЙЧЕФ, ЛБЛ ДЕМБ? чУЈ ИПТПЫП, УРБУЙВП.\n");
    ASSERT_EQ(Run("repair utf8-as-1251.txt utf8-as-1252.txt koi8-as-1251.txt"), 0) << Read("stderr");
    EXPECT_EQ(Read("stdout"), text + text + text);
    EXPECT_EQ(Read("stderr"),
              "utf8-as-1251.txt: utf-8 read as 1251, saved as utf-8\n"
              "utf8-as-1252.txt: utf-8 read as 1252, saved as utf-8\n"
              "koi8-as-1251.txt: koi8r read as 1251, saved as utf-8\n");
    ASSERT_EQ(Run("repair -t 866 -o out.txt utf8-as-1251.txt"), 0);
    EXPECT_EQ(Read("out.txt"), ConvertText(text, TextEncoding::Utf8, TextEncoding::Cp866));

    // Twice through 1251: the second round trip read the first one's UTF-8 as 1251 again.
    Write("twice.txt",
          "Р\u00A0РЋР\u00A0Р†Р\u00A0ВµРЎвЂљ Р\u00A0С‘ Р\u00A0С\u0098Р\u00A0С‘РЎР‚ Р\u00A0Р†Р\u00A0В°Р\u00A0С\u0098, "
          "Р\u00A0Т‘Р\u00A0С•Р\u00A0В±РЎР‚РЎвЂ№Р\u00A0Вµ Р\u00A0В»РЎР‹Р\u00A0Т‘Р\u00A0С‘!\n");
    // A reader that had no character for 1251's 0x98 (И's second byte) wrote '?' for it.
    Write("lossy.txt", "Р?РІР°РЅ Р?РІР°РЅРѕРІРёС‡, РґРѕР±СЂС‹Р№ РІРµС‡РµСЂ!\n");
    ASSERT_EQ(Run("repair twice.txt lossy.txt"), 3) << Read("stderr");
    EXPECT_EQ(Read("stdout"), "Свет и мир вам, добрые люди!\n?ван ?ванович, добрый вечер!\n");
    EXPECT_NE(Read("stderr").find("twice.txt: utf-8 read as 1251, saved as utf-8; then utf-8 read as 1251"),
              std::string::npos);
    EXPECT_NE(Read("stderr").find("lossy.txt: 2 characters left as '?'"), std::string::npos);

    // Correct texts in every encoding, and German in Latin-1: written as they are, and -i leaves them.
    Write("german.txt", "Gr\xFC\xDF" "e aus K\xF6ln, sch\xF6ne Gr\xFC\xDF" "e an die M\xFCllers!\n");
    std::string all = Read("german.txt");
    std::string files = "german.txt";
    for (TextEncoding e : {TextEncoding::Cp1251, TextEncoding::Cp866, TextEncoding::Koi8R, TextEncoding::Iso8859_5,
                           TextEncoding::MacCyrillic, TextEncoding::Utf8}) {
        const std::string name = "clean-" + std::to_string(static_cast<int>(e)) + ".txt";
        Write(name, ConvertText(text, TextEncoding::Utf8, e));
        all += Read(name);
        files += " " + name;
    }
    ASSERT_EQ(Run("repair -t utf-8 " + files), 0) << Read("stderr");
    EXPECT_EQ(Read("stdout"), all);
    EXPECT_EQ(Read("stderr").find("read as"), std::string::npos) << Read("stderr");
    ASSERT_EQ(Run("repair -i utf8-as-1251.txt " + files), 0) << Read("stderr");
    EXPECT_EQ(Read("utf8-as-1251.txt"), text);
    std::string unchanged = "";
    for (const std::string& name : {"german.txt"s, "clean-0.txt"s, "clean-1.txt"s, "clean-2.txt"s, "clean-3.txt"s,
                                    "clean-4.txt"s, "clean-5.txt"s})
        unchanged += Read(name);
    EXPECT_EQ(unchanged, all);
    EXPECT_EQ(Read("stdout").rfind("utf8-as-1251.txt\tutf-8 read as 1251, saved as utf-8\t0\ngerman.txt\tclean\t0\n", 0), 0u);

    // One damaged line in a right text: --explain names each piece where it starts.
    Write("piece.txt", text + "РџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°?\n");
    ASSERT_EQ(Run("repair --explain piece.txt"), 0) << Read("stderr");
    EXPECT_EQ(Read("stdout"), text + "Привет, как дела?\n");
    EXPECT_EQ(Read("stderr"), "piece.txt: line 1, byte 0: clean\n"
                              "piece.txt: line 2, byte " + std::to_string(text.size()) + ": utf-8 read as 1251, saved as utf-8\n"
                              "piece.txt: utf-8 read as 1251, saved as utf-8 (in part)\n");

    // A text long enough to be searched in parts on threads: its pieces are one walk's, the plain
    // text around the damaged line going with it.
    std::string plain;
    while (plain.size() < 2200000) plain += "A line of a long log, nothing beyond ASCII in it at all.\n";
    const std::string right = "\nПравый абзац в конце.\n";
    Write("long.txt", plain + "\nРџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°?\n\n" + plain + right);
    ASSERT_EQ(Run("repair --explain long.txt"), 0) << Read("stderr");
    EXPECT_EQ(Read("stdout"), plain + "\nПривет, как дела?\n\n" + plain + right);
    const auto lines = static_cast<std::size_t>(std::count(plain.begin(), plain.end(), '\n'));
    EXPECT_EQ(Read("stderr"), "long.txt: line 1, byte 0: utf-8 read as 1251, saved as utf-8\n"
                              "long.txt: line " + std::to_string(2 * lines + 5) + ", byte " +
                                  std::to_string(2 * plain.size() + 1 + 57 + 2 + 1) + ": clean\n"
                              "long.txt: utf-8 read as 1251, saved as utf-8 (in part)\n");
    // Streamed through in parts: the same bytes, the same verdict.
    ASSERT_EQ(Run("repair long.txt"), 0) << Read("stderr");
    EXPECT_EQ(Read("stdout"), plain + "\nПривет, как дела?\n\n" + plain + right);
    EXPECT_EQ(Read("stderr"), "long.txt: utf-8 read as 1251, saved as utf-8 (in part)\n");
}

}  // namespace

#endif
