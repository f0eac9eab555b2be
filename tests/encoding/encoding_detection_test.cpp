#include "encoding/encoding_detection.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace {

// A text of letters of one alphabet written in a single-byte code page whose letters are the
// Unicode ones moved by `shift` (ISO 8859-7 for Greek, 8859-8 for Hebrew; 0 for Latin-1).
std::string SingleByte(std::u32string_view text, char32_t shift) {
    std::string out;
    for (char32_t c : text) out += static_cast<char>(c < 0x80 ? c : c - shift);
    return out;
}

TEST(EncodingDetection, NamesEachEncodingOfRussianSentences) {
    const char* sentences[] = {
        "Я помню чудное мгновенье: передо мной явилась ты.",
        "ВНИМАНИЕ! Не выключайте компьютер, идёт обновление системы.",
        "Съешь же ещё этих мягких французских булок, да выпей чаю",
        "Файл не найден: проверьте имя и повторите попытку (код 2).",
    };
    for (const char* sentence : sentences) {
        for (TextEncoding e : {TextEncoding::Cp1251, TextEncoding::Cp866, TextEncoding::Koi8R, TextEncoding::Iso8859_5,
                               TextEncoding::MacCyrillic, TextEncoding::Utf8}) {
            const Detection d = DetectEncoding(ConvertText(sentence, TextEncoding::Utf8, e), true);
            EXPECT_EQ(d.kind, Detection::Kind::Encoding) << sentence << " " << static_cast<int>(e);
            EXPECT_EQ(d.encoding, e) << sentence << " " << static_cast<int>(e);
            EXPECT_GT(d.confidence, 0.5);
            EXPECT_LE(d.confidence, 1.0);
            EXPECT_EQ(IsNamed(d), d.confidence >= kAutoConfidence);
        }
    }
}

// The word with its first letter, а-я or ё in UTF-8, made a capital.
std::string Capitalized(std::string word) {
    auto& lead = reinterpret_cast<unsigned char(&)[2]>(word[0]);
    if (lead[0] == 0xD1 && lead[1] == 0x91) lead[0] = 0xD0, lead[1] = 0x81;
    else if (lead[0] == 0xD1) lead[0] = 0xD0, lead[1] += 0x20;
    else lead[1] -= 0x20;
    return word;
}

// Russian as it is typed today: « » „ “ quotes, dashes, ellipses, №, ё and no-break spaces after
// one-letter words, each where a writer sets it; the signs a code page lacks as a converter writes them.
std::string TypographicRussian(std::mt19937& random, std::size_t words) {
    static const char* const kWords[] = {
        "ёжик", "сказал", "ещё", "потом", "всё", "её", "пошёл", "домой", "лёгкий", "чёрный", "договор",
        "поставка", "файл", "система", "обновление", "сегодня", "завтра", "город", "улица", "окно", "дверь",
        "ответ", "вопрос", "работа", "время", "жизнь", "человек", "слово", "дело", "день", "рука",
        "знаю", "может", "нужно", "было", "будет", "почему", "когда", "только", "очень", "тоже"};
    static const char* const kShort[] = {"в", "к", "с", "у", "о", "и", "а", "я"};
    std::string text;
    bool quoted = false, sentenceStart = true;
    for (std::size_t i = 0; i < words; ++i) {
        std::string word = kWords[random() % std::size(kWords)];
        if (sentenceStart) word = Capitalized(word);
        sentenceStart = false;
        switch (random() % 9) {
            case 0: text += quoted ? "»" : "«", quoted = !quoted; break;
            case 1: text += std::string(kShort[random() % std::size(kShort)]) + "\u00A0"; break;
            case 2: text += "„"; word += "“"; break;
            case 3: text += "№\u00A0" + std::to_string(random() % 100) + " "; break;
            default: break;
        }
        text += word;
        switch (random() % 8) {
            case 0: text += "\u00A0— "; break;
            case 1: text += "… "; sentenceStart = true; break;
            case 2: text += ", "; break;
            case 3: text += ". "; sentenceStart = true; break;
            default: text += " "; break;
        }
    }
    return text + (quoted ? "»." : ".");
}

// The text in a code page, each sign it lacks as its ASCII look-alike.
std::string InCodePage(std::string text, TextEncoding e) {
    static const std::pair<const char*, const char*> kLookAlikes[] = {
        {"«", "\""}, {"»", "\""}, {"„", "\""}, {"“", "\""}, {"—", "-"}, {"…", "..."}, {"№", "N"}, {"\u00A0", " "}};
    static const auto kLacks = [] {
        std::array<std::array<bool, std::size(kLookAlikes)>, kConversionCodePageCount> lacks{};
        for (int cp = 0; cp < kConversionCodePageCount; ++cp)
            for (std::size_t i = 0; i < std::size(kLookAlikes); ++i)
                lacks[cp][i] = ConvertText(kLookAlikes[i].first, TextEncoding::Utf8, static_cast<TextEncoding>(cp)) == "?";
        return lacks;
    }();
    for (std::size_t i = 0; i < std::size(kLookAlikes); ++i) {
        if (!kLacks[static_cast<int>(e)][i]) continue;
        const auto [sign, alike] = kLookAlikes[i];
        for (std::size_t at; (at = text.find(sign)) != std::string::npos;) text.replace(at, std::strlen(sign), alike);
    }
    return ConvertText(text, TextEncoding::Utf8, e);
}

constexpr TextEncoding kCodePages[] = {TextEncoding::Cp1251, TextEncoding::Cp866, TextEncoding::Koi8R,
                                       TextEncoding::Iso8859_5, TextEncoding::MacCyrillic};

TEST(EncodingDetection, NamesTypographicRussianInEveryCodePage) {
    std::mt19937 random(31);
    for (int round = 0; round < 60; ++round) {
        const std::size_t words = 4 + round % 30;
        const std::string text = TypographicRussian(random, words);
        for (TextEncoding e : kCodePages) {
            const Detection d = DetectEncoding(InCodePage(text, e), true);
            ASSERT_EQ(d.kind, Detection::Kind::Encoding) << text << " " << static_cast<int>(e);
            EXPECT_EQ(d.encoding, e) << text;
            EXPECT_FALSE(d.mixed) << text;
            // A sentence of a dozen words is enough to convert by.
            if (words >= 12) EXPECT_TRUE(IsNamed(d)) << text << " " << static_cast<int>(e) << " " << d.confidence;
        }
    }
}

TEST(EncodingDetection, TextInTwoCodePagesIsNamedByItsFirstPartAsMixed) {
    std::mt19937 random(5);
    for (TextEncoding first : kCodePages)
        for (TextEncoding second : kCodePages) {
            // Lower-case letters but я are the same bytes in 1251 and Mac Cyrillic: such a text is
            // told by its capitals, so its parts are longer.
            const bool kin = (first == TextEncoding::Cp1251 && second == TextEncoding::MacCyrillic) ||
                             (first == TextEncoding::MacCyrillic && second == TextEncoding::Cp1251);
            std::string parts[2];
            for (std::string& part : parts)
                for (int line = 0; line < (kin ? 24 : 8); ++line) part += TypographicRussian(random, 12) + "\r\n";
            const std::string text = InCodePage(parts[0], first) + InCodePage(parts[1], second);
            const Detection d = DetectEncoding(text, true);
            ASSERT_EQ(d.kind, Detection::Kind::Encoding);
            EXPECT_EQ(d.encoding, first);
            ASSERT_EQ(d.mixed, first != second) << static_cast<int>(first) << " " << static_cast<int>(second);
            // Never converted whole by one code page; the next part starts at a line start near the
            // true one.
            EXPECT_EQ(IsNamed(d), first == second) << d.confidence;
            if (first == second) continue;
            EXPECT_EQ(d.mixedWith, second);
            const std::size_t boundary = InCodePage(parts[0], first).size();
            ASSERT_GT(d.mixedFrom, 0u);
            EXPECT_EQ(text[d.mixedFrom - 1], '\n');
            EXPECT_LE(d.mixedFrom, boundary + 700);
            EXPECT_GE(d.mixedFrom + 700, boundary);
        }
}

TEST(EncodingDetection, NamesTheCodePageOfOtherCyrillicLanguages) {
    const char* sentences[] = {
        "Не вдалося відкрити файл: перевірте, чи існує він і чи маєте ви право його читати. Їжачок ґедзь є.",
        "Не ўдалося адкрыць файл: праверце, ці ён існуе і ці маеце вы права яго чытаць.",
        "Датотека није пронађена: проверите име и покушајте поново, њен садржај је ћирилица.",
        "ГРЕШКА: Файлът не може да бъде отворен, защото няма права за четене на тази папка.",
    };
    for (const char* sentence : sentences)
        for (TextEncoding e : {TextEncoding::Cp1251, TextEncoding::Iso8859_5}) {
            const Detection d = DetectEncoding(ConvertText(sentence, TextEncoding::Utf8, e), true);
            EXPECT_TRUE(IsNamed(d)) << sentence << " " << static_cast<int>(e) << " " << d.confidence;
            EXPECT_EQ(d.encoding, e) << sentence;
        }
}

TEST(EncodingDetection, NeverNamesACodePageForTextThatIsNotCyrillic) {
    const std::string texts[] = {
        SingleByte(U"Die Datei konnte nicht geöffnet werden: prüfen Sie, ob sie existiert und ob Sie sie lesen dürfen. Größe: 3 KB.", 0),
        SingleByte(U"Le fichier n'a pas pu être ouvert : vérifiez qu'il existe et que vous avez le droit de le lire, s'il vous plaît.", 0),
        SingleByte(U"No se pudo abrir el archivo: compruebe que existe y que tiene permiso para leerlo. ¿Continuar? Sí, años.", 0),
        SingleByte(U"Δεν ήταν δυνατό το άνοιγμα του αρχείου: ελέγξτε ότι υπάρχει και ότι έχετε δικαίωμα ανάγνωσης.", 0x2D0),
        SingleByte(U"לא ניתן לפתוח את הקובץ: ודא שהוא קיים ושיש לך הרשאה לקרוא אותו. הפעולה בוטלה.", 0x4F0),
        // Polish in 1250 and Czech in ISO 8859-2.
        "Nie mo\xBFna otworzy\xE6 pliku: sprawd\x9F, czy istnieje i czy masz prawo go czyta\xE6. \x8Cwi\xEAto \xBF\xF3\xB3w.",
        "Soubor nelze otev\xF8\xEDt: zkontrolujte, zda existuje a zda m\xE1te pr\xE1vo jej \xE8\xEDst. P\xF8\xEDli\xB9 \xBElu\xBBou\xE8k\xFD k\xF9\xF2.",
        // Japanese in EUC-JP and Shift_JIS, Korean in EUC-KR, Chinese in GB2312 ("file cannot be opened").
        "\xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB\xA4\xF2\xB3\xAB\xA4\xB1\xA4\xDE\xA4\xBB\xA4\xF3\xA1\xA3\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8",
        "\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81" "B\x93\xFA\x96{\x8C\xEA\x82\xCC\x83" "e\x83L\x83X\x83g",
        "\xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9. \xC7\xD1\xB1\xB9\xBE\xEE \xC5\xD8\xBD\xBA\xC6\xAE",
        "\xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA\xCE\xC4\xBC\xFE\xA1\xA3\xC7\xEB\xBC\xEC\xB2\xE9\xCE\xC4\xBC\xFE\xCA\xC7\xB7\xF1\xB4\xE6\xD4\xDA",
        // Signs that are signs or ё in a Cyrillic code page too: English in 1252 with curly quotes, a
        // dash, an ellipsis and pounds (KOI8-R's ё), paper sizes with × (KOI8-R's в), Spanish ñ (ISO's ё).
        "It\x92s \x93" "done\x94 \x97 almost\x85 The fee is \xA3" "5, or \xA3" "10 for two; \x91quoted\x92 text.",
        "Paper: 10\xD7" "11, 10\xD7" "13, 10\xD7" "14, 11\xD7" "12, 12\xD7" "19, 5\xD7" "7 inches",
        "Espa\xF1" "a, a\xF1" "o, ma\xF1" "ana, ni\xF1" "o, se\xF1" "or, peque\xF1" "o, compa\xF1\xED" "a",
    };
    for (const std::string& text : texts) {
        const Detection d = DetectEncoding(text, true);
        EXPECT_FALSE(d.kind == Detection::Kind::Encoding && IsSingleByte(d.encoding) && d.confidence >= 0.5)
            << text << ": " << static_cast<int>(d.encoding) << " " << d.confidence;
        EXPECT_FALSE(IsNamed(d, 0.5)) << text;
    }
}

TEST(EncodingDetection, DataIsBinaryAndWideTextIsNamedByItsMarkOrItsZeros) {
    std::mt19937 random(7);
    std::string noise(3000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string program = std::string("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0\x3E\0", 20) + noise;
    const std::string controls = "\x01\x02text\x03\x04 with controls\x05\x06";
    // A program whose bytes happen to start as a byte order mark is no UTF-16 text.
    const std::string marked = "\xFE\xFF" + program;
    for (const std::string& data : {noise, program, controls, marked, std::string("\xCF\xF0\xE8\0\xE2\xE5\xF2", 7)}) {
        EXPECT_EQ(DetectEncoding(data, true).kind, Detection::Kind::Binary);
        EXPECT_FALSE(IsNamed(DetectEncoding(data, true)));
    }
    // Text has TAB, CR, LF, FF and the odd ESC.
    EXPECT_EQ(DetectEncoding("a\tb\r\n\fc \x1B[1mbold\x1B[0m and more words after it, as a terminal writes them", true).kind,
              Detection::Kind::Ascii);

    const std::string russian = "Файл не найден: проверьте имя и повторите попытку.";
    for (TextEncoding e : {TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        const std::string withMark = ConvertText(russian, TextEncoding::Utf8, e);
        const Detection marked = DetectEncoding(withMark, true);
        EXPECT_EQ(marked.encoding, e);
        EXPECT_TRUE(marked.byteOrderMark && IsNamed(marked));
        const Detection bare = DetectEncoding(withMark.substr(2), true);
        EXPECT_EQ(bare.kind, Detection::Kind::Encoding);
        EXPECT_EQ(bare.encoding, e);
        EXPECT_FALSE(bare.byteOrderMark);
        // Greek in UTF-16 is told by the zeros of its spaces too.
        const std::string greek = ConvertText("Δεν ήταν δυνατό το άνοιγμα του αρχείου", TextEncoding::Utf8, e).substr(2);
        EXPECT_EQ(DetectEncoding(greek, true).encoding, e);
    }
    std::string utf32le = "\xFF\xFE";
    utf32le += std::string("\0\0", 2);
    std::string utf32be(4 * russian.size(), '\0');
    for (std::size_t i = 0; i < russian.size(); ++i) {
        utf32le += std::string(1, 'a' + static_cast<char>(i % 26)) + std::string(3, '\0');
        utf32be[4 * i + 3] = static_cast<char>('a' + i % 26);
    }
    EXPECT_EQ(DetectEncoding(utf32le, true).kind, Detection::Kind::Utf32LE);
    EXPECT_EQ(DetectEncoding(utf32be, true).kind, Detection::Kind::Utf32BE);
    EXPECT_FALSE(IsNamed(DetectEncoding(utf32be, true)));
}

TEST(EncodingDetection, AsciiUtf8CutBySampleAndUndecidable) {
    EXPECT_EQ(DetectEncoding("", true).kind, Detection::Kind::Ascii);
    EXPECT_EQ(DetectEncoding("plain text\r\n", true).kind, Detection::Kind::Ascii);
    // A sequence cut by the end of the sample is still UTF-8; at the end of the whole text it is not.
    const std::string cut = "Привет\xD0";
    EXPECT_EQ(DetectEncoding(cut, false).encoding, TextEncoding::Utf8);
    const Detection whole = DetectEncoding(cut, true);
    EXPECT_FALSE(whole.kind == Detection::Kind::Encoding && whole.encoding == TextEncoding::Utf8);
    // Past the sample nothing counts.
    EXPECT_EQ(DetectEncoding(std::string(kDetectionSample, 'a') + "\xC0\xC1", true).kind, Detection::Kind::Ascii);
    // Lower-case letters other than я read the same in 1251 and Mac Cyrillic.
    EXPECT_EQ(DetectEncoding("\xEF\xF0\xE8\xE2\xE5\xF2", true).kind, Detection::Kind::Unknown);
    // Bytes that read as no letter in any code page.
    EXPECT_EQ(DetectEncoding(std::string(1, '\x98'), true).kind, Detection::Kind::Unknown);
}

}  // namespace
