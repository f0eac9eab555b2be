#include "tools/byte_patch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A file held in memory that can be told to fail the way a disk or the system can.
class BufferFile final : public PatchableFile {
public:
    explicit BufferFile(std::string bytes) : bytes(std::move(bytes)) {}
    bool Size(std::uint64_t& size) override {
        size = bytes.size();
        return !failSize;
    }
    bool ReadByte(std::uint64_t offset, std::uint8_t& byte) override {
        ++reads;
        if (failRead || offset >= bytes.size()) return false;
        byte = static_cast<std::uint8_t>(bytes[offset]);
        return true;
    }
    bool WriteByte(std::uint64_t offset, std::uint8_t byte) override {
        writes.push_back(offset);
        if (failWrite || offset >= bytes.size()) return false;
        // A disk that takes the write but keeps the old byte.
        if (!loseWrite) bytes[offset] = static_cast<char>(byte);
        return true;
    }
    bool Finish() override {
        ++finishes;
        return !failFinish;
    }

    std::string bytes;
    bool failSize = false, failRead = false, failWrite = false, loseWrite = false, failFinish = false;
    int reads = 0, finishes = 0;
    std::vector<std::uint64_t> writes;
};

std::string SixteenBytes() {
    std::string bytes;
    for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<char>(0xF0 - i * 7));
    return bytes;
}

auto Yes = [] { return true; };
auto No = [] { return false; };

}  // namespace

TEST(ParseHexNumber, ReadsDigitsOfEitherCaseAndTheEmptyTextAsZero) {
    EXPECT_EQ(ParseHexNumber("").value, 0u);
    EXPECT_TRUE(ParseHexNumber("").valid);
    EXPECT_EQ(ParseHexNumber("0").value, 0u);
    EXPECT_EQ(ParseHexNumber("1f").value, 0x1Fu);
    EXPECT_EQ(ParseHexNumber("aBcDeF").value, 0xABCDEFu);
    EXPECT_EQ(ParseHexNumber("FFFFFFFF").value, 0xFFFFFFFFu);
    EXPECT_EQ(ParseHexNumber("0000000000000010").value, 0x10u);  // leading zeros do not count
    EXPECT_TRUE(ParseHexNumber("0000000000000010").valid);
}

TEST(ParseHexNumber, RefusesOtherCharactersAndNumbersBeyondThirtyTwoBits) {
    for (const char* text : {"0x10", "10h", " 10", "10 ", "-1", "g", "1,0", "\xC0"}) {
        EXPECT_FALSE(ParseHexNumber(text).valid) << text;
        EXPECT_EQ(ParseHexNumber(text).value, 0u) << text;
    }
    // A ninth significant digit is refused, not dropped: "123456789" never reaches offset 12345678.
    EXPECT_FALSE(ParseHexNumber("123456789").valid);
    EXPECT_FALSE(ParseHexNumber("100000000").valid);
    EXPECT_FALSE(ParseHexNumber("12345678z").valid);
}

TEST(ParseByteValue, TakesOneOrTwoSignificantDigitsAndRefusesTheRest) {
    EXPECT_EQ(ParseByteValue("0"), 0);
    EXPECT_EQ(ParseByteValue("a"), 0x0A);
    EXPECT_EQ(ParseByteValue("ff"), 0xFF);
    EXPECT_EQ(ParseByteValue("00fF"), 0xFF);
    EXPECT_EQ(ParseByteValue(""), std::nullopt);  // an emptied field is not a zero byte
    EXPECT_EQ(ParseByteValue("1ff"), std::nullopt);
    EXPECT_EQ(ParseByteValue("100"), std::nullopt);
    EXPECT_EQ(ParseByteValue("Error"), std::nullopt);
    EXPECT_EQ(ParseByteValue("0x1"), std::nullopt);
}

TEST(FormatByte, GivesTwoUpperCaseDigits) {
    EXPECT_EQ(FormatByte(0x00), "00");
    EXPECT_EQ(FormatByte(0x0A), "0A");
    EXPECT_EQ(FormatByte(0xFF), "FF");
    EXPECT_EQ(FormatByte(0x7c), "7C");
}

TEST(LookAtByte, ShowsEveryByteInsideTheFileAndNothingBeyondIt) {
    BufferFile file(SixteenBytes());
    for (int offset = 0; offset < 16; ++offset) {
        std::string text = FormatByte(static_cast<std::uint8_t>(offset));
        EXPECT_EQ(LookAtByte(&file, text), static_cast<std::uint8_t>(file.bytes[offset])) << text;
    }
    EXPECT_EQ(LookAtByte(&file, ""), static_cast<std::uint8_t>(file.bytes[0]));
    EXPECT_EQ(LookAtByte(&file, "10"), std::nullopt);
    EXPECT_EQ(LookAtByte(&file, "FFFFFFFF"), std::nullopt);
    EXPECT_EQ(LookAtByte(&file, "0x1"), std::nullopt);
    EXPECT_EQ(LookAtByte(nullptr, "0"), std::nullopt);

    BufferFile empty("");
    EXPECT_EQ(LookAtByte(&empty, ""), std::nullopt);
    EXPECT_EQ(empty.reads, 0);
}

TEST(LookAtByte, FindsNothingWhenTheSystemCannotTellTheSizeOrRead) {
    BufferFile noSize(SixteenBytes());
    noSize.failSize = true;
    EXPECT_EQ(LookAtByte(&noSize, "1"), std::nullopt);
    BufferFile noRead(SixteenBytes());
    noRead.failRead = true;
    EXPECT_EQ(LookAtByte(&noRead, "1"), std::nullopt);
}

TEST(PatchByte, RewritesOnlyTheOneByteAskedAfterTheUserConfirms) {
    const std::string original = SixteenBytes();
    for (int offset = 0; offset < 16; ++offset) {
        BufferFile file(original);
        int asked = 0;
        EXPECT_EQ(PatchByte(&file, FormatByte(static_cast<std::uint8_t>(offset)), "5a",
                            [&] { return ++asked, true; }),
                  PatchOutcome::Written);
        EXPECT_EQ(asked, 1);
        std::string expected = original;
        expected[offset] = 0x5A;
        EXPECT_EQ(file.bytes, expected) << "offset " << offset;
        EXPECT_EQ(file.writes, std::vector<std::uint64_t>{static_cast<std::uint64_t>(offset)});
        EXPECT_EQ(file.finishes, 1);
    }
}

TEST(PatchByte, WritesNothingWithoutAByteToChangeOrAYes) {
    const std::string original = SixteenBytes();
    auto unexpected = [] {
        ADD_FAILURE() << "asked although there is nothing to write";
        return true;
    };
    BufferFile file(original);
    EXPECT_EQ(PatchByte(nullptr, "0", "00", unexpected), PatchOutcome::NoByteThere);
    EXPECT_EQ(PatchByte(&file, "10", "00", unexpected), PatchOutcome::NoByteThere);
    EXPECT_EQ(PatchByte(&file, "0x0", "00", unexpected), PatchOutcome::NoByteThere);
    EXPECT_EQ(PatchByte(&file, "3", "1ff", unexpected), PatchOutcome::InvalidValue);
    EXPECT_EQ(PatchByte(&file, "3", "", unexpected), PatchOutcome::InvalidValue);
    EXPECT_EQ(PatchByte(&file, "3", "Error", unexpected), PatchOutcome::InvalidValue);
    EXPECT_EQ(PatchByte(&file, "3", FormatByte(static_cast<std::uint8_t>(original[3])), unexpected),
              PatchOutcome::Unchanged);
    EXPECT_EQ(PatchByte(&file, "3", "00", No), PatchOutcome::Declined);
    EXPECT_TRUE(file.writes.empty());
    EXPECT_EQ(file.bytes, original);

    BufferFile empty("");
    EXPECT_EQ(PatchByte(&empty, "", "41", unexpected), PatchOutcome::NoByteThere);
    EXPECT_TRUE(empty.writes.empty());
}

TEST(PatchByte, ReportsAFailedWriteAFlushThatFailsOrAByteThatDidNotChangeAsFailure) {
    BufferFile refused(SixteenBytes());
    refused.failWrite = true;
    EXPECT_EQ(PatchByte(&refused, "2", "00", Yes), PatchOutcome::WriteFailed);
    EXPECT_EQ(refused.bytes, SixteenBytes());

    BufferFile lost(SixteenBytes());
    lost.loseWrite = true;
    EXPECT_EQ(PatchByte(&lost, "2", "00", Yes), PatchOutcome::WriteFailed);

    BufferFile unflushed(SixteenBytes());
    unflushed.failFinish = true;
    EXPECT_EQ(PatchByte(&unflushed, "2", "00", Yes), PatchOutcome::WriteFailed);
}
