// Whole runs on a display: before each encoder job the run starts
// Priority.exe, which finds the encoder's status window by its title and
// sets the preview check boxes and the priority the user chose. The
// stand-in encoders record what their controls showed at the end.
#include "../e2e/e2e_harness.h"

using namespace mb;
using namespace mb::e2e;

namespace {

struct PriorityCase {
    const char* name;
    int codec;
    int passes;
    bool withStream;   // an AC3 stream, so the Nandub mux job runs too
    int showInput;     // ChkShowInput
    int showOutput;    // ChkShowOutput
    int priority;      // CmbPriority entry
    std::vector<std::string> windows;  // the status windows' titles, in order
    const char* input;                 // what the encoder's boxes showed at the end
    const char* output;
    const char* priorityText;
    std::vector<std::string> changes;  // the changes the encoder saw, per job
};

const std::vector<PriorityCase>& Cases() {
    static const std::vector<PriorityCase> cases = {
        {"VirtualDubPreviewsOffAtHigher", 0, 1, false, 0, 0, 5,
         {"VirtualDub Status - [film.avi]"},
         "unchecked", "unchecked", "Higher",
         {"Show input video unchecked", "Show output video unchecked", "Priority Higher"}},
        {"NandubPreviewsOnAtEvenLower", 3, 2, true, 1, 1, 2,
         {"Nandub Status - [film.avi]", "Nandub Status - [film.avi]", "Nandub Status - [film_1_temp.avi]"},
         "checked", "checked", "Even lower",
         {"Priority Even lower"}},
    };
    return cases;
}

class PriorityDuringRuns : public EndToEnd, public ::testing::WithParamInterface<PriorityCase> {
protected:
    // The status window stays long enough for Priority.exe to find it.
    const char* StandinSeconds() const override { return "1"; }
    const char* WindowMs() const override { return "3000"; }
    const char* PriorityTimeoutMs() const override { return "20000"; }
};

TEST_P(PriorityDuringRuns, SetsTheStatusWindowsControls) {
    const PriorityCase& c = GetParam();
    ChooseVideo(c.codec, c.passes);
    if (c.withStream) {
        BrowseStream1(Dir("film.ac3"));
        Set(Ctl::OptAudioFormat1, 0);
    }
    Set(Ctl::ChkShowInput, c.showInput);
    Set(Ctl::ChkShowOutput, c.showOutput);
    Set(Ctl::CmbPriority, c.priority);

    EXPECT_EQ(StartEncode(), RunOutcome::Finished);
    const auto records = Trace();
    ASSERT_EQ(records.size(), c.windows.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TraceRecord& r = records[i];
        SCOPED_TRACE(RunSummary(r));
        EXPECT_EQ(r.Value("result"), "done") << r.Value("error");
        EXPECT_EQ(r.Value("status window"), c.windows[i]);
        EXPECT_EQ(r.Value("Show input video"), c.input);
        EXPECT_EQ(r.Value("Show output video"), c.output);
        EXPECT_EQ(r.Value("Priority"), c.priorityText);
        EXPECT_EQ(r.Values("control changed"), c.changes);
    }
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, PriorityDuringRuns, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
