#include "appearance/html_tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

using Scan = std::optional<HtmlTag> (*)(const char*, std::size_t, std::size_t);

Ranges Tags(const std::string& text, Scan scan = NextHtmlTag) {
    Ranges tags;
    std::size_t from = 0;
    while (auto tag = scan(text.data(), text.size(), from)) {
        EXPECT_LT(tag->start, tag->end);
        EXPECT_GE(tag->start, from);
        tags.emplace_back(tag->start, tag->end);
        from = tag->end;
    }
    return tags;
}

TEST(HtmlTags, EachStretchFromALessThanToTheNextGreaterThanIsATag) {
    EXPECT_EQ(Tags("<p>Hello</p>"), (Ranges{{0, 3}, {8, 12}}));
    EXPECT_EQ(Tags("x > y <b>bold</b>"), (Ranges{{6, 9}, {13, 17}})) << "the lone '>' is text";
    EXPECT_EQ(Tags("<a href=\"x>y\">"), (Ranges{{0, 11}})) << "quotes mean nothing";
    EXPECT_EQ(Tags("<><>"), (Ranges{{0, 2}, {2, 4}}));
    EXPECT_EQ(Tags("<\r\n>"), (Ranges{{0, 4}})) << "a tag may span lines";
    EXPECT_EQ(Tags(std::string("<\0>", 3)), (Ranges{{0, 3}})) << "a zero byte is text like any other";
}

TEST(HtmlTags, ALessThanGivesWayToTheNextAndOneWithoutAnEndIsNoTag) {
    EXPECT_EQ(Tags("a < b <i>"), (Ranges{{6, 9}}));
    EXPECT_EQ(Tags("<<<x>"), (Ranges{{2, 5}}));
    EXPECT_EQ(Tags("<b>x <y"), (Ranges{{0, 3}}));
    EXPECT_EQ(Tags("text <"), Ranges{});
    EXPECT_EQ(Tags("no tags at all > >"), Ranges{});
    EXPECT_EQ(Tags(""), Ranges{});
    EXPECT_FALSE(NextHtmlTag(nullptr, 0, 0));
    const std::string text = "<i>";
    EXPECT_FALSE(NextHtmlTag(text.data(), text.size(), 3));
    EXPECT_FALSE(NextHtmlTag(text.data(), text.size(), 1)) << "a scan that starts inside a tag sees no '<'";
}

TEST(HtmlTags, ABigTextIsReadOnceWhateverItsLessThans) {
    // Were a '<' without an end taken up again one byte further, this would take quadratic time.
    std::string text(4 << 20, '<');
    EXPECT_EQ(Tags(text), Ranges{});
    text += '>';
    EXPECT_EQ(Tags(text), (Ranges{{text.size() - 2, text.size()}}));
    std::string many;
    for (int i = 0; i < 100000; ++i) many += "<td>x";
    Ranges tags = Tags(many);
    ASSERT_EQ(tags.size(), 100000u);
    EXPECT_EQ(tags.back(), (std::pair<std::size_t, std::size_t>{many.size() - 5, many.size() - 1}));
}

TEST(HtmlTags, AdjacentTagsMakeOneStretchThatCoversThemAll) {
    EXPECT_EQ(Tags("<tr><td>x</td><td>y</td></tr>", NextTagStretch), (Ranges{{0, 8}, {9, 18}, {19, 29}}));
    EXPECT_EQ(Tags("<a> <b>", NextTagStretch), (Ranges{{0, 3}, {4, 7}}));
    EXPECT_EQ(Tags("<a><<b>", NextTagStretch), (Ranges{{0, 3}, {4, 7}})) << "the '<' behind gives way";
    EXPECT_EQ(Tags("<a><", NextTagStretch), (Ranges{{0, 3}}));
    EXPECT_EQ(Tags("x < y", NextTagStretch), Ranges{});
    // Stretches cover the same bytes as the tags, whatever the text.
    std::string text;
    for (unsigned i = 0, r = 7; i < 5000; ++i) {
        r = r * 1103515245u + 12345u;
        text += "<> x"[(r >> 16) % 4];
    }
    std::vector<bool> byTags(text.size()), byStretches(text.size());
    for (auto [start, end] : Tags(text)) std::fill(byTags.begin() + start, byTags.begin() + end, true);
    for (auto [start, end] : Tags(text, NextTagStretch)) std::fill(byStretches.begin() + start, byStretches.begin() + end, true);
    EXPECT_EQ(byTags, byStretches);
    EXPECT_LT(Tags(text, NextTagStretch).size(), Tags(text).size());
}

}  // namespace
