// Shared pieces of the window tests: a model with the main window over it,
// dialogs that answer with chosen paths, the check that the window shows
// what the model says, layout checks and screenshots.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "model/form_model.h"
#include "app/app_win32.h"
#include "app/main_window_win32.h"
#include "app/resource.h"
#include "app/screenshot_win32.h"

namespace mb::test {

// Delivers every waiting message.
inline void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// True (and the message taken) when WM_QUIT is waiting.
inline bool TakeQuitMessage() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// Answers each dialog with the next path of `answers` ("" = cancelled) and
// writes down what it was asked: "open|title|filter|folder".
struct ScriptedDialogs : BrowseDialogs {
    std::vector<std::string> answers, asked;
    std::string Answer(const std::string& question) {
        asked.push_back(question);
        if (answers.empty()) return "";
        std::string path = answers.front();
        answers.erase(answers.begin());
        return path;
    }
    std::string OpenFile(HWND, const std::string& filter, const std::string& title, const std::string& folder) override {
        return Answer("open|" + title + "|" + filter + "|" + folder);
    }
    std::string SaveFile(HWND, const std::string& filter, const std::string& title, const std::string& folder) override {
        return Answer("save|" + title + "|" + filter + "|" + folder);
    }
    std::string ChooseFolder(HWND, const std::string& title, const std::string& folder) override {
        return Answer("folder|" + title + "|" + folder);
    }
};

struct CountingHandler : MainWindowHandler {
    int destroyed = 0;
    void MainWindowDestroyed() override { ++destroyed; }
};

// The codec check as it ends on a system with every supported codec.
inline CodecCheckResult EveryCodec() {
    CodecCheckResult result;
    result.divx4 = result.divx5Pro = result.xvid = result.divx3Low = result.divx3Fast = true;
    return result;
}

// A started model with the main window over it. The window is shown only
// when asked: under a virtual display without a window manager, hiding or
// destroying a shown window costs seconds.
struct WindowUnderTest {
    ProgramState state;
    FormModel model{state};
    ScriptedDialogs dialogs;
    CountingHandler handler;
    std::unique_ptr<MainWindowW32> window;

    // inSteps: made as the program starts: the frame, the model's start
    // values, the first tab's controls, then the others.
    explicit WindowUnderTest(bool show = false, int dpi = 0, CodecCheckResult codecs = EveryCodec(),
                             bool inSteps = false) {
        state.ProgramFolder = "C:\\Marobex";
        window = std::make_unique<MainWindowW32>(model, state, dialogs, handler);
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        if (!(inSteps ? window->CreateFrame(instance, dpi) : window->Create(instance, dpi))) return;
        StartupSteps steps;
        steps.checkInstalledCodecs = [this, codecs] { model.ApplyCodecCheck(codecs, true); };
        model.RunStartup(steps);
        if (inSteps) window->CreateControls(MainWindowW32::Controls::SelectedPage);
        if (show) ShowWindow(window->Handle(), SW_SHOWNORMAL);
        Pump();
    }
    HWND Handle() const { return window->Handle(); }
    HWND Item(int id) const { return window->Item(id); }
    HWND Of(Ctl c, int button = 0) const { return window->ControlWindow(c, button); }

    // User actions, as the controls send them.
    void Click(HWND button) {
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump();
    }
    void Click(Ctl c, int button = 0) { Click(Of(c, button)); }
    void ChooseEntry(Ctl list, int index) {
        HWND combo = Of(list);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        Pump();
    }
    // Replaces the box's text by typing, as the keyboard would.
    void Type(Ctl text, const char* value) {
        HWND edit = Of(text);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, WM_CLEAR, 0, 0);
        for (const char* p = value; *p; ++p) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(*p), 1);
        Pump();
    }
    void Slide(Ctl slider, int position) {
        HWND bar = Of(slider);
        SendMessageA(bar, TBM_SETPOS, TRUE, position);
        SendMessageA(Handle(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(bar));
        Pump();
    }
    void SelectTab(int stripId, int tab) {
        HWND strip = Item(stripId);
        SendMessageA(strip, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
        NMHDR header{strip, static_cast<UINT_PTR>(stripId), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(Handle(), WM_NOTIFY, static_cast<WPARAM>(stripId), reinterpret_cast<LPARAM>(&header));
        Pump();
    }
};

// The whole program over the shared fakes, its program folder C:\Marobex,
// shown only when asked; Start returns once the start-up has ended.
struct ProgramUnderTest {
    static constexpr char kFolder[] = "C:\\Marobex";
    fakes::World& world;
    ScriptedDialogs dialogs;
    AppOptions options;
    std::unique_ptr<MarobexApp> app;

    explicit ProgramUnderTest(fakes::World& w) : world(w) { options.programFolder = kFolder; }
    ~ProgramUnderTest() {
        if (app && app->Window().Handle()) DestroyWindow(app->Window().Handle());
        TakeQuitMessage();
    }
    // Marobex.ini names VirtualDub 1.4.10 at C:\VD\VirtualDub.exe.
    void NameVirtualDub() {
        const std::string ini = std::string(kFolder) + "\\Marobex.ini";
        world.files[ini] = "";
        world.files[kVirtualDub] = "";
        world.versions[kVirtualDub] = "1.4.10.0";
        world.ini[fakes::World::Slot("PATH", "VirtualDubPath", ini)] = kVirtualDub;
    }
    static constexpr char kVirtualDub[] = "C:\\VD\\VirtualDub.exe";
    bool Start(int show = SW_HIDE) {
        fakes::World& w = world;
        app = std::make_unique<MarobexApp>(AppPorts{w, w, w, w, w, w, w, w, w, dialogs});
        options.showCommand = show;
        const bool started = app->Start(GetModuleHandleA(nullptr), options);
        Pump();
        return started;
    }
    HWND Main() { return app->Window().Handle(); }
    HWND Item(int id) { return app->Window().Item(id); }
    void Click(HWND button) {
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump();
    }
    void Click(int id) { Click(Item(id)); }
    // The lines of a list box.
    std::vector<std::string> Listed(int id) {
        std::vector<std::string> out;
        const int count = static_cast<int>(SendMessageA(Item(id), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[256] = "";
            SendMessageA(Item(id), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            out.emplace_back(text);
        }
        return out;
    }
};

// The state column of the Queue tab, as the user reads it.
inline std::vector<std::string> QueueStates(MarobexApp& app) {
    std::vector<std::string> states;
    HWND list = app.QueuePage().Item(QueuePageW32::IDC_QueueList);
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        LVITEMA item{};
        item.iSubItem = 4;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        states.emplace_back(text);
    }
    return states;
}

inline std::string WindowTextOf(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}
// Whether the window itself is set to be shown (its parent may be hidden).
inline bool Shown(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Every settings control of the window agrees with the model: value,
// enabled and visible state (the tab, codec panel and inner tab it is on
// worked out from its frame), the value labels, the browse buttons the rules
// lock, the selected tabs and the colour of the path boxes.
void ExpectWindowMatchesModel(const WindowUnderTest& w);

// Every visible child must lie inside the client area, and no two may
// overlap, except a control that lies wholly inside a group box.
// Returns the faults found, one line each.
inline std::vector<std::string> LayoutFaults(HWND window) {
    struct Child {
        HWND handle;
        RECT rect;
        bool groupBox;
    };
    std::vector<Child> children;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        char className[32] = "";
        GetClassNameA(c, className, sizeof className);
        const bool groupBox = lstrcmpiA(className, "Button") == 0 &&
                              (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        children.push_back({c, r, groupBox});
    }
    RECT client;
    GetClientRect(window, &client);
    std::vector<std::string> faults;
    auto name = [](const Child& c) {
        return std::to_string(GetDlgCtrlID(c.handle)) + " \"" + WindowTextOf(c.handle) + "\"";
    };
    for (std::size_t i = 0; i < children.size(); ++i) {
        const RECT& r = children[i].rect;
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            faults.push_back(name(children[i]) + " outside the client area");
        if (r.right <= r.left || r.bottom <= r.top) faults.push_back(name(children[i]) + " has no size");
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            RECT overlap;
            if (!IntersectRect(&overlap, &r, &children[j].rect)) continue;
            // A control inside a group box lies wholly inside it.
            if (children[i].groupBox != children[j].groupBox) {
                const RECT& inner = children[i].groupBox ? children[j].rect : r;
                if (EqualRect(&overlap, &inner)) continue;
            }
            faults.push_back(name(children[i]) + " overlaps " + name(children[j]));
        }
    }
    return faults;
}

// What keeps the control's text from fitting on one line in its font and
// width ("" when it fits), naming the font the system measured it with; the
// control's own text unless another is given (a list entry). An "&" marks a
// mnemonic and takes no room.
inline std::string TextFault(HWND control, int padding, std::string text = "") {
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    if (text.empty()) text = WindowTextOf(control);
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    LOGFONTA asked{};
    GetObjectA(font, sizeof asked, &asked);
    if (old) SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT r;
    GetClientRect(control, &r);
    if (size.cx + padding <= r.right && metrics.tmHeight <= r.bottom) return "";
    return "\"" + text + "\" is " + std::to_string(size.cx) + " x " + std::to_string(metrics.tmHeight) +
           " px in the font \"" + face + "\" (asked for \"" + asked.lfFaceName + "\"), the room " +
           std::to_string(r.right - padding) + " x " +
           std::to_string(r.bottom) + " px";
}

// Saves the window as screenshots\<name>.bmp in the working folder (the
// build folder under CTest), for a person to look at.
inline bool SaveWindowShot(HWND window, const std::string& name) {
    CreateDirectoryA("screenshots", nullptr);
    return SaveWindowScreenshot(window, "screenshots\\" + name + ".bmp");
}


}  // namespace mb::test
