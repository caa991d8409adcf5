#include "run/shutdown.h"

#include <ostream>

namespace mb {
namespace {

[[noreturn]] void Raise(std::uint32_t number, const std::string& source, std::string description) {
    throw ShutdownError{number, source, std::move(description)};
}

}  // namespace

std::string ShutdownErrorSource(const std::string& programPath) {
    const auto slash = programPath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name + ".mShutDown";
}

bool EnableShutdownPrivilege(ShutdownPlatform& platform, const std::string& source) {
    const PrivilegeResult r = platform.EnableShutdownPrivilegeSteps();
    const auto message = [&] { return platform.ApiErrorText(r.errorCode); };
    switch (r.failedStep) {
    case PrivilegeStep::None: return true;
    case PrivilegeStep::LookupValue:
        Raise(PrivilegeValueError, source,
              "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [" + message() +
                  "]");
    case PrivilegeStep::CurrentProcess:
        Raise(CurrentProcessError, source,
              "Can't enable shutdown: Can't determine the current process. [" + message() + "]");
    case PrivilegeStep::Token:
        Raise(NoPrivilegeError, source,
              "Can't enable shutdown: You do not have the privileges to shutdown this system. [" +
                  message() + "]");
    }
    return false;
}

bool ShutdownSystem(std::int32_t flags, ShutdownPlatform& platform, const std::string& source) {
    if (flags < 0 || flags > 31)
        Raise(InvalidShutdownFlagsError, source,
              "Invalid parameter to ShutdownSystem: " + std::to_string(flags));
    if (platform.IsWinNT() && !EnableShutdownPrivilege(platform, source)) return false;
    std::uint32_t error = 0;
    if (!platform.RequestShutdown(static_cast<std::uint32_t>(flags), error))
        Raise(ShutdownFailedError, source, "ShutdownSystem failed: " + platform.ApiErrorText(error));
    return true;
}

bool SystemShutdown::ShutdownSystem(std::int32_t flags) {
    return mb::ShutdownSystem(flags, platform_, source_);
}

std::string ShutdownCountdownText(int secondsLeft) {
    return "Marobex will shut down this computer in " + std::to_string(secondsLeft) + " s";
}

bool CountDownOnConsole(std::ostream& err, int seconds, const std::function<bool(int ms)>& waitCancelled) {
    const auto said = [](int left) { return left == 30 || left == 10 || left <= 5; };
    err << "shutdown: " << ShutdownCountdownText(seconds) << " (Ctrl+C cancels)\n" << std::flush;
    for (int left = seconds; left > 0; --left) {
        if (left != seconds && said(left)) err << "shutdown: " << ShutdownCountdownText(left) << "\n" << std::flush;
        if (waitCancelled(1000)) {
            err << "shutdown: cancelled\n" << std::flush;
            return false;
        }
    }
    err << "shutdown: now\n" << std::flush;
    return true;
}

}  // namespace mb
