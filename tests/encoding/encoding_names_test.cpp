#include "encoding/encoding_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

TEST(EncodingNames, EveryNameInAnyCaseGivesItsEncodingAndNoOther) {
    std::set<std::string> seen;
    int expected = 0;
    for (const EncodingNames& e : AllEncodingNames()) {
        EXPECT_EQ(static_cast<int>(e.encoding), expected++) << "listed out of order: " << e.name;
        EXPECT_STREQ(EncodingName(e.encoding), e.name);
        std::vector<std::string_view> names(e.aliases.begin(), e.aliases.end());
        names.push_back(e.name);
        for (std::string_view name : names) {
            EXPECT_TRUE(seen.insert(std::string(name)).second) << name << " names two encodings";
            EXPECT_EQ(ParseEncoding(name), e.encoding) << name;
            EXPECT_EQ(ParseEncoding(Upper(name)), e.encoding) << name;
        }
    }
    EXPECT_EQ(expected, static_cast<int>(TextEncoding::Utf16BE) + 1);
    for (std::string_view unknown : {"", "auto", "utf-7", "1251 ", " 866", "koi8", "utf-16", "cp1252"})
        EXPECT_EQ(ParseEncoding(unknown), std::nullopt) << '"' << unknown << '"';
}

}  // namespace
