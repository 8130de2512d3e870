#include "platform/window/headless/headless_main_window.h"

#include <algorithm>

#include "platform/window/headless/headless_dialog_units.h"
#include "res/resource_ids.h"

namespace headless {

HeadlessMainWindow::HeadlessMainWindow()
    : HeadlessWindowBase(*res::FindTemplate(res::kMainTemplate), this),
      m_thread(std::this_thread::get_id()) {
    Get(res::kStatusBar); // the status line exists from the start
}

HeadlessMainWindow::~HeadlessMainWindow() = default;

void HeadlessMainWindow::SetHandler(win::IMessageHandler* handler) {
    m_handler = handler;
}

void HeadlessMainWindow::CentreIfNotMoved() {
    WindowLock lock(m_mutex);
    if (!m_moved) {
        m_left = m_workArea.left + (m_workArea.right - m_workArea.left - m_width) / 2;
        m_top = m_workArea.top + (m_workArea.bottom - m_workArea.top - m_height) / 2;
    }
}

bool HeadlessMainWindow::IsMinimized() const {
    WindowLock lock(m_mutex);
    return m_minimized;
}

win::Rect HeadlessMainWindow::GetPrimaryWorkArea() const {
    WindowLock lock(m_mutex);
    return m_workArea;
}

void HeadlessMainWindow::Resize(int width, int height) {
    WindowLock lock(m_mutex);
    const res::DialogTemplate& main = *res::FindTemplate(res::kMainTemplate);
    m_width = std::clamp(width, DluX(main.width),
                         std::max(DluX(main.width), m_workArea.right - m_workArea.left));
    m_height = std::clamp(height, DluY(main.height),
                          std::max(DluY(main.height), m_workArea.bottom - m_workArea.top));
}

void HeadlessMainWindow::StartTimer(int id, int periodMs) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_timers[id] = {periodMs, m_now() + std::chrono::milliseconds(periodMs)};
}

void HeadlessMainWindow::StopTimer(int id) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_timers.erase(id);
}

bool HeadlessMainWindow::TimerRunning(int id) const {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    return m_timers.count(id) != 0;
}

int HeadlessMainWindow::TrackPopupMenu(int menuId, const std::set<int>& disabledCommands, int,
                                       int) {
    WindowLock lock(m_mutex);
    int chosen = 0;
    if (!m_menuChoices.empty()) {
        chosen = m_menuChoices.front();
        m_menuChoices.pop_front();
    }
    if (disabledCommands.count(chosen)) {
        chosen = 0; // a grayed item cannot be chosen
    }
    m_menus.push_back({menuId, disabledCommands, chosen});
    return chosen;
}

int HeadlessMainWindow::RunModal(int templateId, win::IDialogLogic& logic) {
    const res::DialogTemplate* tmpl = res::FindTemplate(templateId);
    if (tmpl == nullptr) {
        return -1;
    }
    HeadlessDialog dialog(*tmpl, *this, logic);
    HeadlessDialog* outer = m_openDialog;
    m_openDialog = &dialog;
    logic.OnInitDialog(dialog);
    DialogDriver driver;
    {
        WindowLock lock(m_mutex);
        if (!m_drivers.empty()) {
            driver = std::move(m_drivers.front());
            m_drivers.pop_front();
        } else {
            driver = m_defaultDriver;
        }
    }
    if (driver && !dialog.Ended()) {
        driver(dialog);
    }
    if (!dialog.Ended()) {
        dialog.EndDialog(win::kAnswerCancel);
    }
    m_openDialog = outer;
    return dialog.Result();
}

void HeadlessMainWindow::Post(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_posted.push_back(std::move(fn));
}

bool HeadlessMainWindow::OpenWithShell(const std::string& path) {
    std::function<void(const std::string&)> observer;
    bool result = false;
    {
        WindowLock lock(m_mutex);
        m_shellOpens.push_back(path);
        observer = m_shellObserver;
        result = m_shellResult;
    }
    if (observer) {
        observer(path);
    }
    return result;
}

void HeadlessMainWindow::SetCursor(int cursorId) {
    WindowLock lock(m_mutex);
    m_cursor = cursorId;
}

void HeadlessMainWindow::CaptureMouse(int listId) {
    WindowLock lock(m_mutex);
    m_capturedList = listId;
}

void HeadlessMainWindow::ReleaseMouse() {
    WindowLock lock(m_mutex);
    m_capturedList = 0;
}

void HeadlessMainWindow::BringToForeground() {}

void HeadlessMainWindow::Destroy() {
    WindowLock lock(m_mutex);
    m_destroyed = true;
}

void HeadlessMainWindow::QueueAnswer(int answer) {
    WindowLock lock(m_mutex);
    m_answers.push_back(answer);
}

void HeadlessMainWindow::QueueMenuChoice(int command) {
    WindowLock lock(m_mutex);
    m_menuChoices.push_back(command);
}

void HeadlessMainWindow::ClearMenuChoices() {
    WindowLock lock(m_mutex);
    m_menuChoices.clear();
}

void HeadlessMainWindow::QueueDialogDriver(DialogDriver driver) {
    WindowLock lock(m_mutex);
    m_drivers.push_back(std::move(driver));
}

std::vector<BoxRecord> HeadlessMainWindow::Boxes() const {
    WindowLock lock(m_mutex);
    return m_boxes;
}

std::vector<MenuRecord> HeadlessMainWindow::Menus() const {
    WindowLock lock(m_mutex);
    return m_menus;
}

std::vector<std::string> HeadlessMainWindow::ShellOpens() const {
    WindowLock lock(m_mutex);
    return m_shellOpens;
}

int HeadlessMainWindow::AnswerBox(const std::string& text, win::Buttons buttons, win::Icon icon) {
    BoxRecord record{text, buttons, icon, win::kAnswerOk};
    std::function<void(const BoxRecord&)> observer;
    {
        WindowLock lock(m_mutex);
        if (!m_answers.empty()) {
            record.answer = m_answers.front();
            m_answers.pop_front();
        } else if (buttons != win::Buttons::Ok) {
            record.answer = m_defaultAnswer;
        }
        if (buttons == win::Buttons::Ok) {
            record.answer = win::kAnswerOk; // an OK box has no other answer
        }
        m_boxes.push_back(record);
        observer = m_boxObserver;
    }
    if (observer) {
        observer(record);
    }
    return record.answer;
}

void HeadlessMainWindow::LogAppended(const std::string& text) {
    std::function<void(const std::string&)> observer;
    {
        WindowLock lock(m_mutex);
        observer = m_logObserver;
    }
    if (observer) {
        observer(text);
    }
}

void HeadlessMainWindow::Pump() {
    PumpOnce();
}

bool HeadlessMainWindow::PumpOnce() {
    bool worked = false;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (m_posted.empty()) {
                break;
            }
            fn = std::move(m_posted.front());
            m_posted.pop_front();
        }
        fn();
        worked = true;
    }
    std::vector<int> due;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        const auto now = m_now();
        for (auto& [id, timer] : m_timers) {
            if (now >= timer.next) {
                due.push_back(id);
                // The next tick counts from when this one was due, not from when the pump
                // came by: a late tick is followed sooner. Ticks missed altogether are not
                // made up for, as a window system's timers do not.
                const std::chrono::milliseconds period(timer.periodMs);
                timer.next += period;
                if (timer.next <= now) {
                    timer.next += period * ((now - timer.next) / period + 1);
                }
            }
        }
    }
    for (int id : due) {
        FireTimer(id);
    }
    return worked || !due.empty();
}

bool HeadlessMainWindow::PumpUntil(const std::function<bool()>& pred,
                                   std::chrono::milliseconds timeout) {
    auto end = m_now() + timeout;
    // A worker mostly calls the controls directly, so a long job leaves this loop nothing to
    // do: its nap doubles up to 16 ms while that lasts and is back at 2 ms once anything
    // happens. Waking every 2 ms for a whole transfer took CPU from the transfer itself.
    constexpr std::chrono::milliseconds kShortestNap(2);
    constexpr std::chrono::milliseconds kLongestNap(16);
    std::chrono::milliseconds nap = kShortestNap;
    while (!pred()) {
        if (m_now() >= end) {
            return pred();
        }
        const bool worked = PumpOnce();
        if (worked) {
            nap = kShortestNap;
        }
        // Never past the next due timer: a tick keeps its period however long the loop naps.
        std::chrono::milliseconds sleep = nap;
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            const auto now = m_now();
            for (const auto& [id, timer] : m_timers) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(timer.next - now);
                sleep = std::min(sleep, std::max(left, std::chrono::milliseconds(0)));
            }
        }
        m_sleep(sleep);
        if (!worked) {
            nap = std::min(nap * 2, kLongestNap);
        }
    }
    Pump();
    return true;
}

void HeadlessMainWindow::FireTimer(int id) {
    if (m_handler == nullptr) {
        return;
    }
    win::Message m{win::MessageKind::Timer, id};
    m_handler->Dispatch(m);
}

void HeadlessMainWindow::RightClick(int listId) {
    win::Rect r = GetWindowRect();
    win::Message m{win::MessageKind::ContextMenu, listId};
    m.x = r.left + 10;
    m.y = r.top + 10;
    m_handler->Dispatch(m);
}

void HeadlessMainWindow::DragAndRelease(int fromList, int toList) {
    win::Message begin{win::MessageKind::BeginDrag, fromList};
    m_handler->Dispatch(begin);
    // The release point lies inside the target list; a list's rectangle is its template's.
    const res::DialogTemplate* tmpl = res::FindTemplate(res::kMainTemplate);
    win::Rect client = GetClientRectOnScreen();
    int x = client.left;
    int y = client.top;
    for (const auto& c : tmpl->controls) {
        if (c.id == toList) {
            x += DluX(c.x + c.width / 2);
            y += DluY(c.y + c.height / 2);
        }
    }
    win::Message move{win::MessageKind::MouseMove, fromList};
    move.x = x;
    move.y = y;
    m_handler->Dispatch(move);
    win::Message up{win::MessageKind::LeftButtonUp, fromList};
    up.x = x;
    up.y = y;
    m_handler->Dispatch(up);
}

void HeadlessMainWindow::DropFiles(int listId, const std::vector<std::string>& paths) {
    win::Message m{win::MessageKind::FilesDropped, listId};
    m.paths = paths;
    m_handler->Dispatch(m);
}

} // namespace headless
