// An in-memory window system: every control keeps its state for inspection, message boxes are
// recorded and answered from a queue, and a message queue is pumped on the window's thread.
// Script mode and the tests drive the program through it.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/window/window.h"
#include "res/templates.h"

namespace headless {

struct Row {
    std::string text;
    int image = 0;
    int selectedImage = 0;
    int indent = 0;
    unsigned state = 0;
};

class HeadlessWindowBase;

// One control of any kind; its kind decides which interface the logic uses.
class Control final : public win::IEdit,
                      public win::IButton,
                      public win::ICheckBox,
                      public win::IProgressBar,
                      public win::IListView,
                      public win::IComboBox,
                      public win::IImageComboBox,
                      public win::IListBox,
                      public win::ITabControl {
public:
    Control(HeadlessWindowBase& owner, int id, res::ControlKind kind, unsigned style,
            std::string caption, int icon);

    int Id() const { return m_id; }
    res::ControlKind Kind() const { return m_kind; }
    unsigned Style() const { return m_style; }

    // IControl
    void Show(bool visible) override;
    bool IsVisible() const override;
    void Enable(bool enabled) override;
    bool IsEnabled() const override;
    // Text
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void ReplaceSelection(const std::string& text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void GetSelection(std::size_t& start, std::size_t& end) const override;
    void SetLimit(std::size_t maxChars) override;
    std::size_t Limit() const;
    // Button, check box
    void SetIcon(int iconId) override;
    int GetIcon() const override;
    bool IsChecked() const override;
    void SetChecked(bool checked) override;
    // Progress
    void SetRange(int low, int high) override;
    void SetPos(int pos) override;
    int GetPos() const override;
    int GetRangeHigh() const override;
    // List view
    void DeleteAllItems() override;
    int InsertItem(int index, const std::string& text, int image) override;
    int InsertItems(int index, const std::vector<std::pair<std::string, int>>& rows) override;
    bool DeleteItem(int index) override;
    int GetItemCount() const override;
    std::string GetItemText(int index) const override;
    void SetItemText(int index, const std::string& text) override;
    int GetItemImage(int index) const override;
    void SetItemImage(int index, int image) override;
    unsigned GetItemState(int index) const override;
    void SetItemState(int index, unsigned state, unsigned mask) override;
    int GetSelectedCount() const override;
    int GetNextSelected(int after) const override;
    int GetSelectionMark() const override;
    void SetSelectionMark(int index) override;
    int FindItem(const std::string& text) const override;
    void EditLabel(int index) override;
    void SetImageList(int bitmapId) override;
    // Combo boxes, list box
    void ResetContent() override;
    int AddString(const std::string& text) override;
    int InsertString(int index, const std::string& text) override;
    bool DeleteString(int index) override;
    int GetCount() const override;
    std::string GetString(int index) const override;
    int GetCurSel() const override;
    void SetCurSel(int index) override;
    int FindStringExact(const std::string& text) const override;
    int InsertItem(int index, const win::ImageComboItem& item) override;
    win::ImageComboItem GetItem(int index) const override;
    // Tab control
    void InsertItem(int index, const std::string& text) override;

    // Inspection
    std::vector<Row> Rows() const;
    int EditingRow() const;
    void ClearEditingRow();
    int ImageList() const;

private:
    HeadlessWindowBase& m_owner;
    const int m_id;
    const res::ControlKind m_kind;
    const unsigned m_style;
    bool m_visible = true;
    bool m_enabled = true;
    std::string m_text;
    std::size_t m_selStart = 0;
    std::size_t m_selEnd = 0;
    std::size_t m_limit = 0; // 0 = none
    int m_icon = 0;
    bool m_checked = false;
    int m_rangeLow = 0;
    int m_rangeHigh = 100;
    int m_pos = 0;
    std::vector<Row> m_rows;
    int m_curSel = -1;
    int m_selectionMark = -1;
    int m_editingRow = -1;
    int m_imageList = 0;
};

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

// Controls and services common to the main window and the dialogs.
class HeadlessWindowBase : public virtual win::IWindow {
public:
    HeadlessWindowBase(const res::DialogTemplate& tmpl, class HeadlessMainWindow* main);
    ~HeadlessWindowBase() override;

    win::ITextControl& Text(int id) override { return Get(id); }
    win::IEdit& Edit(int id) override { return Get(id); }
    win::IButton& Button(int id) override { return Get(id); }
    win::ICheckBox& CheckBox(int id) override { return Get(id); }
    win::IProgressBar& Progress(int id) override { return Get(id); }
    win::IListView& ListView(int id) override { return Get(id); }
    win::IComboBox& Combo(int id) override { return Get(id); }
    win::IImageComboBox& ImageCombo(int id) override { return Get(id); }
    win::IListBox& ListBox(int id) override { return Get(id); }
    win::ITabControl& Tab(int id) override { return Get(id); }

    int MessageBox(const std::string& text, win::Buttons buttons, win::Icon icon) override;
    void SetCaption(const std::string& caption) override;
    std::string GetCaption() const override;
    win::Rect GetWindowRect() const override;
    win::Rect GetClientRectOnScreen() const override;
    void Move(int left, int top) override;
    win::Rect GetControlRectOnScreen(int id) const override;
    int GetFocusId() const override;
    void SetFocus(int id) override;

    Control& Get(int id);
    bool Has(int id) const;
    std::recursive_mutex& Mutex() const { return m_mutex; }
    virtual win::IMessageHandler* Handler() = 0;

    // Gestures (window's thread). Each sends the messages a real window would send.
    void Click(int id);
    void Type(int id, const std::string& text);
    bool KeyEnter(int id); // true when the handler swallowed it
    void Check(int id, bool on);
    // List views: select exactly these rows; combo and list boxes: select the item.
    bool Select(int id, const std::vector<std::string>& names);
    bool SelectRows(int id, const std::vector<int>& rows);
    void SelectTab(int index);
    bool ChooseCombo(int id, const std::string& text);
    bool Activate(int id, const std::string& name);
    void EndLabel(int id, const std::string& text, bool cancelled);
    void SendHotItem(int id);
    bool moved() const { return m_moved; }

protected:
    mutable std::recursive_mutex m_mutex;
    HeadlessMainWindow* m_main;
    std::string m_caption;
    std::map<int, std::unique_ptr<Control>> m_controls;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_moved = false;
    int m_focus = 0;
    int m_templateIdForRects = 0;
};

class HeadlessDialog final : public HeadlessWindowBase, public win::IDialogWindow {
public:
    HeadlessDialog(const res::DialogTemplate& tmpl, HeadlessMainWindow& main,
                   win::IDialogLogic& logic);
    void EndDialog(int result) override;
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }
    int TemplateId() const { return m_templateId; }
    win::IMessageHandler* Handler() override { return &m_logic; }

private:
    win::IDialogLogic& m_logic;
    int m_templateId;
    bool m_ended = false;
    int m_result = win::kAnswerCancel;
};

class HeadlessMainWindow final : public HeadlessWindowBase, public win::IMainWindow {
public:
    HeadlessMainWindow();
    ~HeadlessMainWindow() override;

    // IMainWindow
    void SetHandler(win::IMessageHandler* handler) override;
    bool IsMinimized() const override;
    win::Rect GetPrimaryWorkArea() const override;
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
    bool TimerRunning(int id) const;
    int Cursor() const { return m_cursor; }
    int CapturedList() const { return m_capturedList; }
    bool Destroyed() const { return m_destroyed; }

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
    std::function<void(const BoxRecord&)> m_boxObserver;
    std::function<void(const std::string&)> m_logObserver;
    std::map<int, Timer> m_timers;
    std::deque<std::function<void()>> m_posted;
    mutable std::mutex m_queueMutex;
    int m_cursor = 0;
    int m_capturedList = 0;
};

} // namespace headless
