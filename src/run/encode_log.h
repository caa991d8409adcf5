// The encoding log shown in the progress window: the fixed lines of each
// event of a run's video encode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ports.h"

namespace mb {

// Seconds as "hh:mm:ss"; hours are not limited to two digits (360000 gives
// "100:00:00").
std::string SecondInHour(std::int64_t Seconde);

// The lines of one log event; an unknown PartLog (letter case counts) gives
// none. The operating system is asked once per call, as the log line about
// it needs it.
std::vector<std::string> VdubLogEncode(const std::string& PartLog, std::int64_t TimeEncode,
                                       std::int64_t OldBit, std::int64_t NewBit,
                                       std::int64_t FinalSize, std::int64_t DesiredSize,
                                       std::int64_t OverSizeError, const std::string& PassMode,
                                       const std::string& CodecUsed, std::int64_t TotalTime,
                                       SystemInfoPort& system);

}  // namespace mb
