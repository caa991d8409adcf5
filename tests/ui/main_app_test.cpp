// The whole program around the main window, over in-memory ports: the
// start-up order, the codec check on the window, a run with the tray icon
// and the progress window, and the exit that closes every window.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>

#include "app/app_win32.h"
#include "main_test_support.h"
#include "run/tray_win32.h"

namespace mb::test {
namespace {

constexpr char kFolder[] = "C:\\Marobex";
constexpr char kVirtualDub[] = "C:\\VD\\VirtualDub.exe";

// Every port of the program, writing down what it is asked in one list.
struct Environment : MessagePort, ProcessPort, RegistryPort, ProfilePort, FilePort, LocalePort, ClockPort,
                     ShutdownPort, SystemInfoPort {
    std::vector<std::string> events;
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> ini;  // key -> value of section PATH
    // What a program does while it is waited for, by a part of its command line.
    std::vector<std::pair<std::string, std::function<void()>>> programs;
    std::function<void()> onRegistry;  // runs at each registry change
    std::int64_t now = 0;

    std::size_t Index(const std::string& prefix) const {
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i].rfind(prefix, 0) == 0) return i;
        return events.size();
    }
    int Count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(),
                                              [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
    }

    void ShowMessage(const std::string& text, MessageIcon) override { events.push_back("message: " + text); }
    void ShellAndWait(const std::string& commandLine, int style) override {
        events.push_back("run(" + std::to_string(style) + "): " + commandLine);
        for (auto& [key, action] : programs)
            if (commandLine.find(key) != std::string::npos) action();
    }
    void StartProcess(const std::string& commandLine, int style) override {
        events.push_back("start(" + std::to_string(style) + "): " + commandLine);
    }
    void SetRegistryDword(const std::string& key, const std::string& name, std::int32_t value) override {
        events.push_back("registry set: " + key + "\\" + name + "=" + std::to_string(value));
    }
    void DeleteRegistryKey(const std::string& key) override {
        events.push_back("registry delete: " + key);
        if (onRegistry) onRegistry();
    }
    std::string ReadIniValue(const std::string&, const std::string& key, const std::string& file) override {
        events.push_back("ini read: " + key + " from " + file);
        return ini[key];
    }
    void WriteIniValue(const std::string&, const std::string& key, const std::string&, const std::string&) override {
        events.push_back("ini write: " + key);
    }
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    std::int64_t FileSize(const std::string& path) override {
        const auto it = files.find(path);
        return it == files.end() ? -1 : static_cast<std::int64_t>(it->second.size());
    }
    bool WriteFile(const std::string& path, std::string_view bytes, std::string&) override {
        files[path] = std::string(bytes);
        events.push_back("write: " + path);
        return true;
    }
    bool DeleteFile(const std::string& path) override {
        events.push_back("delete: " + path);
        return files.erase(path) > 0;
    }
    bool ReadLines(const std::string& path, std::vector<std::string>& lines) override {
        const auto it = files.find(path);
        if (it == files.end()) return false;
        lines.clear();
        std::string line;
        for (char ch : it->second) {
            if (ch == '\n') {
                lines.push_back(line);
                line.clear();
            } else if (ch != '\r') {
                line += ch;
            }
        }
        return true;
    }
    std::string SystemDirectory() override { return "C:\\windows\\system32"; }
    bool FileVersion(const std::string& path, std::string& version) override {
        if (path != kVirtualDub) return false;
        version = "1.4.10.0";
        return true;
    }
    bool FileCreationTime(const std::string&, std::uint64_t&) override { return false; }
    NumberFormat UserNumberFormat() override { return {}; }
    std::string DateSeparator() override { return "/"; }
    std::int64_t NowSeconds() override { return now += 5; }
    bool ShutdownSystem(std::int32_t flags) override {
        events.push_back("shutdown " + std::to_string(flags));
        return true;
    }
    void GetOsVersionInfo(OsVersionInfo& info) override { info = {2, "Windows XP", "5.1", "", "2600"}; }
};

// Writes down, in order, the windows of this thread that are destroyed.
class DestroyedWindows {
public:
    DestroyedWindows() : hook_(SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId())) { current_ = this; }
    ~DestroyedWindows() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    DestroyedWindows(const DestroyedWindows&) = delete;
    DestroyedWindows& operator=(const DestroyedWindows&) = delete;

    // The given windows in the order they went.
    std::vector<HWND> Among(std::initializer_list<HWND> windows) const {
        std::vector<HWND> out;
        for (HWND w : order_)
            if (std::find(windows.begin(), windows.end(), w) != windows.end()) out.push_back(w);
        return out;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_DESTROYWND && current_) current_->order_.push_back(reinterpret_cast<HWND>(wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline DestroyedWindows* current_ = nullptr;
    HHOOK hook_;
    std::vector<HWND> order_;
};

// The program over the environment, with Codec.exe finding DivX 5 Pro,
// XviD and DivX 3, and the settings file naming VirtualDub.
struct Program {
    Environment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<MarobexApp> app;

    Program() {
        env.files[std::string(kFolder) + "\\Marobex.ini"] = "";
        env.files[std::string(kFolder) + "\\Codec.exe"] = "";
        env.files[kVirtualDub] = "";
        env.ini = {{"VirtualDubPath", kVirtualDub}, {"NanDubPath", "C:\\ND\\NanDub.exe"}, {"BesweetPath", "C:\\BS\\BeSweet.exe"}};
        env.programs.push_back({"Codec.exe", [this] {
                                    env.files["c:\\Marobex_Codecs.txt"] =
                                        "DivX Pro 5.0.2 Codec\r\nXviD MPEG-4 Codec\r\nDivX ;-) MPEG-4 Low-Motion\r\n";
                                }});
    }
    ~Program() { TakeQuitMessage(); }

    bool Start(int show = SW_HIDE) {
        app = std::make_unique<MarobexApp>(AppPorts{env, env, env, env, env, env, env, env, env, dialogs});
        AppOptions options;
        options.programFolder = kFolder;
        options.showCommand = show;
        const bool started = app->Start(GetModuleHandleA(nullptr), options);
        Pump();  // the codec check, once the window is up
        return started;
    }
    HWND Main() { return app->Window().Handle(); }
    HWND Item(int id) { return app->Window().Item(id); }
    void Click(int id) {
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        Pump();
    }
};

TEST(MainProgram, StartsUpInItsOrder) {
    Program p;
    struct AtCheck {
        std::string caption;
        bool buttonEnabled = true, mainShown = false, codecsEnabled = true;
        int codec = -2;
        std::string list;
    } atCheck;
    int registryChanges = 0;
    bool externalLoadedAtRegistry = false, externalShown = true;
    p.env.onRegistry = [&] {
        if (registryChanges++ > 0) return;
        externalLoadedAtRegistry = p.app->ExternalApp().Loaded();
        externalShown = IsWindowVisible(p.app->ExternalApp().Handle()) != FALSE;
    };
    p.env.programs.push_back({"Codec.exe", [&] {
                                  HWND button = p.Item(IDC_CmdCheckCodec);
                                  char first[128] = "";
                                  SendMessageA(p.Item(IDC_LstCodecFound), LB_GETTEXT, 0,
                                               reinterpret_cast<LPARAM>(first));
                                  atCheck = {WindowTextOf(button), IsWindowEnabled(button) != FALSE,
                                             Shown(p.Main()),
                                             IsWindowEnabled(p.app->Window().ControlWindow(Ctl::OptCodec, 0)) != FALSE,
                                             p.app->Model().Value(Ctl::OptCodec), first};
                              }});
    ASSERT_TRUE(p.Start(SW_SHOWNOACTIVATE));
    const Environment& env = p.env;

    // Tool paths, with the External Program Location window loaded hidden;
    // the controls' start values; the registry; the codec check; shown.
    const std::size_t paths = env.Index("ini read: BesweetPath from C:\\Marobex\\Marobex.ini");
    const std::size_t registry = env.Index("registry delete: Software\\DivXNetworks\\DivX4Windows");
    const std::size_t codecs = env.Index("run(0): C:\\Marobex\\Codec.exe");
    ASSERT_LT(codecs, env.events.size());
    EXPECT_LT(paths, registry);
    EXPECT_LT(registry, codecs);
    EXPECT_TRUE(externalLoadedAtRegistry);
    EXPECT_FALSE(externalShown);
    char box[MAX_PATH] = "";
    GetDlgItemTextA(p.app->ExternalApp().Handle(), ExternalAppWindow::IDC_txtVirtualDub, box, MAX_PATH);
    EXPECT_STREQ(box, kVirtualDub);
    EXPECT_EQ(env.Count("message: "), 0);

    EXPECT_EQ(atCheck.caption, "Wait Starting Check ...");
    EXPECT_FALSE(atCheck.buttonEnabled);
    // The window is up first; the codec choices wait for the check.
    EXPECT_TRUE(atCheck.mainShown);
    EXPECT_FALSE(atCheck.codecsEnabled);
    EXPECT_EQ(atCheck.list, CodecCheckRunningLine);
    EXPECT_EQ(atCheck.codec, 0);  // the start values are in place before the check

    EXPECT_EQ(WindowTextOf(p.Item(IDC_CmdCheckCodec)), "Check Installed Codec");
    EXPECT_TRUE(IsWindowEnabled(p.Item(IDC_CmdCheckCodec)));
    EXPECT_TRUE(IsWindowVisible(p.Main()));

    const auto lines = [&](int id) {
        std::vector<std::string> out;
        const int count = static_cast<int>(SendMessageA(p.Item(id), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[256] = "";
            SendMessageA(p.Item(id), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            out.emplace_back(text);
        }
        return out;
    };
    EXPECT_EQ(lines(IDC_LstCodecFound), (std::vector<std::string>{"DivX Pro 5.0.2 Codec\t(Supported)",
                                                                  "XviD MPEG-4 Codec\t()",
                                                                  "DivX ;-) MPEG-4 Low-Motion\t(Supported)"}));
    EXPECT_EQ(lines(IDC_LstExternalApp),
              (std::vector<std::string>{"VirtualDub v1.4.10\t\tFound", "NanDub\t\t\tFound", "BeSweet\t\t\tFound"}));
    // DivX 4 was not found: its choice is gone; the others stay.
    HWND divx4 = p.app->Window().ControlWindow(Ctl::OptCodec, 1);
    EXPECT_FALSE(IsWindowEnabled(divx4));
    EXPECT_TRUE(IsWindowEnabled(p.app->Window().ControlWindow(Ctl::OptCodec, 3)));
    EXPECT_EQ(p.app->Model().Value(Ctl::OptCodec), 0);
    EXPECT_EQ(p.app->State().ProgramFolder, kFolder);
    EXPECT_EQ(p.app->State().VirtualDubPath, kVirtualDub);
}

TEST(MainProgram, ACheckThatCouldNotReadAListLeavesTheCodecChoices) {
    Program p;
    p.env.files.erase(std::string(kFolder) + "\\Codec.exe");
    p.env.files.erase(std::string(kFolder) + "\\Marobex.ini");
    ASSERT_TRUE(p.Start());
    for (int b = 0; b < 4; ++b)
        EXPECT_TRUE(IsWindowEnabled(p.app->Window().ControlWindow(Ctl::OptCodec, b))) << b;
    EXPECT_EQ(p.app->Model().Value(Ctl::OptCodec), 0);
    EXPECT_EQ(SendMessageA(p.Item(IDC_LstCodecFound), LB_GETCOUNT, 0, 0), 0);
    // Without a settings file: no tool list, no External Program Location window.
    EXPECT_EQ(SendMessageA(p.Item(IDC_LstExternalApp), LB_GETCOUNT, 0, 0), 0);
    EXPECT_FALSE(p.app->ExternalApp().Loaded());
}

TEST(MainProgram, TheCheckButtonChecksAgain) {
    Program p;
    ASSERT_TRUE(p.Start());
    p.env.files["C:\\windows\\system32\\DIVXA32.ACM"] = "";
    p.Click(IDC_CmdCheckCodec);
    EXPECT_EQ(p.env.Count("run(0): C:\\Marobex\\Codec.exe"), 2);
    EXPECT_EQ(SendMessageA(p.Item(IDC_LstCodecFound), LB_GETCOUNT, 0, 0), 4);
    EXPECT_TRUE(p.app->State().DivxAudioCodecFound);
    EXPECT_EQ(WindowTextOf(p.Item(IDC_CmdCheckCodec)), "Check Installed Codec");
}

TEST(MainProgram, ChangeApplicationPathShowsTheExternalProgramWindowAndExitClosesAll) {
    Program p;
    ASSERT_TRUE(p.Start());
    HWND external = p.app->ExternalApp().Handle();  // loaded hidden at start-up
    ASSERT_NE(external, nullptr);
    p.Click(IDC_CmdChangePath);
    EXPECT_EQ(p.app->ExternalApp().Handle(), external);
    EXPECT_TRUE(IsWindowVisible(external));
    // The icon's double-click opens the progress window.
    SendMessageA(p.Main(), TrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    HWND progress = p.app->Progress().Handle();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(p.app->Progress().Visible());
    const std::size_t before = p.env.events.size();

    DestroyedWindows destroyed;
    HWND main = p.Main();
    p.Click(IDC_cmdExit);
    // The other windows go first, the last opened first, then the main window.
    EXPECT_EQ(destroyed.Among({main, progress, external}), (std::vector<HWND>{progress, external, main}));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_FALSE(IsWindow(external));
    // Nothing is written anywhere.
    EXPECT_EQ(p.env.events.size(), before);
    EXPECT_EQ(p.app->Run(), 0);  // the program's loop ends at once
}

TEST(MainProgram, TheCloseBoxEndsTheProgramToo) {
    Program p;
    ASSERT_TRUE(p.Start());
    SendMessageA(p.Main(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(p.Main()));
    EXPECT_FALSE(p.app->ExternalApp().Loaded());
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(MainProgram, ARunHidesTheWindowBehindTheTrayIcon) {
    Program p;
    ASSERT_TRUE(p.Start());
    p.dialogs.answers = {"C:\\v\\movie.avs"};
    p.env.files["C:\\v\\movie.avs"] = "";
    p.Click(IDC_cmdBrowseSrc);

    struct During {
        bool mainShown = true, trayShown = false, progressShown = false;
        bool shownAfterClick = true, shownAfterDoubleClick = false;
        std::vector<std::string> queue;
    } during;
    LogProcessWindow& progress = p.app->Progress();
    p.env.programs.push_back({"VirtualDub.exe", [&] {
                                  p.env.files["C:\\v\\movie.avi"] = "encoded";  // the encoder's result
                                  during.mainShown = Shown(p.Main());
                                  during.trayShown = p.app->Tray()->IsShown();
                                  during.progressShown = progress.Visible();
                                  during.queue = progress.QueueLines();
                                  // The user closes the progress window; the icon's
                                  // notices reach the hidden main window.
                                  progress.Hide();
                                  SendMessageA(p.Main(), TrayCallbackMessage, 1, WM_LBUTTONDOWN);
                                  during.shownAfterClick = progress.Visible();
                                  SendMessageA(p.Main(), TrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
                                  during.shownAfterDoubleClick = progress.Visible();
                              }});
    p.Click(IDC_cmdStartEncode);

    EXPECT_EQ(p.env.Count("run(0): C:\\VD\\VirtualDub.exe"), 1);
    EXPECT_FALSE(during.mainShown);
    EXPECT_TRUE(during.trayShown);
    EXPECT_TRUE(during.progressShown);
    EXPECT_FALSE(during.shownAfterClick);
    EXPECT_TRUE(during.shownAfterDoubleClick);
    EXPECT_FALSE(during.queue.empty());
    EXPECT_FALSE(progress.LogLines().empty());
    // At the end the icon goes and the main window comes back.
    EXPECT_FALSE(p.app->Tray()->IsShown());
    EXPECT_TRUE(Shown(p.Main()));
    EXPECT_EQ(p.env.Count("message: "), 0);
}

TEST(MainProgram, ARefusedRunOnlyTellsWhy) {
    Program p;
    ASSERT_TRUE(p.Start());
    p.Click(IDC_cmdStartEncode);
    EXPECT_EQ(p.env.Count("message: Cannot find source file"), 1);
    EXPECT_EQ(p.env.Count("run("), 1);  // the codec check at start-up only
    EXPECT_EQ(p.app->Progress().Handle(), nullptr);
    EXPECT_FALSE(p.app->Tray()->IsShown());
}

}  // namespace
}  // namespace mb::test
