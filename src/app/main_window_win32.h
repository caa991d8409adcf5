// frmMain: the main window, a view of the form model. Every change of the
// model is mirrored into the controls at once (value, enabled and visible
// state, labels, colours, panels, tabs); every user action on a control goes
// to the model's setters. Updating a control from the model never comes back
// as a user action.
//
// Every control is a child of the main window itself: the tab pages and the
// codec panels are laid over their tab strips, and the window shows the
// controls of the selected tab, panel and inner tab only.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "model/form_model.h"
#include "jobs/source_facts.h"
#include "app/main_layout_win32.h"
#include "app/window_proc_win32.h"

namespace mb {

// The dialogs behind the browse buttons; tests answer them without showing
// a dialog. Each returns the chosen path, or empty text when cancelled.
// filter: "Text (*.ext)|*.ext|..." pairs.
class BrowseDialogs {
public:
    virtual ~BrowseDialogs() = default;
    virtual std::string OpenFile(HWND owner, const std::string& filter, const std::string& title,
                                 const std::string& initialFolder) = 0;
    virtual std::string SaveFile(HWND owner, const std::string& filter, const std::string& title,
                                 const std::string& initialFolder) = 0;
    virtual std::string ChooseFolder(HWND owner, const std::string& title,
                                     const std::string& startFolder) = 0;
};

// The system's own dialogs: the common open and save dialogs and the shell's
// folder browser.
class SystemBrowseDialogs : public BrowseDialogs {
public:
    std::string OpenFile(HWND owner, const std::string& filter, const std::string& title,
                         const std::string& initialFolder) override;
    std::string SaveFile(HWND owner, const std::string& filter, const std::string& title,
                         const std::string& initialFolder) override;
    std::string ChooseFolder(HWND owner, const std::string& title, const std::string& startFolder) override;
};

// What the main window's buttons do beyond the form, answered by the
// program that owns the window.
class MainWindowHandler {
public:
    virtual ~MainWindowHandler() = default;
    virtual void CheckInstalledCodecs() {}   // "Check Installed Codec"
    virtual void ChangeApplicationPath() {}  // "Change Application Path"
    virtual void StartEncode() {}            // "&Start Encode"
    // The main window is closing ("E&xit" or the close box) and about to be
    // destroyed.
    virtual void MainWindowClosing() {}
    // The main window is being destroyed.
    virtual void MainWindowDestroyed() {}
    // Any other message of the main window (the tray icon's notifications);
    // true when handled.
    virtual bool HandleMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }
};

// The texts of the browse dialogs.
inline constexpr char SourceFilter[] = "Avisynth File (*.avs)|*.avs|Video File (*.avi)|*.avi";
inline constexpr char SourceTitle[] = "Choose Source File";
inline constexpr char TargetFilter[] = "Video File (*.avi)|*.avi";
inline constexpr char TargetTitle[] = "Choose Destination File";
inline constexpr char TempFolderTitle[] = "Choose a Tempory Directory";
inline constexpr char TempFolderStart[] = "c:\\";
inline constexpr char AudioFilter[] = "AC3 Audio Stream (*.ac3)|*.ac3|MPEG-2 Audio Stream (*.mpa)|*.mpa";
inline constexpr char AudioTitle[] = "Choose Audio Source File";
inline constexpr char MainWindowTitle[] = "Marobex";

class MainWindowW32 : private FormObserver, private WindowObject {
public:
    // The window observes `model` from its creation on; `state` gives the
    // program folder the file dialogs open in. All of them must outlive the
    // window.
    MainWindowW32(FormModel& model, const ProgramState& state, BrowseDialogs& dialogs,
                  MainWindowHandler& handler);
    ~MainWindowW32() override;
    MainWindowW32(const MainWindowW32&) = delete;
    MainWindowW32& operator=(const MainWindowW32&) = delete;

    // Creates the window, hidden, with every control showing the model's
    // state. dpi: the scale of the layout; 0 takes the system's. The client
    // area is 10170 x 8265 twips at that DPI.
    bool Create(HINSTANCE instance, int dpi = 0);

    // The same in steps, so that the window can show before all of its
    // controls are made: CreateFrame makes the frame alone (observing the
    // model from then on); CreateControls makes the controls not made yet,
    // those of the selected main tab or all of them, each showing the
    // model's state.
    enum class Controls { SelectedPage, All };
    bool CreateFrame(HINSTANCE instance, int dpi = 0);
    void CreateControls(Controls which);
    HWND Handle() const { return window_; }
    int Dpi() const { return dpi_; }

    // A control by its id (resource.h), or a settings control (the given
    // button of an option group); null while it is not made.
    HWND Item(int id) const;
    HWND ControlWindow(Ctl c, int button = 0) const;

    // Whether the layout item should be visible now, as the model says
    // (the tab, panel and inner tab it is on, and the control's own state).
    bool ShouldShow(const LayoutItem& item) const;

    // The lists of the Input tab.
    void SetCodecList(const std::vector<std::string>& lines);
    void SetExternalAppList(const std::vector<std::string>& lines);

    // Keyboard navigation for a message of the thread's loop: Ctrl+Tab and
    // Ctrl+Shift+Tab switch the main tabs; Tab, the arrows and the "&"
    // accelerators move as in a dialog. True when the message was used.
    bool PreTranslateMessage(MSG& message);

    // What the source is (read from its headers when it is chosen) and what
    // the codec panels' numbers give for it, as the labels show them.
    const SourceFacts& Facts() const { return facts_; }

    // The browse buttons, as a click runs them.
    void BrowseSource();
    void BrowseTarget();
    void BrowseTempFolder();
    void BrowseStream1();
    void BrowseStream2();

private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override;
    void OnCommand(int id, int code, HWND control);
    void OnSlider(HWND control);
    void OnTabSelected(HWND tab);
    HBRUSH OnControlColour(HDC dc, HWND control);

    bool HasAllControls() const;
    void CreateItems(Controls which);
    HWND CreateItem(const LayoutItem& item);
    int Scale(int layoutPixels) const;

    // Mirroring: the guard is set while the window updates its controls, so
    // the notifications they send are not taken for user actions.
    class Mirroring;
    void SyncAll();
    void MirrorValue(Ctl c);
    void MirrorEnabled(Ctl c);
    void MirrorTabs();
    void MirrorCommands();
    void MirrorLabel(Label l);
    void ApplyVisibility();

    // The labels of the source's facts and of the sizes (source_labels_win32.cpp).
    void UpdateFactLabels(Ctl changed);

    // FormObserver
    void OnValueChanged(Ctl c) override;
    void OnEnabledChanged(Ctl c) override;
    void OnButtonChanged(Ctl group, int button) override;
    void OnBackColourChanged(Ctl c) override;
    void OnLabelChanged(Label l) override;
    void OnPanelChanged(Panel p) override;
    void OnTabChanged(TabStrip t) override;
    void OnCommandChanged(Command b) override;

    FormModel& model_;
    const ProgramState& state_;
    BrowseDialogs& dialogs_;
    MainWindowHandler& handler_;
    HFONT font_ = nullptr;
    int dpi_ = 96;
    int mirroring_ = 0;
    std::unordered_map<int, HWND> items_;  // the controls made, by id
    std::vector<std::string> codecLines_, externalAppLines_;  // the lists' lines
    HWND lastFocus_ = nullptr;  // the control that had the focus when the window was left
    HBRUSH windowBrush_ = nullptr;  // the system's colours, not to be deleted
    HBRUSH light3dBrush_ = nullptr;
    SourceFacts facts_;
    std::string factsSource_;  // the path facts_ were read from
};

}  // namespace mb
