// The control interfaces realised with wx widgets. Every call goes through the window's queue,
// so it may come from any thread; the widget is touched only on the GUI thread and only while
// its window is alive.
#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/controls.h"
#include "platform/window/window.h"
#include "platform/window/wx/gui_queue.h"

namespace wxwin {

class WindowCore;

// What every control adapter shares: its id, its widget and the way to reach the GUI thread.
class ControlNode {
public:
    ControlNode(WindowCore& core, int id, wxWindow* widget);
    virtual ~ControlNode() = default;
    ControlNode(const ControlNode&) = delete;
    ControlNode& operator=(const ControlNode&) = delete;

    int Id() const { return m_id; }
    wxWindow* Widget() const { return m_widget; }

protected:
    void Run(std::function<void()> fn) const;
    void RunLatest(std::function<void()> fn) const;
    template <class T> T Ask(std::function<T()> fn, T fallback = T{}) const {
        return m_queue.Call<T>(
            [alive = m_alive, fn = std::move(fn), fallback] { return *alive ? fn() : fallback; },
            fallback);
    }
    void Dispatch(win::Message& message) const;

    WindowCore& m_core;
    GuiQueue& m_queue;
    std::shared_ptr<bool> m_alive;
    const int m_id;
    wxWindow* const m_widget;
};

template <class Interface> class Control : public Interface, public ControlNode {
public:
    using ControlNode::ControlNode;
    void Show(bool visible) override {
        Run([this, visible] { m_widget->Show(visible); });
    }
    bool IsVisible() const override {
        return Ask<bool>([this] { return m_widget->IsShown(); });
    }
    void Enable(bool enabled) override {
        Run([this, enabled] { m_widget->Enable(enabled); });
    }
    bool IsEnabled() const override {
        return Ask<bool>([this] { return m_widget->IsEnabled(); });
    }
};

// Single-line edit. Its selection positions are characters: only the log needs byte offsets.
class EditControl : public Control<win::IEdit> {
public:
    EditControl(WindowCore& core, int id, wxTextCtrl* edit);
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void ReplaceSelection(const std::string& text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void GetSelection(std::size_t& start, std::size_t& end) const override;
    // A limit the user cannot type past (the option dialog's extension box).
    void SetLimit(std::size_t maxChars) override;

private:
    wxTextCtrl* m_edit;
};

// Static text, group box caption, or the label inside a sunken frame.
class StaticControl : public Control<win::ITextControl> {
public:
    StaticControl(WindowCore& core, int id, wxWindow* outer, wxControl* label);
    std::string GetText() const override;
    void SetText(const std::string& text) override;

private:
    wxControl* m_label;
    std::string m_text; // exactly the bytes set, whatever the widget shows
};

// The status line at the bottom of the main window.
class StatusControl : public Control<win::ITextControl> {
public:
    StatusControl(WindowCore& core, int id, wxStatusBar* bar);
    std::string GetText() const override;
    void SetText(const std::string& text) override;

private:
    wxStatusBar* m_bar;
    std::string m_text;
};

// The multi-line log: inserts at the caret, replacing the selection. Positions are byte
// offsets of the UTF-8 text; the widget counts characters.
class LogControl : public Control<win::IEdit> {
public:
    LogControl(WindowCore& core, int id, wxTextCtrl* edit);
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void ReplaceSelection(const std::string& text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void GetSelection(std::size_t& start, std::size_t& end) const override;
    void SetLimit(std::size_t maxChars) override;

private:
    void DoReplaceSelection(const std::string& text);
    std::size_t ByteOfChar(long position) const;
    long CharOfByte(std::size_t offset) const;
    void Keep(std::string text);

    wxTextCtrl* m_edit;
    std::size_t m_limit = 0; // bytes; 0 = none
    // The log is read-only, so every change to its text passes through here: this copy answers
    // reads and maps the control's character positions to bytes without reading a megabyte of
    // text back out of the toolkit, which took tens of milliseconds of the window's thread.
    std::string m_text;
    bool m_ascii = true; // every character of m_text is one byte
};

class ButtonControl : public Control<win::IButton> {
public:
    ButtonControl(WindowCore& core, int id, wxButton* button, int icon);
    void SetIcon(int iconId) override;
    int GetIcon() const override;

private:
    wxButton* m_button;
    int m_icon;
};

class CheckBoxControl : public Control<win::ICheckBox> {
public:
    CheckBoxControl(WindowCore& core, int id, wxCheckBox* box);
    bool IsChecked() const override;
    void SetChecked(bool checked) override;

private:
    wxCheckBox* m_box;
};

class ProgressControl : public Control<win::IProgressBar> {
public:
    ProgressControl(WindowCore& core, int id, wxGauge* gauge);
    void SetRange(int low, int high) override;
    void SetPos(int pos) override;
    int GetPos() const override;
    int GetRangeHigh() const override;

private:
    void Apply();

    wxGauge* m_gauge;
    // The gauge only knows 0..range; the low end and the true position are kept here.
    int m_low = 0;
    int m_high = 100;
    int m_pos = 0;
};

// A list of strings in a widget with items (drop-down list, list box). The strings are kept
// byte for byte beside the widget, which shows them converted.
template <class Interface> class StringListControl : public Control<Interface> {
public:
    StringListControl(WindowCore& core, int id, wxControlWithItems* items);
    void ResetContent() override;
    int AddString(const std::string& text) override;
    bool DeleteString(int index) override;
    int GetCount() const override;
    std::string GetString(int index) const override;
    int GetCurSel() const override;
    void SetCurSel(int index) override;

protected:
    wxControlWithItems* m_items;
    std::vector<std::string> m_strings;
};

// Drop-down list (wxChoice), or a box that also takes a typed text (wxComboBox).
class ComboControl : public StringListControl<win::IComboBox> {
public:
    ComboControl(WindowCore& core, int id, wxControlWithItems* items, wxTextEntry* typed);
    int InsertString(int index, const std::string& text) override;
    int FindStringExact(const std::string& text) const override;
    std::string GetEditText() const override;
    void SetEditText(const std::string& text) override;

private:
    wxTextEntry* m_typed; // null for a plain list
};

class ListBoxControl : public StringListControl<win::IListBox> {
public:
    ListBoxControl(WindowCore& core, int id, wxListBox* list);
};

// The host tabs: a notebook with empty pages; the controls of a tab are siblings laid over it.
class TabControl : public Control<win::ITabControl> {
public:
    TabControl(WindowCore& core, int id, wxNotebook* book);
    void DeleteAllItems() override;
    void InsertItem(int index, const std::string& text) override;
    int GetItemCount() const override;
    std::string GetItemText(int index) const override;
    int GetCurSel() const override;
    void SetCurSel(int index) override;

    // The controls laid over the strip. GTK gives every page a window of its own, stacked above
    // its siblings whenever the page is shown, where it would take their clicks: pages go back
    // to the bottom and these to the top.
    void SetOverlays(std::vector<wxWindow*> overlays);

private:
    void RaiseOverlays();
    void OnChanging(wxBookCtrlEvent& event);
    void OnChanged(wxBookCtrlEvent& event);

    wxNotebook* m_book;
    std::vector<std::string> m_texts;
    bool m_quiet = false; // page changes made by these calls notify nobody
    std::vector<wxWindow*> m_overlays;
};

} // namespace wxwin
