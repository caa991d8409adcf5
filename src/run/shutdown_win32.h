// The system calls of a shutdown, and ShutdownSystem over them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "run/shutdown.h"

namespace mb {

// True on the NT platform. The answer of the first successful version read
// is kept for the life of the program; a failed read answers false and asks
// again next time.
bool IsWinNT();

class ShutdownPlatformW32 : public ShutdownPlatform {
public:
    bool IsWinNT() override { return mb::IsWinNT(); }
    PrivilegeResult EnableShutdownPrivilegeSteps() override;
    bool RequestShutdown(std::uint32_t flags, std::uint32_t& errorCode) override;
    std::string ApiErrorText(std::uint32_t code) override;
};

// EnableShutdownPrivilege on this process; errors name the running program.
bool EnableShutdownPrivilege();

// ShutdownSystem on this system; errors name the running program.
bool ShutdownSystem(std::int32_t flags);

// The shutdown port of the program.
class ShutdownW32 : public ShutdownPort {
public:
    bool ShutdownSystem(std::int32_t flags) override { return mb::ShutdownSystem(flags); }
};

}  // namespace mb
