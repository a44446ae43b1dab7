// What the front ends write and show of the laser's faults and parameters: the fault texts, the
// order of the error rings, and the parameter log's columns and lines.
#include "control/FaultCodes.h"
#include "files/ParameterLog.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace tarvex;
using testing::ElementsAre;

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    // Every line ends in a tab before its line end.
    std::stringstream in(line.substr(0, line.size() - 2));
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(FaultCodes, EveryCodeHasWordsAndTheGapsAreUnknown) {
    EXPECT_STREQ(control::FaultText(0), "None");
    EXPECT_STREQ(control::FaultText(31), "QCL 2 motion fault");
    EXPECT_STREQ(control::FaultText(63), "QCL 4 home fault detected");
    EXPECT_STREQ(control::FaultText(34), "Unknown fault code");
    EXPECT_STREQ(control::FaultText(39), "Unknown fault code");
    EXPECT_STREQ(control::FaultText(0xFFFF), "Unknown fault code");
}

TEST(FaultCodes, TheRingIsReadNewestFirstAcrossItsEnd) {
    std::array<std::uint16_t, SystemErrorsList::kRingSize> ring{};
    ring[18] = 20;
    ring[19] = 31;
    ring[0] = 24;
    EXPECT_THAT(control::NewestFirst(ring, 0, 2), ElementsAre(31, 20));
    EXPECT_THAT(control::NewestFirst(ring, 1, 3), ElementsAre(24, 31, 20));
    EXPECT_EQ(control::NewestFirst(ring, 5, 50).size(), SystemErrorsList::kRingSize);
}

TEST(ParameterLog, TwoQclsGiveEightQclColumnsBetweenTheTimeAndTheBoard) {
    LaserCache cache;
    cache.qclInfo[0] = {.qcl_slot = 1,
                        .actual_temp = 19.01234f,
                        .actual_current = 1200.4f,
                        .actual_tec_current = 350.6f};
    cache.tecMeas[1].voltage = 1.256f;
    cache.testLaserInfo = {.caseTemp1 = 25.5f, .caseTemp2 = 26.0f, .pcbTemp = 31.126f};
    std::tm time{};
    time.tm_year = 126;
    time.tm_mon = 11;
    time.tm_mday = 7;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 3;

    const std::string header = ParameterLogHeader(2);
    const std::string line = ParameterLogLine(cache, 2, time);
    EXPECT_EQ(Fields(header).size(), 2u + 8 + 3);
    EXPECT_EQ(Fields(header)[6], "QCL2 Temp (C)");
    EXPECT_THAT(Fields(line),
                ElementsAre("2026/12/07", "09:05:03", "19.0123", "351", "0.00", "1200", "0.0000",
                            "0", "1.26", "0", "25.50", "26.00", "31.13"));
    EXPECT_TRUE(header.ends_with("PCB Temp (C)\t\n"));
    EXPECT_TRUE(line.ends_with("\t\n"));
}

TEST(ParameterLog, ANewOrDeletedFileStartsWithTheHeader) {
    test::TempDir dir;
    const auto path = dir / "log.txt";
    LaserCache cache;
    const std::tm time{};
    ASSERT_TRUE(AppendParameterLog(path, cache, 1, time));
    ASSERT_TRUE(AppendParameterLog(path, cache, 1, time));
    const std::string header = ParameterLogHeader(1);
    const std::string line = ParameterLogLine(cache, 1, time);
    EXPECT_EQ(FileText(path), header + line + line);
    std::filesystem::remove(path);
    ASSERT_TRUE(AppendParameterLog(path, cache, 1, time));
    EXPECT_EQ(FileText(path), header + line);
    EXPECT_FALSE(AppendParameterLog(dir / "missing" / "log.txt", cache, 1, time));
}
