#include "document/recovery_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "document/recovery_schedule.h"

namespace {

std::string FileOf(const RecoveryCopy& copy, const std::string& text) { return RecoveryCopyHeader(copy, text) + text; }

RecoveryCopy RandomCopy(std::mt19937& random) {
    RecoveryCopy copy;
    const std::u16string names[] = {u"", u"C:\\Письма\\жук.txt", u"\\\\server\\share\\ü€\U0001F600.log", u"a"};
    copy.path = names[random() % 4];
    copy.view = random() % 4;
    copy.selectionStart = random();
    copy.selectionEnd = copy.selectionStart + random() % 100;
    copy.firstVisibleLine = random() % 100000;
    copy.writtenAt = (static_cast<std::uint64_t>(random()) << 32) | random();
    return copy;
}

std::string RandomText(std::mt19937& random, std::size_t size) {
    std::string text(size, '\0');
    for (char& byte : text) byte = static_cast<char>(random());
    return text;
}

TEST(RecoveryCopy, ChecksumIsTheCrc32OfZipAndPng) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(""), 0u);
    // Continued over two parts it is the checksum of the whole.
    EXPECT_EQ(Crc32("56789", Crc32("1234")), 0xCBF43926u);
}

TEST(RecoveryCopy, WhatIsWrittenReadsBackExactly) {
    std::mt19937 random(33);
    for (int round = 0; round < 200; ++round) {
        const RecoveryCopy copy = RandomCopy(random);
        const std::string text = RandomText(random, random() % 3000);
        const std::string file = FileOf(copy, text);
        RecoveryCopy read;
        std::string_view readText;
        ASSERT_TRUE(ReadRecoveryCopy(file, read, readText)) << round;
        EXPECT_EQ(readText, text);
        EXPECT_EQ(read.path, copy.path);
        EXPECT_EQ(read.view, copy.view);
        EXPECT_EQ(read.selectionStart, copy.selectionStart);
        EXPECT_EQ(read.selectionEnd, copy.selectionEnd);
        EXPECT_EQ(read.firstVisibleLine, copy.firstVisibleLine);
        EXPECT_EQ(read.writtenAt, copy.writtenAt);
    }
}

// What a crash part-way through a write, or a disk that lost a sector, leaves.
TEST(RecoveryCopy, ACopyCutShortGrownOrChangedAnywhereIsNotTakenForText) {
    std::mt19937 random(1251);
    RecoveryCopy copy = RandomCopy(random);
    copy.path = u"C:\\жук.txt";
    const std::string file = FileOf(copy, RandomText(random, 300));
    RecoveryCopy read;
    read.view = 77;
    std::string_view text = "untouched";
    for (std::size_t length = 0; length < file.size(); ++length)
        EXPECT_FALSE(ReadRecoveryCopy(file.substr(0, length), read, text)) << "cut to " << length;
    EXPECT_FALSE(ReadRecoveryCopy(file + '\0', read, text));
    EXPECT_FALSE(ReadRecoveryCopy(file + file, read, text));
    for (std::size_t at = 0; at < file.size(); ++at) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string damaged = file;
            damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
            EXPECT_FALSE(ReadRecoveryCopy(damaged, read, text)) << "byte " << at << " bit " << bit;
        }
    }
    EXPECT_FALSE(ReadRecoveryCopy(RandomText(random, 5000), read, text));
    EXPECT_EQ(read.view, 77u);
    EXPECT_EQ(text, "untouched");
}

TEST(RecoveryCopy, AnEmptyUntitledTextIsACopyToo) {
    const std::string file = FileOf(RecoveryCopy{}, "");
    RecoveryCopy read;
    read.path = u"x";
    std::string_view text = "x";
    ASSERT_TRUE(ReadRecoveryCopy(file, read, text));
    EXPECT_TRUE(read.path.empty());
    EXPECT_TRUE(text.empty());
}

using Step = RecoverySchedule::Step;

constexpr RecoveryTimings kTimings{3000, 30000, 10000, 3};

// Changes at the given times, then the steps asked for every 100 ms up to `until`; the times of the
// writes started (each finished at once, as `written` says).
std::vector<std::uint64_t> WritesOf(RecoverySchedule& schedule, std::vector<std::uint64_t> changes, std::uint64_t until,
                                    bool written = true) {
    std::vector<std::uint64_t> writes;
    std::size_t next = 0;
    for (std::uint64_t now = 0; now <= until; now += 100) {
        while (next < changes.size() && changes[next] <= now) schedule.TextChanged(changes[next++]);
        if (schedule.Next(now, true, true) == Step::Write) {
            writes.push_back(now);
            schedule.WriteFinished(written, now);
        }
    }
    return writes;
}

TEST(RecoverySchedule, ACopyIsWrittenOnceTheTypingPausesNotOnEveryKey) {
    RecoverySchedule schedule(kTimings);
    // Keys every 200 ms for two seconds, then a pause.
    std::vector<std::uint64_t> keys;
    for (std::uint64_t t = 1000; t <= 3000; t += 200) keys.push_back(t);
    EXPECT_EQ(WritesOf(schedule, keys, 20000), std::vector<std::uint64_t>{6000});
    EXPECT_TRUE(schedule.CopyExists());
    // Nothing changed since: nothing more is written.
    EXPECT_EQ(WritesOf(schedule, {}, 20000), std::vector<std::uint64_t>{});
}

TEST(RecoverySchedule, TypingThatNeverPausesStillGetsACopyNowAndThen) {
    RecoverySchedule schedule(kTimings);
    std::vector<std::uint64_t> keys;
    for (std::uint64_t t = 0; t <= 70000; t += 500) keys.push_back(t);
    EXPECT_EQ(WritesOf(schedule, keys, 70000), (std::vector<std::uint64_t>{30000, 60500}));

    // A write after a pause is taken out of the text bit by bit and called off by the next key; an
    // overdue one is taken at once. Keys that keep calling writes off still get one by the longest wait.
    RecoverySchedule calledOff(kTimings);
    std::vector<std::uint64_t> bursts;
    for (std::uint64_t t = 0; t <= 70000; t += 100)
        if (t % 4000 < 1000) bursts.push_back(t);  // a second of typing, three seconds of pause
    std::vector<std::uint64_t> whole;
    std::size_t next = 0;
    for (std::uint64_t now = 0; now <= 70000; now += 100) {
        while (next < bursts.size() && bursts[next] <= now) calledOff.TextChanged(bursts[next++]);
        if (calledOff.Next(now, true, true) != Step::Write) continue;
        if (calledOff.Overdue()) {
            whole.push_back(now);
            calledOff.WriteFinished(true, now);
        } else {
            // The pause ends with the key that comes just as the slices are taken.
            calledOff.TextChanged(now + 50);
            calledOff.WriteCancelled();
        }
    }
    EXPECT_EQ(whole, (std::vector<std::uint64_t>{30000, 62000}));
}

TEST(RecoverySchedule, ASavedTextOrTheSwitchOffRemovesTheCopyAndWritesNone) {
    for (bool saved : {true, false}) {
        RecoverySchedule schedule(kTimings);
        WritesOf(schedule, {0}, 5000);
        ASSERT_TRUE(schedule.CopyExists());
        schedule.TextChanged(6000);
        EXPECT_EQ(schedule.Next(10000, !saved, saved), Step::Remove);
        EXPECT_FALSE(schedule.CopyExists());
        EXPECT_EQ(schedule.Next(20000, !saved, saved), Step::Nothing);
        // Nothing left over: with the text unsaved and the switch on, only a new change is written.
        EXPECT_EQ(schedule.Next(30000, true, true), Step::Nothing);
    }
}

TEST(RecoverySchedule, ARemovedCopyOfAStillUnsavedTextIsWrittenAgain) {
    RecoverySchedule schedule(kTimings);
    WritesOf(schedule, {0}, 5000);
    // The user answered No to saving, then cancelled the file dialog: the text stays, unsaved.
    schedule.CopyRemoved(6000);
    EXPECT_EQ(schedule.Next(8000, true, true), Step::Nothing);
    EXPECT_EQ(schedule.Next(9000, true, true), Step::Write);
}

TEST(RecoverySchedule, OneWriteAtATimeAndAChangeMeanwhileGoesIntoTheNext) {
    RecoverySchedule schedule(kTimings);
    schedule.TextChanged(0);
    ASSERT_EQ(schedule.Next(3000, true, true), Step::Write);
    schedule.TextChanged(3500);
    EXPECT_EQ(schedule.Next(7000, true, true), Step::Nothing);
    // Not even a saved text removes a copy while it is being written.
    EXPECT_EQ(schedule.Next(7000, false, true), Step::Nothing);
    schedule.WriteFinished(true, 7100);
    EXPECT_EQ(schedule.Next(7200, true, true), Step::Write);
}

TEST(RecoverySchedule, FailedWritesAreTriedAgainAndARunOfThemIsToldOnce) {
    RecoverySchedule schedule(kTimings);
    schedule.TextChanged(0);
    std::vector<bool> told;
    std::vector<std::uint64_t> writes;
    for (std::uint64_t now = 0; now <= 100000; now += 100) {
        if (schedule.Next(now, true, true) != Step::Write) continue;
        writes.push_back(now);
        told.push_back(schedule.WriteFinished(now >= 60000, now));
    }
    EXPECT_EQ(writes, (std::vector<std::uint64_t>{3000, 13000, 23000, 33000, 43000, 53000, 63000}));
    EXPECT_EQ(told, (std::vector<bool>{false, false, true, false, false, false, false}));
    EXPECT_TRUE(schedule.CopyExists());
    // After a success, a new run of failures is told again.
    told.clear();
    for (std::uint64_t now = 64000; now < 200000; now += 100) {
        if (now == 64000) schedule.TextChanged(now);
        if (schedule.Next(now, true, true) == Step::Write) told.push_back(schedule.WriteFinished(false, now));
    }
    ASSERT_GE(told.size(), 3u);
    EXPECT_EQ(std::count(told.begin(), told.end(), true), 1);
    EXPECT_TRUE(told[2]);
}

TEST(RecoverySchedule, ACopyTakenOverIsNotWrittenAgainUntilTheTextChanges) {
    RecoverySchedule schedule(kTimings);
    schedule.TextChanged(0);  // the text brought back streams in
    schedule.CopyTaken();
    EXPECT_EQ(WritesOf(schedule, {}, 40000), std::vector<std::uint64_t>{});
    EXPECT_EQ(schedule.Next(40000, false, true), Step::Remove);
}

}  // namespace
