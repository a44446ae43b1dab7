// The ".ufp" reader and the choice of update: a file must be checked whole, so that no bad
// record can reach the laser's flash, while a short final record stays usable.
#include "files/FirmwareUpdateFile.h"
#include "support/TempDir.h"
#include "support/UfpText.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

std::optional<FirmwareUpdateFile> Parse(const std::string& text, std::string& error) {
    return FirmwareUpdateFile::Parse(Bytes(text), error);
}

const std::string kFullRecord = "0123456789ABCDEF0123456789ABCDEF\r\n";

} // namespace

TEST(UfpFile, RecordBecomesSixteenBitReversedBytes) {
    std::string error;
    const auto file = Parse(kFullRecord, error);
    ASSERT_TRUE(file) << error;
    const std::vector<std::uint8_t> half = {0x80, 0xC4, 0xA2, 0xE6, 0x91, 0xD5, 0xB3, 0xF7};
    std::vector<std::uint8_t> expected = half;
    expected.insert(expected.end(), half.begin(), half.end());
    EXPECT_EQ(file->Data(), expected);
    EXPECT_EQ(file->Records(), 1u);
    EXPECT_FALSE(file->LastRecordUnterminated());

    const auto lower = Parse("0123456789abcdef0123456789abcdef\r\n", error);
    ASSERT_TRUE(lower) << error;
    EXPECT_EQ(lower->Data(), expected);
}

TEST(UfpFile, ShortFinalRecordIsUsedAsFarAsItGoes) {
    std::string error;
    const auto terminated = Parse(kFullRecord + "01234567\r\n", error);
    ASSERT_TRUE(terminated) << error;
    EXPECT_EQ(terminated->Records(), 2u);
    EXPECT_EQ(terminated->RecordBytes(0), 16u);
    EXPECT_EQ(terminated->RecordBytes(1), 4u);
    EXPECT_EQ(terminated->Data().size(), 20u);
    EXPECT_EQ(terminated->Data()[16], 0x80);

    // An empty last line, or several, close the file; they are not data.
    for (const std::string& end : {std::string("\r\n"), std::string("\n"), std::string(40, '\n')}) {
        const auto file = Parse(kFullRecord + "01234567\r\n" + end, error);
        ASSERT_TRUE(file) << error;
        EXPECT_EQ(file->Data().size(), 20u);
        EXPECT_FALSE(file->LastRecordUnterminated());
        EXPECT_EQ(file->RecordBytes(file->Records() - 1), end.size() > 34 ? 0u : 4u);
    }

    // Without its line end, or with a bare one, the last record is still taken.
    for (const char* end : {"", "\n", "\r"}) {
        const auto file = Parse(kFullRecord + "01234567" + end, error);
        ASSERT_TRUE(file) << error;
        EXPECT_EQ(file->Data().size(), 20u);
        EXPECT_EQ(file->LastRecordUnterminated(), std::string(end) != "\r\n");
    }
}

struct BadUfp {
    const char* name;
    std::string text;
    const char* reason; // a part of the message
};
void PrintTo(const BadUfp& param, std::ostream* os) {
    *os << param.name;
}

class BadUfpFiles : public ::testing::TestWithParam<BadUfp> {};

TEST_P(BadUfpFiles, AreRefusedWithTheReason) {
    std::string error;
    EXPECT_FALSE(Parse(GetParam().text, error));
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadUfpFiles,
    ::testing::Values(
        BadUfp{"Empty", "", "empty"}, BadUfp{"OnlyLineEnds", "\r\n\r\n", "holds no data"},
        BadUfp{"NonHexPair", kFullRecord + "01234567G9ABCDEF0123456789ABCDEF\r\n" + kFullRecord,
               "record 2 (file offset 42) holds \"G9\""},
        BadUfp{"NonHexInLastRecord", kFullRecord + "0123 567\r\n", "holds \" 5\""},
        BadUfp{"MissingLineEnd", std::string(34, '0') + kFullRecord,
               "record 1 (file offset 32) does not end in CR LF"},
        BadUfp{"LineFeedOnly", "0123456789ABCDEF0123456789ABCDEF\n0" + kFullRecord,
               "does not end in CR LF"},
        BadUfp{"ShortRecordInTheMiddle", "01234567\r\n" + kFullRecord, "record 1"},
        BadUfp{"OddDigitsAtTheEnd", kFullRecord + "012\r\n", "odd number of digits"},
        BadUfp{"GarbageAfterTheLastLineEnd", kFullRecord + "0123\r\nAB", "not a pair"}),
    [](const ::testing::TestParamInfo<BadUfp>& param) { return std::string(param.param.name); });

TEST(UfpFile, LoadReadsTheFileAndNamesAMissingOne) {
    TempDir dir;
    WriteBytes(dir / "Tarvex_PROM_prod.ufp", Bytes(kFullRecord));
    std::string error;
    const auto file = FirmwareUpdateFile::Load(dir / "Tarvex_PROM_prod.ufp", error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Path(), dir / "Tarvex_PROM_prod.ufp");
    EXPECT_FALSE(FirmwareUpdateFile::Load(dir / "none.ufp", error));
    EXPECT_EQ(error, "Unable to open file.");
}

TEST(UpdateType, ComesFromTheFirstTagInThePathAndTheMotionBoardNeedsController150) {
    EXPECT_EQ(UpdateTypeForFileName("C:/fw/Tarvex_PROM_MultiBoot_1_9.ufp"), 1);
    EXPECT_EQ(UpdateTypeForFileName("C:/fw/new_Tarvex_PROM_prod_v1.9.3.ufp"), 2);
    EXPECT_EQ(UpdateTypeForFileName("/home/op/zuv_motion_prod.ufp"), 4);
    EXPECT_EQ(UpdateTypeForFileName("/home/op/board-tarvex2_motion_prod-7.ufp"), 4);
    // The whole path counts, and the first tag in table order wins.
    EXPECT_EQ(UpdateTypeForFileName("/Tarvex_PROM_prod/zuv_motion_prod.ufp"), 2);
    EXPECT_EQ(UpdateTypeForFileName("/x/Tarvex_PROM_prod_Tarvex_PROM_MultiBoot.ufp"), 1);
    EXPECT_FALSE(UpdateTypeForFileName("/x/tarvex_prom_prod.ufp"));
    EXPECT_FALSE(UpdateTypeForFileName("/x/firmware.ufp"));

    EXPECT_FALSE(MotionBoardUpdateSupported(FirmwareVersion{1, 4, 9, 0, 0}));
    EXPECT_TRUE(MotionBoardUpdateSupported(FirmwareVersion{1, 5, 0, 0, 0}));
    EXPECT_TRUE(MotionBoardUpdateSupported(FirmwareVersion{2, 0, 0, 0, 0}));
    EXPECT_FALSE(MotionBoardUpdateSupported(FirmwareVersion{0, 9, 99, 0, 0}));
}
