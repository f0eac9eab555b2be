// vemkoconv on a whole archive: folders walked, a dry run first, times kept, a summary at the end.
#ifdef VEMKOCONV_PATH

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "encoding/encoding_names.h"
#include "encoding/unicode_conversion.h"
#include "support/core/vemkoconv_fixture.h"

namespace {

namespace fs = std::filesystem;

// Russian prose, each paragraph with capitals and the letter ё, every character in all five code
// pages, so that a converted file must come back as this very text.
const char* const kParagraphs[] = {
    "Осенью девяносто восьмого года наш отдел переехал в новое здание на окраине города. Старые папки с "
    "письмами, отчётами и чертежами сложили в коробки и отвезли в подвал, где они пролежали почти двадцать "
    "лет. Никто не знал, в какой кодировке набраны эти тексты: одни писали в DOS, другие уже в Windows.",
    "Когда архив наконец решили перевести в современный вид, выяснилось, что половина файлов открывается как "
    "набор непонятных значков. Бухгалтерия жаловалась, что не может найти ни одного договора, а юристы "
    "требовали сохранить даты изменения, потому что по ним восстанавливали историю переписки.",
    "Мы начали с малого: взяли одну папку, посмотрели, что программа собирается сделать, и только потом "
    "разрешили ей переписать файлы. Каждый документ проверяли вручную, сравнивая старую и новую версию. "
    "Через неделю стало ясно, что вручную такой объём не осилить.",
    "Зимой в подвале было холодно и сыро, и многие коробки отсырели. Чудом уцелели дискеты с перепиской "
    "директора, на которых хранились письма поставщикам, счета и приказы. Их содержимое скопировали на "
    "жёсткий диск ещё до того, как дискеты окончательно перестали читаться.",
    "Весной пришёл новый сотрудник, который предложил написать небольшую программу для проверки. Она должна "
    "была определять кодировку каждого файла, переводить русский текст в Юникод и не трогать ничего лишнего: "
    "картинки, таблицы и чужие тексты на английском или немецком языке.",
    "Летом работа была закончена. Из двух с половиной тысяч файлов ни один не пропал, все даты сохранились, "
    "а отчёт о проделанной работе занял всего одну строку. Начальник отдела долго не верил, что всё прошло "
    "так гладко, и попросил показать ему хотя бы один старый договор.",
};

std::string RussianText(int k) {
    std::string text = "Письмо номер " + std::to_string(k) + ".\r\n";
    for (int p = 0; p < 3 + k % 3; ++p) text += std::string(kParagraphs[(k + p) % 6]) + "\r\n";
    return text;
}

// A text of ASCII and two-byte UTF-8 characters in a code page whose bytes are `offset` below the
// characters: Latin-1 (0; 1252 agrees on the letters used) or the Greek letters of ISO 8859-7 (0x2D0).
std::string InCodePage(const std::string& utf8, int offset) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            bytes += static_cast<char>(c);
            continue;
        }
        const int character = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        bytes += static_cast<char>(character - offset);
    }
    return bytes;
}

constexpr TextEncoding kCodePages[] = {TextEncoding::Cp1251, TextEncoding::Cp866, TextEncoding::Koi8R,
                                       TextEncoding::Iso8859_5, TextEncoding::MacCyrillic};

// An archive as years leave it: Russian letters in the five code pages and in UTF-8 in folders of
// Cyrillic names with spaces, other languages' texts, data, a link to a file and one to a folder,
// a FIFO; every file dated the same day long ago.
class Archive : public Vemkoconv {
protected:
    struct Russian {
        std::string original;  // UTF-8
        TextEncoding encoding;
    };

    void SetUp() override {
        Vemkoconv::SetUp();
        const std::string folders[] = {"архив/письма 1998", "архив/Документы/старые", "архив/Документы",
                                       "архив/english", "архив"};
        for (const std::string& folder : folders) fs::create_directories(dir_ / folder);
        for (int k = 0; k < 60; ++k) {
            const TextEncoding encoding = k % 6 == 5 ? TextEncoding::Utf8 : kCodePages[k % 6];
            const std::string name = folders[k % 3] + "/письмо " + std::to_string(k) + ".txt";
            russian_[name] = {RussianText(k), encoding};
            Keep(name, ConvertText(RussianText(k), TextEncoding::Utf8, encoding));
        }
        Keep("архив/english/readme.txt", "Plain English notes, nothing but ASCII.\n");
        const std::string german = "Über die Brücke gingen wir früh am Morgen, während die Straße noch schlief. ";
        for (int k = 0; k < 6; ++k) Keep("архив/english/brief " + std::to_string(k) + ".txt", InCodePage(german + german, 0));
        const std::string greek = "Η γλώσσα μου είναι ελληνική και το σπίτι μου είναι φτωχικό στις αμμουδιές. ";
        for (int k = 0; k < 6; ++k) Keep("архив/english/greek " + std::to_string(k) + ".txt", InCodePage(greek + greek, 0x2D0));
        std::string data(3000, '\0');
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 % 256);
        Keep("архив/Документы/scan.bin", data);
        fs::create_symlink("../письма 1998/письмо 0.txt", dir_ / "архив/Документы/link to 0.txt");
        fs::create_symlink("../english", dir_ / "архив/Документы/english again");
        ASSERT_EQ(::mkfifo(Path("архив/pipe").c_str(), 0644), 0);
    }

    // Written, dated the same old day, and remembered as it is.
    void Keep(const std::string& name, const std::string& bytes) {
        Write(name, bytes);
        fs::last_write_time(dir_ / name, kOldDay);
        before_[name] = bytes;
    }

    // The lines of standard output by file: what it was, what it became.
    std::map<std::string, std::string> Lines() const {
        std::map<std::string, std::string> lines;
        std::istringstream out(Read("stdout"));
        for (std::string line; std::getline(out, line);) {
            const std::size_t tab = line.find('\t');
            lines[line.substr(0, tab)] = line.substr(tab + 1);
        }
        return lines;
    }

    static std::string Expected(TextEncoding encoding) {
        return std::string(EncodingName(encoding)) + "\tutf-8\t0";
    }

    const fs::file_time_type kOldDay = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 20);
    std::map<std::string, Russian> russian_;
    std::map<std::string, std::string> before_;
};

TEST_F(Archive, DryRunNamesEveryRussianFileThenTheRunConvertsThemAndNothingElse) {
    EXPECT_EQ(Run("convert -f auto -i -r -n архив"), 4);  // the German and Greek letters are left alone
    const std::map<std::string, std::string> dry = Lines();
    const std::string dryOut = Read("stdout"), dryErr = Read("stderr");
    for (const auto& [name, bytes] : before_) {
        EXPECT_EQ(Read(name), bytes) << name;
        EXPECT_EQ(fs::last_write_time(dir_ / name), kOldDay) << name;
    }
    for (const auto& [name, russian] : russian_) {
        ASSERT_TRUE(dry.count(name)) << name;
        EXPECT_EQ(dry.at(name), Expected(russian.encoding)) << name;
    }
    EXPECT_EQ(dry.count("архив/Документы/link to 0.txt"), 0u);  // its file is done by its own name
    EXPECT_EQ(dry.at("архив/Документы/scan.bin"), "binary\tleft alone\t0");
    EXPECT_NE(dryErr.find("архив/pipe: a FIFO, skipped"), std::string::npos) << dryErr;
    EXPECT_NE(dryErr.find("архив/Документы/english again: a symbolic link to a folder, not followed"),
              std::string::npos);
    EXPECT_NE(dryErr.find("; a dry run: nothing was written\n"), std::string::npos) << dryErr;

    // Without -t: to UTF-8.
    EXPECT_EQ(Run("convert -f auto -i -r -p архив"), 4);
    EXPECT_EQ(Read("stdout"), dryOut);  // the same lines in the same order
    for (const auto& [name, bytes] : before_) {
        const auto russian = russian_.find(name);
        EXPECT_EQ(Read(name), russian == russian_.end() ? bytes : russian->second.original) << name;
        EXPECT_EQ(fs::last_write_time(dir_ / name), kOldDay) << name;
    }
    EXPECT_TRUE(fs::is_fifo(dir_ / "архив/pipe"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "архив/Документы/link to 0.txt"));
    const std::string summary = Read("stderr").substr(Read("stderr").rfind("vemkoconv: "));
    EXPECT_EQ(summary,
              "vemkoconv: 74 files: 50 converted, 11 already in the target, 13 left alone (1 binary, 12 unknown); "
              "2 skipped\n");

    // A second run finds everything done; without -p the times of what it rewrites would move, but it
    // rewrites nothing.
    EXPECT_EQ(Run("convert -f auto -i -r архив"), 4);
    EXPECT_NE(Read("stderr").find("0 converted, 61 already in the target"), std::string::npos);
    for (const auto& [name, bytes] : before_) EXPECT_EQ(fs::last_write_time(dir_ / name), kOldDay) << name;
}

TEST_F(Archive, WithoutPreserveARewrittenFileIsDatedNowAndNoTemporaryIsLeft) {
    const std::string one = "архив/письма 1998/письмо 0.txt", two = "архив/письма 1998/письмо 3.txt";
    EXPECT_EQ(Run("convert -f auto -t utf-8 -i '" + one + "' '" + two + "'"), 0);
    EXPECT_GT(fs::last_write_time(dir_ / one), kOldDay + std::chrono::hours(24));
    EXPECT_EQ(Read(two), russian_[two].original);
    EXPECT_NE(Read("stderr").find("vemkoconv: 2 files: 2 converted"), std::string::npos);
    for (const auto& entry : fs::recursive_directory_iterator(dir_))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

// The replaced files' inodes are made into the next files of the run: one that is still another name's
// file must not be, and nothing of one may show in another.
TEST_F(Archive, AReplacedFileThatHasAnotherNameKeepsItsTextThere) {
    const std::string folder = "архив/письма 1998/", first = folder + "письмо 0.txt", next = folder + "письмо 3.txt";
    fs::create_hard_link(dir_ / first, dir_ / "second name.txt");
    fs::permissions(dir_ / next, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Run("convert -f auto -i -r -p '" + folder + "'"), 0);
    EXPECT_EQ(Read("second name.txt"), before_[first]);
    for (const auto& [name, russian] : russian_)
        if (name.rfind(folder, 0) == 0) EXPECT_EQ(Read(name), russian.original) << name;
    EXPECT_EQ(fs::status(dir_ / next).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::hard_link_count(dir_ / first), 1u);
    for (const auto& entry : fs::recursive_directory_iterator(dir_))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(Archive, DetectAndRepairWalkFoldersToo) {
    EXPECT_EQ(Run("detect -r архив/english"), 4);
    EXPECT_EQ(Read("stdout").rfind("архив/english/brief 0.txt\tunknown", 0), 0u);
    EXPECT_NE(Read("stdout").find("архив/english/readme.txt\tascii\t"), std::string::npos);

    // UTF-8 read as 1251 and saved as UTF-8, beside a clean letter.
    const std::string letter = std::string(kParagraphs[0]) + "\n" + kParagraphs[1] + "\n";  // no И, whose
    // second UTF-8 byte 1251 leaves unassigned
    Write("архив/english/broken.txt", ConvertText(letter, TextEncoding::Cp1251, TextEncoding::Utf8));
    Write("архив/english/clean.txt", letter);
    EXPECT_EQ(Run("repair -i -r -n архив/english"), 0);  // German and Greek: clean, not Russian
    EXPECT_NE(Read("stdout").find("архив/english/broken.txt\tutf-8 read as 1251, saved as utf-8\t0\n"),
              std::string::npos);
    EXPECT_NE(Read("stdout").find("архив/english/clean.txt\tclean\t0\n"), std::string::npos);
    EXPECT_NE(Read("stderr").find("1 to repair"), std::string::npos) << Read("stderr");
    EXPECT_NE(Read("архив/english/broken.txt"), letter);
    EXPECT_EQ(Run("repair -i -r архив/english"), 0);
    EXPECT_EQ(Read("архив/english/broken.txt"), letter);
}

TEST_F(Archive, AFolderWithoutRecursiveOrOneThatCannotBeReadIsSaidAndTheRestGoesOn) {
    EXPECT_EQ(Run("convert -f auto -i архив/english 'архив/письма 1998/письмо 0.txt'"), 1);
    EXPECT_NE(Read("stderr").find("архив/english: a folder, left alone (-r works on the files below it)"),
              std::string::npos);
    EXPECT_EQ(Read("архив/письма 1998/письмо 0.txt"), russian_["архив/письма 1998/письмо 0.txt"].original);
    if (::geteuid() == 0) GTEST_SKIP() << "a folder's permissions do not stop the superuser";
    fs::permissions(dir_ / "архив/Документы/старые", fs::perms::none);
    EXPECT_EQ(Run("convert -f auto -i -r архив"), 1);
    fs::permissions(dir_ / "архив/Документы/старые", fs::perms::owner_all);
    EXPECT_NE(Read("stderr").find("архив/Документы/старые: cannot read the folder"), std::string::npos);
    EXPECT_EQ(Read("архив/письма 1998/письмо 3.txt"), russian_["архив/письма 1998/письмо 3.txt"].original);
}

}  // namespace

#endif
