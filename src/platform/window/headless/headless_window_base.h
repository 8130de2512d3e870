// Controls and services common to the headless main window and dialogs, and the gestures that
// drive them as a user would.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window/headless/headless_control.h"
#include "platform/window/window.h"
#include "res/templates.h"

namespace headless {

class HeadlessMainWindow;

// Controls and services common to the main window and the dialogs.
class HeadlessWindowBase : public virtual win::IWindow {
public:
    HeadlessWindowBase(const res::DialogTemplate& tmpl, HeadlessMainWindow* main);
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

    // Gestures (window's thread; headless_gestures.cpp). Each sends the messages a real window
    // would send.
    void Click(int id);
    void Type(int id, const std::string& text);
    bool KeyEnter(int id);              // true when the handler swallowed it
    bool KeyDown(int id, win::Key key); // the same for a file list's other keys
    void ClickHeader(int id, int column);
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
    int TemplateId() const { return m_templateIdForRects; }

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

} // namespace headless
