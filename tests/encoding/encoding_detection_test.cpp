#include "encoding/encoding_detection.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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
        }
    }
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
