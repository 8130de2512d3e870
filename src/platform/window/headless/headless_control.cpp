#include "platform/window/headless/headless_control.h"

#include <algorithm>

#include "platform/window/headless/headless_main_window.h"

// What every control has, and the parts of edits, statics, buttons, check boxes and progress bars.
namespace headless {

Control::Control(HeadlessWindowBase& owner, int id, res::ControlKind kind, unsigned style,
                 std::string caption, int icon)
    : m_owner(owner), m_id(id), m_kind(kind), m_style(style), m_text(std::move(caption)),
      m_icon(icon) {
    m_visible = (style & res::kHidden) == 0;
    m_enabled = (style & res::kDisabled) == 0;
}

void Control::Show(bool visible) {
    WindowLock lock(m_owner.Mutex());
    m_visible = visible;
}
bool Control::IsVisible() const {
    WindowLock lock(m_owner.Mutex());
    return m_visible;
}
void Control::Enable(bool enabled) {
    WindowLock lock(m_owner.Mutex());
    m_enabled = enabled;
}
bool Control::IsEnabled() const {
    WindowLock lock(m_owner.Mutex());
    return m_enabled;
}

std::string Control::Tip() const {
    WindowLock lock(m_owner.Mutex());
    return res::ControlTip(m_owner.TemplateId(), m_id, m_icon);
}

std::string Control::GetText() const {
    WindowLock lock(m_owner.Mutex());
    return m_text;
}

void Control::SetText(const std::string& text) {
    WindowLock lock(m_owner.Mutex());
    m_text = text;
    m_selStart = m_selEnd = 0;
}

void Control::ReplaceSelection(const std::string& text) {
    std::string inserted;
    {
        WindowLock lock(m_owner.Mutex());
        std::size_t start = std::min(m_selStart, m_text.size());
        std::size_t end = std::min(std::max(m_selEnd, start), m_text.size());
        m_text.erase(start, end - start);
        inserted = text;
        if (m_limit != 0 && m_text.size() + inserted.size() > m_limit) {
            // A limited edit takes only what still fits.
            inserted.resize(m_limit > m_text.size() ? m_limit - m_text.size() : 0);
        }
        m_text.insert(start, inserted);
        m_selStart = m_selEnd = start + inserted.size();
    }
    if (m_kind == res::ControlKind::MultiLineEdit) {
        if (auto* main = dynamic_cast<HeadlessMainWindow*>(&m_owner)) {
            main->LogAppended(text);
        }
    }
}

void Control::SetSelection(std::size_t start, std::size_t end) {
    WindowLock lock(m_owner.Mutex());
    m_selStart = std::min(start, m_text.size());
    m_selEnd = std::min(end, m_text.size());
}

void Control::GetSelection(std::size_t& start, std::size_t& end) const {
    WindowLock lock(m_owner.Mutex());
    start = m_selStart;
    end = m_selEnd;
}

void Control::SetLimit(std::size_t maxChars) {
    WindowLock lock(m_owner.Mutex());
    m_limit = maxChars;
}

std::size_t Control::Limit() const {
    WindowLock lock(m_owner.Mutex());
    return m_limit;
}

void Control::SetIcon(int iconId) {
    WindowLock lock(m_owner.Mutex());
    m_icon = iconId;
}
int Control::GetIcon() const {
    WindowLock lock(m_owner.Mutex());
    return m_icon;
}
bool Control::IsChecked() const {
    WindowLock lock(m_owner.Mutex());
    return m_checked;
}
void Control::SetChecked(bool checked) {
    WindowLock lock(m_owner.Mutex());
    m_checked = checked;
}

void Control::SetRange(int low, int high) {
    WindowLock lock(m_owner.Mutex());
    m_rangeLow = low;
    m_rangeHigh = high;
}
void Control::SetPos(int pos) {
    WindowLock lock(m_owner.Mutex());
    m_pos = pos;
}
int Control::GetPos() const {
    WindowLock lock(m_owner.Mutex());
    return m_pos;
}
int Control::GetRangeHigh() const {
    WindowLock lock(m_owner.Mutex());
    return m_rangeHigh;
}

} // namespace headless
