#include "platform/window/headless/headless_window_base.h"

#include "platform/window/headless/headless_dialog_units.h"
#include "platform/window/headless/headless_main_window.h"
#include "res/resource_ids.h"

namespace headless {

HeadlessWindowBase::HeadlessWindowBase(const res::DialogTemplate& tmpl, HeadlessMainWindow* main)
    : m_main(main), m_caption(tmpl.caption), m_width(DluX(tmpl.width)), m_height(DluY(tmpl.height)),
      m_templateIdForRects(tmpl.id) {
    for (const auto& c : tmpl.controls) {
        if (c.id == res::kNoId) {
            continue;
        }
        m_controls[c.id] =
            std::make_unique<Control>(*this, c.id, c.kind, c.style, c.caption, c.icon);
    }
}

HeadlessWindowBase::~HeadlessWindowBase() = default;

Control& HeadlessWindowBase::Get(int id) {
    WindowLock lock(m_mutex);
    auto it = m_controls.find(id);
    if (it == m_controls.end()) {
        // Controls made at run time (the status line) exist on first use.
        it = m_controls
                 .emplace(id, std::make_unique<Control>(*this, id, res::ControlKind::Static,
                                                        res::kNone, "", 0))
                 .first;
    }
    return *it->second;
}

bool HeadlessWindowBase::Has(int id) const {
    WindowLock lock(m_mutex);
    return m_controls.count(id) != 0;
}

int HeadlessWindowBase::MessageBox(const std::string& text, win::Buttons buttons, win::Icon icon) {
    return m_main->AnswerBox(text, buttons, icon);
}

void HeadlessWindowBase::SetCaption(const std::string& caption) {
    WindowLock lock(m_mutex);
    m_caption = caption;
}

std::string HeadlessWindowBase::GetCaption() const {
    WindowLock lock(m_mutex);
    return m_caption;
}

win::Rect HeadlessWindowBase::GetWindowRect() const {
    WindowLock lock(m_mutex);
    return {m_left, m_top, m_left + m_width, m_top + m_height};
}

win::Rect HeadlessWindowBase::GetClientRectOnScreen() const {
    WindowLock lock(m_mutex);
    // A frame of 4 pixels and a caption of 24, as a decorated window has.
    return {m_left + 4, m_top + 28, m_left + m_width - 4, m_top + m_height - 4};
}

void HeadlessWindowBase::Move(int left, int top) {
    WindowLock lock(m_mutex);
    m_left = left;
    m_top = top;
    m_moved = true;
}

win::Rect HeadlessWindowBase::GetControlRectOnScreen(int id) const {
    win::Rect client = GetClientRectOnScreen();
    const res::DialogTemplate* tmpl = res::FindTemplate(m_templateIdForRects);
    if (tmpl != nullptr) {
        for (const auto& c : tmpl->controls) {
            if (c.id == id) {
                return {client.left + DluX(c.x), client.top + DluY(c.y),
                        client.left + DluX(c.x + c.width), client.top + DluY(c.y + c.height)};
            }
        }
    }
    return {};
}

int HeadlessWindowBase::GetFocusId() const {
    WindowLock lock(m_mutex);
    return m_focus;
}

void HeadlessWindowBase::SetFocus(int id) {
    WindowLock lock(m_mutex);
    m_focus = id;
}

} // namespace headless
