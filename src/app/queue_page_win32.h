// The fifth tab of the main window, "   Queue   ": saving and opening jobs,
// and the queue of jobs for a night of encoding (source, target, codec,
// passes, state), with buttons to add the job on the window, remove and
// reorder the queued ones and start the queue. The four tabs before it keep
// their layout; the page lies over the tab strip's display area and shows
// while its tab is the selected one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/window_proc_win32.h"
#include "model/form_model.h"
#include "run/job_queue.h"

namespace mb {

// What the page's buttons do, answered by the program.
class QueuePageHandler {
public:
    virtual ~QueuePageHandler() = default;
    virtual void OpenJob() = 0;               // "Open Job..."
    virtual void SaveJob() = 0;               // "Save Job..."
    virtual void AddToQueue() = 0;            // "Add to Queue"
    virtual void RemoveQueuedJob(int index) = 0;       // "Remove"
    virtual void MoveQueuedJob(int index, int by) = 0;  // "Move Up" (-1), "Move Down" (+1)
    virtual void StartQueue() = 0;            // "Start Queue"
    virtual void ShowQueuedJobLog(int /*index*/) {}  // a double-click on a job
};

inline constexpr char QueueTabCaption[] = "   Queue   ";
inline constexpr int QueueTabIndex = 4;

class QueuePageW32 : private FormObserver, private WindowObject {
public:
    enum ControlId : int {
        IDC_QueueOpenJob = 4001,
        IDC_QueueSaveJob,
        IDC_QueueAdd,
        IDC_QueueLabel,
        IDC_QueueList,
        IDC_QueueRemove,
        IDC_QueueUp,
        IDC_QueueDown,
        IDC_QueueStart,
        IDC_QueueNote,
        IDC_QueueState,  // the chosen job's state and reason, whole
    };

    QueuePageW32(FormModel& model, QueuePageHandler& handler);
    ~QueuePageW32() override;
    QueuePageW32(const QueuePageW32&) = delete;
    QueuePageW32& operator=(const QueuePageW32&) = delete;

    // Adds the "Queue" tab to the main tab strip `tabStrip` (a child of
    // `main`) and creates the page over its display area, in `font`.
    bool Create(HWND main, HWND tabStrip, HINSTANCE instance, HFONT font, int dpi);
    HWND Handle() const { return window_; }
    HWND Item(int id) const { return window_ ? GetDlgItem(window_, id) : nullptr; }

    // The queue's rows; `selected` is the row to select (-1 none).
    void SetRows(const std::vector<QueueRow>& rows, int selected = -1);
    // The selected row, -1 when none.
    int Selected() const;

private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTabChanged(TabStrip t) override;
    void UpdateButtons();
    void ShowState();
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    FormModel& model_;
    QueuePageHandler& handler_;
    int dpi_ = 96;
    int rows_ = 0;
    std::vector<std::string> states_;  // each row's state, whole
};

}  // namespace mb
