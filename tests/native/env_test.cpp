// The environment around a run: tool paths and their settings file, the
// codec check; the small functions they use (and the shutdown) are in
// functions_test.cpp.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "env/codec_detection.h"
#include "env/tool_paths.h"
#include "fakes/fakes.h"

using namespace mb;
using mb::fakes::Lines;
using mb::fakes::World;

TEST(ToolPaths, LoadListsTheToolsSaveWritesThemAndStartupClearsTheCodecKeys) {
    const std::string ini = "C:\\Marobex\\Marobex.ini";
    const struct {
        bool file;
        const char* version;  // of the stored VirtualDub path; null: none
        Lines lines, messages;
    } cases[] = {
        {true, "1.4.10.0", {"VirtualDub v1.4.10\t\tFound", "NanDub\t\t\tFound", "BeSweet\t\t\tFound"}, {}},
        {true, "1.4.9.0", {"VirtualDub v1.4.9.\t\tFound", "NanDub\t\t\tFound", "BeSweet\t\t\tFound"}, {}},
        {true, nullptr, {"VirtualDub v\t\tFound", "NanDub\t\t\tFound", "BeSweet\t\t\tFound"},
         {"Le fichier ne contient aucune information r\xE9" "cup\xE9" "rable !"}},
        {false, "1.4.10.0", {}, {}},
    };
    for (const auto& c : cases) {
        World w;
        ProgramState s;
        s.ProgramFolder = "C:\\Marobex";
        if (c.file) w.files[ini] = "";
        if (c.version) w.versions["D:\\VDub\\VirtualDub.exe"] = c.version;
        w.ini[World::Slot("path", "virtualdubpath", ini)] = "D:\\VDub\\VirtualDub.exe";
        w.ini[World::Slot("PATH", "NanDubPath", ini)] = "D:\\Nandub\\nandub.exe";
        EXPECT_EQ(LoadToolPaths(s, w, w, w), c.lines);
        EXPECT_EQ(w.messages, c.messages);
        EXPECT_EQ(w.icons, std::vector<MessageIcon>(c.messages.size(), MessageIcon::Exclamation));
        EXPECT_EQ(s.VirtualDubPath + "|" + s.NanDubPath + "|" + s.BesweetPath,
                  c.file ? "D:\\VDub\\VirtualDub.exe|D:\\Nandub\\nandub.exe|" : "||");
    }
    World w;
    ProgramState s;
    s.ProgramFolder = "C:\\Marobex";
    s.VirtualDubPath = "D:\\VDub\\VirtualDub.exe";
    s.BesweetPath = "D:\\B S\\BeSweet.exe";
    SaveToolPaths(s, w);
    PrepareToolRegistry(w);
    EXPECT_EQ(w.events, (Lines{"ini: " + ini + " [PATH] VirtualDubPath=D:\\VDub\\VirtualDub.exe",
                               "ini: " + ini + " [PATH] NanDubPath=",
                               "ini: " + ini + " [PATH] BesweetPath=D:\\B S\\BeSweet.exe",
                               "registry: delete Software\\DivXNetworks\\DivX4Windows",
                               "registry: delete Software\\DivXNetworks\\DivX412Codec",
                               "registry: delete Software\\GNU\\XviD",
                               "registry: Software\\Freeware\\VirtualDub\\SeenDivXWarning = 1",
                               "registry: Software\\Freeware\\VirtualDub\\SeenWelcome = 1",
                               "registry: Software\\Freeware\\VirtualDub\\VirtualDub = 1"}));
}

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
