// The headless main window: timers and posted calls pumped on the window's thread, message
// boxes answered from a queue, pop-up menus chosen in advance, modal dialogs run by drivers, and
// the mouse gestures between lists.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/window/headless/headless_dialog.h"
#include "platform/window/headless/headless_window_base.h"
#include "platform/window/window.h"

namespace headless {

struct BoxRecord {
    std::string text;
    win::Buttons buttons;
    win::Icon icon;
    int answer;
};

struct MenuRecord {
    int menuId;
    std::set<int> disabled;
    int chosen;
};

class HeadlessMainWindow final : public HeadlessWindowBase, public win::IMainWindow {
public:
    HeadlessMainWindow();
    ~HeadlessMainWindow() override;

    // IMainWindow
    void SetHandler(win::IMessageHandler* handler) override;
    bool IsMinimized() const override;
    win::Rect GetPrimaryWorkArea() const override;
    void Resize(int width, int height) override;
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    int TrackPopupMenu(int menuId, const std::set<int>& disabledCommands, int x, int y) override;
    int RunModal(int templateId, win::IDialogLogic& logic) override;
    void Post(std::function<void()> fn) override;
    bool OpenWithShell(const std::string& path) override;
    void SetCursor(int cursorId) override;
    void CaptureMouse(int listId) override;
    void ReleaseMouse() override;
    void BringToForeground() override;
    void Destroy() override;
    win::IMessageHandler* Handler() override { return m_handler; }

    // Test and script controls
    void SetMinimized(bool minimized) { m_minimized = minimized; }
    // What the window system does once the window's initialisation is over: a window that was
    // not moved is centred in the work area.
    void CentreIfNotMoved();
    void SetWorkArea(const win::Rect& area) { m_workArea = area; }
    // Answers for the next message boxes (kAnswer*); an empty queue answers a question with
    // the default answer and an OK box with OK.
    void QueueAnswer(int answer);
    void SetDefaultAnswer(int answer) { m_defaultAnswer = answer; }
    // The command the next pop-up menu chooses (0 = none).
    void QueueMenuChoice(int command);
    void ClearMenuChoices();
    // Drives the next modal dialog; without one a dialog ends with Cancel.
    using DialogDriver = std::function<void(HeadlessDialog&)>;
    void QueueDialogDriver(DialogDriver driver);
    void SetDefaultDialogDriver(DialogDriver driver) { m_defaultDriver = std::move(driver); }
    HeadlessDialog* OpenDialog() { return m_openDialog; }

    std::vector<BoxRecord> Boxes() const;
    std::vector<MenuRecord> Menus() const;
    std::vector<std::string> ShellOpens() const;
    void SetBoxObserver(std::function<void(const BoxRecord&)> fn) { m_boxObserver = std::move(fn); }
    void SetLogObserver(std::function<void(const std::string&)> fn) {
        m_logObserver = std::move(fn);
    }
    void SetShellResult(bool ok) { m_shellResult = ok; }
    void SetShellObserver(std::function<void(const std::string&)> fn) {
        m_shellObserver = std::move(fn);
    }
    bool TimerRunning(int id) const;
    int Cursor() const { return m_cursor; }
    int CapturedList() const { return m_capturedList; }
    bool Destroyed() const { return m_destroyed; }

    // The clock the timers and the pump's naps follow: the system's, unless a test gives its
    // own (`sleep` then stands for the nap and moves that clock on).
    using Clock = std::chrono::steady_clock;
    void SetClock(std::function<Clock::time_point()> now,
                  std::function<void(std::chrono::milliseconds)> sleep) {
        m_now = std::move(now);
        m_sleep = std::move(sleep);
    }

    // Pumping (window's thread only): runs posted calls and due timer ticks.
    void Pump();
    // Pumps until pred() holds or the timeout passes; returns pred().
    bool PumpUntil(const std::function<bool()>& pred,
                   std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // One timer tick now, whatever the period.
    void FireTimer(int id);
    void DragAndRelease(int fromList, int toList);
    void DropFiles(int listId, const std::vector<std::string>& paths);
    void RightClick(int listId);

    int AnswerBox(const std::string& text, win::Buttons buttons, win::Icon icon);
    void LogAppended(const std::string& text);
    std::thread::id WindowThread() const { return m_thread; }

private:
    // Pump(); true when it ran a posted call or a timer tick.
    bool PumpOnce();

    struct Timer {
        int periodMs;
        std::chrono::steady_clock::time_point next;
    };
    win::IMessageHandler* m_handler = nullptr;
    std::thread::id m_thread;
    bool m_minimized = false;
    bool m_destroyed = false;
    win::Rect m_workArea{0, 0, 1280, 1024};
    std::deque<int> m_answers;
    int m_defaultAnswer = win::kAnswerNo;
    std::deque<int> m_menuChoices;
    std::deque<DialogDriver> m_drivers;
    DialogDriver m_defaultDriver;
    HeadlessDialog* m_openDialog = nullptr;
    std::vector<BoxRecord> m_boxes;
    std::vector<MenuRecord> m_menus;
    std::vector<std::string> m_shellOpens;
    bool m_shellResult = true;
    std::function<void(const std::string&)> m_shellObserver;
    std::function<void(const BoxRecord&)> m_boxObserver;
    std::function<void(const std::string&)> m_logObserver;
    std::map<int, Timer> m_timers;
    std::function<Clock::time_point()> m_now = [] { return Clock::now(); };
    std::function<void(std::chrono::milliseconds)> m_sleep = [](std::chrono::milliseconds ms) {
        std::this_thread::sleep_for(ms);
    };
    std::deque<std::function<void()>> m_posted;
    mutable std::mutex m_queueMutex;
    int m_cursor = 0;
    int m_capturedList = 0;
};

} // namespace headless
