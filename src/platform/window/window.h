// Window services and the messages a window sends to its logic. The logic (CMainDialog and
// the dialog classes) never sees a toolkit type: a backend builds the controls from the
// templates in res/, hands them out by id and forwards every user gesture as a Message.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/window/controls.h"

namespace win {

enum class Icon { Warning, Question, Error, Information };
enum class Buttons { Ok, YesNo, YesNoCancel };
// Values follow the classic dialog result codes so that 1 is OK and 2 is Cancel.
enum Answer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

enum class MessageKind {
    ButtonClick,      // id = button
    Close,            // the window's close request (title bar, Alt+F4)
    ComboDropDown,    // id = combo about to drop down
    ComboSelChange,   // id = combo; index = chosen item
    TabChanging,      // id = tab control; handler sets result = 1 to keep the old tab
    TabChanged,       // id = tab control
    Command,          // id = menu command
    ItemActivated,    // id = list; index = row (double click or Enter)
    ItemChanging,     // id = list; index = row (-1 none); oldState/newState
    ItemChanged,      // id = list; index = row; oldState/newState
    EndLabelEdit,     // id = list; index = row; text; cancelled
    BeginDrag,        // id = list
    MouseMove,        // id = list (while dragging); x, y screen coordinates
    LeftButtonUp,     // id = list (while dragging); x, y screen coordinates
    ContextMenu,      // id = list; x, y screen coordinates
    FocusGained,      // id = list
    KeyEnter,         // id = control with the focus; handler sets result = 1 to swallow it
    KeyDown,          // id = file list with the focus; index = Key; result = 1 swallows it
    ColumnClick,      // id = list; index = column whose header was clicked
    Timer,            // id = timer id
    FilesDropped,     // id = list; paths
    HotItem,          // id = check box the mouse entered or left (dialogs)
    MouseOverSurface, // the mouse moved over the dialog's own surface (dialogs)
};

// The keys a file list acts on (besides Enter, which has its own message).
enum Key : int {
    kKeyBackspace = 1,
    kKeyDelete,
    kKeyF2,
    kKeyF5,
    kKeyF7,
    kKeyTab,
    kKeySelectAll, // Ctrl+A
};

struct Message {
    Message(MessageKind k, int i = 0, int row = -1, unsigned oldBits = 0, unsigned newBits = 0)
        : kind(k), id(i), index(row), oldState(oldBits), newState(newBits) {}

    MessageKind kind;
    int id = 0;
    int index = -1;
    unsigned oldState = 0;
    unsigned newState = 0;
    int x = 0;
    int y = 0;
    std::string text;
    bool cancelled = false;
    std::vector<std::string> paths;
    int result = 0; // written by the handler
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Receives the messages of one window.
class IMessageHandler {
public:
    virtual ~IMessageHandler() = default;
    virtual void Dispatch(Message& message) = 0;
};

class IDialogWindow;

// The logic of a modal dialog (host property, option, permission dialogs).
class IDialogLogic : public IMessageHandler {
public:
    // Called once the controls exist; the dialog shows after it returns.
    virtual void OnInitDialog(IDialogWindow& window) = 0;
};

// Services shared by the main window and the dialogs.
class IWindow {
public:
    virtual ~IWindow() = default;

    virtual ITextControl& Text(int id) = 0; // edits and statics
    virtual IEdit& Edit(int id) = 0;        // multi-line edit (log)
    virtual IButton& Button(int id) = 0;
    virtual ICheckBox& CheckBox(int id) = 0;
    virtual IProgressBar& Progress(int id) = 0;
    virtual IListView& ListView(int id) = 0;
    virtual IComboBox& Combo(int id) = 0;
    virtual IImageComboBox& ImageCombo(int id) = 0;
    virtual IListBox& ListBox(int id) = 0;
    virtual ITabControl& Tab(int id) = 0;

    // Caption "RARedevedaD"; returns the button pressed. Any thread; the caller waits.
    virtual int MessageBox(const std::string& text, Buttons buttons, Icon icon) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string GetCaption() const = 0;
    virtual Rect GetWindowRect() const = 0;
    virtual Rect GetClientRectOnScreen() const = 0;
    virtual void Move(int left, int top) = 0;
    // Screen rectangle of a control (drag and drop tests points against the lists).
    virtual Rect GetControlRectOnScreen(int id) const = 0;
    virtual int GetFocusId() const = 0;
    virtual void SetFocus(int id) = 0;
};

class IDialogWindow : public virtual IWindow {
public:
    virtual void EndDialog(int result) = 0;
};

// The main window of the program.
class IMainWindow : public virtual IWindow {
public:
    virtual void SetHandler(IMessageHandler* handler) = 0;
    virtual bool IsMinimized() const = 0;
    virtual Rect GetPrimaryWorkArea() const = 0;
    // The outer size; never below the template's size nor beyond the screen.
    virtual void Resize(int width, int height) = 0;
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    // Pop-up menu `menuId` at screen point (x, y) with the listed commands grayed; returns the
    // chosen command id, 0 when none. Window's thread only.
    virtual int TrackPopupMenu(int menuId, const std::set<int>& disabledCommands, int x, int y) = 0;
    // Runs a dialog template modally over this window; returns the EndDialog result.
    // Window's thread only.
    virtual int RunModal(int templateId, IDialogLogic& logic) = 0;
    // Runs `fn` later on the window's thread, after every call made before it.
    virtual void Post(std::function<void()> fn) = 0;
    // Opens a path with the desktop's program; false when that could not be started.
    virtual bool OpenWithShell(const std::string& path) = 0;
    virtual void SetCursor(int cursorId) = 0; // 0 = the normal arrow
    virtual void CaptureMouse(int listId) = 0;
    virtual void ReleaseMouse() = 0;
    virtual void BringToForeground() = 0;
    // Ends the window; the program's run returns after the current handler.
    virtual void Destroy() = 0;
};

} // namespace win
