// How a run is refused or ends early: the run lock, paths no file can have,
// programs that cannot start, a quit while a program runs, an exception.
#include "run/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "fakes/fakes.h"

using namespace mb;
using mb::fakes::World;

namespace {

struct FakeLock : RunLockPort {
    bool heldElsewhere = false;
    int held = 0;
    bool TryLock() override { return !heldElsewhere && ++held; }
    void Unlock() override { --held; }
};

class RunStopTest : public ::testing::Test {
public:
    void SetUp() override {
        st.ProgramFolder = "C:\\Tools";
        st.VirtualDubPath = "C:\\vd\\VirtualDub.exe";
        st.NanDubPath = "C:\\nd\\NanDub.exe";
        st.BesweetPath = "C:\\bs\\BeSweet.exe";
        s.txtSource = st.SourceFilePath = "D:\\v\\movie.avs";
        w.files[s.txtSource] = "source";
        s.txtTarget = st.TargetFilePath = "D:\\v\\film.avi";
        s.TxtTempRep = st.TempFolderPath = "D:\\tmp";
        s.OptCodec = 1;
        s.CmbNumPass = 1;  // two passes
        s.chkShutdown = 1;
    }
    void Reset() {
        w = World{};
        s = EncodeSettings{};
        st = ProgramState{};
        lock = FakeLock{};
        SetUp();
    }
    RunOutcome Go() {
        RunPorts p = w.Ports();
        p.runLock = &lock;
        return StartEncode(s, st, p);
    }
    bool Has(const std::string& event) const {
        return std::find(w.events.begin(), w.events.end(), event) != w.events.end();
    }
    int Runs() const {
        return static_cast<int>(std::count_if(w.events.begin(), w.events.end(),
                                              [](const std::string& e) { return e.rfind("run(", 0) == 0; }));
    }
    World w;
    FakeLock lock;
    EncodeSettings s;
    ProgramState st;
};

TEST_F(RunStopTest, AnotherRunHoldingTheLockRefusesBeforeAnythingIsWritten) {
    lock.heldElsewhere = true;
    s.ChkCPU = 1;
    EXPECT_EQ(Go(), RunOutcome::Refused);
    EXPECT_EQ(w.events, std::vector<std::string>{"message: Another encoding run is in progress."});

    lock.heldElsewhere = false;
    EXPECT_EQ(Go(), RunOutcome::Finished);
    EXPECT_EQ(lock.held, 0);  // given back at the end
}

TEST_F(RunStopTest, PathsNoFileNameCanHoldAreRefusedNamingTheField) {
    struct Case { std::string ProgramState::*path; const char* bad; const char* field; };
    const Case cases[] = {
        {&ProgramState::TargetFilePath, "D:\\v\\film.avi\"\r\nVirtualDub.Close();//", "Destination File (*.avi)"},
        {&ProgramState::TargetFilePath, "D:\\v\\f*.avi", "Destination File (*.avi)"},
        {&ProgramState::TargetFilePath, "D:\\v:x\\f.avi", "Destination File (*.avi)"},
        {&ProgramState::SourceFilePath, "D:\\v\\m<o>.avs", "Video Source File (*.avs / *.avi)"},
        {&ProgramState::Stream1FilePath, "D:\\a\\a|b.ac3", "Audio Stream 1 Audio Path (*.ac3 / *.mpa)"},
        {&ProgramState::TempFolderPath, "D:\\t\" -output \"C:\\x", "Tempory Folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bad);
        Reset();
        s.TxtStream1 = st.Stream1FilePath = "D:\\a\\a.ac3";
        s.OptAudioFormat1 = 1;
        st.*c.path = c.bad;
        w.files[st.SourceFilePath] = "source";
        EXPECT_EQ(Go(), RunOutcome::Refused);
        ASSERT_EQ(w.events.size(), 1u);
        EXPECT_NE(w.events[0].find(std::string(c.field) + " ("), std::string::npos) << w.events[0];
    }
    // Sound paths, and an unused temporary folder, pass.
    Reset();
    st.TempFolderPath = "D:\\t\"";
    EXPECT_EQ(Go(), RunOutcome::Finished);
}

TEST_F(RunStopTest, ProgramThatCannotStartOrAQuitStopsTheRunBetweenSteps) {
    struct Case { bool quit; const char* logLine; std::vector<std::string> messages; };
    const Case cases[] = {
        {false, " >> Encoding stopped: cannot start C:\\vd\\VirtualDub.exe <<",
         {"Cannot start C:\\vd\\VirtualDub.exe: The system cannot find the file specified."}},
        {true, " >> Encoding stopped: Marobex is closing <<", {}},
    };
    for (const Case& c : cases) {
        Reset();
        if (c.quit) w.quitDuring = "jobpass1.vcf";
        else w.missingPrograms = {st.VirtualDubPath};
        EXPECT_EQ(Go(), RunOutcome::Stopped);
        EXPECT_EQ(Runs(), 1);  // no second pass
        EXPECT_EQ(w.log.back(), c.logLine);
        EXPECT_EQ(w.messages, c.messages);
        EXPECT_TRUE(Has("tray deleted") && Has("main shown"));
        EXPECT_FALSE(Has("shutdown 17"));
    }
}

TEST_F(RunStopTest, ExceptionStillRestoresTheWindows) {
    w.programs.push_back({"jobpass1.vcf", [] { throw std::runtime_error("out of memory"); }});
    EXPECT_THROW(Go(), std::runtime_error);
    EXPECT_TRUE(Has("tray deleted") && Has("main shown"));
    EXPECT_EQ(lock.held, 0);
}

TEST_F(RunStopTest, ToolPathsChangedDuringTheRunWaitForTheNextRun) {
    w.programs.push_back({"jobpass1.vcf", [this] { st.VirtualDubPath.clear(); }});
    EXPECT_EQ(Go(), RunOutcome::Finished);
    EXPECT_TRUE(Has("run(0): C:\\vd\\VirtualDub.exe /r /x /sc:\\jobpass2.vcf"));
    EXPECT_EQ(st.VirtualDubPath, "");  // the user's choice stays for the next run
}

TEST_F(RunStopTest, RegistryValueThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
    s.ChkCPU = 1;
    s.SldPostProces = 4;
    w.registryFailure = "Cannot write the registry value x: Access denied.";
    EXPECT_EQ(Go(), RunOutcome::Finished);
    EXPECT_EQ(w.messages, std::vector<std::string>{w.registryFailure});  // once
}

}  // namespace
