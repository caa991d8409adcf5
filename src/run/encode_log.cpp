#include "run/encode_log.h"

#include "env/os_version.h"

namespace mb {

namespace {

const std::string kDashLine(10, '-');
const std::string kRuleLine(40, '_');

std::string TwoDigits(std::int64_t v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

}  // namespace

std::string SecondInHour(std::int64_t Seconde) {
    // Whole hours rounded down, so minutes and seconds are never negative.
    std::int64_t h = Seconde / 3600;
    if (Seconde % 3600 < 0) --h;
    const std::int64_t rest = Seconde - 3600 * h;
    const std::int64_t m = rest / 60;
    const std::int64_t s = rest - 60 * m;
    return TwoDigits(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
}

std::vector<std::string> VdubLogEncode(const std::string& PartLog, std::int64_t TimeEncode,
                                       std::int64_t OldBit, std::int64_t NewBit,
                                       std::int64_t FinalSize, std::int64_t DesiredSize,
                                       std::int64_t OverSizeError, const std::string& PassMode,
                                       const std::string& CodecUsed, std::int64_t TotalTime,
                                       SystemInfoPort& system) {
    OsVersionInfo os;
    system.GetOsVersionInfo(os);
    const auto n = [](std::int64_t v) { return std::to_string(v); };
    const auto jobEnd = [&](const char* pass) {
        return std::vector<std::string>{std::string(" End ") + pass + " Pass Encoding ...", kDashLine,
                                        "Duration : " + SecondInHour(TimeEncode), kRuleLine};
    };

    if (PartLog == "InitLog")
        return {"[ CODEC ]", kDashLine, "", "Name  :   " + CodecUsed, "Mode   :   " + PassMode,
                "Bitrate :   " + n(OldBit) + " Kbt/s", "", OsLogLine(os), "",
                " Status Encoding : START", kRuleLine};
    if (PartLog == "Job1Start") return {" Start First Pass Encoding ..."};
    if (PartLog == "Job1End") return jobEnd("First");
    if (PartLog == "Job2Start") return {" Start Second Pass Encoding ..."};
    if (PartLog == "Job2End") return jobEnd("Second");
    if (PartLog == "BitrRecal")
        return {" Start Bitrate Recalculation ...", "",
                " Final Size File : " + n(FinalSize) + " Kbt",
                " Desired Size File : " + n(DesiredSize) + " Kbt",
                " Oversize More or less : " + n(OverSizeError) + " Kybt", "",
                " New BitRate Used : " + n(NewBit) + " Kbt/s", kRuleLine};
    if (PartLog == "NoDivx3Pass")
        return {" Start Bitrate Recalculation ...", "",
                " Final Size File : " + n(FinalSize) + " Kbt",
                " Desired Size File : " + n(DesiredSize) + " Kbt",
                " More or less : " + n(OverSizeError) + " Kbt", "",
                " >> Third Pass is not Requiered <<", "", kRuleLine};
    if (PartLog == "Job3Start") return {" Start Third Pass Encoding ..."};
    if (PartLog == "Job3End") return jobEnd("Third");
    if (PartLog == "CloseLog")
        return {kRuleLine, "", " Total Time Encoding : " + SecondInHour(TotalTime),
                " Final Size File : " + n(FinalSize) + " Kbt", "", " Status Encoding : FINISH"};
    return {};
}

}  // namespace mb
