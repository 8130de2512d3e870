// The main window: a frame built from template 102, with the status line at the bottom; it
// starts at the template's size, which is also its smallest. Every service may be called from any
// thread (menus and modal dialogs from the GUI thread only, as their interface says).
#pragma once

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/statusbr.h>
#include <wx/timer.h>

#include <atomic>
#include <map>
#include <memory>

#include "platform/window/window.h"
#include "platform/window/wx/gui_queue.h"
#include "platform/window/wx/window_core.h"

namespace wxwin {

class ListViewControl;

class WxMainWindow : public CoreControls<win::IMainWindow> {
public:
    // GUI thread, toolkit started.
    WxMainWindow();
    ~WxMainWindow() override;
    WxMainWindow(const WxMainWindow&) = delete;
    WxMainWindow& operator=(const WxMainWindow&) = delete;

    // IWindow
    int MessageBox(const std::string& text, win::Buttons buttons, win::Icon icon) override;
    void SetCaption(const std::string& caption) override;
    std::string GetCaption() const override;
    win::Rect GetWindowRect() const override;
    win::Rect GetClientRectOnScreen() const override;
    void Move(int left, int top) override;
    win::Rect GetControlRectOnScreen(int id) const override;
    int GetFocusId() const override;
    void SetFocus(int id) override;

    // IMainWindow
    void SetHandler(win::IMessageHandler* handler) override { m_core.SetHandler(handler); }
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

    // For the program's run and the tests (GUI thread).
    wxFrame* Frame() const { return m_frame; }
    wxWindow* Surface() const { return m_surface; }
    wxWindow* Widget(int id) const { return m_core.Widget(id); }
    wxPoint DialogToPixels(int x, int y) const { return m_core.DialogToPixels(x, y); }
    GuiQueue& Queue() { return m_queue; }
    bool WasMoved() const { return m_moved; }
    bool IsDestroyed() const { return m_destroyed; }
    // Centres the window unless the logic placed it, and shows it.
    void ShowWindow();
    // The run is over: drop every later call and release waiting workers.
    void Shutdown();

private:
    template <class T> T Ask(std::function<T()> fn, T fallback = T{}) const {
        return m_queue.Call<T>([alive = m_core.Alive(), fn = std::move(fn),
                                fallback] { return *alive ? fn() : fallback; },
                               fallback);
    }
    void Run(std::function<void()> fn);
    void DoDestroy();
    void OnClose(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    // Moves and stretches the controls for the surface's present size.
    void Relayout();
    bool LabelEditorHasFocus() const;
    void SendClose();

    mutable GuiQueue m_queue;
    WindowCore& Core() override { return m_core; }

    WindowCore m_core;
    wxFrame* m_frame = nullptr;
    wxPanel* m_surface = nullptr;
    wxStatusBar* m_status = nullptr;
    wxSize m_baseSurface;  // the surface at the template's size
    wxSize m_growth{0, 0}; // how far the controls stand from their template places
    std::map<int, std::unique_ptr<wxTimer>> m_timers;
    ListViewControl* m_captured = nullptr;
    std::atomic<bool> m_moved{false};
    std::atomic<bool> m_destroyed{false};
};

} // namespace wxwin
