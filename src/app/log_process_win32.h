// The progress window (frmLogProcess, "Loggin Encoding process"): the queue
// of a run's steps and the encoding log, and below them how far the run has
// come (the running step and its percent, a bar of the whole run, the time
// left, the job of a queue), "Cancel" of the run and "Save Log...". One
// instance serves the whole program: it is created on first use and
// afterwards only shown and hidden; its "Close" button hides it and both
// lists keep their lines.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/window_proc_win32.h"

namespace mb {

inline constexpr char LogProcessCaption[] = "Loggin Encoding process";

class LogProcessWindow : private WindowObject {
public:
    // Control ids, named after the controls.
    enum ControlId : int {
        IDC_Label2 = 2001,  // "Queue :"
        IDC_LstQueue = 2002,
        IDC_Label1 = 2003,  // "Log :"
        IDC_LstLogEncoding = 2004,
        IDC_ChkOnTop = 2005,  // "Always On Top"
        IDC_CmdClose = 2006,  // "Close"
        IDC_LbStep = 2007,    // the running step and its percent
        IDC_PrgRun = 2008,    // the whole run
        IDC_LbRun = 2009,     // the run's percent and time left
        IDC_LbQueueJob = 2010,  // the job of a queue and the queue's time left
        IDC_CmdSaveLog = 2011,  // "Save Log..."
        IDC_CmdCancel = 2012,   // "Cancel": stops the run going on
    };

    LogProcessWindow() = default;
    ~LogProcessWindow() override;

    // Shows the window without making it modal, creating it first when it
    // does not exist yet (on creation: no Close in its system menu, "Always
    // On Top" checked, placed 100 twips from the top and 110 twips from the
    // left of the screen). Paints it at once, so it is up to date even when
    // the caller does not return to its message loop for a while.
    void Show(HINSTANCE instance);
    // Hides the window ("Close" does the same); the lists keep their lines.
    void Hide();
    bool Visible() const;
    // The window, or null before it is first needed (and after Destroy).
    HWND Handle() const { return window_; }
    // Ends the window; the next use creates a new one (with "Always On Top"
    // checked again). Called when the program ends.
    void Destroy();

    // The two lists. Used before the window is first shown, they create it
    // hidden. A new log line scrolls the list to it when the list showed the
    // end before; a user who scrolled back to read is left where he is.
    void ClearLog();
    void AppendLog(const std::string& line);
    void ClearQueue();
    void AddQueueEntry(const std::string& entry);
    void RemoveFirstQueueEntry();

    // The lines of the lists as shown (empty while the window does not exist).
    std::vector<std::string> LogLines() const;
    std::vector<std::string> QueueLines() const;

    // How far the run has come: the step's text, the run's percent (for the
    // bar) and text, the queue's text (empty outside a queue).
    void SetProgress(const std::string& step, int runPercent, const std::string& run, const std::string& queue);
    void ClearProgress() { SetProgress("", 0, "", ""); }
    std::string ProgressText(int id) const;
    int RunBarPosition() const;

    // "Save Log...": asks the program for a file and writes the log there.
    std::function<void()> onSaveLog;
    // "Cancel", enabled only while a run can be cancelled.
    std::function<void()> onCancel;
    void SetCancelEnabled(bool enabled);

    // An encoder's status window has come up: it is put beside this window,
    // and this one stays above it while "Always On Top" is checked.
    void KeepClearOf(HWND status);

    // For the message loop of the program: keyboard navigation between the
    // window's controls (Tab, Space, Enter). True when the message was used.
    bool TranslateDialogMessage(MSG& message);

private:
    void Load(HINSTANCE instance);
    void LoadIfNeeded();
    void LayOut();
    void SetOnTop(bool checked);
    void OnTopClick();
    void AddLine(int listId, const std::string& line, bool followEnd);
    void WidenFor(HWND list, const std::string& line);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HFONT uiFont_ = nullptr;   // labels, buttons, the queue
    HFONT logFont_ = nullptr;  // Verdana 8.25 pt for the log
};

}  // namespace mb
