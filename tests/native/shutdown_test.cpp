#include "run/shutdown.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace mb;

namespace {

// A platform that records the calls and never shuts anything down.
struct FakePlatform : ShutdownPlatform {
    bool nt = true;
    PrivilegeResult privilege;
    bool accept = true;
    std::uint32_t refusal = 5;
    std::vector<std::string> calls;

    bool IsWinNT() override { return nt; }
    PrivilegeResult EnableShutdownPrivilegeSteps() override {
        calls.push_back("privilege");
        return privilege;
    }
    bool RequestShutdown(std::uint32_t flags, std::uint32_t& errorCode) override {
        calls.push_back("exit " + std::to_string(flags));
        if (!accept) errorCode = refusal;
        return accept;
    }
    std::string ApiErrorText(std::uint32_t code) override {
        return "Error " + std::to_string(code) + ".\r\n";
    }
};

ShutdownError Caught(const std::function<void()>& f) {
    try {
        f();
    } catch (const ShutdownError& e) {
        return e;
    }
    ADD_FAILURE() << "no ShutdownError";
    return {};
}

}  // namespace

TEST(ShutdownErrorSource, IsTheProgramNameWithoutExtension) {
    EXPECT_EQ(ShutdownErrorSource("C:\\Tools\\Marobex.exe"), "Marobex.mShutDown");
    EXPECT_EQ(ShutdownErrorSource("Z:\\b\\win32_tests.exe"), "win32_tests.mShutDown");
    EXPECT_EQ(ShutdownErrorSource("C:\\v1.2\\Marobex"), "Marobex.mShutDown");
    EXPECT_EQ(ShutdownErrorSource("Marobex.new.exe"), "Marobex.new.mShutDown");
}

TEST(ShutdownSystem, RefusesFlagsOutsideZeroTo31WithoutCallingTheSystem) {
    for (const std::int32_t flags : {-1, 32, INT32_MIN, INT32_MAX}) {
        FakePlatform platform;
        const ShutdownError e = Caught([&] { ShutdownSystem(flags, platform, "Marobex.mShutDown"); });
        EXPECT_EQ(e.number, 0x8004062Fu);
        EXPECT_EQ(e.source, "Marobex.mShutDown");
        EXPECT_EQ(e.description, "Invalid parameter to ShutdownSystem: " + std::to_string(flags));
        EXPECT_TRUE(platform.calls.empty());
    }
}

TEST(ShutdownSystem, AcceptedFlagsReachTheSystemAfterThePrivilegeOnNT) {
    struct Case { std::int32_t flags; bool nt; std::vector<std::string> calls; };
    const Case cases[] = {
        {0, true, {"privilege", "exit 0"}},
        {31, true, {"privilege", "exit 31"}},
        {5, true, {"privilege", "exit 5"}},
        {5, false, {"exit 5"}},
    };
    for (const auto& c : cases) {
        FakePlatform platform;
        platform.nt = c.nt;
        EXPECT_TRUE(ShutdownSystem(c.flags, platform, "M.mShutDown"));
        EXPECT_EQ(platform.calls, c.calls) << c.flags;
    }
}

TEST(ShutdownSystem, RefusedShutdownRaisesWithTheSystemsMessage) {
    FakePlatform platform;
    platform.accept = false;
    platform.refusal = 1314;
    SystemShutdown port(platform, "C:\\Tools\\Marobex.exe");
    const ShutdownError e = Caught([&] { port.ShutdownSystem(5); });
    EXPECT_EQ(e.number, 0x8004062Bu);
    EXPECT_EQ(e.source, "Marobex.mShutDown");
    EXPECT_EQ(e.description, "ShutdownSystem failed: Error 1314.\r\n");
}

TEST(EnableShutdownPrivilege, EachFailedStepRaisesItsError) {
    struct Case { PrivilegeStep step; std::uint32_t number; std::string description; };
    const Case cases[] = {
        {PrivilegeStep::LookupValue, 0x8004062C,
         "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [Error 1313.\r\n]"},
        {PrivilegeStep::CurrentProcess, 0x8004062D,
         "Can't enable shutdown: Can't determine the current process. [Error 1313.\r\n]"},
        {PrivilegeStep::Token, 0x8004062E,
         "Can't enable shutdown: You do not have the privileges to shutdown this system. [Error 1313.\r\n]"},
    };
    for (const auto& c : cases) {
        FakePlatform platform;
        platform.privilege = {c.step, 1313};
        const ShutdownError e = Caught([&] { ShutdownSystem(5, platform, "Marobex.mShutDown"); });
        EXPECT_EQ(e.number, c.number);
        EXPECT_EQ(e.source, "Marobex.mShutDown");
        EXPECT_EQ(e.description, c.description);
        EXPECT_EQ(platform.calls, std::vector<std::string>{"privilege"});  // no shutdown asked
    }
    FakePlatform ok;
    EXPECT_TRUE(EnableShutdownPrivilege(ok, "Marobex.mShutDown"));
}
