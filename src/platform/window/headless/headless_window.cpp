#include "platform/window/headless/headless_window.h"

#include <algorithm>

#include "res/ascii_case.h"
#include "res/resource_ids.h"

namespace headless {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// Dialog units to pixels with the font the real window measured (about 2.0 x 2.125).
int DluX(int x) {
    return x * 2;
}
int DluY(int y) {
    return (y * 17) / 8;
}

} // namespace

// ---------------------------------------------------------------- Control

Control::Control(HeadlessWindowBase& owner, int id, res::ControlKind kind, unsigned style,
                 std::string caption, int icon)
    : m_owner(owner), m_id(id), m_kind(kind), m_style(style), m_text(std::move(caption)),
      m_icon(icon) {
    m_visible = (style & res::kHidden) == 0;
    m_enabled = (style & res::kDisabled) == 0;
}

void Control::Show(bool visible) {
    Lock lock(m_owner.Mutex());
    m_visible = visible;
}
bool Control::IsVisible() const {
    Lock lock(m_owner.Mutex());
    return m_visible;
}
void Control::Enable(bool enabled) {
    Lock lock(m_owner.Mutex());
    m_enabled = enabled;
}
bool Control::IsEnabled() const {
    Lock lock(m_owner.Mutex());
    return m_enabled;
}

std::string Control::GetText() const {
    Lock lock(m_owner.Mutex());
    return m_text;
}

void Control::SetText(const std::string& text) {
    Lock lock(m_owner.Mutex());
    m_text = text;
    m_selStart = m_selEnd = 0;
}

void Control::ReplaceSelection(const std::string& text) {
    std::string inserted;
    {
        Lock lock(m_owner.Mutex());
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
    Lock lock(m_owner.Mutex());
    m_selStart = std::min(start, m_text.size());
    m_selEnd = std::min(end, m_text.size());
}

void Control::GetSelection(std::size_t& start, std::size_t& end) const {
    Lock lock(m_owner.Mutex());
    start = m_selStart;
    end = m_selEnd;
}

void Control::SetLimit(std::size_t maxChars) {
    Lock lock(m_owner.Mutex());
    m_limit = maxChars;
}

std::size_t Control::Limit() const {
    Lock lock(m_owner.Mutex());
    return m_limit;
}

void Control::SetIcon(int iconId) {
    Lock lock(m_owner.Mutex());
    m_icon = iconId;
}
int Control::GetIcon() const {
    Lock lock(m_owner.Mutex());
    return m_icon;
}
bool Control::IsChecked() const {
    Lock lock(m_owner.Mutex());
    return m_checked;
}
void Control::SetChecked(bool checked) {
    Lock lock(m_owner.Mutex());
    m_checked = checked;
}

void Control::SetRange(int low, int high) {
    Lock lock(m_owner.Mutex());
    m_rangeLow = low;
    m_rangeHigh = high;
}
void Control::SetPos(int pos) {
    Lock lock(m_owner.Mutex());
    m_pos = pos;
}
int Control::GetPos() const {
    Lock lock(m_owner.Mutex());
    return m_pos;
}
int Control::GetRangeHigh() const {
    Lock lock(m_owner.Mutex());
    return m_rangeHigh;
}

void Control::DeleteAllItems() {
    Lock lock(m_owner.Mutex());
    m_rows.clear();
    m_curSel = -1;
    m_selectionMark = -1;
    m_editingRow = -1;
}

int Control::InsertItem(int index, const std::string& text, int image) {
    Lock lock(m_owner.Mutex());
    Row row;
    row.text = text;
    row.image = image;
    row.selectedImage = image;
    if (index < 0 || index > static_cast<int>(m_rows.size())) {
        index = static_cast<int>(m_rows.size());
    }
    m_rows.insert(m_rows.begin() + index, row);
    if (m_selectionMark >= index) {
        ++m_selectionMark;
    }
    if (m_curSel >= index) {
        ++m_curSel;
    }
    return index;
}

int Control::InsertItems(int index, const std::vector<std::pair<std::string, int>>& rows) {
    Lock lock(m_owner.Mutex());
    int done = 0;
    for (const auto& [text, image] : rows) {
        if (InsertItem(index + done, text, image) < 0) {
            break;
        }
        ++done;
    }
    return done;
}

bool Control::DeleteItem(int index) {
    Lock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return false;
    }
    m_rows.erase(m_rows.begin() + index);
    if (m_selectionMark == index) {
        m_selectionMark = -1;
    } else if (m_selectionMark > index) {
        --m_selectionMark;
    }
    if (m_curSel == index) {
        m_curSel = -1;
    } else if (m_curSel > index) {
        --m_curSel;
    }
    return true;
}

int Control::GetItemCount() const {
    Lock lock(m_owner.Mutex());
    return static_cast<int>(m_rows.size());
}

std::string Control::GetItemText(int index) const {
    Lock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return "";
    }
    return m_rows[static_cast<std::size_t>(index)].text;
}

void Control::SetItemText(int index, const std::string& text) {
    Lock lock(m_owner.Mutex());
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        m_rows[static_cast<std::size_t>(index)].text = text;
    }
}

int Control::GetItemImage(int index) const {
    Lock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return -1;
    }
    return m_rows[static_cast<std::size_t>(index)].image;
}

void Control::SetItemImage(int index, int image) {
    Lock lock(m_owner.Mutex());
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        m_rows[static_cast<std::size_t>(index)].image = image;
    }
}

unsigned Control::GetItemState(int index) const {
    Lock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return 0;
    }
    return m_rows[static_cast<std::size_t>(index)].state;
}

void Control::SetItemState(int index, unsigned state, unsigned mask) {
    Lock lock(m_owner.Mutex());
    auto apply = [&](Row& r) { r.state = (r.state & ~mask) | (state & mask); };
    if (index == -1) {
        for (auto& r : m_rows) {
            apply(r);
        }
        return;
    }
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        if ((mask & win::kStateFocused) && (state & win::kStateFocused)) {
            for (auto& r : m_rows) {
                r.state &= ~static_cast<unsigned>(win::kStateFocused);
            }
        }
        apply(m_rows[static_cast<std::size_t>(index)]);
    }
}

int Control::GetSelectedCount() const {
    Lock lock(m_owner.Mutex());
    return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) {
        return (r.state & win::kStateSelected) != 0;
    }));
}

int Control::GetNextSelected(int after) const {
    Lock lock(m_owner.Mutex());
    for (int i = std::max(after + 1, 0); i < static_cast<int>(m_rows.size()); ++i) {
        if (m_rows[static_cast<std::size_t>(i)].state & win::kStateSelected) {
            return i;
        }
    }
    return -1;
}

int Control::GetSelectionMark() const {
    Lock lock(m_owner.Mutex());
    return m_selectionMark;
}

void Control::SetSelectionMark(int index) {
    Lock lock(m_owner.Mutex());
    m_selectionMark = index;
}

int Control::FindItem(const std::string& text) const {
    Lock lock(m_owner.Mutex());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (res::EqualIgnoringAsciiCase(m_rows[i].text, text)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Control::EditLabel(int index) {
    Lock lock(m_owner.Mutex());
    m_editingRow = index;
}

void Control::SetImageList(int bitmapId) {
    Lock lock(m_owner.Mutex());
    m_imageList = bitmapId;
}

void Control::ResetContent() {
    DeleteAllItems();
}

int Control::AddString(const std::string& text) {
    return InsertItem(-1, text, 0);
}

int Control::InsertString(int index, const std::string& text) {
    return InsertItem(index, text, 0);
}

bool Control::DeleteString(int index) {
    return DeleteItem(index);
}

int Control::GetCount() const {
    return GetItemCount();
}

std::string Control::GetString(int index) const {
    return GetItemText(index);
}

int Control::GetCurSel() const {
    Lock lock(m_owner.Mutex());
    return m_curSel;
}

void Control::SetCurSel(int index) {
    Lock lock(m_owner.Mutex());
    m_curSel = (index >= 0 && index < static_cast<int>(m_rows.size())) ? index : -1;
}

int Control::FindStringExact(const std::string& text) const {
    return FindItem(text);
}

int Control::InsertItem(int index, const win::ImageComboItem& item) {
    Lock lock(m_owner.Mutex());
    int at = InsertItem(index, item.text, item.image);
    Row& row = m_rows[static_cast<std::size_t>(at)];
    row.selectedImage = item.selectedImage;
    row.indent = item.indent;
    return at;
}

win::ImageComboItem Control::GetItem(int index) const {
    Lock lock(m_owner.Mutex());
    win::ImageComboItem item;
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        const Row& r = m_rows[static_cast<std::size_t>(index)];
        item.text = r.text;
        item.image = r.image;
        item.selectedImage = r.selectedImage;
        item.indent = r.indent;
    }
    return item;
}

void Control::InsertItem(int index, const std::string& text) {
    InsertItem(index, text, 0);
}

std::vector<Row> Control::Rows() const {
    Lock lock(m_owner.Mutex());
    return m_rows;
}

int Control::EditingRow() const {
    Lock lock(m_owner.Mutex());
    return m_editingRow;
}

void Control::ClearEditingRow() {
    Lock lock(m_owner.Mutex());
    m_editingRow = -1;
}

int Control::ImageList() const {
    Lock lock(m_owner.Mutex());
    return m_imageList;
}

// ---------------------------------------------------------------- HeadlessWindowBase

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
    Lock lock(m_mutex);
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
    Lock lock(m_mutex);
    return m_controls.count(id) != 0;
}

int HeadlessWindowBase::MessageBox(const std::string& text, win::Buttons buttons, win::Icon icon) {
    return m_main->AnswerBox(text, buttons, icon);
}

void HeadlessWindowBase::SetCaption(const std::string& caption) {
    Lock lock(m_mutex);
    m_caption = caption;
}

std::string HeadlessWindowBase::GetCaption() const {
    Lock lock(m_mutex);
    return m_caption;
}

win::Rect HeadlessWindowBase::GetWindowRect() const {
    Lock lock(m_mutex);
    return {m_left, m_top, m_left + m_width, m_top + m_height};
}

win::Rect HeadlessWindowBase::GetClientRectOnScreen() const {
    Lock lock(m_mutex);
    // A frame of 4 pixels and a caption of 24, as a decorated window has.
    return {m_left + 4, m_top + 28, m_left + m_width - 4, m_top + m_height - 4};
}

void HeadlessWindowBase::Move(int left, int top) {
    Lock lock(m_mutex);
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
    Lock lock(m_mutex);
    return m_focus;
}

void HeadlessWindowBase::SetFocus(int id) {
    Lock lock(m_mutex);
    m_focus = id;
}

void HeadlessWindowBase::Click(int id) {
    if (!Get(id).IsEnabled()) {
        return;
    }
    if (Get(id).Kind() == res::ControlKind::CheckBox) {
        Get(id).SetChecked(!Get(id).IsChecked());
    }
    win::Message m{win::MessageKind::ButtonClick, id};
    Handler()->Dispatch(m);
}

void HeadlessWindowBase::Type(int id, const std::string& text) {
    SetFocus(id);
    Control& c = Get(id);
    std::size_t limit = c.Limit();
    c.SetText(limit != 0 && text.size() > limit ? text.substr(0, limit) : text);
}

bool HeadlessWindowBase::KeyEnter(int id) {
    SetFocus(id);
    win::Message m{win::MessageKind::KeyEnter, id};
    Handler()->Dispatch(m);
    return m.result != 0;
}

void HeadlessWindowBase::Check(int id, bool on) {
    if (!Get(id).IsEnabled()) {
        return;
    }
    Get(id).SetChecked(on);
    win::Message m{win::MessageKind::ButtonClick, id};
    Handler()->Dispatch(m);
}

bool HeadlessWindowBase::SelectRows(int id, const std::vector<int>& rows) {
    Control& c = Get(id);
    const int count = c.GetItemCount();
    std::set<int> wanted(rows.begin(), rows.end());
    const int focus = rows.empty() ? -1 : rows.back();
    // New state of every row; rows that lose state are notified before rows that gain it,
    // as a real list does on a click.
    std::vector<std::pair<int, unsigned>> losing;
    std::vector<std::pair<int, unsigned>> gaining;
    for (int i = 0; i < count; ++i) {
        unsigned old = c.GetItemState(i);
        unsigned now = 0;
        if (wanted.count(i)) {
            now |= win::kStateSelected;
        }
        if (i == focus) {
            now |= win::kStateFocused;
        } else if (focus == -1 && (old & win::kStateFocused)) {
            now |= win::kStateFocused; // clearing the selection keeps the focus where it was
        }
        if (now == old) {
            continue;
        }
        ((now & ~old) != 0 ? gaining : losing).emplace_back(i, now);
    }
    auto notify = [&](int row, unsigned now) {
        unsigned old = c.GetItemState(row);
        win::Message changing{win::MessageKind::ItemChanging, id, row, old, now};
        Handler()->Dispatch(changing);
        c.SetItemState(row, now, win::kStateSelected | win::kStateFocused);
        win::Message changed{win::MessageKind::ItemChanged, id, row, old, now};
        Handler()->Dispatch(changed);
    };
    for (auto [row, now] : losing) {
        notify(row, now);
    }
    for (auto [row, now] : gaining) {
        notify(row, now);
    }
    if (focus >= 0) {
        c.SetSelectionMark(focus);
    }
    return true;
}

bool HeadlessWindowBase::Select(int id, const std::vector<std::string>& names) {
    Control& c = Get(id);
    switch (c.Kind()) {
    case res::ControlKind::ListView: {
        std::vector<int> rows;
        for (const auto& name : names) {
            int found = -1;
            for (int i = 0; i < c.GetItemCount(); ++i) {
                if (c.GetItemText(i) == name) {
                    found = i;
                    break;
                }
            }
            if (found < 0) {
                return false;
            }
            rows.push_back(found);
        }
        return SelectRows(id, rows);
    }
    case res::ControlKind::ComboBox:
    case res::ControlKind::ImageComboBox:
        return names.size() == 1 && ChooseCombo(id, names[0]);
    case res::ControlKind::ListBox:
        for (int i = 0; i < c.GetCount(); ++i) {
            if (names.size() == 1 && c.GetString(i) == names[0]) {
                c.SetCurSel(i);
                return true;
            }
        }
        if (names.empty()) {
            c.SetCurSel(-1);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void HeadlessWindowBase::SelectTab(int index) {
    Control& tab = Get(res::kHostTab);
    if (!tab.IsEnabled() || index == tab.GetCurSel()) {
        return;
    }
    win::Message changing{win::MessageKind::TabChanging, res::kHostTab};
    Handler()->Dispatch(changing);
    if (changing.result != 0) {
        return;
    }
    tab.SetCurSel(index);
    win::Message changed{win::MessageKind::TabChanged, res::kHostTab, index};
    Handler()->Dispatch(changed);
}

bool HeadlessWindowBase::ChooseCombo(int id, const std::string& text) {
    Control& c = Get(id);
    if (!c.IsEnabled()) {
        return false;
    }
    if (c.Kind() == res::ControlKind::ImageComboBox) {
        win::Message drop{win::MessageKind::ComboDropDown, id};
        Handler()->Dispatch(drop);
    }
    for (int i = 0; i < c.GetCount(); ++i) {
        if (c.GetString(i) == text) {
            c.SetCurSel(i);
            win::Message m{win::MessageKind::ComboSelChange, id, i};
            Handler()->Dispatch(m);
            return true;
        }
    }
    return false;
}

bool HeadlessWindowBase::Activate(int id, const std::string& name) {
    Control& c = Get(id);
    for (int i = 0; i < c.GetItemCount(); ++i) {
        if (c.GetItemText(i) == name) {
            SelectRows(id, {i});
            win::Message m{win::MessageKind::ItemActivated, id, i};
            Handler()->Dispatch(m);
            return true;
        }
    }
    return false;
}

void HeadlessWindowBase::EndLabel(int id, const std::string& text, bool cancelled) {
    Control& c = Get(id);
    int row = c.EditingRow();
    c.ClearEditingRow();
    win::Message m{win::MessageKind::EndLabelEdit, id, row};
    m.text = cancelled ? "" : text;
    m.cancelled = cancelled;
    Handler()->Dispatch(m);
}

void HeadlessWindowBase::SendHotItem(int id) {
    win::Message m{win::MessageKind::HotItem, id};
    Handler()->Dispatch(m);
}

// ---------------------------------------------------------------- HeadlessDialog

HeadlessDialog::HeadlessDialog(const res::DialogTemplate& tmpl, HeadlessMainWindow& main,
                               win::IDialogLogic& logic)
    : HeadlessWindowBase(tmpl, &main), m_logic(logic), m_templateId(tmpl.id) {}

void HeadlessDialog::EndDialog(int result) {
    Lock lock(m_mutex);
    m_ended = true;
    m_result = result;
}

// ---------------------------------------------------------------- HeadlessMainWindow

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
    Lock lock(m_mutex);
    if (!m_moved) {
        m_left = m_workArea.left + (m_workArea.right - m_workArea.left - m_width) / 2;
        m_top = m_workArea.top + (m_workArea.bottom - m_workArea.top - m_height) / 2;
    }
}

bool HeadlessMainWindow::IsMinimized() const {
    Lock lock(m_mutex);
    return m_minimized;
}

win::Rect HeadlessMainWindow::GetPrimaryWorkArea() const {
    Lock lock(m_mutex);
    return m_workArea;
}

void HeadlessMainWindow::StartTimer(int id, int periodMs) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_timers[id] = {periodMs,
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(periodMs)};
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
    Lock lock(m_mutex);
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
        Lock lock(m_mutex);
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
    Lock lock(m_mutex);
    m_shellOpens.push_back(path);
    return m_shellResult;
}

void HeadlessMainWindow::SetCursor(int cursorId) {
    Lock lock(m_mutex);
    m_cursor = cursorId;
}

void HeadlessMainWindow::CaptureMouse(int listId) {
    Lock lock(m_mutex);
    m_capturedList = listId;
}

void HeadlessMainWindow::ReleaseMouse() {
    Lock lock(m_mutex);
    m_capturedList = 0;
}

void HeadlessMainWindow::BringToForeground() {}

void HeadlessMainWindow::Destroy() {
    Lock lock(m_mutex);
    m_destroyed = true;
}

void HeadlessMainWindow::QueueAnswer(int answer) {
    Lock lock(m_mutex);
    m_answers.push_back(answer);
}

void HeadlessMainWindow::QueueMenuChoice(int command) {
    Lock lock(m_mutex);
    m_menuChoices.push_back(command);
}

void HeadlessMainWindow::ClearMenuChoices() {
    Lock lock(m_mutex);
    m_menuChoices.clear();
}

void HeadlessMainWindow::QueueDialogDriver(DialogDriver driver) {
    Lock lock(m_mutex);
    m_drivers.push_back(std::move(driver));
}

std::vector<BoxRecord> HeadlessMainWindow::Boxes() const {
    Lock lock(m_mutex);
    return m_boxes;
}

std::vector<MenuRecord> HeadlessMainWindow::Menus() const {
    Lock lock(m_mutex);
    return m_menus;
}

std::vector<std::string> HeadlessMainWindow::ShellOpens() const {
    Lock lock(m_mutex);
    return m_shellOpens;
}

int HeadlessMainWindow::AnswerBox(const std::string& text, win::Buttons buttons, win::Icon icon) {
    BoxRecord record{text, buttons, icon, win::kAnswerOk};
    std::function<void(const BoxRecord&)> observer;
    {
        Lock lock(m_mutex);
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
        Lock lock(m_mutex);
        observer = m_logObserver;
    }
    if (observer) {
        observer(text);
    }
}

void HeadlessMainWindow::Pump() {
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
    }
    std::vector<int> due;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        auto now = std::chrono::steady_clock::now();
        for (auto& [id, timer] : m_timers) {
            if (now >= timer.next) {
                due.push_back(id);
                timer.next = now + std::chrono::milliseconds(timer.periodMs);
            }
        }
    }
    for (int id : due) {
        FireTimer(id);
    }
}

bool HeadlessMainWindow::PumpUntil(const std::function<bool()>& pred,
                                   std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end) {
            return pred();
        }
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
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
