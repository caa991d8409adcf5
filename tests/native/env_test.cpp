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

namespace {

constexpr std::uint64_t k8May2002 = 126653256000000000ULL;  // 10:00 UTC
const std::string kList = "c:\\Marobex_Codecs.txt";
const std::string kCodecExe = "C:\\Marobex\\Codec.exe";
const std::string kSystem = "C:\\WINDOWS\\System32\\";

struct Button : CodecCheckButton {
    std::string caption = "Check Installed Codec";
    Lines log;
    std::string Caption() override { return caption; }
    void SetCaption(const std::string& c) override { log.push_back(caption = c); }
    void SetEnabled(bool e) override { log.push_back(e ? "enabled" : "disabled"); }
};

}  // namespace

TEST(CodecCheck, ListsTheSupportedCodecsFromCodecExesList) {
    const std::string all =
        "Microsoft Video 1\r\nDivX Codec 4.12 (DivX 4)\r\nDivX Pro 5.0.2 Codec\r\nDivX 5.0.2 Codec\r\n"
        "XviD MPEG-4 Codec\r\nDivX ;-) MPEG-4 Low-Motion\r\nDivX ;-) MPEG-4 Fast-Motion\r\n"
        "divx Codec 4.12\r\nDivX\r\n DivX 5.0.2 Codec\r\n";
    const struct {
        bool codecExe;
        std::string list;  // what Codec.exe writes; empty: nothing
        Lines dlls;        // in the system folder
        Lines lines;
        const char* found;  // divx4, divx5Pro, divx5, xvid, divx3Low, divx3Fast, listRead; fourcc DIVX; audio
    } cases[] = {
        {true, all, {"XVID.DLL", "DIVXA32.ACM"},
         {"DivX Codec 4.12 (DivX 4)\t\t(Supported)", "DivX Pro 5.0.2 Codec\t(Supported)",
          "DivX 5.0.2 Codec\t\t(Supported)", "XviD MPEG-4 Codec\t(08/05/02)",
          "DivX ;-) MPEG-4 Low-Motion\t(Supported)", "DivX ;-) MPEG-4 Fast-Motion\t(Supported)",
          "DivX ;-) Audio Codec\t(Supported)"},
         "111111111"},
        {true, "DivX Codec 4.12\r\n", {"DIVX4.DLL"}, {"DivX Codec 4.12\t\t(Supported)"}, "100000100"},
        {true, "XviD MPEG-4 Codec\r\n", {}, {"XviD MPEG-4 Codec\t()"}, "000100100"},
        {true, "", {"DIVXA32.ACM"}, {}, "000000000"},
        {false, "DivX 5.0.2\r\n", {"DIVXA32.ACM"}, {}, "000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        World w;
        ProgramState st;
        st.ProgramFolder = "C:\\Marobex";
        if (c.codecExe) w.files[kCodecExe] = "MZ";
        w.files[kList] = "left from an earlier check";
        for (const std::string& dll : c.dlls) w.files[kSystem + dll] = "dll";
        w.created[kSystem + "XVID.DLL"] = k8May2002;
        w.programs.push_back({"Codec.exe", [&w, &c] {
                                  if (c.list.empty()) w.files.erase(kList);
                                  else w.files[kList] = c.list;
                              }});
        Button button;
        const CodecCheckResult r = RunCodecCheck(st, w, w, w, &button);
        EXPECT_EQ(r.lines, c.lines);
        std::string found;
        for (bool f : {r.divx4, r.divx5Pro, r.divx5, r.xvid, r.divx3Low, r.divx3Fast, r.listRead,
                       st.Divx4FourccIsDivx, st.DivxAudioCodecFound})
            found += f ? '1' : '0';
        EXPECT_EQ(found, c.found);
        EXPECT_FALSE(w.FileExists(kList));
        EXPECT_EQ(w.Events({"run("}), c.codecExe ? Lines{"run(0): " + kCodecExe} : Lines{});
        EXPECT_EQ(button.log, (Lines{"Wait Starting Check ...", "disabled", "Check Installed Codec", "enabled"}));
    }
    // A second check starts from an empty list and keeps the audio codec
    // found by the first; the button comes back when the check fails.
    World w;
    ProgramState st;
    st.ProgramFolder = "C:\\Marobex";
    w.files[kCodecExe] = "MZ";
    w.files[kSystem + "DIVXA32.ACM"] = "acm";
    w.programs.push_back({"Codec.exe", [&w] { w.files[kList] = "DivX 5.0.2\r\n"; }});
    EXPECT_EQ(RunCodecCheck(st, w, w, w, nullptr).lines.size(), 2u);
    w.files.erase(kSystem + "DIVXA32.ACM");
    EXPECT_EQ(RunCodecCheck(st, w, w, w, nullptr).lines, Lines{"DivX 5.0.2\t\t(Supported)"});
    EXPECT_TRUE(st.DivxAudioCodecFound);
    w.programs.clear();
    w.programs.push_back({"Codec.exe", [] { throw std::runtime_error("runner failed"); }});
    Button button;
    EXPECT_THROW(RunCodecCheck(st, w, w, w, &button), std::runtime_error);
    EXPECT_EQ(button.log.back(), "enabled");
    EXPECT_EQ(button.caption, "Check Installed Codec");
}
