#include "run/encode_log.h"

#include <gtest/gtest.h>

#include "run_fakes.h"

using namespace mb;

TEST(SecondInHour, HoursMinutesSeconds) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "00:00:00"},  {59, "00:00:59"},    {70, "00:01:10"},     {600, "00:10:00"},
        {3725, "01:02:05"}, {36000, "10:00:00"}, {86399, "23:59:59"}, {360000, "100:00:00"},
        {40000, "11:06:40"},
    };
    for (auto [seconds, text] : cases) EXPECT_EQ(SecondInHour(seconds), text) << seconds;
}

TEST(VdubLogEncode, EventsAndTheirExactLines) {
    mb::testing::World w;
    const std::string rule(40, '_');
    auto log = [&](const char* part) {
        return VdubLogEncode(part, 3725, 780, 741, 600000, 570000, 28500, "3 Pass", "DivX 4.x Codec", 7450, w);
    };
    EXPECT_EQ(log("Job2Start"), std::vector<std::string>{" Start Second Pass Encoding ..."});
    EXPECT_EQ(log("Job3Start"), std::vector<std::string>{" Start Third Pass Encoding ..."});
    EXPECT_EQ(log("Job3End"), (std::vector<std::string>{" End Third Pass Encoding ...", "----------",
                                                         "Duration : 01:02:05", rule}));
    EXPECT_EQ(log("BitrRecal"),
              (std::vector<std::string>{" Start Bitrate Recalculation ...", "", " Final Size File : 600000 Kbt",
                                        " Desired Size File : 570000 Kbt", " Oversize More or less : 28500 Kybt",
                                        "", " New BitRate Used : 741 Kbt/s", rule}));
    EXPECT_EQ(log("NoDivx3Pass"),
              (std::vector<std::string>{" Start Bitrate Recalculation ...", "", " Final Size File : 600000 Kbt",
                                        " Desired Size File : 570000 Kbt", " More or less : 28500 Kbt", "",
                                        " >> Third Pass is not Requiered <<", "", rule}));
    EXPECT_EQ(log("CloseLog"), (std::vector<std::string>{rule, "", " Total Time Encoding : 02:04:10",
                                                          " Final Size File : 600000 Kbt", "",
                                                          " Status Encoding : FINISH"}));
    EXPECT_EQ(log("InitLog")[4], "Mode   :   3 Pass");
    EXPECT_TRUE(log("initlog").empty());
    EXPECT_TRUE(log("").empty());
}

TEST(VdubLogEncode, NegativeNumbersAndAnEmptyServicePack) {
    struct NoSp : mb::testing::World {
        void GetOsVersionInfo(OsVersionInfo& info) override { info = {2, "Windows NT", "6.1", "", "7601"}; }
    } w;
    const auto lines = VdubLogEncode("InitLog", 0, -5, 0, 0, 0, 0, "1 Pass (CBR)", "x", 0, w);
    EXPECT_EQ(lines[5], "Bitrate :   -5 Kbt/s");
    EXPECT_EQ(lines[7], "OS  : Windows NT 6.1 build 7601 ()");
}
