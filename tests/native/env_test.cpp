// A second codec check; what one check finds, the tool paths, the shutdown
// and the small functions they use are rows of functions.txt.
#include <gtest/gtest.h>

#include <stdexcept>

#include "env/codec_detection.h"
#include "fakes/fakes.h"

using namespace mb;
using mb::fakes::Lines;
using mb::fakes::World;

// What one check lists and finds is a row of functions.txt.
TEST(CodecCheck, ASecondCheckKeepsTheAudioCodecAndAFailureGivesTheButtonBack) {
    // A second check starts from an empty list and keeps the audio codec
    // found by the first; the button comes back when the check fails.
    const std::string kList = "c:\\Marobex_Codecs.txt", kSystem = "C:\\WINDOWS\\System32\\";
    World w;
    ProgramState st;
    st.ProgramFolder = "C:\\Marobex";
    w.files["C:\\Marobex\\Codec.exe"] = "MZ";
    w.files[kSystem + "DIVXA32.ACM"] = "acm";
    w.programs.push_back({"Codec.exe", [&] { w.files[kList] = "DivX 5.0.2\r\n"; }});
    EXPECT_EQ(RunCodecCheck(st, w, w, w, nullptr).lines.size(), 2u);
    w.files.erase(kSystem + "DIVXA32.ACM");
    EXPECT_EQ(RunCodecCheck(st, w, w, w, nullptr).lines, Lines{"DivX 5.0.2\t\t(Supported)"});
    EXPECT_TRUE(st.DivxAudioCodecFound);
    w.programs.clear();
    w.programs.push_back({"Codec.exe", [] { throw std::runtime_error("runner failed"); }});
    struct : CodecCheckButton {
        std::string caption = "Check Installed Codec";
        bool enabled = true;
        std::string Caption() override { return caption; }
        void SetCaption(const std::string& c) override { caption = c; }
        void SetEnabled(bool e) override { enabled = e; }
    } button;
    EXPECT_THROW(RunCodecCheck(st, w, w, w, &button), std::runtime_error);
    EXPECT_TRUE(button.enabled);
    EXPECT_EQ(button.caption, "Check Installed Codec");
}
